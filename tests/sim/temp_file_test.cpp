// The temporary files outputs are written under (platform/temp_file.h), on each
// platform's own exclusive create: named "PATH.part" and six letters or
// digits (PATH's file name cut to fit the longest name a file system takes),
// new each time, never over a file that exists, written byte for byte; and
// the names taken for such temporaries when stale ones are removed.
#include "platform/temp_file.h"

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

TEST_F(TempFile, OnlyTheNamesItGivesAreTakenForTemporaries) {
  const std::pair<const char*, const char*> names[] = {
      {"d.txt.partabc123", "d.txt"},     {"d.txt.part0a1b2c", "d.txt"},
      {"x.partx.partzzzzzz", "x.partx"}, {"d.txt.partabc12", nullptr},
      {"d.txt.partABC123", nullptr},     {"d.txt.parta_c123", nullptr},
      {"d.txt.prtabc1234", nullptr},     {".partabc123", nullptr},
  };
  for (const auto& [name, output] : names) {
    const std::optional<std::string_view> found = sim::outputOfTemporary(name);
    EXPECT_EQ(found.value_or("(none)"), output != nullptr ? output : "(none)") << name;
  }
}

#ifndef _WIN32  // a whole path of at most MAX_PATH (260) bytes on Windows
TEST_F(TempFile, TheLongestNamesGetATemporaryThatFitsCutBeforeACharacter) {
  // [bytes] File names of 244 and more bytes leave no room for ".partXXXXXX".
  const std::string e = "\xc3\xa9";  // two bytes
  std::string accents;
  for (int i = 0; i < 125; ++i) accents += e;
  const std::pair<std::string, size_t> cases[] = {
      // the name, the bytes of it kept
      {std::string(244, 'n'), 244},
      {std::string(245, 'n'), 244},
      {std::string(255, 'n'), 244},
      {"x" + accents + "xxxx", 243},  // 255 bytes, the 244th in the middle of an 'é'
  };
  for (const auto& [name, kept] : cases) {
    std::string temp;
    FILE* f = sim::createFileBeside(path(name), temp);
    ASSERT_NE(f, nullptr) << name.size() << ": " << std::strerror(errno);
    std::fclose(f);
    const std::string file = std::filesystem::path(temp).filename().string();
    EXPECT_LE(file.size(), sim::kMaxFileNameBytes);
    EXPECT_EQ(file.size(), kept + 11) << file;
    EXPECT_EQ(sim::outputOfTemporary(file), name.substr(0, kept)) << name.size();
    std::filesystem::remove(temp);
  }
}
#endif

}  // namespace
