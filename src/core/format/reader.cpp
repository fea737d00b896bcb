#include "core/format/reader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <new>
#include <unordered_map>
#include <utility>

#include "core/encoding/utf8.h"
#include "core/format/plain_data.h"
#include "core/format/vexa_file.h"
#include "core/grid/data_methods.h"
#include "core/grid/numeric.h"

namespace zendra {
namespace {

// A whole number of the given text positions (1-based, inclusive); false when the
// text is too short or those characters are not digits.
bool digitsAt(std::string_view text, std::size_t from, std::size_t to, int& out) {
  if (from < 1 || to < from || to > text.size()) return false;
  const std::string_view part = text.substr(from - 1, to - from + 1);
  for (const char c : part) {
    if (c < '0' || c > '9') return false;
  }
  const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), out);
  return ec == std::errc() && end == part.data() + part.size();
}

using TextField = std::string VexaMess::*;
using ContentField = std::string ContentData::*;

struct NamedField {
  std::string_view keyword;
  TextField field;
};
constexpr std::array kTableFields = {
    NamedField{"CREATION-DATE", &VexaMess::CreationDate},
    NamedField{"MATRIX", &VexaMess::Matrix},
    NamedField{"SUBJECT-AREA", &VexaMess::SubjectArea},
    NamedField{"SUBJECT-CODE", &VexaMess::SubjectCode},
    NamedField{"TITLE", &VexaMess::Title},
    NamedField{"CONTENTS", &VexaMess::Contents},
    NamedField{"SOURCE", &VexaMess::Source},
    NamedField{"COPYRIGHT", &VexaMess::Copyright},
    NamedField{"LANGUAGE", &VexaMess::Language},
    NamedField{"SHOWDECIMALS", &VexaMess::ShowDecimals},
    NamedField{"DESCRIPTION", &VexaMess::Description},
    NamedField{"DESCRIPTIONDEFAULT", &VexaMess::DescriptionDefault},
    NamedField{"AUTOOPEN", &VexaMess::AutoOpen},
    NamedField{"AGGREGALLOWED", &VexaMess::AggregAllowed},
    NamedField{"INFOFILE", &VexaMess::Infofile},
    NamedField{"DATABASE", &VexaMess::Database},
    NamedField{"CONTVARIABLE", &VexaMess::ContVariable},
};

struct NamedContentField {
  std::string_view keyword;
  ContentField field;
};
constexpr std::array kContentFields = {
    NamedContentField{"UNITS", &ContentData::Units},
    NamedContentField{"LAST-UPDATED", &ContentData::LastUpdated},
    NamedContentField{"STOCKFA", &ContentData::StockFA},
    NamedContentField{"CFPRICES", &ContentData::CFPrices},
    NamedContentField{"DAYADJ", &ContentData::DayAdj},
    NamedContentField{"SEASADJ", &ContentData::SeasAdj},
    NamedContentField{"REFPERIOD", &ContentData::Refperiod},
    NamedContentField{"BASEPERIOD", &ContentData::Baseperiod},
    NamedContentField{"CONTACT", &ContentData::Contact},
};

template <typename Table>
auto findField(const Table& table, std::string_view keyword) -> decltype(&table[0]) {
  for (const auto& entry : table) {
    if (entry.keyword == keyword) return &entry;
  }
  return nullptr;
}

// A count with its digits grouped by three, as people read large numbers.
std::string groupedDigits(std::int64_t count) {
  const std::string digits = std::to_string(count);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ' ';
    out += digits[i];
  }
  return out;
}

constexpr const char* kKeptAsRead =
    "; its data are kept as they were read and written back unchanged, and cannot be edited "
    "here.";

// The values of one variable by their text, extended as values are added, so that files
// with a statement per value (PRECISION, VALUENOTE, cell notes) load in linear time.
struct ValueIndex {
  struct Text {
    std::vector<ValueRef> values;  // every value with the text, in order
    // For each keyword, how many of its statements named the text so far.
    std::vector<std::pair<std::string, std::size_t>> named;
  };
  std::int32_t counted = 0;
  std::unordered_map<std::string, Text> byText;
};

