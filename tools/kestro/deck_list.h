// The decks of `kestro batch`: files as they are given, and the decks found
// in folders.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kestro::host {

// Whether a file found in a folder is taken as a deck: its name ends in
// ".dat" (any case) and does not start with '.'; NAMES.dat (any case), the
// run list a front end writes beside its deck, is not a deck.
bool is_deck_name(const std::string& name);

// The decks of `inputs`, in order: a file stands for itself, whatever its
// name; a folder for the regular files directly in it (not in its subfolders)
// that is_deck_name accepts, sorted by name in byte order, each as the folder
// as given joined with the name.  A deck reached twice (by its name and by
// its folder, or written two ways) is kept at its first place only.  Empty,
// with the reason in `why`, when an input does not exist, is neither a file
// nor a folder, is a folder that cannot be read, or is a folder without a
// deck.
std::optional<std::vector<std::filesystem::path>> batch_decks(
    const std::vector<std::filesystem::path>& inputs, std::string& why);

// Why two decks would write the same output files: the same name (without
// its extension) with outputs in one folder (output_dir, or the deck's own
// folder when there is none), or anywhere when every deck's CSV files go to
// one folder (shared_csv).  Empty when no two decks clash.
std::string output_clash(const std::vector<std::filesystem::path>& decks,
                         const std::optional<std::filesystem::path>& output_dir, bool shared_csv);

}  // namespace kestro::host
