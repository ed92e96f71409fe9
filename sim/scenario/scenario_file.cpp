#include "sim/scenario/scenario_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "sim/scenario/scenario.h"

namespace sim {
namespace {

const char* kindOf(std::filesystem::file_type type) {
  switch (type) {
    case std::filesystem::file_type::directory:
      return "a folder";
    case std::filesystem::file_type::character:
      return "a character device";
    case std::filesystem::file_type::block:
      return "a block device";
    case std::filesystem::file_type::fifo:
      return "a FIFO";
    case std::filesystem::file_type::socket:
      return "a socket";
    default:
      return "not a regular file";
  }
}

}  // namespace

std::string readScenarioFile(const std::string& path) {
  auto refuse = [&](const std::string& what) { return ScenarioError(path, {1, 1}, what); };
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);  // follows symbolic links
  if (ec || !fs::exists(st))
    throw refuse("cannot read the scenario file: " +
                 (ec ? ec.message() : std::string(std::strerror(ENOENT))));
  if (!fs::is_regular_file(st))
    throw refuse(std::string("the scenario is ") + kindOf(st.type()) + ", not a regular file");
  const uintmax_t size = fs::file_size(path, ec);
  if (ec) throw refuse("cannot read the scenario file: " + ec.message());
  if (size > kMaxScenarioBytes) throw refuse("the scenario file is larger than 64 MiB");
  if (size == 0) throw refuse("the scenario file is empty");

  std::unique_ptr<FILE, int (*)(FILE*)> in(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!in) throw refuse(std::string("cannot read the scenario file: ") + std::strerror(errno));
  // Read up to one byte past the limit: the file may have grown since.
  std::string text(size_t(size) + 1, '\0');
  size_t got = 0;
  while (got < text.size()) {
    const size_t n = std::fread(&text[got], 1, text.size() - got, in.get());
    if (n == 0) break;
    got += n;
    if (got == text.size() && got <= kMaxScenarioBytes)
      text.resize(std::min<size_t>(got * 2, kMaxScenarioBytes + 1));
  }
  if (std::ferror(in.get()))
    throw refuse(std::string("cannot read the scenario file: ") + std::strerror(errno));
  if (got > kMaxScenarioBytes) throw refuse("the scenario file is larger than 64 MiB");
  if (got == 0) throw refuse("the scenario file is empty");
  text.resize(got);
  return text;
}

}  // namespace sim