class Reader {
 public:
  Reader(VexaMess& doc, CellGrid* grid, Prompt& prompt, bool showCodes,
         const LargeTableLimits& limits)
      : doc_(doc),
        grid_(grid),
        prompt_(prompt),
        showCodes_(showCodes),
        limits_(limits),
        file_(&prompt) {}

  VexaFile& file() { return file_; }
  LoadResult run(bool metaOnly);
  LoadReport& report() { return report_; }

 private:
  // Reads the next token of a list; false once nothing is left.
  bool next(bool hashIsLineBreak = false) {
    file_.GetToken(hashIsLineBreak);
    return !(file_.Eof && file_.Token.empty());
  }
  bool statementEnded() const { return file_.EndChar == ';' || file_.Eof; }
  // Passes over what is left of the current statement. A value ended by its line
  // (PRESTEXT without ";") has nothing left.
  void skipStatement() {
    while (!statementEnded() && file_.EndChar != '\r' && file_.EndChar != '\n') {
      file_.GetToken();
    }
  }
  // The values of variable whose text is text, or none.
  ValueIndex::Text* valuesByText(const DimensionData& variable, const std::string& text);
  // The first value of variable whose text is text, or none.
  ValueRef valueByText(const DimensionData& variable, const std::string& text);
  // The value a statement of keyword naming text is for. Values may share a text (an
  // incomplete table): the statements of one keyword that name it go to those values in
  // turn, as the writer writes them, and any past the last value to the last.
  ValueRef nextValueByText(const DimensionData& variable, const std::string& text,
                           const std::string& keyword);

  void tableStatement(const std::string& keyword);
  void argumentStatement(const std::string& keyword);
  void readVariables(std::int32_t stubOrHead);
  void timeValues(DimensionData& variable);
  bool timeRange(DimensionData& variable, const std::string& scale, const std::string& range,
                 std::int32_t& nextValue);
  void cellNote(bool mandatory);
  LoadResult data(bool metaOnly);
  LoadResult loadCells();
  LoadResult fillNormal();
  // Reads a plain DATA section (see ReadPlainData) into the grid; false, with nothing
  // read, for any other.
  bool fillPlain(LoadResult& result);
  LoadResult fillKeys();
  std::string layoutRefusal() const;
  std::string keysGrowthRefusal() const;
  void storeElement(std::int32_t row, std::int32_t col, bool dataColumn);

  VexaMess& doc_;
  CellGrid* grid_;
  Prompt& prompt_;
  bool showCodes_;
  LargeTableLimits limits_;
  VexaFile file_;
  std::unordered_map<const DimensionData*, ValueIndex> valueIndex_;
  LoadReport report_;
};

ValueIndex::Text* Reader::valuesByText(const DimensionData& variable, const std::string& text) {
  ValueIndex& index = valueIndex_[&variable];
  while (index.counted < variable.ValueCode.Count()) {
    auto value = variable.ValueCode.Item(++index.counted);
    index.byText[value->value].values.push_back(value);
  }
  const auto found = index.byText.find(text);
  return found == index.byText.end() ? nullptr : &found->second;
}

ValueRef Reader::valueByText(const DimensionData& variable, const std::string& text) {
  const ValueIndex::Text* found = valuesByText(variable, text);
  return found ? found->values.front() : nullptr;
}

ValueRef Reader::nextValueByText(const DimensionData& variable, const std::string& text,
                                 const std::string& keyword) {
  ValueIndex::Text* found = valuesByText(variable, text);
  if (!found) return nullptr;
  if (found->values.size() == 1) return found->values.front();
  auto named = std::find_if(found->named.begin(), found->named.end(),
                            [&](const auto& entry) { return entry.first == keyword; });
  if (named == found->named.end()) named = found->named.insert(named, {keyword, 0});
  const std::size_t turn = std::min(named->second++, found->values.size() - 1);
  return found->values[turn];
}

