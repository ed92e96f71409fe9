#include "sim/campaign/shard_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/outputs/number_text.h"
#include "sim/outputs/output_file.h"

namespace sim {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kMagic = "# gyrelle-sim campaign ";
// [bytes] A row is written to the system in one piece when it fits (the file
// is opened for appending, so rows never overwrite one another).
constexpr size_t kRowBuffer = size_t(1) << 16;

[[noreturn]] void notShard(const std::string& path, const std::string& what) {
  throw ShardError(path + ": not a campaign shard file: " + what);
}

bool readNumber(std::string_view text, uint64_t& v) {
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  return !text.empty() && ec == std::errc() && ptr == text.data() + text.size();
}

// The first line's fields; false when it is not one.
bool parseFirstLine(std::string_view line, ShardHeader& h, size_t& drawn, size_t& expectations) {
  if (line.substr(0, kMagic.size()) != kMagic) return false;
  // The campaign's path may hold spaces: the fields are what follows its last " identity=".
  const size_t at = line.rfind(" identity=");
  if (at == std::string_view::npos || at < kMagic.size()) return false;
  h.campaign = std::string(line.substr(kMagic.size(), at - kMagic.size()));
  std::istringstream fields{std::string(line.substr(at + 1))};
  std::string field;
  uint64_t d = 0, e = 0;
  for (const char* key : {"identity=", "runs=", "seed=", "shard=", "drawn=", "expectations="}) {
    if (!(fields >> field)) return false;
    const std::string_view k(key);
    if (field.compare(0, k.size(), k) != 0) return false;
    const std::string_view value = std::string_view(field).substr(k.size());
    bool good = true;
    if (k == "identity=") {
      h.identity = std::string(value);
      good = !value.empty();
    } else if (k == "runs=") {
      good = readNumber(value, h.runs);
    } else if (k == "seed=") {
      good = readNumber(value, h.seed);
    } else if (k == "shard=") {
      const size_t slash = value.find('/');
      good = slash != std::string_view::npos && readNumber(value.substr(0, slash), h.shard) &&
             readNumber(value.substr(slash + 1), h.shards) && h.shard < h.shards;
    } else if (k == "drawn=") {
      good = readNumber(value, d);
    } else {
      good = readNumber(value, e);
    }
    if (!good) return false;
  }
  drawn = size_t(d);
  expectations = size_t(e);
  return !(fields >> field);
}

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ShardError(path + ": cannot read: " + std::strerror(errno));
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw ShardError(path + ": cannot read: " + std::strerror(errno));
  return text.str();
}

// The file's whole lines, without their breaks (a "\r" before one too); torn
// tells whether a last line without a break followed them.
std::vector<std::string_view> wholeLines(std::string_view text, bool& torn) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string_view::npos; start = end + 1) {
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
  }
  torn = start < text.size();
  return lines;
}

bool sameColumns(const RunColumns& a, const RunColumns& b) {
  return a.drawn == b.drawn && a.expectations == b.expectations && a.figures == b.figures;
}

}  // namespace

std::string shardFileName(uint64_t shard, uint64_t shards) {
  return "shard-" + std::to_string(shard) + "-of-" + std::to_string(shards) + ".csv";
}

std::pair<uint64_t, uint64_t> shardRuns(uint64_t runs, uint64_t shard, uint64_t shards) {
  // In 128 bits: runs * (shard + 1) may pass 2^64.
  using Wide = unsigned __int128;
  return {uint64_t(Wide(runs) * shard / shards), uint64_t(Wide(runs) * (shard + 1) / shards)};
}

std::string shardFirstLine(const ShardHeader& h, const RunColumns& columns) {
  std::string out(kMagic);
  std::string campaign = h.campaign;
  std::replace(campaign.begin(), campaign.end(), '\n', ' ');
  std::replace(campaign.begin(), campaign.end(), '\r', ' ');
  out += campaign + " identity=" + h.identity + " runs=";
  appendInt(out, h.runs);
  out += " seed=";
  appendInt(out, h.seed);
  out += " shard=";
  appendInt(out, h.shard);
  out += '/';
  appendInt(out, h.shards);
  out += " drawn=";
  appendInt(out, columns.drawn.size());
  out += " expectations=";
  appendInt(out, columns.expectations.size());
  return out;
}

const RunRecord& keptOf(const RunRecord& a, const RunRecord& b, const RunColumns& columns) {
  const bool aOk = a.status == RunStatus::Ok, bOk = b.status == RunStatus::Ok;
  if (aOk != bOk) return aOk ? a : b;
  return formatRow(b, columns) < formatRow(a, columns) ? b : a;
}

