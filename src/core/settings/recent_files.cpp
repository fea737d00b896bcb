#include "core/settings/recent_files.h"

#include <system_error>

namespace zendra {

std::filesystem::path sameFileKey(const std::filesystem::path& file) {
  std::error_code error;
  std::filesystem::path key = std::filesystem::weakly_canonical(file, error);
  if (error) key = std::filesystem::absolute(file, error).lexically_normal();
  return key;
}

RecentFiles::RecentFiles(const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    if (file.empty() || find(file) < files_.size()) continue;
    files_.push_back(file);
    if (files_.size() == kMax) break;
  }
}

std::size_t RecentFiles::find(const std::filesystem::path& file) const {
  const std::filesystem::path key = sameFileKey(file);
  for (std::size_t i = 0; i < files_.size(); ++i) {
    if (sameFileKey(files_[i]) == key) return i;
  }
  return files_.size();
}

void RecentFiles::add(const std::filesystem::path& file) {
  if (file.empty()) return;
  remove(file);
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(file, error);
  if (error) absolute = file;
  files_.insert(files_.begin(), absolute.lexically_normal().string());
  if (files_.size() > kMax) files_.resize(kMax);
}

bool RecentFiles::remove(const std::filesystem::path& file) {
  const std::size_t at = find(file);
  if (at == files_.size()) return false;
  files_.erase(files_.begin() + static_cast<std::ptrdiff_t>(at));
  return true;
}

}  // namespace zendra
