#include "sim/campaign/campaign_plan.h"

#include <filesystem>

#include "sim/scenario/toml_reader.h"

namespace sim {

struct CampaignPlan::Impl {
  CampaignSettings settings;
  std::string scenarioText;
  Scenario base;
  std::string identity;
  std::vector<std::string> drawnColumns;
};

namespace {

// FNV-1a, 64 bits: a stable digest of the texts for the shard files' identity.
uint64_t fnv1a(std::string_view text, uint64_t h = 0xcbf29ce484222325ull) {
  for (unsigned char c : text) h = (h ^ c) * 0x100000001b3ull;
  return h;
}

}  // namespace

CampaignPlan::CampaignPlan(const std::string& campaignPath) : impl_(std::make_unique<Impl>()) {
  Impl& p = *impl_;
  p.settings.file = campaignPath;
  const std::string text = readScenarioFile(campaignPath);
  const TomlDocument doc(text, campaignPath);
  TableReader top(doc.root(), doc, "the campaign");
  const TomlValue* section = top.node("campaign");
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
  const fs::path scenarioPath =
      fs::path(campaignPath).parent_path() / fs::path(p.settings.scenarioFile);
  p.scenarioText = readScenarioFile(scenarioPath.string());
  p.base = parseScenario(p.scenarioText, scenarioPath.string());
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx",
                static_cast<unsigned long long>(fnv1a(p.scenarioText, fnv1a(text))));
  p.identity = hex;
}

CampaignPlan::~CampaignPlan() = default;

const CampaignSettings& CampaignPlan::settings() const { return impl_->settings; }
const Scenario& CampaignPlan::base() const { return impl_->base; }
const std::string& CampaignPlan::identity() const { return impl_->identity; }
const std::vector<std::string>& CampaignPlan::drawnColumns() const { return impl_->drawnColumns; }

// Placeholder until the dispersions come: every run flies the base scenario.
uint64_t CampaignPlan::runSeed(uint64_t k) const { return impl_->settings.seed ^ k; }

CampaignPlan::Run CampaignPlan::run(uint64_t k) const {
  Run r;
  r.index = k;
  r.seed = runSeed(k);
  r.scenario = impl_->base;
  return r;
}

std::string CampaignPlan::scenarioText(uint64_t /*k*/) const { return impl_->scenarioText; }

}  // namespace sim
