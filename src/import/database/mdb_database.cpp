#include "import/database/mdb_database.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "import/database/access_sql.h"
#include "model/prompt.h"

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

using mdbstream::Cursor;

const char* declaredType(mdbstream::Kind kind) {
  switch (kind) {
    case mdbstream::Text:
      return "TEXT COLLATE CASEFREE";
    case mdbstream::Integer:
      return "INTEGER";
    case mdbstream::Real:
      return "REAL";
    case mdbstream::Date:
      return "DATETIME";
    case mdbstream::Boolean:
      return "BOOLEAN";
    default:
      return "BLOB";
  }
}

const DbResult kDamaged = DbResult::failure("The file is damaged: its contents cannot be read");

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
    const char* name = ::strsignal(signal);
    return "The file is damaged: the Access reader stopped on signal " + std::to_string(signal) +
           (name ? std::string(" (") + name + ")" : std::string()) + reached;
  }
  if (!lastLine.empty()) return lastLine;
  return "The file cannot be read as an Access database";
}

// Runs the reader program with args and hands what it writes to consume, which takes
// the complete records from the front of the buffer. The reader runs within limits: its
// address space and processor time are capped, and it is stopped when it delivers nothing
// for limits.stallSeconds, grows past the memory limit or floods its messages. Progress is
// what it delivers, never what it complains about. The prompt breathes meanwhile and may
// cancel (the reader is then killed at once).
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
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
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
  ::close(out[1]);
  ::close(err[1]);
  if (spawned != 0) {
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
  if (stopped) return kDamaged;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return DbResult::success();
  while (!messages.empty() && (messages.back() == '\n' || messages.back() == '\r')) {
    messages.pop_back();
  }
  const std::size_t lastLine = messages.rfind('\n');
  if (lastLine != std::string::npos) messages.erase(0, lastLine + 1);
  return DbResult::failure(endedText(status, usage, limits, messages));
}

// Reads a 'W' record (the tag taken) into warnings; false when it is not complete yet.
bool takeWarning(Cursor& cursor, std::vector<ReadWarning>& warnings) {
  ReadWarning warning;
  warning.source = cursor.text();
  warning.count = cursor.u32();
  const std::string_view lines = cursor.text();
  if (!cursor.ok()) return false;
  std::size_t start = 0;
  while (start < lines.size()) {
    const std::size_t end = std::min(lines.find('\n', start), lines.size());
    warning.lines.emplace_back(lines.substr(start, end - start));
    start = end + 1;
  }
  warnings.push_back(std::move(warning));
  return true;
}

// Checks and removes the stream's opening; false when it is not there (yet).
bool takeMagic(std::string& buffer, bool& seen, bool& bad) {
  if (seen) return true;
  Cursor cursor(buffer.data(), buffer.size());
  const std::string_view magic = cursor.text();
  if (!cursor.ok()) {
    if (buffer.size() > 64) bad = true;
    return false;
  }
  if (magic != mdbstream::kMagic) {
    bad = true;
    return false;
  }
  buffer.erase(0, static_cast<std::size_t>(cursor.position() - buffer.data()));
  seen = true;
  return true;
}

