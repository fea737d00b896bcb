#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Where the fields of an imported text file's lines are, and which field holds what. The
// text import reads a line's fields by separators (delimited) or at fixed character
// positions, then takes the layout's items from them: the code of every stub variable in
// stub order, the code of every heading variable in heading order, then the cell value.
namespace zendra {

struct FixedField {
  std::int32_t start = 1;  // 1-based character position in the line
  std::int32_t width = 0;  // characters; the field is trimmed of surrounding blanks
};

struct FieldLayout {
  enum class Kind { Delimited, Fixed };
  Kind kind = Kind::Delimited;
  // Fixed: the file's fields in line order.
  std::vector<FixedField> fixed;
  // order[i] is the 1-based field of the line that holds the layout's item i (stub
  // codes, heading codes, value). Empty: the fields come in the layout's own order.
  std::vector<std::int32_t> order;
};

}  // namespace zendra
