// Feeds arbitrary bytes to the list-directed reader: every input must end in
// values or an InputError, never a crash, a hang or a sanitizer report.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/list_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte chooses the shape of the READs, the rest is the file.
  if (size == 0) return 0;
  const unsigned shape = data[0];
  kestro::ListInput input("fuzz.dat",
                          std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  try {
    for (int record = 0; record < 64 && !input.at_end(); ++record) {
      const unsigned kind = (shape >> (record % 4 * 2)) & 3u;
      if (kind == 3) {
        input.read_fixed(70, "a title");
        continue;
      }
      kestro::ListRead read = input.read();
      int integer = 0;
      double real = 0.0;
      std::string text;
      for (int item = 0; item < 5; ++item) {
        if (kind == 0) read.integer(integer);
        if (kind == 1) read.real(real);
        if (kind == 2) read.text(text);
      }
    }
  } catch (const kestro::InputError&) {
  }
  return 0;
}