bool executable(const std::filesystem::path& path) {
  return ::access(path.c_str(), X_OK) == 0 && !std::filesystem::is_directory(path);
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

ReaderLimits clsMDB::limits() const {
  if (limits_) return *limits_;
  std::error_code error;
  const auto size = std::filesystem::file_size(dbName(), error);
  return ReaderLimits::forFile(error ? 0 : size);
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

DbResult clsMDB::openEngine(Catalog& catalog) {
  kinds_.clear();
  copied_.clear();
  made_.clear();
  bool seenMagic = false, bad = false, ended = false;
  auto consume = [&](std::string& buffer) {
    if (!takeMagic(buffer, seenMagic, bad)) return !bad;
    Cursor cursor(buffer.data(), buffer.size());
    const char* done = cursor.position();
    while (!ended && cursor.left() > 0) {
      const char tag = cursor.tag();
      if (tag == 'T') {
        TableInfo table;
        table.name = cursor.text();
        const std::uint32_t flags = cursor.u32();
        table.system = (flags & 0x80000002u) != 0;
        table.rows = static_cast<std::int64_t>(cursor.u64());
        const std::uint32_t columns = cursor.u32();
        std::vector<mdbstream::Kind> kinds;
        for (std::uint32_t c = 0; c < columns && cursor.ok(); ++c) {
          table.fields.emplace_back(cursor.text());
          kinds.push_back(static_cast<mdbstream::Kind>(cursor.u8()));
        }
        if (!cursor.ok()) break;
        catalog.tables.push_back(std::move(table));
        kinds_.push_back(std::move(kinds));
      } else if (tag == 'Q') {
        QueryInfo query;
        query.name = cursor.text();
        query.kind = static_cast<std::int32_t>(cursor.u32());
        query.sql = cursor.text();
        if (!cursor.ok()) break;
        catalog.queries.push_back(std::move(query));
      } else if (tag == 'R') {
        RelationInfo relation;
        relation.primaryTable = cursor.text();
        relation.primaryField = cursor.text();
        relation.foreignTable = cursor.text();
        relation.foreignField = cursor.text();
        relation.fieldCount = static_cast<std::int32_t>(cursor.u32());
        if (!cursor.ok()) break;
        catalog.relations.push_back(std::move(relation));
      } else if (tag == 'W') {
        if (!takeWarning(cursor, warnings_)) break;
      } else if (tag == 'Z') {
        ended = true;
      } else {
        if (cursor.ok()) bad = true;  // an unknown record
        break;
      }
      done = cursor.position();
    }
    buffer.erase(0, static_cast<std::size_t>(done - buffer.data()));
    return !bad;
  };
  DbResult result = runReader({"catalog", dbName()}, limits(), prompt_, consume);
  if (!result) return result;
  if (!ended || bad) return kDamaged;
  if (sqlite3_open_v2(":memory:", &connection_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                      nullptr) != SQLITE_OK) {
    return DbResult::failure("Cannot make the in-memory database");
  }
  addCaseFreeCollation(connection_);
  return DbResult::success();
}

std::string clsMDB::QuerySql(std::int32_t position) const {
  if (position < 0 || position >= static_cast<std::int32_t>(catalog_.queries.size())) return {};
  return catalog_.queries[static_cast<std::size_t>(position)].sql;
}

void clsMDB::closeEngine() {
  SqlDatabase::closeEngine();
  kinds_.clear();
  copied_.clear();
  made_.clear();
}

std::vector<DbField> clsMDB::tableFields(std::size_t index) {
  std::vector<DbField> fields;
  const TableInfo& table = catalog_.tables[index];
  for (const std::string& name : table.fields) fields.push_back({name, table.name, name});
  return fields;
}

void clsMDB::collect(const std::vector<std::string>& names, std::vector<std::size_t>& tables,
                     std::vector<std::size_t>& views, std::set<std::size_t>& visiting) {
  for (const std::string& name : names) {
    if (const std::int32_t t = tableIndex(name); t >= 0) {
      const auto index = static_cast<std::size_t>(t);
      if (!copied_.count(index) && std::find(tables.begin(), tables.end(), index) == tables.end()) {
        tables.push_back(index);
      }
      continue;
    }
    const std::int32_t q = queryIndex(name);
    if (q < 0) continue;
    const auto index = static_cast<std::size_t>(q);
    if (made_.count(index) || visiting.count(index) ||
        std::find(views.begin(), views.end(), index) != views.end()) {
      continue;
    }
    visiting.insert(index);
    collect(translateAccessSql(catalog_.queries[index].sql).names, tables, views, visiting);
    visiting.erase(index);
    views.push_back(index);
  }
}

DbResult clsMDB::provide(const std::vector<std::string>& names) {
  std::vector<std::size_t> tables, views;
  std::set<std::size_t> visiting;
  collect(names, tables, views, visiting);
  if (!tables.empty()) {
    if (DbResult r = copyTables(tables); !r) return r;
  }
  for (const std::size_t index : views) {
    const QueryInfo& query = catalog_.queries[index];
    // A query whose statement SQLite cannot take stays missing: the statement naming
    // it then fails with SQLite's description.
    if (query.sql.empty()) continue;
    // A stored text is the file's, not the program's: it passes the rules a typed
    // statement passes (one statement that only reads) before it becomes a view.
    const std::string sql = translateAccessSql(query.sql).sql;
    sqlite3_stmt* statement = nullptr;
    if (DbResult r = prepareReading(sql, statement); !r) {
      return DbResult::failure("The query " + query.name + " cannot run: " + r.error);
    }
    sqlite3_finalize(statement);
    execute("CREATE VIEW " + quotedName(query.name) + " AS " + sql);
    made_.insert(index);
  }
  return DbResult::success();
}

DbResult clsMDB::copyTables(const std::vector<std::size_t>& tables) {
  std::vector<std::string> args{"tables", dbName()};
  std::int64_t total = 0;
  for (const std::size_t index : tables) {
    args.push_back(catalog_.tables[index].name);
    total += catalog_.tables[index].rows;
  }
  execute("BEGIN");
  sqlite3_stmt* insert = nullptr;
  std::int32_t current = -1;  // the table whose rows come
  std::vector<mdbstream::Kind> kinds;
  std::int64_t copied = 0;
  bool seenMagic = false, bad = false, ended = false;
  std::set<std::size_t> done;
  internal_ = true;

  auto consume = [&](std::string& buffer) {
    if (!takeMagic(buffer, seenMagic, bad)) return !bad;
    Cursor cursor(buffer.data(), buffer.size());
    const char* consumed = cursor.position();
    while (!ended && cursor.left() > 0) {
      const char tag = cursor.tag();
      if (tag == 'r') {
        if (!insert) {
          bad = true;
          break;
        }
        for (std::size_t c = 0; c < kinds.size() && cursor.ok(); ++c) {
          const int slot = static_cast<int>(c + 1);
          switch (cursor.u8()) {
            case mdbstream::Null:
              sqlite3_bind_null(insert, slot);
              break;
            case mdbstream::Text:
            case mdbstream::Date: {
              const std::string_view text = cursor.text();
              sqlite3_bind_text(insert, slot, text.data(), static_cast<int>(text.size()),
                                SQLITE_STATIC);
              break;
            }
            case mdbstream::Integer:
              sqlite3_bind_int64(insert, slot, static_cast<sqlite3_int64>(cursor.u64()));
              break;
            case mdbstream::Boolean:
              sqlite3_bind_int(insert, slot, cursor.u8() != 0);
              break;
            case mdbstream::Real:
              sqlite3_bind_double(insert, slot, cursor.f64());
              break;
            default:
              if (cursor.ok()) bad = true;
          }
        }
        if (bad || !cursor.ok()) break;
        if (sqlite3_step(insert) != SQLITE_DONE) bad = true;
        sqlite3_reset(insert);
        if (bad) break;
        if (++copied % 16384 == 0 && prompt_) prompt_->progress(copied, total);
      } else if (tag == 'H') {
        const std::string name(cursor.text());
        const std::uint32_t columns = cursor.u32();
        kinds.clear();
        for (std::uint32_t c = 0; c < columns && cursor.ok(); ++c) {
          kinds.push_back(static_cast<mdbstream::Kind>(cursor.u8()));
        }
        if (!cursor.ok()) break;
        current = tableIndex(name);
        if (current < 0 || kinds.size() != catalog_.tables[current].fields.size()) {
          bad = true;
          break;
        }
        const TableInfo& table = catalog_.tables[static_cast<std::size_t>(current)];
        std::string create = "CREATE TABLE " + quotedName(table.name) + " (";
        std::string values;
        for (std::size_t c = 0; c < kinds.size(); ++c) {
          create += (c ? ", " : "") + quotedName(table.fields[c]) + " " + declaredType(kinds[c]);
          values += c ? ", ?" : "?";
        }
        if (!execute(create + ")") ||
            sqlite3_prepare_v2(
                connection_,
                ("INSERT INTO " + quotedName(table.name) + " VALUES (" + values + ")").c_str(), -1,
                &insert, nullptr) != SQLITE_OK) {
          bad = true;
          break;
        }
      } else if (tag == 'z') {
        cursor.u64();
        if (!cursor.ok()) break;
        sqlite3_finalize(insert);
        insert = nullptr;
        if (current >= 0) done.insert(static_cast<std::size_t>(current));
        current = -1;
      } else if (tag == 'W') {
        if (!takeWarning(cursor, warnings_)) break;
      } else if (tag == 'Z') {
        ended = true;
      } else {
        if (cursor.ok()) bad = true;
        break;
      }
      consumed = cursor.position();
    }
    if (!cursor.ok() && insert) sqlite3_reset(insert);  // an incomplete row waits for more
    buffer.erase(0, static_cast<std::size_t>(consumed - buffer.data()));
    return !bad;
  };
  DbResult result = runReader(args, limits(), prompt_, consume);
  sqlite3_finalize(insert);
  if (result && (bad || !ended || done.size() != tables.size())) result = kDamaged;
  execute(result ? "COMMIT" : "ROLLBACK");
  internal_ = false;
  if (result) copied_.insert(done.begin(), done.end());
  if (prompt_ && result) prompt_->progress(total, total);
  return result;
}

}  // namespace zendra
