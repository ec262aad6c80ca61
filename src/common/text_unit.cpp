#include "common/text_unit.h"

namespace kestro {

bool TextUnit::open(const std::filesystem::path& path) {
  close();
  file_.open(path, std::ios::out | std::ios::trunc | std::ios::binary);
  if (!file_.is_open()) return false;
  out_ = &file_;
  path_ = path;
  return true;
}

void TextUnit::attach(std::ostream& stream) {
  close();
  out_ = &stream;
}

void TextUnit::close() {
  if (out_ == nullptr) return;
  if (record_open_) *out_ << '\n';
  record_open_ = false;
  out_->flush();
  if (out_ == &file_) file_.close();
  out_ = nullptr;
}

void TextUnit::write(const FortranFormat& format, std::span<const FormatItem> items) {
  if (out_ == nullptr) return;
  FormattedText text = format_write(format, items);
  *out_ << text.text;
  record_open_ = text.record_open;
}

void TextUnit::write_list(std::span<const ListItem> items) {
  write_text(list_write(items));
}

void TextUnit::write_text(std::string_view text) {
  if (out_ == nullptr) return;
  // A list-directed or raw write starts a record of its own.
  if (record_open_) *out_ << '\n';
  record_open_ = false;
  *out_ << text;
}

}  // namespace kestro