ShardContents readShardFile(const std::string& path) {
  ShardContents c;
  c.path = path;
  const std::string text = fileText(path);
  bool torn = false;
  const std::vector<std::string_view> lines = wholeLines(text, torn);
  size_t drawn = 0, expectations = 0;
  if (lines.empty() || !parseFirstLine(lines[0], c.header, drawn, expectations))
    notShard(path, "its first line is not '" + std::string(kMagic) +
                       "CAMPAIGN identity=HEX runs=R seed=S shard=I/N drawn=D expectations=E'");
  const auto header = lines.size() >= 2 ? splitCsvLine(lines[1]) : std::nullopt;
  const std::vector<std::string> start = {"run", "seed", "status", "reason"};
  if (!header || header->size() < start.size() + drawn + expectations ||
      !std::equal(start.begin(), start.end(), header->begin()))
    notShard(path, "its second line is not a header 'run,seed,status,reason,...' of " +
                       std::to_string(drawn) + " drawn and " + std::to_string(expectations) +
                       " expectation columns");
  auto at = header->begin() + std::ptrdiff_t(start.size());
  c.columns.drawn.assign(at, at + std::ptrdiff_t(drawn));
  at += std::ptrdiff_t(drawn);
  c.columns.expectations.assign(at, at + std::ptrdiff_t(expectations));
  c.columns.figures.assign(at + std::ptrdiff_t(expectations), header->end());

  std::vector<RunRecord> rows;
  for (size_t i = 2; i < lines.size(); ++i) {
    std::optional<RunRecord> r = parseRow(std::string(lines[i]), c.columns);
    if (!r || r->index >= c.header.runs) {
      ++c.unread;
      continue;
    }
    rows.push_back(std::move(*r));
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [](const RunRecord& a, const RunRecord& b) { return a.index < b.index; });
  for (RunRecord& r : rows) {
    if (!c.records.empty() && c.records.back().index == r.index) {
      ++c.duplicates;
      if (&keptOf(c.records.back(), r, c.columns) == &r) c.records.back() = std::move(r);
      continue;
    }
    c.records.push_back(std::move(r));
  }
  return c;
}

ShardWriter::ShardWriter(const std::string& path, const ShardHeader& header,
                         const RunColumns& columns, bool resume)
    : path_(path), columns_(columns) {
  std::error_code ec;
  const bool exists = fs::exists(path, ec) && fs::file_size(path, ec) > 0 && !ec;
  bool endLine = false;
  if (resume && exists) {
    const ShardContents held = readShardFile(path);
    const ShardHeader& h = held.header;
    if (h.identity != header.identity || h.runs != header.runs || h.seed != header.seed ||
        h.shard != header.shard || h.shards != header.shards || !sameColumns(held.columns, columns))
      throw ShardError(path + ": holds rows of another campaign or shard (" + h.campaign +
                       " identity=" + h.identity + " shard=" + std::to_string(h.shard) + "/" +
                       std::to_string(h.shards) + "), not of " + header.campaign +
                       " identity=" + header.identity + " shard=" + std::to_string(header.shard) +
                       "/" + std::to_string(header.shards));
    for (const RunRecord& r : held.records) held_.push_back(r.index);
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (in && in.tellg() > 0) {
      in.seekg(-1, std::ios::end);
      endLine = in.get() != '\n';
    }
  }
  const fs::path parent = fs::path(path).parent_path();
  if (!parent.empty()) fs::create_directories(parent, ec);
  const bool fresh = !(resume && exists);
  file_ = std::fopen(path.c_str(), fresh ? "wb" : "ab");
  if (file_ == nullptr)
    throw OutputError(path + ": cannot write: " + std::strerror(errno != 0 ? errno : EIO));
  std::setvbuf(file_, nullptr, _IOFBF, kRowBuffer);
  if (fresh) put(shardFirstLine(header, columns) + "\n" + headerRow(columns) + "\n");
  if (endLine) put("\n");
}

ShardWriter::~ShardWriter() {
  if (file_ != nullptr) std::fclose(file_);
}

void ShardWriter::append(const RunRecord& record) {
  line_ = formatRow(record, columns_);
  line_ += '\n';
  put(line_);
}

void ShardWriter::put(const std::string& text) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() || std::fflush(file_) != 0)
    throw OutputError(path_ + ": cannot write: " + std::strerror(errno != 0 ? errno : EIO));
}

}  // namespace sim
