// Worker processes of gyrelle-sim's campaigns: a child started with its
// standard input and output as pipes to this process and its standard error
// on the null device, written a line at a time, read a line at a time, killed
// and waited for. One reading thread per child suits both platforms (Windows
// has no poll for pipes). The lines are cut in platform/child_process.cpp;
// the platform's part: platform/posix/process/child_process.cpp (posix_spawn),
// platform/win32/process/child_process.cpp (CreateProcess).
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace sim {

#ifdef _WIN32
// One argument as the C runtime's command-line parser reads it back: quoted
// when it holds blanks or quotes, a quote escaped by a backslash, and the
// backslashes before a quote (or the closing one) doubled.
std::string commandLineArgument(const std::string& arg);
#endif

class ChildProcess {
 public:
  // Starts program with the arguments args (program not among them). Throws
  // std::runtime_error when it cannot be started.
  ChildProcess(const std::string& program, const std::vector<std::string>& args);
  ~ChildProcess();  // kills a child not yet waited for, and waits
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Writes text to the child's standard input; false once the child is gone.
  bool send(const std::string& text);
  // Ends the child's standard input: it reads the end of its input.
  void closeInput();
  // The next line the child wrote, without its line break; false at the end
  // of its output (a last line without a break is not one). Blocks.
  bool readLine(std::string& line);
  // Ends the child at once (SIGKILL, TerminateProcess). Safe from any thread
  // while another reads.
  void kill();
  // Waits for the child to end; how it ended: "exit status N" or, on POSIX
  // systems, "signal N (NAME)", on Windows "exception 0xC0000005" for an
  // exception code.
  std::string wait();

 private:
  // The platform's part of readLine: reads what the child has written, at
  // most size bytes, into out; the number read, 0 at the end of its output
  // or when the pipe fails. Blocks.
  size_t readSome(char* out, size_t size);

  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::string pending_;  // read from the child, not yet handed out as a line
};

// The worker's side: a stream on what standard output was at the start (the
// pipe to the parent), standard output then pointed at the null device, so
// that nothing the flight prints can reach the pipe. Call once, first thing.
std::FILE* takeStandardOutput();

// Keeps the library at path in memory (a reference the system counts) without
// running its library entry, so that loading and unloading it for each run
// neither maps it again nor relinks it, while each load still attaches and
// detaches it as a first and last load would. Null when the platform cannot
// (Windows, whose loader runs the entry only at the first load and the last
// unload: a kept load would carry the module's storage from one run to the
// next, so there each run maps the library afresh).
void* keepLibraryMapped(const std::string& path);

}  // namespace sim
