// The exported C entry point: a thin shim over kestro::run.
#include <filesystem>
#include <iostream>

#include "kestro/kestro.hpp"

extern "C" KESTRO_API int32_t KESTRO_CALL IKESTRO(int32_t /*unused1*/, int32_t /*unused2*/) {
  try {
    std::error_code error;
    std::filesystem::path here = std::filesystem::current_path(error);
    if (error) here = ".";
    kestro::run(here, std::cerr, kestro::system_local_time);
  } catch (...) {
    // Nothing may cross the C boundary; run() reports its own failures.
  }
  return 0;
}
