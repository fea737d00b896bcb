#pragma once

// What the format tests share: a fixed creation date, time codes as text and reading
// back what was written.
#include <string>

#include "core/format/writer.h"
#include "support/loaded_table.h"
#include "support/tables.h"

namespace zendra::test {

inline WriteOptions fixedDate(bool ansi = true) {
  WriteOptions o;
  o.ansi = ansi;
  o.creationDate = "20240101 12:00";
  return o;
}

// "TimeCode:TimeVal" of every value of a variable.
inline Texts timeCodes(const DimensionData& v) {
  Texts out;
  for (const auto& value : v.ValueCode) out.push_back(value->TimeCode + ":" + value->TimeVal);
  return out;
}

// The bytes a save of the document writes.
inline std::string saved(VexaMess& doc, bool ansi = true) {
  WriteResult result;
  return BuildFileBytes(doc, fixedDate(ansi), result);
}

// Writes the document's metadata and reads it back.
inline void readBack(VexaMess& doc, VexaMess& back) {
  ScriptedPrompt prompt;
  Load_From_Text(back, make_vqstring(doc, fixedDate()), true, nullptr, prompt);
}

// The pieces of a text written one after another with a "|" after each, and that mark
// replaced by end, as a file's statements or a list of messages end.
inline std::string ended(std::string_view pieces, std::string_view end) {
  std::string out;
  for (const char c : pieces) {
    if (c == '|')
      out.append(end);
    else
      out.push_back(c);
  }
  return out;
}

}  // namespace zendra::test
