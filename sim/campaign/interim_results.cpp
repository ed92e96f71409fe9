// Interim: see interim_results.h.
#include "sim/campaign/interim_results.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

#include "sim/outputs/number_text.h"

namespace sim {
namespace {

const char* statusText(RunStatus s) {
  switch (s) {
    case RunStatus::Ok:
      return "ok";
    case RunStatus::Error:
      return "error";
    case RunStatus::Crashed:
      return "crashed";
    case RunStatus::TimeLimit:
      return "time_limit";
  }
  return "";
}

void number(std::string& out, double v) { appendChars(out, v); }

std::vector<std::string> splitCsv(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        fields.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

}  // namespace

std::optional<std::vector<std::string>> splitCsvLine(std::string_view line) {
  return splitCsv(std::string(line));
}

std::vector<std::string> figureColumns(const Scenario& s) {
  std::vector<std::string> c;
  for (const VesselEntry& v : s.vessels)
    for (const char* f :
         {".propellant_kg.total", ".propellant_kg.rotation", ".propellant_kg.linear",
          ".propellant_kg.engines", ".delta_v_m_s", ".max_rate_deg_s", ".final_rate_deg_s"})
      c.push_back(v.spec.name + f);
  for (size_t i = 0; i < s.screens.size(); ++i)
    for (const char* f :
         {".settle_time_s", ".final_dev_pitch", ".final_dev_yaw", ".final_dev_roll"})
      c.push_back("screen" + std::to_string(i) + f);
  return c;
}

std::string headerRow(const RunColumns& columns) {
  std::string out = "run,seed,status,reason";
  for (const auto* list : {&columns.drawn, &columns.expectations, &columns.figures})
    for (const std::string& name : *list) {
      out += ',';
      appendCsvField(out, name);
    }
  return out;
}

std::string formatRow(const RunRecord& r, const RunColumns& columns) {
  std::string out;
  appendInt(out, r.index);
  out += ',';
  appendInt(out, r.seed);
  out += ',';
  out += statusText(r.status);
  out += ',';
  appendCsvField(out, r.reason);
  for (size_t i = 0; i < columns.drawn.size(); ++i) {
    out += ',';
    if (i < r.drawn.size()) number(out, r.drawn[i]);
  }
  for (size_t i = 0; i < columns.expectations.size(); ++i)
    out += i >= r.outcomes.size()             ? ","
           : r.outcomes[i] == Outcome::Passed ? ",pass"
           : r.outcomes[i] == Outcome::Failed ? ",fail"
                                              : ",skip";
  for (size_t i = 0; i < columns.figures.size(); ++i) {
    out += ',';
    if (i < r.figures.size() && r.figures[i]) number(out, *r.figures[i]);
  }
  return out;
}

std::optional<RunRecord> parseRow(const std::string& line, const RunColumns& columns) {
  const std::vector<std::string> f = splitCsv(line);
  const size_t n = 4 + columns.drawn.size() + columns.expectations.size() + columns.figures.size();
  if (f.size() != n) return std::nullopt;
  RunRecord r;
  try {
    r.index = std::stoull(f[0]);
    r.seed = std::stoull(f[1]);
  } catch (const std::exception&) {
    return std::nullopt;
  }
  const std::map<std::string, RunStatus> statuses{{"ok", RunStatus::Ok},
                                                  {"error", RunStatus::Error},
                                                  {"crashed", RunStatus::Crashed},
                                                  {"time_limit", RunStatus::TimeLimit}};
  auto s = statuses.find(f[2]);
  if (s == statuses.end()) return std::nullopt;
  r.status = s->second;
  r.reason = f[3];
  size_t i = 4;
  for (size_t k = 0; k < columns.drawn.size(); ++k, ++i)
    if (!f[i].empty()) r.drawn.push_back(std::stod(f[i]));
  for (size_t k = 0; k < columns.expectations.size(); ++k, ++i)
    if (!f[i].empty())
      r.outcomes.push_back(f[i] == "pass"   ? Outcome::Passed
                           : f[i] == "fail" ? Outcome::Failed
                                            : Outcome::Skipped);
  for (size_t k = 0; k < columns.figures.size(); ++k, ++i)
    r.figures.push_back(f[i].empty() ? std::nullopt : std::optional<double>(std::stod(f[i])));
  return r;
}

std::vector<std::optional<double>> runFigures(const Scenario& s, const FlightReport& report) {
  std::vector<std::optional<double>> out;
  for (const VesselEntry& e : s.vessels) {
    const VesselFigures* v = nullptr;
    for (const VesselFigures& f : report.vessels())
      if (f.name == e.spec.name) v = &f;
    for (double VesselFigures::*m :
         {&VesselFigures::propellantTotal, &VesselFigures::propellantRotation,
          &VesselFigures::propellantLinear, &VesselFigures::propellantEngines,
          &VesselFigures::deltaV, &VesselFigures::maxRate, &VesselFigures::finalRate})
      out.push_back(v ? std::optional<double>(v->*m) : std::nullopt);
  }
  for (size_t i = 0; i < s.screens.size(); ++i) {
    const ScreenFigures* sf = i < report.screens().size() ? &report.screens()[i] : nullptr;
    out.push_back(sf && !sf->holds.empty() ? sf->holds.front().settleTime : std::nullopt);
    for (int a = 0; a < 3; ++a)
      out.push_back(sf && sf->lastDeviation[a] ? std::optional<double>(sf->lastDeviation[a]->value)
                                               : std::nullopt);
  }
  return out;
}

std::string shardFileName(uint64_t shard, uint64_t shards) {
  return "shard-" + std::to_string(shard) + "-of-" + std::to_string(shards) + ".csv";
}

std::pair<uint64_t, uint64_t> shardRuns(uint64_t runs, uint64_t shard, uint64_t shards) {
  return {shard * runs / shards, (shard + 1) * runs / shards};
}

ShardWriter::ShardWriter(const std::string& path, const ShardHeader& h, const RunColumns& columns,
                         bool resume)
    : path_(path), columns_(columns) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder);
  const bool resuming = resume && std::filesystem::exists(path);
  if (resuming) {
    std::ifstream in(path, std::ios::binary);
    std::string first, header, line;
    std::getline(in, first);
    if (first.find(" identity=" + h.identity + " ") == std::string::npos)
      throw ShardError(path + ": a shard file of another campaign");
    std::getline(in, header);
    while (std::getline(in, line))
      if (!in.eof() && !line.empty()) held_.push_back(std::stoull(line));
    std::sort(held_.begin(), held_.end());
  }
  file_ = std::fopen(path.c_str(), resuming ? "ab" : "wb");
  if (file_ == nullptr) throw std::runtime_error(path + ": cannot write");
  if (!resuming) {
    const std::string first = "# gyrelle-sim campaign " + h.campaign + " identity=" + h.identity +
                              " runs=" + std::to_string(h.runs) +
                              " seed=" + std::to_string(h.seed) +
                              " shard=" + std::to_string(h.shard) + "/" + std::to_string(h.shards) +
                              "\n" + headerRow(columns) + "\n";
    std::fputs(first.c_str(), file_);
    std::fflush(file_);
  }
}

