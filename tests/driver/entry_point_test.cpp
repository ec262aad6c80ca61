// The shared library as a front end sees it: loaded at run time, one symbol.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>

#include "support/run_fixture.h"

namespace kestro {
namespace {

using EntryPoint = std::int32_t (*)(std::int32_t, std::int32_t);

class SharedLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    handle = dlopen(KESTRO_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
  }
  void TearDown() override {
    if (handle != nullptr) dlclose(handle);
  }
  void* handle = nullptr;
};

TEST_F(SharedLibrary, ReturnsZeroAfterAnErrorStopAndAfterACompleteRun) {
  auto entry = reinterpret_cast<EntryPoint>(dlsym(handle, "IKESTRO"));
  ASSERT_NE(entry, nullptr);
  testing::RunDirectory dir;
  dir.write_names();
  const std::filesystem::path here = std::filesystem::current_path();

  dir.write("wall.dat", "T\n1 0 0 0 0 0 3 0 1 0 0 0\n410 12 1 .01 0 12 120 0 0 0\n0\n");
  std::filesystem::current_path(dir.path());
  EXPECT_EQ(entry(7, -3), 0);
  std::filesystem::current_path(here);
  EXPECT_NE(dir.read("wall.out").find("TOO MUCH DATA FOR AVAILABLE STORAGE"), std::string::npos);
  EXPECT_NE(dir.read("wall.out").find("END OF ANALYSIS"), std::string::npos);

  dir.write("wall.dat", "T\n1 0 0 0 0 0 3 0 1 0 0 0\n10 12 1 .01 0 12 120 0 0 0\n0\n");
  std::filesystem::current_path(dir.path());
  EXPECT_EQ(entry(0, 0), 0);
  std::filesystem::current_path(here);
  EXPECT_NE(dir.read("wall.out").find("END OF ANALYSIS"), std::string::npos);
  EXPECT_EQ(dir.read("wall.out").find("ERROR"), std::string::npos);
}

}  // namespace
}  // namespace kestro
