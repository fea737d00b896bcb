#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/import/field_layout.h"

namespace zendra {

// How the lines of a text file are cut into fields: the layout, and for delimited lines
// the separator and the text delimiter (one character each, or empty: an empty separator
// leaves the whole line one field, an empty text delimiter quotes nothing).
struct TextFileFormat {
  FieldLayout layout;
  std::string separator = ";";
  std::string textDelimiter = "\"";
};

// The fields of one line (UTF-8 text without its line end). Delimited lines are split
// exactly as the delimited reader splits them; a line it cannot split gives no fields and
// error (when given) the reader's message. Fixed fields are cut at their character (not
// byte) positions and trimmed of surrounding blanks; a field past the line's end is empty.
std::vector<std::string> splitFields(std::string_view line, const TextFileFormat& format,
                                     std::string* error = nullptr);

// Fixed fields from typed widths such as "4, 3, 10" (commas, semicolons or blanks between
// them): the first field starts at position 1 and each next one where the one before
// ends. Empty, with error telling why, when no width is given or one is not a whole
// number from 1 to 9999.
std::vector<FixedField> fixedFieldsFromWidths(std::string_view text, std::string& error);

}  // namespace zendra
