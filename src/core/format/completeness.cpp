#include "core/format/completeness.h"

#include <set>

#include "core/encoding/utf8.h"
#include "core/grid/data_methods.h"
#include "core/model/text_compare.h"

namespace zendra {
namespace {

bool within(std::u32string_view text, std::u32string_view low, std::u32string_view high) {
  return text >= low && text <= high;
}

// Lengths and positions count characters, so "199é" is a year of four. A byte that is
// not UTF-8 counts as one character.
bool timeValueValid(const std::string& code, const std::string& text) {
  std::u32string t;
  for (std::size_t i = 0; i < text.size();) {
    char32_t c = 0;
    const std::size_t len = nextUtf8Char(text, i, c);
    t += len ? c : U'\uFFFD';
    i += len ? len : 1;
  }
  if (code == "A1") return t.size() == 4;
  if (code == "H1") return t.size() == 5 && within(t.substr(4, 1), U"1", U"2");
  if (code == "Q1") return t.size() == 5 && within(t.substr(4, 1), U"1", U"4");
  if (code == "M1") return t.size() == 6 && within(t.substr(4, 2), U"01", U"12");
  return t.size() == 6 && within(t.substr(4, 2), U"01", U"53");  // W1
}

}  // namespace

bool IsTimeScale(std::string_view code) {
  return code == "A1" || code == "H1" || code == "Q1" || code == "M1" || code == "W1";
}

bool StructureComplete(const VexaMess& doc) {
  if (doc.Dimensions.Count() == 0) return false;
  for (const auto& v : doc.Dimensions) {
    if (v->ValueCode.Count() == 0) return false;
  }
  return true;
}

Completeness test_file_complete(VexaMess& doc, CellGrid* grid) {
  Completeness result;
  std::string& m = result.messages;
  auto fail = [&m](const std::string& line) { m += line + "\r\n"; };

  if (doc.Matrix.empty()) fail("MATRIX is missing");
  if (doc.SubjectCode.empty()) fail("SUBJECT-Code is missing");
  if (doc.SubjectArea.empty()) fail("SUBJECT-AREA is missing");
  if (doc.Contents.empty()) fail("CONTENTS is missing");
  if (doc.Dimensions.Count() == 0) fail("No STUB or HEADING is defined ");
  for (const auto& v : doc.Dimensions) {
    if (v->ValueCode.Count() == 0) fail("No VALUEs are defined for " + v->name);
  }
  for (const auto& v : doc.Dimensions) {
    if (!v->Map.empty() && !v->UseCodes) fail("Map( " + v->name + ") requires CODES");
  }
  if (!doc.ContData) doc.ContData = std::make_shared<ContentData>();
  if (doc.ContData->Units.empty()) fail("UNITS is missing");
  if (!doc.ContVariable.empty()) {
    if (const auto content = doc.Get_Dimension(doc.ContVariable)) {
      for (const auto& value : content->ValueCode) {
        if (!value->ContentData || value->ContentData->Units.empty()) {
          fail("UNITS(" + q(value->value) + ") is missing");
        }
      }
    }
  }
  for (const auto& v : doc.Dimensions) {
    std::set<std::string> seen;
    for (const auto& value : v->ValueCode) {
      if (!seen.insert(foldCase(value->value)).second) {
        fail("Dublicate values for " + v->name + " (" + value->value + ")");
        break;
      }
    }
    for (const auto& value : v->ValueCode) {
      if (value->value.empty()) {
        fail("Code (Value) is null in " + v->name);
        break;
      }
    }
  }
  for (const auto& v : doc.Dimensions) {
    if (!v->UseTimeVal) continue;
    for (const auto& value : v->ValueCode) {
      const std::string& c = value->TimeCode;
      if (!IsTimeScale(c)) {
        fail("Invalide Code for Timeval " + v->name + " (" + c + ")");
      } else if (!timeValueValid(c, value->TimeVal)) {
        fail("Timeval and Code don't match " + v->name + " (" + c + "/" + value->TimeVal + ")");
      }
    }
  }
  if (!doc.MetadataOnly) {
    if (grid) {
      if (doc.FileWithKeys && doc.GridCreated) SortKeysRows(doc, *grid);
      GetDataMod::CheckDataCells(doc, *grid, result.check);
    } else {
      result.check.DataMissing = true;  // no grid, no data area
    }
    if (result.check.DataMissing) fail("DATA is missing for one or more cells");
    if (result.check.InvalidData) fail("One or more cells contains invalid data");
    if (result.check.InvalidCode) fail("One or more Codes contains invalid data");
  }
  result.complete = m.empty();
  return result;
}

std::string Test_Complete(VexaMess& doc, CellGrid* grid) {
  const Completeness result = test_file_complete(doc, grid);
  if (!result.complete) return result.messages;
  if (result.check.DashFound && !doc.MetadataOnly) {
    return "VQ file is complete, one ore more cell contains '-' ";
  }
  return "VQ file is complete ";
}

}  // namespace zendra