LoadResult Reader::run(bool metaOnly) {
  file_.GetToken();
  while (!file_.Eof) {
    const std::string keyword = asciiUpper(file_.Token);
    if (file_.EndChar == '=') {
      if (keyword == "DATA") return data(metaOnly);
      tableStatement(keyword);
      skipStatement();
    } else if (file_.EndChar == '(') {
      argumentStatement(keyword);
      skipStatement();
    }
    // Any other token is not a keyword and is passed over.
    file_.GetToken();
  }
  doc_.setSaveDecimals();
  return LoadResult::Loaded;
}

void Reader::tableStatement(const std::string& keyword) {
  if (const auto* entry = findField(kTableFields, keyword)) {
    file_.GetToken();
    doc_.*(entry->field) = file_.Token;
  } else if (keyword == "NOTE" || keyword == "NOTEX") {
    file_.GetToken(true);
    (keyword == "NOTE" ? doc_.Note : doc_.Notex) = file_.Token;
  } else if (keyword == "DECIMALS") {
    file_.GetToken();
    parseInt16(file_.Token, doc_.Decimaler);
  } else if (keyword == "STUB") {
    readVariables(0);
  } else if (keyword == "HEADING") {
    readVariables(1);
  } else if (const auto* content = findField(kContentFields, keyword)) {
    file_.GetToken(keyword == "CONTACT");
    if (!doc_.ContData) doc_.ContData = std::make_shared<ContentData>();
    (*doc_.ContData).*(content->field) = file_.Token;
  }
  // VEXA-VERSION, CHARSET and unknown keywords: their tokens are passed over.
}

void Reader::readVariables(std::int32_t stubOrHead) {
  while (!statementEnded()) {
    if (!next()) return;
    // A name already in use is refused by the document and passed over here.
    (void)doc_.addDimension(file_.Token, stubOrHead);
  }
}

void Reader::argumentStatement(const std::string& keyword) {
  if (keyword == "CELLNOTE" || keyword == "CELLNOTEX") {
    cellNote(keyword == "CELLNOTEX");
    return;
  }
  file_.GetToken();
  const std::string argument = file_.Token;

  if (const auto* content = findField(kContentFields, keyword)) {
    if (file_.EndChar != ')') return;
    // The argument names a value of the content variable.
    const auto variable =
        doc_.ContVariable.empty() ? nullptr : doc_.Get_Dimension(doc_.ContVariable);
    const auto value = variable ? nextValueByText(*variable, argument, keyword) : nullptr;
    if (!next(keyword == "CONTACT") || !value) return;
    if (!value->ContentData) value->ContentData = std::make_shared<ContentData>();
    (*value->ContentData).*(content->field) = file_.Token;
    return;
  }

  const auto variable = doc_.Get_Dimension(argument);
  if (!variable) return;
  DimensionData& v = *variable;

  if (keyword == "PRECISION" || keyword == "VALUENOTE" || keyword == "VALUENOTEX") {
    if (file_.EndChar != ',') return;
    file_.GetToken();
    if (file_.EndChar != ')') return;
    const auto value = nextValueByText(v, file_.Token, keyword);
    if (!value) return;
    if (!next(keyword != "PRECISION")) return;
    if (keyword == "PRECISION") {
      value->Precision = file_.Token;  // SaveDecimals follows once, at DATA or the end
    } else {
      (keyword == "VALUENOTE" ? value->Note : value->Notex) = file_.Token;
    }
    return;
  }
  if (file_.EndChar != ')') return;  // the statements below have one argument

  if (keyword == "VALUES") {
    while (!statementEnded() && next()) v.addVal()->value = file_.Token;
  } else if (keyword == "CODES") {
    v.UseCodes = true;
    std::int32_t position = 0;
    while (!statementEnded() && next()) {
      if (auto value = v.ValueCode.Item(++position)) value->code = file_.Token;
    }
  } else if (keyword == "KEYS") {
    file_.GetToken();
    v.Keytype = asciiUpper(file_.Token) == "CODES" ? 1 : 2;
    doc_.FileWithKeys = true;
  } else if (keyword == "DOMAIN" || keyword == "MAP" || keyword == "ELIMINATION" ||
             keyword == "DOUBLECOLUMN") {
    file_.GetToken();
    std::string& field = keyword == "DOMAIN"        ? v.Domain
                         : keyword == "MAP"         ? v.Map
                         : keyword == "ELIMINATION" ? v.Elimination
                                                    : v.DoubleColumn;
    field = file_.Token;
  } else if (keyword == "PRESTEXT") {
    // An unquoted value ends at the end of its line too.
    file_.LFCRisDelimiter = true;
    file_.GetToken();
    file_.LFCRisDelimiter = false;
    v.Prestext = file_.Token;
  } else if (keyword == "NOTE" || keyword == "NOTEX") {
    file_.GetToken(true);
    (keyword == "NOTE" ? v.Note : v.Notex) = file_.Token;
  } else if (keyword == "TIMEVAL") {
    v.UseTimeVal = true;
    timeValues(v);
  } else if (keyword == "PARTITIONED") {
    if (!v.IsPartitioned) {
      v.IsPartitioned = true;
      file_.GetToken();
      v.PartName1 = file_.Token;
      if (statementEnded()) return;
      file_.GetToken();  // the first position, always 1
      if (statementEnded()) return;
      file_.GetToken();
      parseInt16(file_.Token, v.PartNumber);
    } else {
      file_.GetToken();
      v.PartName2 = file_.Token;
    }
  }
}

