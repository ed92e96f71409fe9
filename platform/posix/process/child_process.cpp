// Worker processes through posix_spawn. Every pipe is opened close-on-exec,
// so that a worker never holds another's pipe (which would keep that
// worker's output from ending when it dies); posix_spawn's dup2 clears the
// flag on the child's own standard streams. The parent ignores SIGPIPE, so
// that writing to a worker that died fails instead of ending the parent; the
// child gets the default actions back.
#include "platform/child_process.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace sim {

struct ChildProcess::Impl {
  pid_t pid = -1;
  int input = -1;   // the child's standard input, our end
  int output = -1;  // the child's standard output, our end
  std::atomic<bool> waited{false};
};

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args)
    : impl_(std::make_unique<Impl>()) {
  signal(SIGPIPE, SIG_IGN);
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0) throw std::runtime_error(std::strerror(errno));
  if (pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    throw std::runtime_error(std::strerror(errno));
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int s : {SIGPIPE, SIGINT, SIGTERM, SIGHUP}) sigaddset(&defaults, s);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const int err = posix_spawn(&impl_->pid, program.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  close(in[0]);
  close(out[1]);
  impl_->input = in[1];
  impl_->output = out[0];
  if (err != 0) {
    close(in[1]);
    close(out[0]);
    throw std::runtime_error("cannot start " + program + ": " + std::strerror(err));
  }
}

ChildProcess::~ChildProcess() {
  if (!impl_->waited) {
    kill();
    wait();
  }
  if (impl_->input >= 0) close(impl_->input);
  if (impl_->output >= 0) close(impl_->output);
}

bool ChildProcess::send(const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(impl_->input, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

void ChildProcess::closeInput() {
  if (impl_->input >= 0) close(impl_->input);
  impl_->input = -1;
}

size_t ChildProcess::readSome(char* out, size_t size) {
  for (;;) {
    const ssize_t n = read(impl_->output, out, size);
    if (n < 0 && errno == EINTR) continue;
    return n > 0 ? size_t(n) : 0;
  }
}

void ChildProcess::kill() {
  if (!impl_->waited && impl_->pid > 0) ::kill(impl_->pid, SIGKILL);
}

std::string ChildProcess::wait() {
  int status = 0;
  while (waitpid(impl_->pid, &status, 0) < 0 && errno == EINTR) {
  }
  impl_->waited = true;
  if (WIFSIGNALED(status)) {
    const int s = WTERMSIG(status);
    const char* name = sigabbrev_np(s);
    return "signal " + std::to_string(s) + " (" + (name ? std::string("SIG") + name : "?") + ")";
  }
  return "exit status " + std::to_string(WEXITSTATUS(status));
}

std::FILE* takeStandardOutput() {
  std::fflush(stdout);
  const int pipe = fcntl(1, F_DUPFD_CLOEXEC, 3);
  const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (pipe < 0 || null < 0) return nullptr;
  dup2(null, 1);
  close(null);
  return fdopen(pipe, "wb");
}

void* keepLibraryMapped(const std::string& path) {
  return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

}  // namespace sim
