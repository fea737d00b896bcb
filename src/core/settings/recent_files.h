#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace zendra {

// The tables last opened or saved, newest first, at most kMax of them. Two names of one
// file (a relative path, "..", a symbolic link) are one entry; the path kept is the
// absolute one given last.
class RecentFiles {
 public:
  static constexpr std::size_t kMax = 8;

  RecentFiles() = default;
  // A stored list: empty entries and later duplicates are dropped, and it is cut to kMax.
  explicit RecentFiles(const std::vector<std::string>& files);

  // Puts the file at the top, taking it out from further down.
  void add(const std::filesystem::path& file);
  // False when the file is not in the list.
  bool remove(const std::filesystem::path& file);

  const std::vector<std::string>& files() const { return files_; }

 private:
  // The first position of an entry naming the same file, or files_.size().
  std::size_t find(const std::filesystem::path& file) const;

  std::vector<std::string> files_;
};

// What a file is called for comparison: absolute, with "." and ".." and the symbolic
// links of its existing part resolved.
std::filesystem::path sameFileKey(const std::filesystem::path& file);

}  // namespace zendra
