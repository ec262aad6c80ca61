// Files written whole: a private temporary file beside the target, moved
// into place.
#include <unistd.h>

#include <fstream>
#include <random>

#include "kestro/report.hpp"

namespace kestro {

namespace {

namespace fs = std::filesystem;

// A name for a temporary file beside `path` that no other run picks.
fs::path temporary_beside(const fs::path& path) {
  thread_local std::mt19937_64 random(std::random_device{}());
  return path.string() + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(random());
}

}  // namespace

bool write_file_whole(const fs::path& path, const std::string& text) {
  const fs::path temporary = temporary_beside(path);
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out.flush()) {
      std::error_code ignored;
      fs::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code error;
  fs::rename(temporary, path, error);
  if (error) fs::remove(temporary, error);
  return !error;
}

}  // namespace kestro
