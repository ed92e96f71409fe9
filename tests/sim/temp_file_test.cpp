// The temporary files outputs are written under (sim/temp_file.h), on each
// platform's own exclusive create: named "PATH.part" and six letters or
// digits, new each time, never over a file that exists, written byte for byte.
#include "sim/temp_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "sim_run.h"

namespace {

class TempFile : public simtest::SimRun {};

TEST_F(TempFile, ANewNameBesideThePathEachTime) {
  std::string first, second;
  FILE* a = sim::createFileBeside(path("out.csv"), first);
  FILE* b = sim::createFileBeside(path("out.csv"), second);
  ASSERT_NE(a, nullptr) << std::strerror(errno);
  ASSERT_NE(b, nullptr) << std::strerror(errno);
  std::fclose(a);
  std::fclose(b);
  EXPECT_NE(first, second);
  const std::string stem = path("out.csv") + ".part";
  for (const std::string& name : {first, second}) {
    ASSERT_EQ(name.size(), stem.size() + 6) << name;
    EXPECT_EQ(name.rfind(stem, 0), 0u) << name;
    EXPECT_EQ(name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789", stem.size()),
              std::string::npos)
        << name;
  }
  EXPECT_EQ(files().size(), 2u);
}

TEST_F(TempFile, WrittenByteForByte) {
  std::string name;
  FILE* f = sim::createFileBeside(path("d.txt"), name);
  ASSERT_NE(f, nullptr) << std::strerror(errno);
  std::fputs("a\nb\r\n", f);  // text mode would write the first "\n" as "\r\n" on Windows
  std::fclose(f);
  EXPECT_EQ(simtest::readFile(name), "a\nb\r\n");
}

TEST_F(TempFile, NeverOverAFileThatExistsAndNothingLeftWhenItCannot) {
  std::ofstream(path("taken")) << "someone's file";
  errno = 0;
  EXPECT_EQ(sim::createNewFile(path("taken")), nullptr);
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(simtest::readFile(path("taken")), "someone's file");

  std::string name = "unchanged";
  errno = 0;
  EXPECT_EQ(sim::createFileBeside(path("no-folder/out.csv"), name), nullptr);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(name, "unchanged");
  EXPECT_EQ(files(), std::vector<std::string>{"taken"});
}

}  // namespace
