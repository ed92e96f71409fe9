// The cockpit page's files, read into memory when the server starts: a
// request can reach these and nothing else on the disk (no path is ever
// joined to a folder at request time).
#pragma once

#include <map>
#include <string>

namespace sim {

struct Asset {
  std::string content;
  std::string mimeType;
};

class Assets {
 public:
  static constexpr size_t kMaxFiles = 64;
  static constexpr size_t kMaxFileBytes = 8u << 20;

  // Reads the regular files of dir and its subfolders (not following links),
  // keyed "/sub/name.ext". A missing folder gives no assets.
  explicit Assets(const std::string& dir);
  // The asset for a request path; "/" is "/index.html". Null when none.
  const Asset* find(const std::string& path) const;
  size_t size() const { return files_.size(); }

 private:
  std::map<std::string, Asset> files_;
};

}  // namespace sim