void Reader::cellNote(bool mandatory) {
  std::vector<std::string> address;
  do {
    file_.GetToken();
    address.push_back(file_.Token);
  } while (file_.EndChar == ',');
  if (file_.EndChar != ')') return;
  if (!next(true)) return;
  if (static_cast<std::int32_t>(address.size()) != doc_.Dimensions.Count()) return;

  auto note = std::make_shared<CellNote>();
  std::size_t i = 0;
  for (const auto& variable : doc_.Dimensions) {
    const std::string& text = address[i++];
    ValueRef value = text == "*" ? doc_.AllVals : valueByText(*variable, text);
    if (!value) return;
    note->Values().Add(value);
  }
  const auto held = doc_.Cellnotes.Add(note);
  (mandatory ? held->Notex : held->Note) = file_.Token;
}

void Reader::timeValues(DimensionData& variable) {
  file_.GetToken();
  if (asciiUpper(file_.Token) != "TLIST" || file_.EndChar != '(') return;
  std::int32_t nextValue = 1;
  for (;;) {
    // Inside TLIST( ... ): the scale, then ")" for a list or "," and a range.
    file_.GetToken();
    const std::string scale = file_.Token;
    if (file_.EndChar == ')') {
      file_.GetToken();  // the empty token between ")" and the first ","
      bool newGroup = false;
      while (!statementEnded()) {
        if (!next()) return;
        if (asciiUpper(file_.Token) == "TLIST" && file_.EndChar == '(') {
          newGroup = true;
          break;
        }
        if (auto value = variable.ValueCode.Item(nextValue++)) {
          value->TimeCode = scale;
          value->TimeVal = file_.Token;
        }
      }
      if (!newGroup) return;
    } else if (file_.EndChar == ',') {
      file_.GetToken();
      const std::string range = file_.Token;
      if (file_.EndChar != ')') return;
      if (!timeRange(variable, scale, range, nextValue)) return;
      file_.GetToken();  // the empty token before "," or ";"
      if (file_.EndChar != ',') return;
      file_.GetToken();
      if (asciiUpper(file_.Token) != "TLIST" || file_.EndChar != '(') return;
    } else {
      return;
    }
  }
}

