#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/model/vac_collection.h"

namespace zendra {

// A variable (dimension) of a table: an ordered list of values plus its own metadata.
// Variables are shared objects: the document's three collections hold the same object,
// and a standard variable of the default data may be placed in a table as it is.
class DimensionData : public std::enable_shared_from_this<DimensionData> {
 public:
  static std::shared_ptr<DimensionData> create(std::string name = {});

  VacCollection ValueCode;  // the values in their order
  std::string name;         // the variable's name and its key in the document
  std::string Domain;       // DOMAIN
  std::string Elimination;  // ELIMINATION: "YES", the text of a value, or empty
  std::string Note;         // NOTE("variable")
  std::string Notex;        // NOTEX("variable")
  bool UseCodes = false;    // the variable has CODES; codes identify its values in cells
  std::string Prestext;     // PRESTEXT, as text
  bool UseTimeVal = false;  // TIMEVAL: a time variable
  bool IsPartitioned = false;
  std::string PartName1;
  std::string PartName2;
  std::int16_t PartNumber = 0;  // values in the first part
  std::string Map;              // MAP
  std::int16_t Keytype = 0;     // keys form: 0 not keyed, 1 by codes, 2 by value texts
  std::string DoubleColumn;     // DOUBLECOLUMN: "YES" or empty
  std::string dbName;           // database the variable was built from
  std::string TableName;        // database table the variable was built from
  std::string CodeField;        // database field holding the codes
  std::int32_t CodesAftes = 0;  // stub variable: data rows one of its values spans

  // Appends a new empty value that belongs to this variable and returns it.
  ValueRef addVal();
  // Moves the value at position one place towards the front. Needs a position from 2
  // to the value count; any other position changes nothing.
  void MoveValUp(std::int32_t position);
  // Moves the value at position one place towards the end. Needs a position from 1 to
  // the value count less one; any other position changes nothing.
  void MoveValDown(std::int32_t position);
  // Removes the value at position; a position out of range changes nothing.
  void RemoveVal(std::int32_t position);
  // Makes this variable hold the very value objects of source, in its order.
  void CopyVac(const DimensionData& source);
  // Makes this variable a copy of source: its own copies of the values (made with
  // makecopy) and the name, Domain, Elimination, Prestext, Note, Notex, UseCodes,
  // UseTimeVal and Map.
  void CopyDimdata(const DimensionData& source);
};

using DimensionRef = std::shared_ptr<DimensionData>;

}  // namespace zendra
