#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/model/content_data.h"

namespace zendra {

class DimensionData;

// One value of a variable: its text, optional code, time code, precision and notes.
// Values are shared objects: a value may sit in several collections at once, and cell
// notes address cells by holding the very value objects of the variables.
class ValueAndCode {
 public:
  ValueAndCode();
  ValueAndCode(std::string valueText, std::string codeText);
  // A copy would need a new identity; makecopy is the way to copy a value.
  ValueAndCode(const ValueAndCode&) = delete;
  ValueAndCode& operator=(const ValueAndCode&) = delete;

  static std::shared_ptr<ValueAndCode> create(std::string valueText = {},
                                              std::string codeText = {});

  std::string value;      // VALUES
  std::string code;       // CODES
  std::string TimeVal;    // period code of a time value, e.g. 1994 or 199403
  std::string TimeCode;   // time scale: "A1", "H1", "Q1", "M1" or "W1"
  std::string Precision;  // PRECISION as text; empty means none
  std::string Note;       // VALUENOTE
  std::string Notex;      // VALUENOTEX
  // The variable the value belongs to. Non-owning, so that a variable and its values
  // do not keep each other alive; empty once the variable is gone.
  std::weak_ptr<DimensionData> Dimension;
  // Content metadata of a value of the content variable; none until first needed.
  std::shared_ptr<zendra::ContentData> ContentData;
  // Identity of this object, unique in the program run; the first value made has 1.
  const std::int32_t UID;

  // Copies value, code, Precision, Note, Notex, TimeVal and TimeCode from source, and
  // gives this value its own copy of the source's content metadata when it has one.
  // Dimension and UID stay this object's own.
  void makecopy(const ValueAndCode& source);
};

using ValueRef = std::shared_ptr<ValueAndCode>;

}  // namespace zendra
