#include "sim/campaign/campaign_command.h"

#include <filesystem>
#include <optional>
#include <regex>
#include <thread>
#include <vector>

#include "host/world.h"
#include "platform/interrupt.h"
#include "platform/library.h"
#include "sim/campaign/campaign_plan.h"
#include "sim/campaign/campaign_results.h"
#include "sim/campaign/campaign_runner.h"
#include "sim/campaign/campaign_worker.h"
#include "sim/campaign/shard_file.h"
#include "sim/outputs/output_file.h"
#include "sim/run/run_bounds.h"

namespace sim {

constexpr int kExitFailed = 1;
constexpr int kExitBadCommand = 2;

struct CampaignCommandLine {
  CLI::App* campaign = nullptr;
  CLI::App* merge = nullptr;
  std::string file;  // the campaign file
  std::string outDir;
  unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
  std::string shard;  // "I/N"
  bool resume = false;
  std::string module;
  std::optional<double> timeLimit;  // [s]
  bool quiet = false;
  std::optional<uint64_t> run;
  std::string scenarioOut;
  bool worker = false;
  std::vector<std::string> shardFiles;
};

CampaignCommand::CampaignCommand(CLI::App& app, const std::string& module)
    : line_(std::make_unique<CampaignCommandLine>()) {
  CampaignCommandLine& c = *line_;
  c.module = module;
  c.campaign = app.add_subcommand(
      "campaign",
      "fly a scenario many times, each run with its own draws of the campaign's dispersions, "
      "in worker processes, and write the statistics");
  c.campaign->footer(
      "Results in DIR: runs.csv (a row per run) and summary.json. Replay run K with "
      "'campaign CAMPAIGN --run K --scenario-out run-K.toml'.\n"
      "Exit status: 0 every run flown (failed expectations included), 1 runs missing or the "
      "module cannot be loaded, 2 a bad campaign file or command line, 130 / 143 interrupted.");
  c.campaign->add_option("CAMPAIGN", c.file, "campaign file (TOML)");
  c.campaign->add_option("--out", c.outDir,
                         "results folder (default: CAMPAIGN's name without .toml, then -results)");
  c.campaign->add_option("--jobs", c.jobs, "worker processes")
      ->capture_default_str()
      ->check(CLI::Range(1u, 4096u));
  c.campaign
      ->add_option("--shard", c.shard,
                   "fly runs [I*runs/N, (I+1)*runs/N) into DIR/shard-I-of-N.csv only")
      ->type_name("I/N");
  c.campaign->add_flag("--resume", c.resume, "fly only the runs the shard file lacks");
  c.campaign->add_option("--module", c.module,
                         "module library to load (default: the " + libraryFileName("gyrelle") +
                             " that comes with gyrelle-sim)");
  c.campaign
      ->add_option("--time-limit", c.timeLimit,
                   "wall-clock seconds a run may take (default: the campaign's)")
      ->check(CLI::PositiveNumber);
  c.campaign->add_flag("--quiet", c.quiet, "no progress bar");
  auto* run = c.campaign->add_option("--run", c.run, "write run K's scenario (with --scenario-out)")
                  ->type_name("K");
  c.campaign->add_option("--scenario-out", c.scenarioOut, "run K's scenario file (- = stdout)")
      ->needs(run);
  run->needs(c.campaign->get_option("--scenario-out"));
  c.campaign->add_flag("--worker", c.worker)->group("");  // the parent's workers
  c.merge = c.campaign->add_subcommand("merge", "merge shard files into runs.csv and summary.json");
  c.merge->add_option("SHARD_FILE", c.shardFiles, "shard files")->required();
  c.merge->add_option("--out", c.outDir, "results folder (default: the first shard file's)");
}

CampaignCommand::~CampaignCommand() = default;

bool CampaignCommand::given() const { return line_->campaign->parsed(); }

namespace {

// Throws std::runtime_error when the module cannot be loaded or registers no mode.
void checkModule(const std::string& path) {
  halcyra::World world;
  halcyra::World::install(&world);
  struct Uninstalled {
    ~Uninstalled() { halcyra::World::install(nullptr); }
  } uninstalled;
  halcyra::ModuleLoader loader(path);
  if (world.modes().empty())
    throw std::runtime_error("module '" + path + "' loaded but registered no MFD mode");
}

int merged(const std::vector<std::string>& files, const std::string& outDir) {
  std::string text;
  const int status = mergeCampaign(files, outDir, text);
  if (!text.empty()) std::fprintf(stderr, "%s\n", text.c_str());
  return status;
}

int fly(const CampaignCommandLine& c) {
  if (c.file.empty()) throw UsageError("campaign: a CAMPAIGN file is required");
  const CampaignPlan plan(c.file);
  const CampaignSettings& settings = plan.settings();
  if (c.run) {
    if (*c.run >= settings.runs)
      throw UsageError("--run " + std::to_string(*c.run) + ": the campaign has runs 0 to " +
                       std::to_string(settings.runs - 1));
    OutputFile out(c.scenarioOut);
    out.put(plan.scenarioText(*c.run));
    out.commit();
    return 0;
  }
  if (c.worker) return runCampaignWorker(c.file, c.module);

  ShardRunOptions o;
  if (!c.shard.empty()) {
    std::smatch m;
    if (!std::regex_match(c.shard, m, std::regex("([0-9]{1,9})/([0-9]{1,9})")) ||
        std::stoull(m[1]) >= std::stoull(m[2]))
      throw UsageError("--shard " + c.shard + ": I/N with 0 <= I < N expected");
    o.shard = std::stoull(m[1]);
    o.shards = std::stoull(m[2]);
  }
  const std::string outDir =
      !c.outDir.empty() ? c.outDir : std::filesystem::path(c.file).stem().string() + "-results";
  o.shardFile = (std::filesystem::path(outDir) / shardFileName(o.shard, o.shards)).string();
  o.program = programFile();
  o.module = c.module;
  o.jobs = c.jobs;
  o.resume = c.resume;
  o.quiet = c.quiet;
  o.timeLimit = c.timeLimit.value_or(settings.timeLimit);
  try {
    checkModule(c.module);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gyrelle-sim: %s\n", e.what());
    return kExitFailed;
  }
  watchInterrupts();
  const int status = flyShard(plan, o);
  if (status != 0) {
    std::fprintf(stderr,
                 "gyrelle-sim: interrupted; the finished runs are in %s (--resume flies the "
                 "rest)\n",
                 o.shardFile.c_str());
    return status;
  }
  if (!c.shard.empty()) return 0;
  return merged({o.shardFile}, outDir);
}

}  // namespace

int CampaignCommand::run() {
  CampaignCommandLine& c = *line_;
  // gyrelle-sim's own --module, given before the word campaign, names the
  // module too; the campaign's, after it, wins.
  const CLI::Option* before = c.campaign->get_parent()->get_option_no_throw("--module");
  if (c.campaign->count("--module") == 0 && before != nullptr && before->count() > 0)
    c.module = before->as<std::string>();
  try {
    if (c.merge->parsed()) {
      const std::string outDir =
          !c.outDir.empty() ? c.outDir
                            : std::filesystem::path(c.shardFiles.front()).parent_path().string();
      return merged(c.shardFiles, outDir.empty() ? "." : outDir);
    }
    return fly(c);
  } catch (const ScenarioError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return kExitBadCommand;
  } catch (const UsageError& e) {
    std::fprintf(stderr, "gyrelle-sim: %s\n", e.what());
    return kExitBadCommand;
  } catch (const ShardError& e) {
    // A file named on the command line that is not a shard file of this
    // campaign: resumed or merged, it is the command line that is wrong.
    std::fprintf(stderr, "gyrelle-sim: %s\n", e.what());
    return kExitBadCommand;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gyrelle-sim: %s\n", e.what());
    return kExitFailed;
  }
}

}  // namespace sim
