#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/encoding/codepage.h"

namespace zendra {

class Prompt;

// Splits the text of a table file into tokens: keywords, names and values with
// GetToken, and the cells of the DATA section with GetDataEl.
//
// The file is read once, as bytes. Every character with a meaning in the syntax is
// ASCII, and both code pages keep ASCII as it is, so the bytes are scanned as they are
// and only the tokens handed out are decoded from the file's code page: Windows-1252
// when the file contains CHARSET="ANSI" (any letter case, anywhere), IBM 850 otherwise.
// The DATA section stays available as the very bytes of the file.
class VexaFile {
 public:
  explicit VexaFile(Prompt* prompt = nullptr) : prompt_(prompt) {}
  VexaFile(const VexaFile&) = delete;
  VexaFile& operator=(const VexaFile&) = delete;

  // Reads the whole file into memory once. Returns false, and reports the end of the
  // text at once, when the file cannot be opened or read or is not a plain file.
  bool OpenFile(const std::string& fileName);
  // Why OpenFile failed: "Cannot read PATH: " and the system's reason.
  const std::string& openError() const { return openError_; }
  // The same for a file's bytes already in memory.
  void OpenText(std::string bytes);

  // Reads the next token into Token and returns it. With hashIsLineBreak a "#" inside
  // quotes becomes a line break (CR LF). Sets EndChar and Eof.
  const std::string& GetToken(bool hashIsLineBreak = false);
  // The bytes from the current position to the end of the file.
  std::string_view GetDataAsString() const;
  // The number of bytes from the current position to the end.
  std::int64_t LenDataAsString() const;
  // The number of bytes of the whole text.
  std::int64_t Size() const { return static_cast<std::int64_t>(text_.size()); }
  // Sets the decimal separator that GetDataEl puts in place of an unquoted "." (the
  // user locale's; "." by default).
  void PrepareData(std::string decimalSeparator);
  // Reads the next element of the DATA section into DataToken; sets Eof at the end of
  // the section (its ";") or of the file. An element that runs into the end of the file
  // is still returned; Eof follows on the next call.
  void GetDataEl();

  CodePage codePage() const { return ansi_ ? CodePage::Ansi : CodePage::Oem; }
  bool isAnsi() const { return ansi_; }

  std::string Token;  // the last token, without quotes, decoded to UTF-8
  // The character that ended the last token: ';', '=', '(', ')', ',', TAB, SPACE, or CR
  // or LF with LFCRisDelimiter; 0 when the token ran into the end of the text.
  char EndChar = 0;
  // End of the text (for GetToken) or of the DATA section (for GetDataEl). Named so
  // because the C library claims the name EOF for a macro.
  bool Eof = false;
  // The last DATA element, in the file's bytes (valid until the next call).
  std::string_view DataToken;
  // When true a CR or LF outside quotes ends a token; only PRESTEXT values need it.
  bool LFCRisDelimiter = false;

 private:
  void start();
  void reportProgress();

  Prompt* prompt_;
  std::string owned_;      // the whole file
  std::string openError_;
  std::string_view text_;  // owned_
  std::size_t pos_ = 0;
  bool ansi_ = false;
  bool dataEnded_ = false;
  std::string decimalSeparator_ = ".";
  std::string scratch_;
  std::size_t nextReport_ = 0;
  std::size_t reportStep_ = 0;
};

// True when the bytes contain CHARSET="ANSI", letter case ignored.
bool declaresAnsi(std::string_view bytes);

}  // namespace zendra
