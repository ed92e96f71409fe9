#include "platform/temp_file.h"

#include <cerrno>
#include <filesystem>
#include <random>

namespace sim {
namespace {

constexpr std::string_view kPart = ".part";
constexpr size_t kRandomChars = 6;
constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyz0123456789";

// NAME of "NAME.partXXXXXX": the file name, cut so that the temporary's name
// fits the file system, before a UTF-8 sequence's first byte.
std::string_view temporaryStem(std::string_view fileName) {
  const size_t room = kMaxFileNameBytes - kPart.size() - kRandomChars;
  if (fileName.size() <= room) return fileName;
  size_t cut = room;
  while (cut > 0 && (static_cast<unsigned char>(fileName[cut]) & 0xC0) == 0x80) --cut;
  return fileName.substr(0, cut);
}

}  // namespace

FILE* createFileBeside(const std::string& path, std::string& tempPath) {
  // Seeded once a thread: a run writing a picture a frame opens the random
  // device once, not at every file.
  thread_local std::minstd_rand random(std::random_device{}());
  const size_t slash = path.find_last_of("/\\");
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::string stem = path.substr(0, nameStart) +
                           std::string(temporaryStem(std::string_view(path).substr(nameStart)));
  // 36^6 names: a hundred taken in a row means something else is wrong.
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = stem + std::string(kPart);
    for (size_t i = 0; i < kRandomChars; ++i) name += kLetters[random() % kLetters.size()];
    FILE* f = createNewFile(name);
    if (f == nullptr && errno == EEXIST) continue;
    if (f != nullptr) tempPath = name;
    return f;
  }
  errno = EEXIST;
  return nullptr;
}

std::optional<std::string_view> outputOfTemporary(std::string_view fileName) {
  const size_t suffix = kPart.size() + kRandomChars;
  if (fileName.size() <= suffix) return std::nullopt;
  const std::string_view tail = fileName.substr(fileName.size() - suffix);
  if (tail.substr(0, kPart.size()) != kPart ||
      tail.find_first_not_of(kLetters, kPart.size()) != std::string_view::npos)
    return std::nullopt;
  return fileName.substr(0, fileName.size() - suffix);
}

void removeStaleTemporaries(const std::string& folder,
                            const std::function<bool(std::string_view output)>& ours) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    try {
      const std::string name = it->path().filename().string();
      const std::optional<std::string_view> output = outputOfTemporary(name);
      if (output && ours(*output)) removeIfStale(it->path().string());
    } catch (const std::exception&) {
      // A name this platform's narrow strings cannot hold: not one of ours.
    }
  }
}

void removeStaleTemporariesOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string_view stem =
      temporaryStem(std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1));
  removeStaleTemporaries(folder, [&](std::string_view output) { return output == stem; });
}

}  // namespace sim
