// Where outputs go: standard output, devices, FIFOs and symbolic links; paths
// that would overwrite the run's own inputs or another output; a disk that
// fills up. A run's outputs are never lost, half-written under their real
// name, or written over something else.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

#include <future>

#include "platform/temp_file.h"
#include "sim_run.h"
#include "support/test_paths.h"

namespace {

namespace fs = std::filesystem;

std::string scenario(double until) {
  std::string s = simtest::kTwoVessels;
  s.replace(s.find("until = 5.0"), 11, "until = " + std::to_string(until));
  return s + "[[screen]]\nmode = \"Gyrelle\"\n";
}

class OutputTargets : public simtest::SimRun {
 protected:
  // No temporary left anywhere in the folder.
  void expectNoTemporaries() {
    for (const auto& e : fs::recursive_directory_iterator(dir))
      EXPECT_EQ(e.path().string().find(".part"), std::string::npos) << e.path();
  }
};

TEST_F(OutputTargets, DashIsStandardOutputAndTheTerminalLinesMoveToStandardError) {
  const std::string file = writeScenario("s.toml", scenario(1.0));
  auto r = run({file, "--telemetry", "-", "--telemetry-every", "0.5"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto rows = simtest::lines(r.out);
  ASSERT_EQ(rows.size(), 1u + 2u * 3u) << r.out;  // header, A and B at 0, 0.5, 1
  EXPECT_EQ(rows[0].rfind("t,vessel,body,", 0), 0u);
  EXPECT_NE(r.err.find("--- screen 0 (Gyrelle) at t = 1.000 ---"), std::string::npos);

  r = run({file, "--dump", "-", "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("frame 0.000 0\n", 0), 0u);
  EXPECT_EQ(files(), std::vector<std::string>{"s.toml"});
}

#ifndef _WIN32
// Device nodes, FIFOs, symbolic links made by any user, /dev/full: what these
// cases need exists on POSIX systems alone.

// A character device of the run's own: a node for the null device in the test
// folder when the system lets us make one (root), so that a fault that
// replaced the device would replace only this copy. Otherwise /dev/null
// itself, which a user who cannot make nodes cannot replace either.
std::string nullDevice(const std::string& inFolder) {
  const std::string node = inFolder + "/null";
  if (mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
    const int fd = open(node.c_str(), O_WRONLY);
    if (fd >= 0) {
      close(fd);
      return node;
    }
    unlink(node.c_str());  // a file system mounted without devices
  }
  return geteuid() == 0 ? "" : "/dev/null";
}

TEST_F(OutputTargets, ACharacterDeviceIsWrittenAndNeverReplaced) {
  const std::string device = nullDevice(dir);
  if (device.empty()) GTEST_SKIP() << "no device node of our own can be made here";
  struct stat before {};
  ASSERT_EQ(stat(device.c_str(), &before), 0);
  const std::string file = writeScenario("s.toml", scenario(1.0));
  const auto r = run({file, "--dump", device, "--telemetry", device, "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;
  struct stat after {};
  ASSERT_EQ(stat(device.c_str(), &after), 0);
  EXPECT_TRUE(S_ISCHR(after.st_mode));
  EXPECT_EQ(after.st_ino, before.st_ino);
  for (const std::string& name : files()) EXPECT_TRUE(name == "s.toml" || name == "null") << name;
}

TEST_F(OutputTargets, AFifoIsWrittenDirectlyForItsReader) {
  ASSERT_EQ(mkfifo(path("pipe").c_str(), 0600), 0);
  auto reader = std::async(std::launch::async, [&] { return simtest::readFile(path("pipe")); });
  const auto r =
      run({writeScenario("s.toml", scenario(1.0)), "--telemetry", path("pipe"), "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string text = reader.get();
  EXPECT_EQ(simtest::lines(text).size(), 1u + 2u * 2u) << text;
  struct stat st {};
  ASSERT_EQ(lstat(path("pipe").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  expectNoTemporaries();
}

// /dev/stdout and /dev/stderr on a pipe are links whose text names no file
// ("pipe:[N]"): each output is written through them, whole, as into a file,
// and on standard output alone (the terminal lines move away as for "-").
TEST_F(OutputTargets, AStandardStreamOnAPipeIsWrittenThroughItsOwnName) {
  const std::string file = writeScenario("s.toml", scenario(1.0));
  const auto reference = run({file, "--quiet", "--dump", path("d"), "--telemetry", path("t"),
                              "--screens", path("s"), "--report", path("r")});
  ASSERT_EQ(reference.status, 0) << reference.err;
  struct Case {
    const char* option;
    const char* stream;
    const char* file;  // the same output written into a file
  };
  const Case cases[] = {
      {"--dump", "/dev/stdout", "d"},    {"--telemetry", "/dev/stdout", "t"},
      {"--screens", "/dev/stdout", "s"}, {"--report", "/dev/stdout", "r"},
      {"--dump", "/dev/stderr", "d"},    {"--report", "/dev/stderr", "r"},
  };
  for (const Case& c : cases) {
    // The stream named goes into a pipe to cat, the other one nowhere; the
    // pipeline fails when the program does.
    const std::string pipeline = std::string(c.stream) == "/dev/stdout"
                                     ? "\"$@\" 2>/dev/null | cat"
                                     : "\"$@\" 2>&1 >/dev/null | cat";
    std::vector<std::string> command = {"/bin/bash", "-o", "pipefail", "-c", pipeline, "bash"};
    for (const std::string& a : simCommand({file, "--quiet", c.option, c.stream}))
      command.push_back(a);
    const auto r = runProgram(command);
    EXPECT_EQ(r.status, 0) << c.option << " " << c.stream;
    EXPECT_EQ(r.out, simtest::readFile(path(c.file))) << c.option << " " << c.stream;
  }
  expectNoTemporaries();
}

// A standard stream sent on to a file ("> F", ">> F") is written through the
// stream, after what the file held: never replaced by a file of its own.
TEST_F(OutputTargets, AStandardStreamSentToAFileKeepsWhatTheFileHeld) {
  const std::string file = writeScenario("s.toml", scenario(1.0));
  const auto reference = run({file, "--quiet", "--dump", path("d"), "--report", path("r")});
  ASSERT_EQ(reference.status, 0) << reference.err;
  struct Case {
    const char* option;
    const char* stream;
    const char* redirect;  // the stream named, appended to the file $F
    const char* file;      // the same output written into a file
  };
  const Case cases[] = {
      {"--dump", "/dev/stdout", "\"$@\" >>\"$F\" 2>/dev/null", "d"},
      {"--report", "/dev/stderr", "\"$@\" 2>>\"$F\" >/dev/null", "r"},
  };
  for (const Case& c : cases) {
    const std::string kept = path("kept.txt");
    std::ofstream(kept) << "an earlier line\n";
    std::vector<std::string> command = {"/usr/bin/env", "F=" + kept, "/bin/bash",
                                        "-c",           c.redirect,  "bash"};
    for (const std::string& a : simCommand({file, "--quiet", c.option, c.stream}))
      command.push_back(a);
    const auto r = runProgram(command);
    EXPECT_EQ(r.status, 0) << c.option << " " << c.stream;
    EXPECT_EQ(simtest::readFile(kept), "an earlier line\n" + simtest::readFile(path(c.file)))
        << c.option << " " << c.stream;
  }
  expectNoTemporaries();
}

TEST_F(OutputTargets, ASymbolicLinkIsFollowedAndStays) {
  fs::create_directory(path("real"));
  std::ofstream(path("real/old.csv")) << "an older run\n";
  fs::create_symlink("real/old.csv", path("link.csv"));
  fs::create_symlink("real/new.txt", path("dangling.txt"));  // its target is yet to be made
  const auto r = run({writeScenario("s.toml", scenario(1.0)), "--telemetry", path("link.csv"),
                      "--dump", path("dangling.txt"), "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::is_symlink(path("link.csv")));
  EXPECT_TRUE(fs::is_symlink(path("dangling.txt")));
  EXPECT_EQ(simtest::readFile(path("real/old.csv")).rfind("t,vessel,", 0), 0u);
  EXPECT_EQ(simtest::readFile(path("real/new.txt")).rfind("frame 0.000 0", 0), 0u);
  expectNoTemporaries();
}

#endif

TEST_F(OutputTargets, AnOutputOnAnInputOrAnotherOutputIsRefusedBeforeTheRun) {
  const std::string file = writeScenario("s.toml", scenario(1.0));
  const std::string text = simtest::readFile(file);
  std::vector<std::vector<std::string>> cases = {
      {"--dump", file},
      {"--telemetry", path("./s.toml")},
      {"--dump", testsupport::envPath("GYRELLE_MODULE_PATH")},
      {"--dump", path("out.txt"), "--telemetry", path("out.txt")},
      {"--dump", path("out.txt"), "--frames", path("out.txt")},
      {"--dump", "-", "--telemetry", "-"},
  };
  std::vector<std::string> left = {"s.toml"};
  // gyrelle-sim's own program and host library. On Linux each through a hard
  // link here: were it not refused, the run would replace the link, not the
  // build's file. On Windows by their own paths: a program or library in use
  // cannot be replaced (and a link from the test's drive to the build's would
  // lead to another drive under Wine, which no file is on twice).
  for (const auto& [what, own] :
       {std::pair<std::string, std::string>{"program", testsupport::envPath("GYRELLE_SIM_PATH")},
        {"library", testsupport::envPath("HALCYRA_PATH")}}) {
    std::string output = own;
#ifndef _WIN32
    output = path(what);
    std::error_code ec;
    fs::create_hard_link(own, output, ec);
    ASSERT_FALSE(ec) << own << ": " << ec.message();
    left.push_back(what);
#endif
    cases.push_back({what == "program" ? "--dump" : "--report", output});
  }
  std::sort(left.begin(), left.end());
#ifndef _WIN32  // a symbolic link needs a privilege on Windows
  fs::create_symlink("s.toml", path("alias.toml"));
  cases.push_back({"--telemetry", path("alias.toml")});  // the scenario through a link
  left.insert(left.begin(), "alias.toml");
#endif
  for (const auto& c : cases) {
    std::vector<std::string> args = {file, "--quiet"};
    args.insert(args.end(), c.begin(), c.end());
    const auto r = run(args);
    EXPECT_EQ(r.status, 2) << c[0] << " " << c[1] << ": " << r.err;
    EXPECT_EQ(r.err.rfind("gyrelle-sim: " + c[c.size() == 2 ? 0 : 2] + " ", 0), 0u) << r.err;
    EXPECT_EQ(simtest::lines(r.err).size(), 1u) << r.err;
  }
  EXPECT_EQ(simtest::readFile(file), text);
  EXPECT_EQ(files(), left);
}

#ifndef _WIN32  // /dev/full
TEST_F(OutputTargets, StandardOutputThatCannotBeWrittenFailsTheRun) {
  const std::string file = writeScenario("s.toml", scenario(1.0));
  // The last pages at the end, the telemetry as the run goes, the pages
  // (with the debug lines) with --quiet.
  const std::vector<std::string> extra[] = {{}, {"--telemetry", "-"}, {"--quiet"}};
  for (const auto& more : extra) {
    std::vector<std::string> args = {file};
    args.insert(args.end(), more.begin(), more.end());
    int status = -1;
    {
      testsupport::ChildProcess child(simCommand(args), "/dev/full", path("err.txt"));
      status = child.wait(std::chrono::minutes(1)).value_or(-1);
    }
    const std::string err = simtest::readFile(path("err.txt"));
    EXPECT_EQ(status, 1) << err;
    EXPECT_NE(err.find("gyrelle-sim: standard output: cannot write: No space left on device\n"),
              std::string::npos)
        << err;
  }
}

TEST_F(OutputTargets, AFullDiskEndsTheRunAtOnceAndKeepsTheCompleteOutputs) {
  std::ofstream(path("t.csv")) << "an older run\n";
  // Long enough that the dump fills a stdio buffer well before the end.
  const auto r = run({writeScenario("s.toml", scenario(600.0)), "--dump", "/dev/full",
                      "--telemetry", path("t.csv"), "--quiet"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "gyrelle-sim: /dev/full: cannot write: No space left on device\n");
  // The telemetry, which could be written, is this run's, up to the failure.
  const auto rows = simtest::lines(simtest::readFile(path("t.csv")));
  ASSERT_GT(rows.size(), 1u);
  EXPECT_EQ(rows[0].rfind("t,vessel,", 0), 0u);
  EXPECT_LT(rows.size(), 1u + 2u * 601u);                  // it stopped early
  EXPECT_EQ(r.out.find("--- screen"), std::string::npos);  // no last pages: it did not finish
  expectNoTemporaries();
}

#endif

TEST_F(OutputTargets, ARunRemovesTheStaleTemporariesOfItsOutputsAndNothingElse) {
  // A run killed outright leaves its temporary behind.
  const std::string longRun = writeScenario("long.toml", scenario(600.0));
  auto temporariesOf = [&](const std::string& output) {
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(dir))
      if (sim::outputOfTemporary(e.path().filename().string()) == output)
        found.push_back(e.path().filename().string());
    return found;
  };
  {
    testsupport::ChildProcess child(simCommand({longRun, "--dump", path("d.txt"), "--quiet"}),
                                    path("out.txt"), path("err.txt"));
    for (int i = 0; i < 6000 && temporariesOf("d.txt").empty(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    child.kill();
  }
  ASSERT_EQ(temporariesOf("d.txt").size(), 1u);
  // Others as such a run leaves them, and files that look alike but are not.
  fs::create_directory(path("frames"));
  const std::pair<const char*, bool> planted[] = {
      // the name, whether it stays
      {"t.csv.part0a1b2c", false},
      {"r.json.partzzzzzz", false},
      {"frames/screen0-000000.000.png.partqwerty", false},
      {"frames/screen12-000100.500.png.part000000", false},
      {"d.txt.partABCDEF", true},  // not a name gyrelle-sim gives
      {"d.txt.part12345", true},
      {"other.txt.partabc123", true},  // not an output of this run
      {"frames/notes.txt.partabc123", true},
      {"frames/screen0.png.partabc123", true},
  };
  for (const auto& [name, stays] : planted) std::ofstream(path(name)) << "stale";
  // One that a process is writing stays: this test's own, open.
  std::string live;
  FILE* held = sim::createFileBeside(path("t.csv"), live);
  ASSERT_NE(held, nullptr);

  const auto r =
      run({writeScenario("s.toml", scenario(1.0)), "--dump", path("d.txt"), "--telemetry",
           path("t.csv"), "--frames", path("frames"), "--report", path("r.json"), "--quiet"});
  std::fclose(held);
  ASSERT_EQ(r.status, 0) << r.err;
  for (const auto& [name, stays] : planted) EXPECT_EQ(fs::exists(path(name)), stays) << name;
  EXPECT_TRUE(fs::exists(live));
  EXPECT_EQ(temporariesOf("d.txt"), std::vector<std::string>{});
  EXPECT_EQ(simtest::readFile(path("d.txt")).rfind("frame 0.000 0", 0), 0u);
}

#ifndef _WIN32  // a whole path of at most MAX_PATH (260) bytes on Windows
TEST_F(OutputTargets, NamesAsLongAsTheFileSystemTakesAreWritten) {
  std::string accents;  // 254 bytes of 'é' and one 'x'
  for (int i = 0; i < 127; ++i) accents += "\xc3\xa9";
  const std::pair<const char*, std::string> outputs[] = {
      {"--dump", std::string(245, 'd')},
      {"--telemetry", std::string(250, 't')},
      {"--screens", std::string(255, 's')},
      {"--report", accents + "x"},
  };
  std::vector<std::string> args = {writeScenario("s.toml", scenario(1.0)), "--quiet"};
  for (const auto& [option, name] : outputs) args.insert(args.end(), {option, path(name)});
  const auto r = run(args);
  ASSERT_EQ(r.status, 0) << r.err;
  for (const auto& [option, name] : outputs)
    EXPECT_FALSE(simtest::readFile(path(name)).empty()) << option << " " << name.size();
  expectNoTemporaries();
}
#endif

TEST_F(OutputTargets, AFolderWhereAFileShouldGoIsFoundBeforeTheRun) {
  fs::create_directory(path("folder"));
  const auto r = run({writeScenario("s.toml", scenario(1.0)), "--dump", path("d.txt"),
                      "--telemetry", path("folder"), "--quiet"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "gyrelle-sim: " + path("folder") + ": cannot write: Is a directory\n");
  EXPECT_FALSE(fs::exists(path("d.txt")));
  expectNoTemporaries();
}

}  // namespace
