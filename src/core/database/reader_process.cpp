#include "core/database/reader_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "core/model/prompt.h"

extern char** environ;

#if defined(__SANITIZE_ADDRESS__)
#define ZENDRA_UNDER_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZENDRA_UNDER_SANITIZER 1
#endif
#endif
#ifndef ZENDRA_UNDER_SANITIZER
#define ZENDRA_UNDER_SANITIZER 0
#endif

namespace zendra {

namespace {

std::string megabytes(std::uint64_t bytes) {
  return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MB";
}

// The reader's resident memory, from /proc; 0 when it cannot be read.
std::uint64_t residentBytes(pid_t pid) {
  const std::string path = "/proc/" + std::to_string(pid) + "/statm";
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  char text[128] = {};
  const ssize_t n = ::read(fd, text, sizeof text - 1);
  ::close(fd);
  if (n <= 0) return 0;
  unsigned long long size = 0, resident = 0;
  if (std::sscanf(text, "%llu %llu", &size, &resident) != 2) return 0;
  return resident * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

// Why the reader ended as it did, for a reader that did not exit cleanly with 0.
std::string endedText(int status, const rusage& usage, const ReaderLimits& limits,
                      const std::string& lastLine) {
  const std::uint64_t peak = static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
  const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  char reached[160];
  std::snprintf(reached, sizeof reached, " (after %s of memory and %.1f s of processor time)",
                megabytes(peak).c_str(), cpu);
  if (WIFSIGNALED(status)) {
    const int signal = WTERMSIG(status);
    if (signal == SIGXCPU) {
      return "The file is damaged: the Access reader used up its " +
             std::to_string(limits.cpuSeconds) + " s of processor time" + reached;
    }
    if (lastLine.rfind("The file is damaged", 0) == 0) return lastLine + reached;
    // Allocators that give up at the address-space limit abort without a word.
    if (peak >= limits.memoryBytes / 10 * 9) {
      return "The file is damaged: the Access reader reached its memory limit of " +
             megabytes(limits.memoryBytes) + reached;
    }
    const char* name = ::strsignal(signal);
    return "The file is damaged: the Access reader stopped on signal " + std::to_string(signal) +
           (name ? std::string(" (") + name + ")" : std::string()) + reached;
  }
  if (!lastLine.empty()) return lastLine;
  return "The file cannot be read as an Access database";
}

bool executable(const std::filesystem::path& path) {
  return ::access(path.c_str(), X_OK) == 0 && !std::filesystem::is_directory(path);
}

// Starts the reader with its standard output and error on out and err; -1 when it cannot.
pid_t spawnReader(const std::string& program, const std::vector<std::string>& args, int out,
                  int err) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out, 1);
  posix_spawn_file_actions_adddup2(&actions, err, 2);
  // The reader takes no input, and starts with the default signal handling whatever the
  // program has set (an ignored SIGPIPE, say).
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  // Under a sanitizer a crash ends the reader with exit code 1 and the sanitizer's last
  // words; abort_on_error makes it end by a signal, as a plain reader does.
  std::vector<std::string> settings;
  for (char** e = environ; *e; ++e) settings.emplace_back(*e);
#if ZENDRA_UNDER_SANITIZER
  auto asan = std::find_if(settings.begin(), settings.end(),
                           [](const std::string& e) { return e.rfind("ASAN_OPTIONS=", 0) == 0; });
  if (asan == settings.end()) {
    settings.emplace_back("ASAN_OPTIONS=abort_on_error=1");
  } else {
    *asan += ":abort_on_error=1";
  }
#endif
  std::vector<char*> envp;
  for (std::string& e : settings) envp.push_back(e.data());
  envp.push_back(nullptr);
  pid_t pid = 0;
  const int spawned =
      posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  return spawned == 0 ? pid : -1;
}

}  // namespace

ReaderLimits ReaderLimits::forFile(std::uint64_t fileBytes) {
  ReaderLimits limits;
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  const std::uint64_t physical =
      pages > 0 && pageSize > 0 ? static_cast<std::uint64_t>(pages) * pageSize : 0;
  limits.memoryBytes = std::max<std::uint64_t>(std::uint64_t{1} << 30, physical / 4);
  // A minute, and a second more for every 4 MB: reading a healthy 2 GB file takes far less.
  limits.cpuSeconds = 60 + static_cast<int>(fileBytes >> 22);
  return limits;
}

DbResult damagedStream() {
  return DbResult::failure("The file is damaged: its contents cannot be read");
}

std::string mdbReaderPath() {
  if (const char* env = std::getenv("ZENDRA_MDB_READER"); env && *env) return env;
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  std::vector<std::filesystem::path> candidates;
  if (!error) {
    candidates.push_back(self.parent_path() / "zendra-mdb");
    candidates.push_back(self.parent_path() / ".." / "libexec" / "zendra" / "zendra-mdb");
  }
#ifdef ZENDRA_LIBEXEC_DIR
  candidates.push_back(std::filesystem::path(ZENDRA_LIBEXEC_DIR) / "zendra-mdb");
#endif
#ifdef ZENDRA_MDB_READER_BUILT
  candidates.push_back(ZENDRA_MDB_READER_BUILT);
#endif
  for (const auto& candidate : candidates) {
    if (executable(candidate)) return candidate.lexically_normal().string();
  }
  return {};
}

