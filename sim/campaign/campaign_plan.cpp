#include "sim/campaign/campaign_plan.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <mutex>

#include "sim/campaign/dispersion.h"
#include "sim/campaign/draw_stream.h"
#include "sim/scenario/toml_reader.h"

namespace sim {

struct CampaignPlan::Impl {
  CampaignSettings settings;
  std::string scenarioPath;  // the base scenario's path as opened
  Scenario base;
  std::string identity;
  std::vector<Dispersion> dispersions;
  std::vector<std::string> drawnColumns;

  // The base scenario's document that each run's draws are written into, in
  // place: every run writes every dispersed value anew, and what else the
  // dispersions change (an orbit written as a state vector, thrusters spelt
  // out) comes out the same for every run, so nothing of an earlier run
  // remains. Copying the document a run would cost more than reading it.
  std::unique_ptr<TomlDocument> runDoc;
  std::mutex runDocInUse;

  // Writes run k's draws into runDoc and gives them, in drawnColumns' order.
  // The caller holds runDocInUse.
  void writeRun(uint64_t k, std::vector<double>& drawn);
  [[noreturn]] void refuseRun(uint64_t k, const std::string& what) const {
    throw ScenarioError(settings.file + ": run " + std::to_string(k) + ": " + what);
  }
};

namespace {

std::string shortest(double x) {
  char text[32];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, x);
  return std::string(text, end);
}

}  // namespace

CampaignPlan::CampaignPlan(const std::string& campaignPath) : impl_(std::make_unique<Impl>()) {
  Impl& p = *impl_;
  p.settings.file = campaignPath;
  const std::string text = readScenarioFile(campaignPath);
  const TomlDocument doc(text, campaignPath);
  TableReader top(doc.root(), doc, "the campaign");
  const TomlValue* section = top.node("campaign");
  const TomlValue* dispersions = top.node("dispersion");
  top.finish();
  if (section == nullptr || !section->is_table())
    throw ScenarioError(campaignPath, {1, 1}, "the campaign needs a [campaign] table");
  TableReader c(*section, doc, "[campaign]");
  p.settings.scenarioFile = c.required(c.text("scenario"), "scenario");
  const int64_t runs = c.required(c.integer("runs"), "runs");
  c.check(runs >= 1, "runs", "'runs' must be at least 1");
  p.settings.runs = uint64_t(runs);
  const int64_t seed = c.required(c.integer("seed"), "seed");
  c.check(seed >= 0, "seed", "'seed' must not be negative");
  p.settings.seed = uint64_t(seed);
  if (auto limit = c.number("time_limit")) {
    c.check(*limit > 0.0, "time_limit", "'time_limit' must be positive");
    p.settings.timeLimit = *limit;
  }
  c.finish();

  // The base scenario's path is relative to the campaign file's folder.
  namespace fs = std::filesystem;
  p.scenarioPath =
      (fs::path(campaignPath).parent_path() / fs::path(p.settings.scenarioFile)).string();
  const std::string scenarioText = readScenarioFile(p.scenarioPath);
  const TomlDocument baseDoc(scenarioText, p.scenarioPath);
  p.base = parseScenario(baseDoc);
  p.dispersions = readDispersions(dispersions, doc, p.base, baseDoc);
  p.runDoc = std::make_unique<TomlDocument>(baseDoc, baseDoc.root());
  for (const Dispersion& d : p.dispersions)
    for (std::string& column : dispersionColumns(d)) p.drawnColumns.push_back(std::move(column));

  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx",
                static_cast<unsigned long long>(fnv1a64(scenarioText, fnv1a64(text))));
  p.identity = hex;
}

CampaignPlan::~CampaignPlan() = default;

const CampaignSettings& CampaignPlan::settings() const { return impl_->settings; }
const Scenario& CampaignPlan::base() const { return impl_->base; }
const std::string& CampaignPlan::identity() const { return impl_->identity; }
const std::vector<std::string>& CampaignPlan::drawnColumns() const { return impl_->drawnColumns; }

uint64_t CampaignPlan::runSeed(uint64_t k) const {
  return campaignRunSeed(impl_->settings.seed, k);
}

void CampaignPlan::Impl::writeRun(uint64_t k, std::vector<double>& drawn) {
  if (k >= settings.runs)
    refuseRun(k, "the campaign has runs 0 to " + std::to_string(settings.runs - 1));
  const uint64_t seed = campaignRunSeed(settings.seed, k);
  TomlValue& root = runDoc->editableRoot();
  drawn.clear();
  drawn.reserve(drawnColumns.size());
  for (const Dispersion& d : dispersions) {
    std::vector<double> values;
    try {
      values = drawDispersion(d, seed);
    } catch (const std::runtime_error& e) {
      refuseRun(k, "dispersion '" + d.name + "': " + e.what());
    }
    applyDispersion(d, values, base, root);
    drawn.insert(drawn.end(), values.begin(), values.end());
  }
}

CampaignPlan::Run CampaignPlan::run(uint64_t k) const {
  Run r;
  r.index = k;
  r.seed = runSeed(k);
  const std::lock_guard<std::mutex> hold(impl_->runDocInUse);
  impl_->writeRun(k, r.drawn);
  try {
    r.scenario = parseScenario(*impl_->runDoc);
  } catch (const ScenarioError& e) {
    // A drawn value the scenario refuses (a negative mass, say): it stands
    // at no place of either file.
    impl_->refuseRun(k, e.detail());
  }
  return r;
}

std::string CampaignPlan::scenarioText(uint64_t k) const {
  Impl& p = *impl_;
  const std::lock_guard<std::mutex> hold(p.runDocInUse);
  std::vector<double> drawn;
  p.writeRun(k, drawn);
  std::string text = "# Run " + std::to_string(k) + " of the campaign " + p.settings.file +
                     " (seed " + std::to_string(p.settings.seed) + ", run seed " +
                     std::to_string(runSeed(k)) + "):\n# " + p.scenarioPath +
                     " with the run's drawn values\n";
  for (size_t i = 0; i < drawn.size(); ++i)
    text += "#   " + p.drawnColumns[i] + " = " + shortest(drawn[i]) + "\n";
  // Doubles are written with 17 significant digits (max_digits10), which
  // read back as the same doubles.
  return text + "\n" + toml::format(p.runDoc->root());
}

}  // namespace sim
