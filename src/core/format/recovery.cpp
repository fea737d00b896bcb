#include "core/format/recovery.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <system_error>

#include "core/base/file_io.h"
#include "core/format/data_builder.h"

namespace zendra::recovery {
namespace fs = std::filesystem;
namespace {

fs::path homeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

std::string escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

std::string unescaped(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return out;
}

// A copy's file name is "<session>-<window>.<extension>"; the session is what comes
// before the last "-".
std::string sessionOf(const fs::path& copy) {
  const std::string stem = copy.stem().string();
  const auto dash = stem.rfind('-');
  return dash == std::string::npos ? std::string() : stem.substr(0, dash);
}

// Opens a session's lock file and takes its lock without waiting: -1 when another
// program holds it (or it cannot be opened).
int tryLock(const fs::path& file, bool create) {
  const int fd = ::open(file.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0600);
  if (fd < 0) return -1;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

fs::path recoveryFolder() {
  const char* xdg = std::getenv("XDG_STATE_HOME");
  if (xdg && *xdg == '/') return fs::path(xdg) / "zendra" / "recovery";
  return homeFolder() / ".local" / "state" / "zendra" / "recovery";
}

std::string infoText(const CopyInfo& info) {
  return "name=" + escaped(info.originalName) + "\ncaption=" + escaped(info.caption) +
         "\nmetadataOnly=" + (info.metadataOnly ? "1" : "0") + "\n";
}

bool parseInfo(std::string_view text, CopyInfo& info) {
  std::map<std::string, std::string, std::less<>> values;
  while (!text.empty()) {
    const auto end = std::min(text.find('\n'), text.size());
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    const auto eq = line.find('=');
    if (eq != std::string_view::npos) values[std::string(line.substr(0, eq))] = line.substr(eq + 1);
  }
  if (!values.contains("name") || !values.contains("caption") || !values.contains("metadataOnly")) {
    return false;
  }
  info.originalName = unescaped(values["name"]);
  info.caption = unescaped(values["caption"]);
  info.metadataOnly = values["metadataOnly"] == "1";
  return true;
}

Snapshot takeSnapshot(VexaMess& doc, const WriteOptions& options) {
  Snapshot s;
  s.metadata = make_vqstring(doc, options);
  s.ansi = options.ansi;
  s.keptData = doc.MetadataOnly && doc.DataSectionRead();
  if (s.keptData) {
    s.rawData = doc.RawDataText();
    s.rawPage = doc.RawDataPage();
  } else if (doc.GridHasData && doc.SprData) {
    s.writeGrid = true;
    s.grid = *doc.SprData;
    s.gridCreated = doc.GridCreated;
    s.keysForm = doc.FileWithKeys;
    s.dataRow1 = doc.DataRow1;
    s.dataCol1 = doc.DataCol1;
  }
  return s;
}

std::string snapshotBytes(Snapshot& s) {
  const CodePage page = s.ansi ? CodePage::Ansi : CodePage::Oem;
  std::string text = std::move(s.metadata);
  if (s.keptData) {
    text += "DATA=";
  } else if (s.writeGrid) {
    // The DATA builder reads only the layout from the document; it gets a document of
    // its own with that layout, so the editor's may change meanwhile. (The key checks of
    // the keys form find no variables here; they only paint the copy's cells.)
    VexaMess layout;
    layout.GridCreated = s.gridCreated;
    layout.FileWithKeys = s.keysForm;
    layout.DataRow1 = s.dataRow1;
    layout.DataCol1 = s.dataCol1;
    DataCheck check;
    GetDataMod::AppendDataText(layout, s.grid, check, text);
    text += ";";
  }
  encodeInPlace(text, page);
  if (s.keptData) {
    if (s.rawPage == page) {
      text += s.rawData;
    } else {
      std::string data = decode(s.rawData, s.rawPage);
      encodeInPlace(data, page);
      text += data;
    }
  }
  return text;
}

Session::Session(fs::path folder) : folder_(std::move(folder)) {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  id_ = std::to_string(::getpid()) + "_" +
        std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

Session::~Session() {
  release();
  if (lockFd_ >= 0) {
    std::error_code ec;
    fs::remove(folder_ / (id_ + ".lock"), ec);
    ::close(lockFd_);
  }
}

bool Session::open(std::string& error) {
  if (lockFd_ >= 0) return true;
  std::error_code ec;
  fs::create_directories(folder_, ec);
  lockFd_ = tryLock(folder_ / (id_ + ".lock"), true);
  if (lockFd_ < 0) {
    error = "Cannot take the recovery lock in " + folder_.string();
    return false;
  }
  return true;
}

fs::path Session::copyPath(int window, const char* extension) const {
  return folder_ / (id_ + "-" + std::to_string(window) + extension);
}

bool Session::write(int window, const CopyInfo& info, std::string_view bytes,
                    std::string& error) const {
  // The table goes first: an info file always names a whole table.
  return writeFileAtomically(copyPath(window, ".vq"), bytes, error) &&
         writeFileAtomically(copyPath(window, ".info"), infoText(info), error);
}

void Session::remove(int window) const {
  std::error_code ec;
  fs::remove(copyPath(window, ".info"), ec);
  fs::remove(copyPath(window, ".vq"), ec);
}

std::vector<CopyInfo> Session::leftBehind() {
  std::vector<CopyInfo> out;
  std::error_code ec;
  std::vector<fs::path> infos;
  for (const auto& entry : fs::directory_iterator(folder_, ec)) {
    if (entry.path().extension() == ".info") infos.push_back(entry.path());
  }
  std::sort(infos.begin(), infos.end());
  std::map<std::string, bool> free;  // session -> its program no longer runs
  for (const fs::path& file : infos) {
    const std::string session = sessionOf(file);
    if (session.empty() || session == id_) continue;
    if (!free.contains(session)) {
      // A lock file nobody holds, or none at all: that program has ended.
      const fs::path lock = folder_ / (session + ".lock");
      const int fd = tryLock(lock, false);
      if (fd >= 0) adopted_.push_back({session, fd});
      free[session] = fd >= 0 || !fs::exists(lock, ec);
    }
    if (!free[session]) continue;
    CopyInfo info;
    const FileBytes text = readFileBytes(file);
    fs::path table = file;
    table.replace_extension(".vq");
    if (text.status != FileBytes::Status::Ok || !parseInfo(text.bytes, info) ||
        !fs::exists(table, ec)) {
      continue;
    }
    info.tableFile = table;
    out.push_back(std::move(info));
  }
  return out;
}

void Session::discard(const CopyInfo& copy) {
  std::error_code ec;
  fs::path info = copy.tableFile;
  info.replace_extension(".info");
  fs::remove(info, ec);
  fs::remove(copy.tableFile, ec);
}

void Session::release() {
  std::error_code ec;
  for (const Adopted& a : adopted_) {
    bool copiesLeft = false;
    for (const auto& entry : fs::directory_iterator(folder_, ec)) {
      if (entry.path().extension() == ".info" && sessionOf(entry.path()) == a.id) copiesLeft = true;
    }
    if (!copiesLeft) fs::remove(folder_ / (a.id + ".lock"), ec);
    ::close(a.fd);
  }
  adopted_.clear();
}

}  // namespace zendra::recovery
