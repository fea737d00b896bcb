#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/base/file_io.h"

namespace zendra {

// An INI file ("[Section]" headers, "key=value" lines) read and written the way the
// Windows profile functions do it: sections and keys match without regard to letter
// case, surrounding blanks are trimmed, and a missing file, section or key reads as
// empty. The file is kept as its lines, so writing one value changes that line only and
// keeps every other line, comment and the order of the file.
//
// Files written on Windows arrive in Windows-1252: a file whose bytes are valid UTF-8 is
// read as UTF-8 (a byte-order mark is kept for the write), any other as Windows-1252,
// and it is written back in the encoding it had, with the line ends it had. A new file
// is UTF-8 with LF line ends. Values are read and written whole, whatever their length.
class IniFile {
 public:
  using Status = FileBytes::Status;

  explicit IniFile(std::filesystem::path path);

  // Reads the file, replacing what was held. Missing: an empty file. Failed: the file
  // exists but cannot be read; the object is then empty and error() tells why.
  Status load();

  // The value of key in section (first section and first key of that name); "" when
  // either is missing.
  std::string read(std::string_view section, std::string_view key) const;

  // Sets key in section: replaces the line of the key where it stands (written with the
  // key as given here), or adds it after the last entry of the section, or adds the
  // section at the end of the file. A line break in the value becomes a space, because
  // it would start a new line of the file. Returns false, changing nothing, for a key
  // that could not be read back (empty, holding "=" or a line break, or starting with
  // "[" or ";") or a section name holding a line break.
  bool write(std::string_view section, std::string_view key, std::string_view value);

  // Removes every entry of the section, keeping its header, comments and blank lines.
  void clearSection(std::string_view section);

  // Writes the file atomically (temporary file and rename). A file read as
  // Windows-1252 that now holds a character the page lacks is written as UTF-8 instead,
  // so that no text is lost.
  bool save();

  const std::filesystem::path& path() const { return path_; }
  bool isUtf8() const { return utf8_; }
  const std::string& error() const { return error_; }

 private:
  struct Line {
    std::string text;
    std::string key;  // folded key of a "key=value" line; empty for any other line
  };
  struct Section {
    bool named = false;       // false only for the lines before the first header
    std::string folded;       // the folded section name
    std::vector<Line> lines;  // a named section's first line is its header
    std::unordered_map<std::string, std::size_t> keys;  // folded key -> first line
  };

  void parse(std::string_view text);
  Section& addSection(bool named, std::string folded);
  void addLine(Section& section, std::string text);
  const Section* find(std::string_view section) const;
  Section* find(std::string_view section);

  std::filesystem::path path_;
  std::vector<Section> sections_;
  std::unordered_map<std::string, std::size_t> sectionIndex_;  // folded -> first section
  bool utf8_ = true;
  bool bom_ = false;
  std::string eol_ = "\n";
  std::string error_;
};

// One value read from a file, like GetPrivateProfileString: "" when the file, section or
// key is missing or the file cannot be read.
std::string readProfileString(const std::filesystem::path& path, std::string_view section,
                              std::string_view key);

// One value written to a file, like WritePrivateProfileString, but the file is replaced
// atomically and a failure is reported: false (and error, when given, tells why) when
// the file exists but cannot be read, the key is unusable or the write fails.
bool writeProfileString(const std::filesystem::path& path, std::string_view section,
                        std::string_view key, std::string_view value, std::string* error = nullptr);

}  // namespace zendra