bool Reader::timeRange(DimensionData& variable, const std::string& scale, const std::string& range,
                       std::int32_t& nextValue) {
  int year = 0, endYear = 0, sub = 0, endSub = 0, periods = 0;
  bool ok = false;
  if (scale == "A1") {
    ok = digitsAt(range, 1, 4, year) && digitsAt(range, 6, 9, endYear);
  } else if (scale == "H1" || scale == "Q1") {
    periods = scale == "H1" ? 2 : 4;
    ok = digitsAt(range, 1, 4, year) && digitsAt(range, 5, 5, sub) &&
         digitsAt(range, 7, 10, endYear) && digitsAt(range, 11, 11, endSub);
  } else if (scale == "M1" || scale == "W1") {
    periods = scale == "M1" ? 12 : 52;
    ok = digitsAt(range, 1, 4, year) && digitsAt(range, 5, 6, sub) &&
         digitsAt(range, 8, 11, endYear) && digitsAt(range, 12, 13, endSub);
  }
  if (!ok) return false;

  // One period per value, in order, until the end period or the last value.
  while (year < endYear || (year == endYear && sub <= endSub)) {
    auto value = variable.ValueCode.Item(nextValue);
    if (!value) break;
    ++nextValue;
    std::string code = std::to_string(year);
    if (periods == 2 || periods == 4) {
      code += std::to_string(sub);
    } else if (periods > 0) {
      if (sub < 10) code += '0';
      code += std::to_string(sub);
    }
    value->TimeCode = scale;
    value->TimeVal = std::move(code);
    if (periods == 0) {
      ++year;
    } else if (++sub > periods) {
      sub = 1;
      ++year;
    }
  }
  return true;
}

LoadResult Reader::data(bool metaOnly) {
  doc_.setSaveDecimals();
  if (!metaOnly) {
    const std::int64_t rows = valueCountProduct(doc_.colStub);
    const std::int64_t cols = valueCountProduct(doc_.colHeading);
    const std::int64_t cells = saturatingMultiply(rows, cols);
    const bool small = cells < limits_.cells && rows < limits_.rows && cols < limits_.cols;
    const bool smallKeys = doc_.FileWithKeys && file_.LenDataAsString() < limits_.keysFormBytes;
    if (!small && !smallKeys) {
      const std::string question = "Large table\n" + std::to_string(cells) + " cells, " +
                                   std::to_string(rows) + " rows, " + std::to_string(cols) +
                                   " colums\nLoad metadata only";
      metaOnly = prompt_.ask(question, kProgramTitle, Prompt::Buttons::YesNo,
                             Prompt::Icon::Question) == Prompt::Answer::Yes;
    }
  }
  // The DATA section as read, kept when the cells are not laid out in the grid.
  const std::string_view dataText = file_.GetDataAsString();
  if (!metaOnly) {
    if (!grid_) return LoadResult::Loaded;
    LoadResult result = LoadResult::Loaded;
    try {
      result = loadCells();
    } catch (const std::bad_alloc&) {
      report_.keptAsText = "There is not enough memory to load the " +
                           groupedDigits(valueCountProduct(doc_.Dimensions)) +
                           " cells of the table" + kKeptAsRead;
    }
    if (report_.keptAsText.empty()) return result;
    // Nothing half-loaded stays: the grid gives its cells and their memory back.
    grid_->clear();
    doc_.GridCreated = false;
    doc_.HasData = false;
  }
  doc_.MetadataOnly = true;
  doc_.SetRawDataText(std::string(dataText), file_.codePage());
  return LoadResult::Loaded;
}

