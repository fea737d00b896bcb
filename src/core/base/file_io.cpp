#include "core/base/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

namespace zendra {
namespace {


// Writes all of bytes to fd, going on after short writes and interruptions.
bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Creates a new file beside path, named after it, and opens it for writing.
int createTemporary(const std::filesystem::path& path, mode_t mode, std::string& name) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = path.string() + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

FileBytes readFileBytes(const std::filesystem::path& path) {
  FileBytes result;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    const int err = errno;
    result.status =
        (err == ENOENT || err == ENOTDIR) ? FileBytes::Status::Missing : FileBytes::Status::Failed;
    result.error = describeFileError("Cannot open", path, err);
    return result;
  }
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    result.bytes.reserve(static_cast<std::size_t>(info.st_size));
  }
  char chunk[65536];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      result.status = FileBytes::Status::Failed;
      result.error = describeFileError("Cannot read", path, errno);
      result.bytes.clear();
      ::close(fd);
      return result;
    }
    result.bytes.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(fd);
  result.status = FileBytes::Status::Ok;
  return result;
}

std::string describeFileError(const std::string& what, const std::filesystem::path& path, int err) {
  return what + " " + path.string() + ": " + std::strerror(err);
}

bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         std::string& error, const WriteFileOptions& options, int* errorCode) {
  return writeFileAtomically(
      target, [bytes](const PieceWriter& write) { return write(bytes); }, error, options,
      errorCode);
}

bool writeFileAtomically(const std::filesystem::path& target, const FileProducer& produce,
                         std::string& error, const WriteFileOptions& options, int* errorCode) {
  auto failed = [&](int err) {
    if (errorCode) *errorCode = err;
    return false;
  };
  std::error_code ec;
  // A settings file may be a link into a folder of dot files: replace the file it points
  // to, not the link.
  std::filesystem::path path = target;
  if (std::filesystem::is_symlink(path, ec)) {
    const auto resolved = std::filesystem::canonical(path, ec);
    if (!ec) path = resolved;
  }
  const auto folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  if (options.createFolders) {
    std::filesystem::create_directories(folder, ec);
    if (ec) {
      error = "Cannot create the folder " + folder.string() + ": " + ec.message();
      return failed(ec.value());
    }
  }

  // A file that is replaced keeps its permissions; a new one gets the usual mode under
  // the process's umask.
  struct stat old {};
  const bool replacing = ::stat(path.c_str(), &old) == 0;
  if (replacing && !S_ISREG(old.st_mode)) {
    // A folder, a FIFO or a device node is never replaced by a file.
    const bool folder = S_ISDIR(old.st_mode);
    error = "Cannot replace " + path.string() +
            (folder ? ": it is a folder" : ": it is not a regular file");
    return failed(folder ? EISDIR : EINVAL);
  }
  if (replacing && ::access(path.c_str(), W_OK) != 0) {
    // A file the user may not write is not replaced behind its back.
    const int err = errno;
    error = describeFileError("Cannot write", path, err);
    return failed(err);
  }
  std::string tempName;
  const int fd = createTemporary(path, replacing ? (old.st_mode & 07777) : 0666, tempName);
  if (fd < 0) {
    const int err = errno;
    error = describeFileError("Cannot create a temporary file beside", path, err);
    return failed(err);
  }
  if (replacing) ::fchmod(fd, old.st_mode & 07777);

  // The producer's pieces go straight to the file; a false from it (a Cancel) or from a
  // write ends the file, which is then removed.
  int writeErr = 0;
  const bool produced = produce([&](std::string_view piece) {
    if (writeAll(fd, piece)) return true;
    writeErr = errno;
    return false;
  });
  const bool written = produced && writeErr == 0 && ::fsync(fd) == 0;
  if (produced && writeErr == 0 && !written) writeErr = errno;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed) {
    const int err = written ? errno : writeErr;
    error = produced || err != 0 ? describeFileError("Cannot write", path, err) : "Cancelled";
    ::unlink(tempName.c_str());
    return failed(err);
  }
  if (::rename(tempName.c_str(), path.c_str()) != 0) {
    const int err = errno;
    error = describeFileError("Cannot replace", path, err);
    ::unlink(tempName.c_str());
    return failed(err);
  }
  return true;
}

}  // namespace zendra
