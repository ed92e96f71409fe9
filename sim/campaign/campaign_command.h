// `gyrelle-sim campaign`: a subcommand of gyrelle-sim's command line
// (sim/command_line.h) on every program of it.
//   campaign CAMPAIGN.toml [--out DIR] [--jobs N] [--shard I/N] [--resume]
//                          [--module PATH] [--time-limit S] [--quiet]
//   campaign CAMPAIGN.toml --run K --scenario-out FILE
//   campaign merge SHARD_FILE... [--out DIR]
// Exit status: 0 every run flown and the results written (runs that fail
// their expectations do not change it); 1 runs missing after a merge, or the
// module cannot be loaded; 2 a bad campaign file or command line; 128 + the
// signal number when interrupted.
#pragma once

#include <CLI/CLI.hpp>
#include <memory>
#include <string>

namespace sim {

struct CampaignCommandLine;

class CampaignCommand {
 public:
  // Adds the subcommand to app; module is the default module library.
  CampaignCommand(CLI::App& app, const std::string& module);
  ~CampaignCommand();

  // Whether the command line named the subcommand.
  bool given() const;
  // Runs it; returns the exit status.
  int run();

 private:
  std::unique_ptr<CampaignCommandLine> line_;
};

}  // namespace sim
