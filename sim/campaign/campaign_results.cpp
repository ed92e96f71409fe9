#include "sim/campaign/campaign_results.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <nlohmann/json.hpp>

#include "sim/campaign/campaign_statistics.h"
#include "sim/outputs/number_text.h"
#include "sim/outputs/output_file.h"

namespace sim {
namespace {

using Json = nlohmann::ordered_json;

constexpr size_t kWorstRuns = 5;       // listed per figure
constexpr size_t kMissingListed = 20;  // missing runs (or ranges) named on standard error
constexpr const char* kQuantileKeys[] = {"p1", "p5", "p50", "p95", "p99"};  // as kQuantiles

struct Merged {
  ShardHeader header;
  RunColumns columns;
  std::vector<RunRecord> records;  // one a run, sorted by run
  std::vector<uint64_t> missing;   // ascending
};

std::string describe(const ShardHeader& h) {
  return "identity=" + h.identity + " runs=" + std::to_string(h.runs) +
         " seed=" + std::to_string(h.seed);
}

bool sameColumns(const RunColumns& a, const RunColumns& b) {
  return a.drawn == b.drawn && a.expectations == b.expectations && a.figures == b.figures;
}

// The rows of every file, one a run; notes gets each file's lines that are not rows.
Merged mergeShards(const std::vector<std::string>& files, std::string& notes) {
  if (files.empty()) throw ShardError("merge: no shard files given");
  Merged m;
  std::vector<RunRecord> all;
  for (size_t i = 0; i < files.size(); ++i) {
    ShardContents c = readShardFile(files[i]);
    if (i == 0) {
      m.header = c.header;
      m.columns = c.columns;
    } else if (c.header.identity != m.header.identity || c.header.runs != m.header.runs ||
               c.header.seed != m.header.seed || !sameColumns(c.columns, m.columns)) {
      throw ShardError(files[i] + ": a shard of another campaign (" + c.header.campaign + " " +
                       describe(c.header) + ") than " + files[0] + " (" + m.header.campaign + " " +
                       describe(m.header) + "): not merged");
    }
    // Named otherwise on different command lines, the campaign keeps one name.
    m.header.campaign = std::min(m.header.campaign, c.header.campaign);
    if (c.unread != 0)
      notes += files[i] + ": " + std::to_string(c.unread) + " line(s) that are not rows skipped\n";
    std::move(c.records.begin(), c.records.end(), std::back_inserter(all));
  }
  m.header.shard = 0;
  m.header.shards = 1;
  std::stable_sort(all.begin(), all.end(),
                   [](const RunRecord& a, const RunRecord& b) { return a.index < b.index; });
  for (RunRecord& r : all) {
    if (!m.records.empty() && m.records.back().index == r.index) {
      if (&keptOf(m.records.back(), r, m.columns) == &r) m.records.back() = std::move(r);
      continue;
    }
    m.records.push_back(std::move(r));
  }
  uint64_t next = 0;
  for (const RunRecord& r : m.records) {
    for (; next < r.index; ++next) m.missing.push_back(next);
    next = r.index + 1;
  }
  for (; next < m.header.runs; ++next) m.missing.push_back(next);
  return m;
}

Json number(std::optional<double> v) {
  if (!v || !std::isfinite(*v)) return nullptr;
  return *v;
}

Json rateJson(uint64_t passed, uint64_t runs) {
  const std::optional<ConfidenceInterval> ci = wilsonInterval(passed, runs);
  return {{"rate", runs == 0 ? Json(nullptr) : Json(double(passed) / double(runs))},
          {"ci95", ci ? Json::array({ci->low, ci->high}) : Json(nullptr)}};
}

// A final deviation is worst by its size, whichever its sign.
bool isDeviation(const std::string& figure) {
  return figure.find(".final_dev_") != std::string::npos;
}

struct Worst {
  double key;
  uint64_t run;
  double value;
};

struct FigureSummary {
  FigureStatistics statistics;
  size_t none = 0;
  std::vector<Worst> worst;  // the largest first
};

FigureSummary summariseFigure(const Merged& m, size_t column) {
  FigureSummary f;
  std::vector<double> values;
  std::vector<Worst> ranked;
  const bool deviation = isDeviation(m.columns.figures[column]);
  for (const RunRecord& r : m.records) {
    const std::optional<double>& v = r.figures[column];
    if (!v || !std::isfinite(*v)) {
      if (r.status == RunStatus::Ok) ++f.none;
      continue;
    }
    values.push_back(*v);
    ranked.push_back({deviation ? std::fabs(*v) : *v, r.index, *v});
  }
  f.statistics = figureStatistics(values);
  const size_t kept = std::min(kWorstRuns, ranked.size());
  std::partial_sort(ranked.begin(), ranked.begin() + std::ptrdiff_t(kept), ranked.end(),
                    [](const Worst& a, const Worst& b) {
                      return a.key != b.key ? a.key > b.key : a.run < b.run;
                    });
  f.worst.assign(ranked.begin(), ranked.begin() + std::ptrdiff_t(kept));
  return f;
}

struct Counts {
  uint64_t byStatus[4] = {};
  uint64_t allPassed = 0;
  std::vector<std::array<uint64_t, 3>> outcomes;  // per expectation, as Outcome
};

Counts countRuns(const Merged& m) {
  Counts c;
  c.outcomes.resize(m.columns.expectations.size());
  for (const RunRecord& r : m.records) {
    ++c.byStatus[size_t(r.status)];
    if (r.status != RunStatus::Ok) continue;
    bool all = true;
    for (size_t i = 0; i < r.outcomes.size(); ++i) {
      ++c.outcomes[i][size_t(r.outcomes[i])];
      all = all && r.outcomes[i] == Outcome::Passed;
    }
    if (all) ++c.allPassed;
  }
  return c;
}

// Laid out a field a line, indented by two; a list of numbers (the missing
// runs, an interval) on one line. Names are the scenario's bytes: any that
// are not UTF-8 are replaced, not refused.
void layOut(std::string& out, const Json& v, size_t indent) {
  const auto text = [](const Json& j) {
    return j.dump(-1, ' ', false, Json::error_handler_t::replace);
  };
  if (!v.is_structured() || v.empty()) {
    out += text(v);
    return;
  }
  if (v.is_array() &&
      std::none_of(v.begin(), v.end(), [](const Json& j) { return j.is_structured(); })) {
    const char* separator = "[";
    for (const Json& item : v) {
      out += separator + text(item);
      separator = ", ";
    }
    out += ']';
    return;
  }
  const std::string inner(indent + 2, ' ');
  out += v.is_object() ? "{\n" : "[\n";
  const char* separator = "";
  for (auto it = v.begin(); it != v.end(); ++it) {
    out += separator + inner;
    if (v.is_object()) out += text(it.key()) + ": ";
    layOut(out, *it, indent + 2);
    separator = ",\n";
  }
  out += "\n" + std::string(indent, ' ') + (v.is_object() ? "}" : "]");
}

std::string summaryJson(const Merged& m, const Counts& c, const std::vector<FigureSummary>& f) {
  Json top;
  top["campaign"] = m.header.campaign;
  top["identity"] = m.header.identity;
  top["runs"] = m.header.runs;
  top["seed"] = m.header.seed;
  top["flown"] = m.records.size();
  top["missing"] = m.missing;
  Json status;
  for (size_t s = 0; s < std::size(c.byStatus); ++s)
    status[statusText(RunStatus(s))] = c.byStatus[s];
  top["status"] = status;
  Json all = {{"runs", m.records.size()}, {"passed", c.allPassed}};
  all.update(rateJson(c.allPassed, m.records.size()));
  top["all_expectations"] = all;
  Json expectations = Json::array();
  for (size_t i = 0; i < m.columns.expectations.size(); ++i) {
    const auto& [passed, failed, skipped] = c.outcomes[i];
    Json e = {{"name", m.columns.expectations[i]},
              {"runs", passed + failed},
              {"passed", passed},
              {"failed", failed},
              {"skipped", skipped}};
    e.update(rateJson(passed, passed + failed));
    expectations.push_back(e);
  }
  top["expectations"] = expectations;
  Json figures = Json::array();
  for (size_t i = 0; i < f.size(); ++i) {
    const FigureStatistics& s = f[i].statistics;
    Json j = {{"name", m.columns.figures[i]},
              {"n", s.n},
              {"none", f[i].none},
              {"mean", number(s.mean)},
              {"std", number(s.std)},
              {"min", number(s.min)}};
    for (size_t q = 0; q < std::size(kQuantileKeys); ++q)
      j[kQuantileKeys[q]] = number(s.quantile[q]);
    j["max"] = number(s.max);
    Json worst = Json::array();
    for (const Worst& w : f[i].worst)
      worst.push_back({{"run", w.run},
                       {"value", number(w.value)},
                       {"replay", replayCommand(m.header.campaign, w.run)}});
    j["worst"] = worst;
    figures.push_back(j);
  }
  top["figures"] = figures;
  std::string out;
  layOut(out, top, 0);
  return out + "\n";
}

std::string percent(uint64_t part, uint64_t whole) {
  return fixedText(100.0 * double(part) / double(whole), 2) + " %";
}

// "5, 17-20, 31": runs in ranges, the first few.
std::string runList(const std::vector<uint64_t>& runs) {
  std::string out;
  size_t listed = 0;
  for (size_t i = 0; i < runs.size(); ++listed) {
    size_t j = i;
    while (j + 1 < runs.size() && runs[j + 1] == runs[j] + 1) ++j;
    if (listed == kMissingListed) return out + ", ... (all in summary.json)";
    out += (out.empty() ? "" : ", ") + std::to_string(runs[i]);
    if (j > i) out += "-" + std::to_string(runs[j]);
    i = j + 1;
  }
  return out;
}

std::string summaryText(const Merged& m, const Counts& c, const std::vector<FigureSummary>& f,
                        const std::string& outDir) {
  const uint64_t flown = m.records.size();
  std::string out = "Campaign " + m.header.campaign + ": " + std::to_string(m.header.runs) +
                    " runs, " + std::to_string(flown) + " flown";
  if (!m.missing.empty())
    out += ", " + std::to_string(m.missing.size()) + " missing: " + runList(m.missing);
  out += "\n  " + std::to_string(c.allPassed) + " passed every expectation";
  if (flown != 0) out += " (" + percent(c.allPassed, flown) + ")";
  const uint64_t failedExpectation = c.byStatus[size_t(RunStatus::Ok)] - c.allPassed;
  out += "; " + std::to_string(flown - c.allPassed) +
         " failed: " + std::to_string(failedExpectation) + " an expectation";
  for (RunStatus s : {RunStatus::Error, RunStatus::Crashed, RunStatus::TimeLimit})
    out += ", " + std::to_string(c.byStatus[size_t(s)]) + " " + statusText(s);
  out += "\n";
  for (size_t i = 0; i < m.columns.expectations.size(); ++i) {
    const auto& [passed, failed, skipped] = c.outcomes[i];
    out += "  \"" + m.columns.expectations[i] + "\": " + std::to_string(passed) + " of " +
           std::to_string(passed + failed) + " passed";
    if (const auto ci = wilsonInterval(passed, passed + failed))
      out += " (" + percent(passed, passed + failed) + ", 95 % interval " +
             fixedText(100.0 * ci->low, 2) + " to " + fixedText(100.0 * ci->high, 2) + " %)";
    if (skipped != 0) out += ", " + std::to_string(skipped) + " skipped";
    out += "\n";
  }
  for (size_t i = 0; i < f.size(); ++i) {
    if (f[i].worst.empty()) continue;
    const Worst& w = f[i].worst.front();
    out += "  worst " + m.columns.figures[i] + " " + figureText(w.value) + " in run " +
           std::to_string(w.run) + ": " + replayCommand(m.header.campaign, w.run) + "\n";
  }
  namespace fs = std::filesystem;
  out += "Results: " + (fs::path(outDir) / "runs.csv").string() + ", " +
         (fs::path(outDir) / "summary.json").string();
  return out;
}

}  // namespace

std::string replayCommand(const std::string& campaign, uint64_t run) {
  std::string quoted = campaign;
  const bool plain = !campaign.empty() && campaign.find_first_not_of(
                                              "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                              "0123456789_./:=+,@%-") == std::string::npos;
  if (!plain) {
    quoted = "'";
    for (char ch : campaign) quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    quoted += "'";
  }
  const std::string k = std::to_string(run);
  return "gyrelle-sim campaign " + quoted + " --run " + k + " --scenario-out run-" + k +
         ".toml && gyrelle-sim run-" + k + ".toml";
}

int mergeCampaign(const std::vector<std::string>& shardFiles, const std::string& outDir,
                  std::string& stderrText) {
  std::string notes;
  const Merged m = mergeShards(shardFiles, notes);
  const Counts counts = countRuns(m);
  std::vector<FigureSummary> figures;
  for (size_t i = 0; i < m.columns.figures.size(); ++i) figures.push_back(summariseFigure(m, i));

  namespace fs = std::filesystem;
  OutputFile runs((fs::path(outDir) / "runs.csv").string());
  std::string text = headerRow(m.columns) + "\n";
  for (const RunRecord& r : m.records) text += formatRow(r, m.columns) + "\n";
  runs.put(text);
  OutputFile summary((fs::path(outDir) / "summary.json").string());
  summary.put(summaryJson(m, counts, figures));
  runs.commit();
  summary.commit();

  stderrText = notes + summaryText(m, counts, figures, outDir);
  return m.missing.empty() ? 0 : 1;
}

}  // namespace sim
