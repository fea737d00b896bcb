#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/encoding/codepage.h"
#include "core/model/cell_note.h"
#include "core/model/content_data.h"
#include "core/model/dimension_data_coll.h"
#include "core/model/signal.h"
#include "core/model/value_and_code.h"

namespace zendra {

class CellGrid;  // the grid that holds the data cells; owned by the editor window

// The table document: table-level metadata, the variables and their arrangement into
// stub (rows) and heading (columns), content metadata, cell notes, and the link to the
// grid holding the cells. Yes/no metadata and integers the file holds as text are held
// as text. The document does not own the grid.
class VexaMess {
 public:
  VexaMess();
  VexaMess(const VexaMess&) = delete;
  VexaMess& operator=(const VexaMess&) = delete;

  std::string VQfilename;          // full path of the file read from or saved to
  std::string Source;              // SOURCE
  std::string Copyright;           // COPYRIGHT, "YES"/"NO" as text
  std::string Database;            // DATABASE
  std::string Description;         // DESCRIPTION
  std::string Matrix;              // MATRIX, also the default file name
  std::string SubjectArea;         // SUBJECT-AREA
  std::string SubjectCode;         // SUBJECT-CODE
  std::string CreationDate;        // CREATION-DATE
  std::string Language;            // LANGUAGE
  std::string AggregAllowed;       // AGGREGALLOWED, as text
  std::string AutoOpen;            // AUTOOPEN, as text
  std::string DescriptionDefault;  // DESCRIPTIONDEFAULT, as text
  std::string ShowDecimals;        // SHOWDECIMALS, as text
  std::string Contents;            // CONTENTS
  std::string Title;               // TITLE
  std::string Infofile;            // INFOFILE
  std::string Notex;               // table-level NOTEX
  std::string Note;                // table-level NOTE
  DimensionDataColl colStub;       // stub variables in stub order
  DimensionDataColl colHeading;    // heading variables in heading order
  std::string ContVariable;        // name of the content variable, empty when none
  DimensionDataColl Dimensions;    // all variables: stub ones first, then heading ones
  std::shared_ptr<zendra::ContentData> ContData;  // table-level content metadata
  CellNoteColl Cellnotes;
  std::int16_t SaveDecimals = 0;  // decimals cells are stored and written with
  std::int16_t Decimaler = 0;     // DECIMALS
  ValueRef AllVals;               // the shared "*" value of cell-note addresses
  bool HasData = false;           // data cells have been loaded into the grid
  bool FileWithKeys = false;      // the DATA section is in the keys form
  CellGrid* SprData = nullptr;    // the grid holding the cells (not owned)
  bool GridCreated = false;       // the grid's data area has been laid out
  bool GridHasData = false;       // the grid holds cell values
  std::int16_t GridDecimals = 0;  // decimals the grid shows numeric cells with
  std::int32_t DataRow1 = 0;      // first grid row of the data area
  std::int32_t DataCol1 = 0;      // first grid column of the data area
  std::int32_t NumCols = 0;       // data columns: product of the heading value counts
  std::int32_t NumRows = 0;       // data rows: product of the stub value counts
  bool MetadataOnly = false;      // loaded without cells; the raw DATA text is kept

  // Raised after every change of the variable structure with (EventType, dimtype):
  // 1 added, 2 removed, 3 renamed, 4 time variable added; dimtype 0 for the stub,
  // non-zero for the heading.
  Signal<std::int16_t, std::int16_t> DimensionChanged;

  // The DATA section of a file read as metadata only, kept as the bytes of the file
  // (in the file's code page) so that it can be written back unchanged.
  const std::string& RawDataText() const { return rawDataText_; }
  // The code page those bytes are in; a save in another code page converts them.
  CodePage RawDataPage() const { return rawDataPage_; }
  void SetRawDataText(std::string bytes, CodePage page) {
    rawDataText_ = std::move(bytes);
    rawDataPage_ = page;
    dataSectionRead_ = true;
  }
  // True once the reader has kept a DATA section: a file read as metadata only that had
  // none is written without one.
  bool DataSectionRead() const { return dataSectionRead_; }

  // Variable operations. StubOrHead is 0 for the stub and non-zero for the heading.
  // The operations that add or rename fail, change nothing and raise no event when the
  // name is already a key of the document (keys ignore letter case); they return none
  // or false then.
  //
  // Creates a variable with that name and no values at the end of the stub or heading.
  DimensionRef addDimension(const std::string& name, std::int32_t StubOrHead);
  // Creates a variable with one value (code and text given) as the last stub variable
  // or the first heading variable.
  DimensionRef addTimeDimension(const std::string& name, std::int32_t StubOrHead,
                                const std::string& code, const std::string& text);
  // Places an existing variable under its own name as addDimension places a new one.
  DimensionRef insertDimension(DimensionRef variable, std::int32_t StubOrHead);
  // Removes the variable at a position of the stub or heading, or by name from that
  // side. Returns false, raising no event, when the side holds no such variable.
  bool RemoveDimension(std::int32_t StubOrHead, std::int32_t position);
  bool RemoveDimension(std::int32_t StubOrHead, std::string_view name);
  // Renames a variable and gives it its new key; every position stays the same.
  bool RenameDimension(std::int32_t StubOrHead, std::string_view oldName,
                       const std::string& newName);
  // True when no variable has this name, its surrounding blanks left out, as a key:
  // letter case does not count.
  bool TestVarName(std::string_view name) const;
  // The variable under that key, or none.
  DimensionRef Get_Dimension(std::string_view name) const;

  // Sets SaveDecimals to the larger of Decimaler and the largest PRECISION of any
  // value. A PRECISION text that is not a number counts as no precision.
  void setSaveDecimals();
  // What setSaveDecimals would set, without setting it.
  std::int16_t storedDecimals() const;
  // The content metadata of the content variable's value whose text is key, created on
  // first use; none when there is no content variable or no such value.
  std::shared_ptr<zendra::ContentData> GetContdataKey(std::string_view key);
  // The 0-based position of a value (by code when the variable uses codes, otherwise by
  // text; exact comparison) within the stub or heading variable at a 1-based position;
  // -1 when there is no such value or variable.
  std::int32_t GetCodeIndexStub(std::string_view text, std::int32_t position) const;
  std::int32_t GetCodeIndexHead(std::string_view text, std::int32_t position) const;

 private:
  DimensionRef place(DimensionRef variable, std::int32_t StubOrHead, bool asTime);
  void raise(std::int16_t eventType, std::int32_t StubOrHead);
  std::string rawDataText_;
  CodePage rawDataPage_ = CodePage::Oem;
  bool dataSectionRead_ = false;
};

// a * b for counts of cells, rows or columns (never negative), held at kCountLimit so
// that no table, however many values its variables have, can overflow a count.
inline constexpr std::int64_t kCountLimit = std::int64_t{1} << 62;
std::int64_t saturatingMultiply(std::int64_t a, std::int64_t b);
// The product of the value counts of the variables (1 for none), held at kCountLimit.
std::int64_t valueCountProduct(const DimensionDataColl& variables);

// Reads a number as PRECISION, DECIMALS and PARTITIONED texts hold it ("2", " +2 ",
// "2.0") and gives its nearest whole number, halves to even ("2.5" gives 2). Returns
// false, leaving out alone, for a text that is not a number or a result past 16 bits.
bool parseInt16(std::string_view text, std::int16_t& out);

}  // namespace zendra
