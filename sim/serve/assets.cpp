#include "sim/serve/assets.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace sim {
namespace {

// cpp-httplib compresses a body for a client that accepts it when its type is
// text/* or exactly "application/javascript" or "application/json"; with
// brotli at its slowest setting that takes seconds for three.js. Scripts are
// therefore typed "application/javascript; charset=utf-8" (still a JavaScript
// type to the browser), and never compressed: the cockpit is served on loopback.
std::string mimeTypeOf(const std::string& extension) {
  static const std::map<std::string, std::string> kTypes = {
      {".html", "text/html; charset=utf-8"},
      {".js", "application/javascript; charset=utf-8"},
      {".mjs", "application/javascript; charset=utf-8"},
      {".css", "text/css; charset=utf-8"},
      {".png", "image/png"},
      {".svg", "image/svg+xml"},
      {".json", "application/json; charset=utf-8"},
      {".txt", "text/plain; charset=utf-8"}};
  const auto it = kTypes.find(extension);
  return it == kTypes.end() ? "application/octet-stream" : it->second;
}

}  // namespace

Assets::Assets(const std::string& dir) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) return;
  for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec) || it->is_symlink(ec)) continue;
    if (files_.size() >= kMaxFiles || it->file_size(ec) > kMaxFileBytes) continue;
    std::ifstream in(it->path(), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) continue;
    const std::string key = "/" + fs::relative(it->path(), dir, ec).generic_string();
    files_[key] = Asset{content.str(), mimeTypeOf(it->path().extension().string())};
  }
}

const Asset* Assets::find(const std::string& path) const {
  const auto it = files_.find(path == "/" ? "/index.html" : path);
  return it == files_.end() ? nullptr : &it->second;
}

}  // namespace sim
