// Child processes for the tests that run the programs: start one with extra
// environment, see whether it still runs, wait for its exit code.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace zimbrel::testing {

class Child {
 public:
  // Runs `argv` with `environment` ("NAME=value" sets, "NAME" unsets) and
  // standard error into `stderr_path` (kept when empty). `keep_fd`, when not
  // negative, stays open in the child; `in_child` runs in it before the exec.
  // A `quiet` child's standard output goes nowhere.
  Child(const std::vector<std::string>& argv,
        const std::vector<std::string>& environment = {},
        const std::string& stderr_path = "", int keep_fd = -1,
        const std::function<void()>& in_child = nullptr, bool quiet = false)
      : quiet_(quiet) {
    pid_ = fork();
    if (pid_ != 0) return;
    // Dies with the test, so a test that is stopped leaves no server behind.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (in_child) in_child();
    // The test runner may have been started with signals ignored; the
    // programs get the defaults a terminal would give them.
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    for (const std::string& entry : environment) {
      const std::size_t equals = entry.find('=');
      if (equals == std::string::npos) {
        unsetenv(entry.c_str());
      } else {
        setenv(entry.substr(0, equals).c_str(), entry.c_str() + equals + 1, 1);
      }
    }
    if (!stderr_path.empty()) {
      const int fd = open(stderr_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(fd, STDERR_FILENO);
    }
    const int null = open("/dev/null", O_RDWR);
    dup2(null, STDIN_FILENO);
    if (quiet_) dup2(null, STDOUT_FILENO);
    for (int fd = 3; fd < 256; ++fd) {
      if (fd != keep_fd) close(fd);
    }
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    if (Running()) {
      kill(pid_, SIGKILL);
      Wait(std::chrono::seconds(5));
    }
  }

  pid_t pid() const { return pid_; }

  bool Running() {
    if (exited_) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) Record(status);
    return !exited_;
  }

  // The exit code, 128 + the signal for a death by signal, or -1 when it
  // still runs after `limit`.
  int Wait(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (Running()) {
      if (std::chrono::steady_clock::now() > deadline) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return code_;
  }

  void Signal(int signal_number) { kill(pid_, signal_number); }

  // User plus system time so far, in clock ticks.
  long CpuTicks() const {
    std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long user = 0;
    long system = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
      if (i == 14) user = std::stol(field);
      if (i == 15) system = std::stol(field);
    }
    return user + system;
  }

 private:
  void Record(int status) {
    exited_ = true;
    code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  bool quiet_ = false;
  pid_t pid_ = -1;
  bool exited_ = false;
  int code_ = -1;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), {});
}

// A fresh folder under the system's temporary folder, removed at the end.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
    pattern += "/zimbrel-test-XXXXXX";
    path_ = mkdtemp(pattern.data());
  }
  ~TempFolder() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace zimbrel::testing
