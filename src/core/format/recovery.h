#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/encoding/codepage.h"
#include "core/format/writer.h"
#include "core/grid/cell_grid.h"
#include "core/model/vexa_mess.h"

// Recovery copies: while a table has unsaved changes, the desktop program keeps a copy of
// it in the user's state folder, so that a crash or a power cut loses nothing. Each
// running program holds a lock on a file of its own there; copies whose program holds no
// lock any more are left behind and offered at the next start.
namespace zendra::recovery {

// $XDG_STATE_HOME/zendra/recovery, or ~/.local/state/zendra/recovery when the variable
// is unset, empty or not an absolute path.
std::filesystem::path recoveryFolder();

// What a copy says about the window it came from.
struct CopyInfo {
  std::string originalName;         // full path of the table's file; empty for a new table
  std::string caption;              // the window's caption ("File01.vq" for a new table)
  bool metadataOnly = false;        // the table was read as metadata only
  std::filesystem::path tableFile;  // the copy itself (a table file); set by listing
};

// The info file's text ("key=value" lines, line breaks and backslashes escaped) and
// its reading; false when a line is missing.
std::string infoText(const CopyInfo& info);
bool parseInfo(std::string_view text, CopyInfo& info);

// What a copy needs from a document, taken on the thread that owns the document: the
// metadata text (built as a save builds it), a copy of the grid and the kept DATA
// bytes. Turning it into the file's bytes needs nothing else and may run on any thread.
struct Snapshot {
  std::string metadata;  // UTF-8, every statement before DATA
  CellGrid grid;
  bool writeGrid = false;  // the DATA section comes from the grid
  bool gridCreated = false;
  bool keysForm = false;
  std::int32_t dataRow1 = 0;
  std::int32_t dataCol1 = 0;
  bool keptData = false;  // metadata only: the DATA bytes as the file had them
  std::string rawData;
  CodePage rawPage = CodePage::Ansi;
  bool ansi = true;
};
Snapshot takeSnapshot(VexaMess& doc, const WriteOptions& options);
// The bytes Write_To_File would have written for the document.
std::string snapshotBytes(Snapshot& snapshot);

// The running program's hold on its copies in a folder.
class Session {
 public:
  explicit Session(std::filesystem::path folder = recoveryFolder());
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Makes the folder and takes this program's lock; done by the first write too.
  bool open(std::string& error);
  const std::filesystem::path& folder() const { return folder_; }
  const std::string& id() const { return id_; }

  // Writes (replaces) the copy of window number `window`: the table, then its info, each
  // through the atomic write of a save. Safe from any thread once open.
  bool write(int window, const CopyInfo& info, std::string_view bytes, std::string& error) const;
  // Removes that window's copy (nothing when there is none).
  void remove(int window) const;

  // The copies of programs that no longer run, oldest session first. Their locks are
  // taken and held until release(), so a second program starting meanwhile does not
  // offer them too.
  std::vector<CopyInfo> leftBehind();
  // Deletes a left-behind copy.
  static void discard(const CopyInfo& copy);
  // Gives back the locks leftBehind took; the lock files of sessions without copies go.
  void release();

 private:
  std::filesystem::path copyPath(int window, const char* extension) const;

  std::filesystem::path folder_;
  std::string id_;
  int lockFd_ = -1;
  struct Adopted {
    std::string id;
    int fd;
  };
  std::vector<Adopted> adopted_;
};

}  // namespace zendra::recovery