ShardWriter::~ShardWriter() { std::fclose(file_); }

void ShardWriter::append(const RunRecord& record) {
  const std::string row = formatRow(record, columns_) + "\n";
  if (std::fputs(row.c_str(), file_) < 0 || std::fflush(file_) != 0)
    throw std::runtime_error(path_ + ": cannot write");
}

int mergeCampaign(const std::vector<std::string>& shardFiles, const std::string& outDir,
                  std::string& stderrText) {
  std::map<uint64_t, std::string> rows;
  std::string header;
  uint64_t runs = 0;
  for (const std::string& path : shardFiles) {
    std::ifstream in(path, std::ios::binary);
    std::string first, line;
    if (!std::getline(in, first)) throw ShardError(path + ": cannot read");
    const size_t at = first.find(" runs=");
    if (at != std::string::npos) runs = std::stoull(first.substr(at + 6));
    std::getline(in, header);
    while (std::getline(in, line))
      if (!in.eof() && !line.empty()) rows.emplace(std::stoull(line), line);
  }
  std::filesystem::create_directories(outDir);
  std::ofstream csv(outDir + "/runs.csv", std::ios::binary);
  csv << header << '\n';
  for (const auto& [k, row] : rows) csv << row << '\n';
  std::string missing;
  for (uint64_t k = 0; k < runs; ++k)
    if (!rows.count(k)) missing += (missing.empty() ? "" : ",") + std::to_string(k);
  std::ofstream json(outDir + "/summary.json", std::ios::binary);
  json << "{\"runs\": " << rows.size() << ", \"missing\": [" << missing << "]}\n";
  if (missing.empty()) return 0;
  stderrText = "missing runs: " + missing;
  return 1;
}

}  // namespace sim
