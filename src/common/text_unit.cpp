#include "common/text_unit.h"

namespace kestro {

namespace {

// A file unit hands its text to the file once this much is pending.
constexpr std::size_t kFileChunk = 64 * 1024;

}  // namespace

TextUnit::~TextUnit() {
  if (!pending_.empty()) hand_over();
}

void TextUnit::hand_over() {
  if (text_ != nullptr) {
    text_->append(pending_);
  } else if (out_ != nullptr) {
    out_->write(pending_.data(), static_cast<std::streamsize>(pending_.size()));
  }
  pending_.clear();
}

bool TextUnit::open(const std::filesystem::path& path) {
  close();
  file_.open(path, std::ios::out | std::ios::trunc | std::ios::binary);
  if (!file_.is_open()) return false;
  out_ = &file_;
  path_ = path;
  pending_.reserve(kFileChunk + 1024);
  return true;
}

void TextUnit::attach(std::ostream& stream) {
  close();
  out_ = &stream;
}

void TextUnit::collect(std::string& text) {
  close();
  text_ = &text;
  pending_.reserve(kFileChunk + 1024);
}

void TextUnit::close() {
  if (!is_open()) return;
  if (record_open_) pending_ += '\n';
  record_open_ = false;
  hand_over();
  if (out_ != nullptr) out_->flush();
  if (out_ == &file_) file_.close();
  out_ = nullptr;
  text_ = nullptr;
}

void TextUnit::written() {
  const bool chunked = text_ != nullptr || out_ == &file_;
  if (!chunked || pending_.size() >= kFileChunk) hand_over();
}

void TextUnit::write(const FortranFormat& format, std::span<const FormatItem> items) {
  if (!is_open()) return;
  const std::size_t before = pending_.size();
  try {
    record_open_ = format_append(format, items, pending_);
  } catch (...) {
    pending_.resize(before);
    throw;
  }
  written();
}

void TextUnit::write_list(std::span<const ListItem> items) {
  if (!is_open()) return;
  // A list-directed write starts a record of its own.
  if (record_open_) pending_ += '\n';
  record_open_ = false;
  list_append(items, pending_);
  written();
}

void TextUnit::write_text(std::string_view text) {
  if (!is_open()) return;
  // A raw write starts a record of its own.
  if (record_open_) pending_ += '\n';
  record_open_ = false;
  pending_ += text;
  written();
}

}  // namespace kestro
