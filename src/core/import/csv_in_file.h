#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zendra {

// One declared column of a delimited text file.
class CSVField {
 public:
  std::string name;
  std::int16_t fieldtype = 0;        // a tag kept for the caller; the reader ignores it
  std::optional<std::string> value;  // none until a line was split into it
};

using CSVFieldRef = std::shared_ptr<CSVField>;

// The declared fields, in order; positions are 1-based.
class CSVFieldsColl {
 public:
  // Appends field and returns it.
  CSVFieldRef Add(CSVFieldRef field);
  // The field at position, or none when out of range.
  CSVFieldRef Item(std::int32_t position) const;
  std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
  // Removes the field at position; returns false when out of range.
  bool Remove(std::int32_t position);

  std::vector<CSVFieldRef>::const_iterator begin() const { return items_.begin(); }
  std::vector<CSVFieldRef>::const_iterator end() const { return items_.end(); }

 private:
  std::vector<CSVFieldRef> items_;
};

// Reads a delimited text file one line at a time: one record per line, fields parted
// by a separator, text fields optionally enclosed in a text delimiter (which cannot
// occur inside them: there is no doubling). It can guess the separator and the text
// delimiter from the first line, count the fields of a line and split lines into the
// declared fields.
//
// No operation throws; problems are reported through Error and ErrorText:
//   2 "Syntax error"                  text before an opening text delimiter
//   3 "Missing text delimiter"        no closing text delimiter in the line
//   4 "Syntax error"                  text between a closing text delimiter and the separator
//   5 "Internal error, file not open" reading while not open
//   6 (analysis) "Missing string delimiter", "String delimier not followed by separator",
//     "No delimiter found"
//   7 "Too many fields"               text left after the last declared field
//   8 "Cannot open " or "Cannot read ", the path and the cause: the file cannot be read
// Error is cleared only by CSVOpen and CSVRewind.
//
// A line ends at CR or LF; CR LF, LF CR, CR CR and LF LF each end one line, and a last
// line without a line end is still a line. Lines are read whole, whatever their length.
// A file is read through a buffer of csvReadTuning.chunkBytes (a line longer than that
// grows it for as long as the line needs), so memory does not follow the file's size.
// Texts handed out are UTF-8: the file's own bytes when the whole file is valid UTF-8 (a
// leading byte-order mark skipped), otherwise decoded from Windows-1252. Opening a file
// therefore reads it once through to tell which, before the first line is handed out.
class CSVInFile {
 public:
  std::string FileName;          // the file to read; set before CSVOpen
  std::string Delimiter = ";";   // field separator, one character
  std::string QuotDelim = "\"";  // text delimiter, one character
  // True once no further line can be read, after an error and after CSVClose. (Named
  // Eof because EOF is a macro of the C library.)
  bool Eof = true;
  CSVFieldsColl Fields;
  std::int16_t Error = 0;
  std::string ErrorText;
  std::string CurrentRecord;  // the last line read, without its line end
  // The 1-based number of that line in the file, as an editor counts lines.
  std::int64_t lineNumber() const { return lineNumber_; }

  // Appends a field with that name and tag and no value.
  void CSVAddField(std::string name, std::int16_t fieldtype);

  // Opens FileName and starts at its first line: Eof false, no error, Delimiter ";",
  // QuotDelim double quote. Returns false (Error 8) when the file cannot be read. A read
  // that fails later ends reading with Error 8 too.
  bool CSVOpen();
  // The same for bytes already in memory (a file's content), instead of FileName.
  void openBytes(std::string bytes);
  // Starts again at the first line, reading the file again; no error, Eof false.
  // Delimiter and QuotDelim are kept. Does nothing while not open.
  void CSVRewind();
  // Guesses QuotDelim and Delimiter from the first line; the next read yields the first
  // line again. Separator candidates: TAB, ";", "," and space.
  void CSVAnalyse();
  // The number of fields of CurrentRecord; -1 when a field cannot be split or Error is
  // already set and the line is not empty. A separator at the end of the line does not
  // start another field.
  std::int32_t GetNumberOfFields();
  // Reads the next line into CurrentRecord; false at the end of the file or on error.
  bool CSVGetLine();
  // Reads the next line into the declared fields (fields beyond the end of a short line
  // get ""); false at the end of the file or on error.
  bool CSVGet();
  // Ends reading; Eof true.
  void CSVClose();

  // Bytes of the file read so far and in all, for a progress bar.
  std::size_t bytesRead() const { return bufferStart_ + position_; }
  std::size_t byteCount() const { return size_; }

 private:
  // An open file descriptor, closed when it goes.
  class Descriptor {
   public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept;
    ~Descriptor();
    int get() const { return fd_; }

   private:
    int fd_ = -1;
  };

  bool readLine();
  std::string splitField();
  void fail(std::int16_t code, std::string text);
  bool load();
  bool checkEncoding();
  bool toFirstLine();
  bool fill();
  void start();

  static constexpr std::size_t kAnalysisLimit = 1000;  // characters of the first line

  // The bytes of the file from offset bufferStart_ on that were read and not yet handed
  // out (from position_ on); opened with openBytes, all of them.
  std::string buffer_;
  std::size_t bufferStart_ = 0;
  bool atEnd_ = true;  // nothing of the file is left beyond buffer_
  Descriptor file_;
  std::size_t size_ = 0;
  bool fromMemory_ = false;  // opened with openBytes: rewinding keeps buffer_
  bool open_ = false;
  bool utf8_ = false;
  std::size_t begin_ = 0;     // offset of the first line (past a byte-order mark)
  std::size_t position_ = 0;  // 0-based byte offset of the next line in buffer_
  std::int64_t lineNumber_ = 0;  // of CurrentRecord
  std::int64_t nextLine_ = 1;    // of the line read next
  std::size_t cursor_ = 0;    // 0-based byte offset of the next field in CurrentRecord
};

// How files are read, changeable by tests: the buffer size, and a read error (EIO) for
// every read that starts at or past failReadsFrom once the encoding is known.
struct CSVReadTuning {
  std::size_t chunkBytes = std::size_t{1} << 20;
  std::size_t failReadsFrom = static_cast<std::size_t>(-1);
};
inline CSVReadTuning csvReadTuning;

}  // namespace zendra
