#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "sim/scenario/scenario.h"

namespace sim {

std::string readScenarioFile(const std::string& path) {
  auto refuse = [&](const std::string& what) { return ScenarioError(path, {1, 1}, what); };
  const std::string cannot = "cannot read the scenario file: ";
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);  // follows symbolic links
  if (ec || !fs::exists(st))
    throw refuse(cannot + (ec ? ec.message() : std::string(std::strerror(ENOENT))));
  using T = fs::file_type;
  const T type = st.type();
  if (type != T::regular)
    throw refuse(std::string("the scenario is ") +
                 (type == T::directory   ? "a folder"
                  : type == T::character ? "a character device"
                  : type == T::block     ? "a block device"
                  : type == T::fifo      ? "a FIFO"
                  : type == T::socket    ? "a socket"
                                         : "not a regular file") +
                 ", not a regular file");
  const uintmax_t size = fs::file_size(path, ec);
  if (ec) throw refuse(cannot + ec.message());
  if (size > kMaxScenarioBytes) throw refuse("the scenario file is larger than 64 MiB");
  if (size == 0) throw refuse("the scenario file is empty");

  std::ifstream in(path, std::ios::binary);
  if (!in) throw refuse(cannot + std::strerror(errno));
  // Read up to one byte past the limit: the file may have grown since.
  std::string text(size_t(size) + 1, '\0');
  text.resize(size_t(in.read(text.data(), std::streamsize(text.size())).gcount()));
  if (text.size() > size) {
    text.resize(kMaxScenarioBytes + 1);
    in.read(text.data() + size + 1, std::streamsize(kMaxScenarioBytes - size));
    text.resize(size_t(size) + 1 + size_t(in.gcount()));
  }
  if (in.bad()) throw refuse(cannot + std::strerror(errno));
  if (text.size() > kMaxScenarioBytes) throw refuse("the scenario file is larger than 64 MiB");
  if (text.empty()) throw refuse("the scenario file is empty");
  return text;
}

}  // namespace sim