DbResult runReader(const std::vector<std::string>& args, const ReaderLimits& limits,
                   Prompt* prompt, const std::function<bool(std::string& buffer)>& consume) {
  const std::string program = mdbReaderPath();
  if (program.empty()) return DbResult::failure("The Access reader zendra-mdb is not installed");
  int out[2], err[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return DbResult::failure("Cannot start the Access reader");
  if (::pipe2(err, O_CLOEXEC) != 0) {
    ::close(out[0]);
    ::close(out[1]);
    return DbResult::failure("Cannot start the Access reader");
  }
  ::fcntl(out[0], F_SETPIPE_SZ, 1 << 20);
  const pid_t pid = spawnReader(program, args, out[1], err[1]);
  ::close(out[1]);
  ::close(err[1]);
  if (pid < 0) {
    ::close(out[0]);
    ::close(err[0]);
    return DbResult::failure("Cannot start the Access reader " + program);
  }
  // Limits no file can pass. Processor time: the soft limit sends SIGXCPU, the hard one
  // a second later SIGKILL. The address space is capped where the reader is a plain
  // program; a sanitizer's shadow memory needs far more address space than it uses, so
  // there only the resident memory is watched (below), as it is everywhere.
  const rlimit cpu{static_cast<rlim_t>(limits.cpuSeconds),
                   static_cast<rlim_t>(limits.cpuSeconds) + 1};
  ::prlimit(pid, RLIMIT_CPU, &cpu, nullptr);
#if !ZENDRA_UNDER_SANITIZER
  const rlim_t space = static_cast<rlim_t>(limits.memoryBytes);
  const rlimit memory{space, space};
  ::prlimit(pid, RLIMIT_AS, &memory, nullptr);
#endif

  std::string buffer, messages;
  std::string chunk(1 << 20, '\0');
  std::uint64_t messageBytes = 0;
  bool outOpen = true, errOpen = true, stopped = false, cancelled = false;
  std::string killedFor;  // why the watchdog stopped the reader
  auto lastProgress = std::chrono::steady_clock::now();
  auto lastMemoryCheck = lastProgress;
  while ((outOpen || errOpen) && !stopped && !cancelled && killedFor.empty()) {
    // A pipe that has ended is left out (fd -1), or poll would report it at once forever.
    pollfd fds[2] = {{outOpen ? out[0] : -1, POLLIN, 0}, {errOpen ? err[0] : -1, POLLIN, 0}};
    const int ready = ::poll(fds, 2, 50);
    if (prompt) {
      prompt->breathe();
      if (prompt->cancelled()) cancelled = true;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - lastMemoryCheck >= std::chrono::milliseconds(100)) {
      lastMemoryCheck = now;
      if (const std::uint64_t resident = residentBytes(pid); resident > limits.memoryBytes) {
        killedFor = "The file is damaged: the Access reader went past its memory limit of " +
                    megabytes(limits.memoryBytes) + " (it held " + megabytes(resident) + ")";
      }
    }
    if (now - lastProgress >= std::chrono::seconds(limits.stallSeconds)) {
      killedFor = "The file is damaged: the Access reader delivered nothing for " +
                  std::to_string(limits.stallSeconds) + " s";
    }
    for (int k = 0; ready > 0 && k < 2; ++k) {
      if (!(fds[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      const ssize_t n = ::read(fds[k].fd, chunk.data(), chunk.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        (k == 0 ? outOpen : errOpen) = false;
        continue;
      }
      if (k == 1) {
        messageBytes += static_cast<std::uint64_t>(n);
        if (messages.size() < 4096) messages.append(chunk.data(), static_cast<std::size_t>(n));
        if (messageBytes > limits.messageBytes) {
          killedFor = "The file is damaged: the Access reader wrote more than " +
                      std::to_string(limits.messageBytes / 1024) + " KB of messages";
        }
        continue;
      }
      lastProgress = now;
      buffer.append(chunk.data(), static_cast<std::size_t>(n));
      if (!consume(buffer)) stopped = true;
    }
  }
  if (stopped || cancelled || !killedFor.empty()) ::kill(pid, SIGKILL);
  ::close(out[0]);
  ::close(err[0]);
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  if (cancelled) return DbResult::cancel();
  if (!killedFor.empty()) return DbResult::failure(killedFor);
  if (stopped) return damagedStream();
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return DbResult::success();
  while (!messages.empty() && (messages.back() == '\n' || messages.back() == '\r')) {
    messages.pop_back();
  }
  const std::size_t lastLine = messages.rfind('\n');
  if (lastLine != std::string::npos) messages.erase(0, lastLine + 1);
  return DbResult::failure(endedText(status, usage, limits, messages));
}

}  // namespace zendra