// Why a table with values for every variable could not be laid out: it needs more cells
// than the grid may hold, or the memory for them could not be had.
std::string Reader::layoutRefusal() const {
  const std::int64_t cells = valueCountProduct(doc_.Dimensions);
  const std::int64_t rows = doc_.FileWithKeys ? 1 : valueCountProduct(doc_.colStub);
  if (saturatingMultiply(rows + doc_.DataRow1 - 1, valueCountProduct(doc_.colHeading) +
                                                       doc_.DataCol1 - 1) <= grid_->maxCells()) {
    return "There is not enough memory to load the " + groupedDigits(cells) +
           " cells of the table" + kKeptAsRead;
  }
  return "The table has " + groupedDigits(cells) +
         " cells, more than the grid can hold on this machine (" +
         groupedDigits(grid_->maxCells()) + ")" + kKeptAsRead;
}

// Why a keys-form table could not add its next row to the grid.
std::string Reader::keysGrowthRefusal() const {
  if (saturatingMultiply(grid_->rowCount() + 1, grid_->colCount()) <= grid_->maxCells()) {
    return std::string("There is not enough memory to load the data rows of the table") +
           kKeptAsRead;
  }
  return "The table's data rows need more cells than the grid can hold on this machine (" +
         groupedDigits(grid_->maxCells()) + ")" + kKeptAsRead;
}

LoadResult Reader::loadCells() {
  if (!CreateGrid(doc_, *grid_, true, showCodes_)) {
    // A table without variables or with a variable without values has no cells to lay
    // out; any other refusal is about size.
    bool cellsToLayOut = doc_.Dimensions.Count() > 0;
    for (const auto& v : doc_.Dimensions) cellsToLayOut = cellsToLayOut && v->ValueCode.Count() > 0;
    if (cellsToLayOut) report_.keptAsText = layoutRefusal();
    return LoadResult::Loaded;
  }
  // Numbers in the file always have "."; the grid shows them with its own decimal
  // character. Symbols ("..") and texts are kept as written.
  file_.PrepareData(".");
  LoadResult result = LoadResult::Loaded;
  if (doc_.FileWithKeys) {
    file_.GetDataEl();
    result = fillKeys();
  } else if (!fillPlain(result)) {
    file_.GetDataEl();
    result = fillNormal();
  }
  if (result == LoadResult::Cancelled || !report_.keptAsText.empty()) return result;
  grid_->setCurrent(doc_.DataRow1, doc_.FileWithKeys ? 1 : doc_.DataCol1);
  doc_.HasData = true;
  return LoadResult::Loaded;
}

void Reader::storeElement(std::int32_t row, std::int32_t col, bool dataColumn) {
  const std::string_view element = file_.DataToken;
  double value = 0;
  if (dataColumn && parseNumeric(element, ".", value)) {
    grid_->setNumber(row, col, value, doc_.SaveDecimals);
  } else if (!isAscii(element)) {
    grid_->setText(row, col, decode(element, file_.codePage()));
  } else {
    grid_->setText(row, col, element);
  }
}

bool Reader::fillPlain(LoadResult& result) {
  // A section of plain numbers and symbols, as large tables have, is read on all cores;
  // any other is read element by element.
  DataCells area;
  area.row1 = doc_.DataRow1;
  area.col1 = doc_.DataCol1;
  area.rows = grid_->rowCount() - doc_.DataRow1 + 1;
  area.cols = grid_->colCount() - doc_.DataCol1 + 1;
  area.decimals = doc_.SaveDecimals;
  const std::int64_t remaining = file_.LenDataAsString();
  switch (ReadPlainData(file_.GetDataAsString(), *grid_, area, prompt_, file_.Size() - remaining,
                        file_.Size(), report_.surplusElements)) {
    case PlainDataResult::NotPlain:
      return false;
    case PlainDataResult::Loaded:
      result = LoadResult::Loaded;
      return true;
    case PlainDataResult::Cancelled:
      result = LoadResult::Cancelled;
      return true;
  }
  return false;
}

