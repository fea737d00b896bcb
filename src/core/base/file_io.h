#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace zendra {

// The whole content of a file, or why it could not be had.
struct FileBytes {
  enum class Status {
    Ok,
    Missing,  // no file at the path
    Failed,   // the file exists but cannot be read (or the path is a folder)
  };
  Status status = Status::Missing;
  std::string bytes;
  std::string error;  // a sentence naming the path and the cause, when not Ok
};

// "WHAT PATH: " and the system's reason for err, the sentence every file failure is told in.
std::string describeFileError(const std::string& what, const std::filesystem::path& path, int err);

// Reads a whole file into memory.
FileBytes readFileBytes(const std::filesystem::path& path);

struct WriteFileOptions {
  bool createFolders = true;  // make missing folders on the way
};

// Replaces the file at path with bytes so that a failure leaves the old file as it was:
// the bytes go to a temporary file in the same folder, which is then renamed over the
// target. Keeps the permissions of a file it replaces and refuses one the user may not
// write, and anything that is not a regular file (a folder, a FIFO, a device node); when
// path is a symbolic link, replaces the file the link points to. On failure
// returns false, error tells why and errorCode (when given) holds the system's error
// number.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string& error, const WriteFileOptions& options = {},
                         int* errorCode = nullptr);

// Writes a file in pieces: the producer hands each piece to the writer, which returns false
// when the write failed; the producer returns false to stop (a failure or a Cancel).
using PieceWriter = std::function<bool(std::string_view)>;
using FileProducer = std::function<bool(const PieceWriter&)>;

// The same, with the bytes made as they are written, so that a large file needs no copy
// in memory. When the producer stops, nothing is replaced and error is "Cancelled" (or the
// write's failure).
bool writeFileAtomically(const std::filesystem::path& path, const FileProducer& produce,
                         std::string& error, const WriteFileOptions& options = {},
                         int* errorCode = nullptr);

}  // namespace zendra
