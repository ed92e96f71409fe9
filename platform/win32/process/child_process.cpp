// Worker processes through CreateProcess. Only the child's own ends of its
// pipes are inheritable, and workers are started one at a time from one
// thread with those ends closed here right after, so that no worker inherits
// another's pipe (which would keep that worker's output from ending when it
// dies).
#include "platform/child_process.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <stdexcept>

namespace sim {

std::string commandLineArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
  std::string quoted = "\"";
  for (size_t i = 0;; ++i) {
    size_t backslashes = 0;
    for (; i < arg.size() && arg[i] == '\\'; ++i) ++backslashes;
    if (i == arg.size()) {
      quoted.append(2 * backslashes, '\\');
      break;
    }
    quoted.append(arg[i] == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    quoted += arg[i];
  }
  return quoted + "\"";
}

namespace {

std::string hex(DWORD code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
  return text;
}

}  // namespace

struct ChildProcess::Impl {
  HANDLE process = nullptr;
  HANDLE input = nullptr;   // the child's standard input, our end
  HANDLE output = nullptr;  // the child's standard output, our end
  std::atomic<bool> waited{false};
};

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args)
    : impl_(std::make_unique<Impl>()) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE inRead = nullptr, inWrite = nullptr, outRead = nullptr, outWrite = nullptr;
  if (!CreatePipe(&inRead, &inWrite, &inherit, 0)) throw std::runtime_error("cannot make a pipe");
  if (!CreatePipe(&outRead, &outWrite, &inherit, 0)) {
    CloseHandle(inRead);
    CloseHandle(inWrite);
    throw std::runtime_error("cannot make a pipe");
  }
  SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  HANDLE null = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                            OPEN_EXISTING, 0, nullptr);
  std::string commandLine = commandLineArgument(program);
  for (const std::string& a : args) commandLine += " " + commandLineArgument(a);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inRead;
  startup.hStdOutput = outWrite;
  startup.hStdError = null;
  PROCESS_INFORMATION info{};
  // No console of its own: a worker is stopped by its parent, never by a
  // Ctrl-C of its own (which would end it before the parent knew).
  const BOOL started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
  const DWORD code = GetLastError();
  CloseHandle(inRead);
  CloseHandle(outWrite);
  if (null != INVALID_HANDLE_VALUE) CloseHandle(null);
  impl_->input = inWrite;
  impl_->output = outRead;
  if (!started) {
    CloseHandle(inWrite);
    CloseHandle(outRead);
    impl_->input = impl_->output = nullptr;
    throw std::runtime_error("cannot start " + program + ": error " + std::to_string(code));
  }
  CloseHandle(info.hThread);
  impl_->process = info.hProcess;
}

ChildProcess::~ChildProcess() {
  if (impl_->process != nullptr && !impl_->waited) {
    kill();
    wait();
  }
  if (impl_->input != nullptr) CloseHandle(impl_->input);
  if (impl_->output != nullptr) CloseHandle(impl_->output);
  if (impl_->process != nullptr) CloseHandle(impl_->process);
}

bool ChildProcess::send(const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    DWORD n = 0;
    if (!WriteFile(impl_->input, text.data() + done, DWORD(text.size() - done), &n, nullptr) ||
        n == 0)
      return false;
    done += n;
  }
  return true;
}

void ChildProcess::closeInput() {
  if (impl_->input != nullptr) CloseHandle(impl_->input);
  impl_->input = nullptr;
}

size_t ChildProcess::readSome(char* out, size_t size) {
  DWORD n = 0;
  if (!ReadFile(impl_->output, out, DWORD(size), &n, nullptr)) return 0;
  return n;
}

void ChildProcess::kill() {
  if (!impl_->waited) TerminateProcess(impl_->process, 1);
}

std::string ChildProcess::wait() {
  WaitForSingleObject(impl_->process, INFINITE);
  impl_->waited = true;
  DWORD code = 0;
  GetExitCodeProcess(impl_->process, &code);
  // Exception codes (NTSTATUS errors) end a process that crashed.
  if (code >= 0xC0000000u) return "exception " + hex(code);
  return "exit status " + std::to_string(code);
}

std::FILE* takeStandardOutput() {
  std::fflush(stdout);
  const int pipe = _dup(_fileno(stdout));
  const int null = _open("NUL", _O_WRONLY | _O_BINARY);
  if (pipe < 0 || null < 0) return nullptr;
  _dup2(null, _fileno(stdout));
  _close(null);
  SetStdHandle(STD_OUTPUT_HANDLE, reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdout))));
  return _fdopen(pipe, "wb");
}

void* keepLibraryMapped(const std::string& /*path*/) { return nullptr; }

}  // namespace sim
