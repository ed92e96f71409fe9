// A program started by a test: standard input from the null device, standard
// output and standard error into files (which the test may read while it
// runs); waited for, interrupted as Ctrl-C does, or killed. The one launcher
// of the tests that run gyrelle-sim: posix_spawn on POSIX systems,
// CreateProcess on Windows.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "platform/child_process.h"  // sim::commandLineArgument
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace testsupport {

#ifdef _WIN32
// Gives this process a console of its own, once, on which it ignores Ctrl-C:
// the console an interruptible child shares, and the Ctrl-C sent there
// reaches this process and that child alone. Made before any file handle
// meant for a child is open, since the console's host process inherits the
// handles open at its start (and would hold a child's output files).
inline void ownConsoleIgnoringCtrlC() {
  static const bool done = [] {
    FreeConsole();
    AllocConsole();
    if (HWND window = GetConsoleWindow()) ShowWindow(window, SW_HIDE);
    // A handler, not the ignore flag (SetConsoleCtrlHandler(nullptr, TRUE)),
    // which children would inherit.
    SetConsoleCtrlHandler([](DWORD event) -> BOOL { return event == CTRL_C_EVENT; }, TRUE);
    return true;
  }();
  (void)done;
}
#endif

class ChildProcess {
 public:
  // Starts args[0] with the arguments args[1...]. started() tells whether it
  // did. Only an `interruptible` child can be sent interrupt() on Windows.
  ChildProcess(const std::vector<std::string>& args, const std::string& outPath,
               const std::string& errPath, [[maybe_unused]] bool interruptible = false) {
#ifdef _WIN32
    if (interruptible) ownConsoleIgnoringCtrlC();
    std::string commandLine;
    for (const std::string& a : args)
      commandLine += (commandLine.empty() ? "" : " ") + sim::commandLineArgument(a);
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE in = CreateFileA("NUL", GENERIC_READ, share, &inherited, OPEN_EXISTING, 0, nullptr);
    // A file removed while a child that has just ended still held it goes
    // when that child's handles close, a moment after its end; until then
    // it cannot be made again: tried for up to two seconds.
    auto create = [&](const std::string& path) {
      HANDLE h = INVALID_HANDLE_VALUE;
      for (int attempt = 0; attempt < 200; ++attempt) {
        h = CreateFileA(path.c_str(), GENERIC_WRITE, share, &inherited, CREATE_ALWAYS, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_ACCESS_DENIED) break;
        Sleep(10);
      }
      return h;
    };
    HANDLE out = create(outPath);
    HANDLE err = create(errPath);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    // An interruptible child shares this process's own console; any other
    // child gets none.
    PROCESS_INFORMATION info{};
    if (in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
        CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                       interruptible ? 0 : DETACHED_PROCESS, nullptr, nullptr, &startup, &info)) {
      CloseHandle(info.hThread);
      process_ = info.hProcess;
    }
    for (HANDLE h : {in, out, err})
      if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
#else
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t io;
    posix_spawn_file_actions_init(&io);
    posix_spawn_file_actions_addopen(&io, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&io, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&io, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&pid_, argv[0], &io, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&io);
#endif
  }
  ~ChildProcess() {
    if (running()) kill();
#ifdef _WIN32
    if (process_ != nullptr) CloseHandle(process_);
#endif
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const {
#ifdef _WIN32
    return process_ != nullptr;
#else
    return pid_ > 0;
#endif
  }

  // Its exit status once it has ended, waiting at most `limit`; nothing while
  // it still runs. A POSIX process killed by a signal gives minus the signal.
  std::optional<int> wait(std::chrono::milliseconds limit = std::chrono::hours(1)) {
    if (status_ || !started()) return status_;
#ifdef _WIN32
    if (WaitForSingleObject(process_, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0)
      return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    status_ = static_cast<int>(code);
#else
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
      int raw = 0;
      if (waitpid(pid_, &raw, WNOHANG) == pid_) {
        status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -WTERMSIG(raw);
        break;
      }
      if (std::chrono::steady_clock::now() >= end) return std::nullopt;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
#endif
    return status_;
  }

  bool running() { return started() && !wait(std::chrono::milliseconds(0)); }

  // Asks it to stop as a Ctrl-C typed into its terminal does: SIGINT; on
  // Windows the event on the console it shares with this process.
  void interrupt() {
#ifdef _WIN32
    GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
#else
    signal(SIGINT);
#endif
  }

#ifndef _WIN32
  void signal(int number) { ::kill(pid_, number); }
  pid_t pid() const { return pid_; }
#endif

  // Ends it at once, and waits for that.
  void kill() {
#ifdef _WIN32
    TerminateProcess(process_, 255);
#else
    ::kill(pid_, SIGKILL);
#endif
    wait();
  }

 private:
#ifdef _WIN32
  HANDLE process_ = nullptr;
#else
  pid_t pid_ = -1;
#endif
  std::optional<int> status_;
};

}  // namespace testsupport