LoadResult Reader::fillNormal() {
  const std::int32_t lastRow = grid_->rowCount();
  const std::int32_t lastCol = grid_->colCount();
  std::int32_t row = doc_.DataRow1;
  std::int32_t col = doc_.DataCol1;
  while (!file_.Eof) {
    storeElement(row, col, true);
    if (++col > lastCol) {
      col = doc_.DataCol1;
      prompt_.breathe();
      if (prompt_.cancelled()) return LoadResult::Cancelled;
      if (++row > lastRow) break;
    }
    file_.GetDataEl();
  }
  // Elements past the last row have no cell to go to; they are counted for the user.
  for (file_.GetDataEl(); !file_.Eof; file_.GetDataEl()) ++report_.surplusElements;
  return LoadResult::Loaded;
}

LoadResult Reader::fillKeys() {
  const std::int32_t lastCol = grid_->colCount();
  std::int32_t row = doc_.DataRow1;
  std::int32_t col = 1;
  while (!file_.Eof) {
    // Every numeric element of a data column is a number, 0 included: the writer
    // leaves out only rows that are wholly empty, so a 0 read as an empty cell would
    // come back as missing data.
    storeElement(row, col, col >= doc_.DataCol1);
    if (++col > lastCol) {
      if (!AppendKeysRow(doc_, *grid_)) {
        report_.keptAsText = keysGrowthRefusal();
        return LoadResult::Loaded;
      }
      col = 1;
      ++row;
    }
    prompt_.breathe();
    if (prompt_.cancelled()) return LoadResult::Cancelled;
    file_.GetDataEl();
  }
  // A last line shorter than a row still gets the empty entry row below it, so that it
  // counts as a row of the table and is written back.
  if (col != 1 && !AppendKeysRow(doc_, *grid_)) report_.keptAsText = keysGrowthRefusal();
  return LoadResult::Loaded;
}

}  // namespace

std::vector<std::string> LoadReport::notices() const {
  std::vector<std::string> out;
  if (!keptAsText.empty()) out.push_back(keptAsText);
  if (surplusElements > 0) {
    out.push_back("The data have " + groupedDigits(surplusElements) +
                  (surplusElements == 1 ? " element" : " elements") +
                  " more than the table has cells; they were left out.");
  }
  return out;
}

namespace {

// Reads the opened file into doc. No allocation failure leaves the load: one while the
// cells are laid out keeps the data as text, any other fails the read.
LoadResult readAndReport(Reader& reader, bool metaOnly, LoadReport* report) {
  LoadResult result = LoadResult::CannotRead;
  try {
    result = reader.run(metaOnly);
  } catch (const std::bad_alloc&) {
    result = LoadResult::CannotRead;
  }
  if (report) *report = reader.report();
  return result;
}

}  // namespace

LoadResult Load_From_File(VexaMess& doc, bool MetaOnly, CellGrid* grid, Prompt& prompt,
                          bool showCodes, const LargeTableLimits& limits, LoadReport* report) {
  if (report) *report = {};
  doc.HasData = false;
  doc.MetadataOnly = MetaOnly;
  Reader reader(doc, grid, prompt, showCodes, limits);
  try {
    if (!reader.file().OpenFile(doc.VQfilename)) {
      if (report) report->readError = reader.file().openError();
      return LoadResult::CannotRead;
    }
  } catch (const std::bad_alloc&) {
    if (report) {
      report->readError = "Cannot read " + doc.VQfilename + ": there is not memory enough for it";
    }
    return LoadResult::CannotRead;
  }
  return readAndReport(reader, MetaOnly, report);
}

LoadResult Load_From_Text(VexaMess& doc, std::string bytes, bool MetaOnly, CellGrid* grid,
                          Prompt& prompt, bool showCodes, const LargeTableLimits& limits,
                          LoadReport* report) {
  if (report) *report = {};
  doc.HasData = false;
  doc.MetadataOnly = MetaOnly;
  Reader reader(doc, grid, prompt, showCodes, limits);
  reader.file().OpenText(std::move(bytes));
  return readAndReport(reader, MetaOnly, report);
}

}  // namespace zendra
