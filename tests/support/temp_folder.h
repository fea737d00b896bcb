#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace zendra::test {

// A fresh temporary folder, removed at the end of the test. While it lives,
// XDG_CONFIG_HOME points to its "config", XDG_STATE_HOME to its "state" and HOME to its "home"
// subfolder, so no test can reach the real configuration or home folder.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zendra-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
    for (auto& [name, value] : saved_) {
      if (const char* v = ::getenv(name)) value = v;
    }
    ::setenv("XDG_CONFIG_HOME", (path_ / "config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (path_ / "state").c_str(), 1);
    ::setenv("HOME", (path_ / "home").c_str(), 1);
  }
  ~TempFolder() {
    for (const auto& [name, value] : saved_) {
      value.empty() ? ::unsetenv(name) : ::setenv(name, value.c_str(), 1);
    }
    std::filesystem::remove_all(path_);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }
  std::string file(std::string_view name) const { return (path_ / name).string(); }

  // Writes bytes to a file in the folder (making subfolders) and returns its path.
  std::filesystem::path write(std::string_view name, std::string_view bytes) const {
    const auto file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    return file;
  }

  static std::string read(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::filesystem::path path_;
  std::pair<const char*, std::string> saved_[3] = {
      {"XDG_CONFIG_HOME", {}}, {"XDG_STATE_HOME", {}}, {"HOME", {}}};
};

}  // namespace zendra::test
