#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zendra::test {

// A fresh folder under the system's temporary folder, removed again at the end of the
// test. While it lives, XDG_CONFIG_HOME points to its "config" subfolder and HOME to its
// "home" subfolder, so no test can reach the real configuration or home folder.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zendra-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    xdg_ = saved("XDG_CONFIG_HOME");
    home_ = saved("HOME");
    ::setenv("XDG_CONFIG_HOME", (path_ / "config").c_str(), 1);
    ::setenv("HOME", (path_ / "home").c_str(), 1);
  }
  ~TempFolder() {
    restore("XDG_CONFIG_HOME", xdg_);
    restore("HOME", home_);
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

  // Writes bytes to a file in the folder (creating subfolders) and returns its path.
  std::filesystem::path write(std::string_view name, std::string_view bytes) const {
    const auto file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    return file;
  }

  // The bytes of a file in the folder (or any path).
  static std::string read(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  static std::optional<std::string> saved(const char* name) {
    const char* value = ::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
  }
  static void restore(const char* name, const std::optional<std::string>& value) {
    if (value) {
      ::setenv(name, value->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }

  std::filesystem::path path_;
  std::optional<std::string> xdg_;
  std::optional<std::string> home_;
};

}  // namespace zendra::test
