#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/model/dimension_data_coll.h"
#include "core/model/signal.h"

namespace zendra {

class VqVexaData;

inline constexpr const char* kStandardNameInUse = "Variable name in use";
inline constexpr const char* kStandardNameNotKey =
    "A variable name cannot hold \"=\" nor start with \"[\" or \";\"";

// The metadata most tables of an office share, kept in the default data file named by
// the settings: contact, source and database texts, the two connecting words of the
// default title, standard unit texts and standard variables with their values.
//
// File layout (INI): section "Constants" with "Contact", "Source", "Database", "By",
// "And"; section "Varreg" with "Var1", "Var2", ... naming the standard variables;
// section "Units" with "U1", "U2", ...; and per variable a section named after it whose
// keys are the name followed by 1, 2, ... and whose values are "code,text" or "text".
// A numbered list ends at the first missing or empty number.
class DefaultData {
 public:
  // Reads and writes the file named by settings.DefaultData; a failed load clears it.
  explicit DefaultData(VqVexaData& settings);

  std::string Contact;
  std::string Source;
  std::string Database;
  std::string Bytext = "by";          // "by" of the default title "Contents by a, b and c."
  std::string Andtext = "and";        // "and" of the default title
  std::vector<std::string> Variable;  // names of the standard variables, in order
  std::vector<std::string> Units;     // standard unit texts, in order
  DimensionDataColl Dimensions;       // one variable per name in Variable, keyed by it

  // Replaces everything with the content of the file (the settings' DefaultData, else the
  // default data shipped with the program) and raises NewDefaultData. A
  // missing file (or no file named) is not a failure: it gives empty lists and the words
  // "by" and "and". On failure (the file cannot be read, or a name is listed twice)
  // clears the settings' DefaultData path and returns false; what was read stays, and
  // a name listed twice is kept once.
  bool Load_data();

  // Writes everything to the file, keeping its other lines. Every list section is
  // emptied first so that a shorter list leaves no stale entries. A variable's UseCodes
  // becomes true when any of its values has a code. Returns false (the old file stays
  // as it was) when no file is named, the file cannot be read or written, or a name
  // cannot be stored as an INI key. The shipped default data file is never written.
  bool save_data();
  // The same into the file at path; the settings are not touched.
  bool save_data(const std::string& path);
  // True when path is the default data file shipped with the program.
  bool isShippedFile(const std::string& path) const;

  // Makes this a copy of other's content (the texts, the lists and the standard
  // variables, not the file path nor the listeners). The variables and their values are
  // copies of their own, so editing one object never changes the other.
  void CopyFrom(const DefaultData& other);

  // Why a new standard variable cannot be called name: kStandardNameInUse when a variable
  // has that name (letter case and surrounding blanks aside), kStandardNameNotKey when the
  // name could not be stored in the file; empty when it will do or is blank.
  std::string NewVariableProblem(std::string_view name) const;

  // The standard variable of that name (letter case ignored), or none.
  DimensionRef GetDefaultVar(std::string_view name) const;

  // Raised at the end of every Load_data, also a failed one.
  Signal<> NewDefaultData;

  const std::string& error() const { return error_; }

 private:
  VqVexaData& settings_;
  std::string error_;
};

}  // namespace zendra
