#include "core/format/writer.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <ctime>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include "core/base/file_io.h"
#include "core/encoding/codepage.h"
#include "core/encoding/utf8.h"
#include "core/model/text_compare.h"

namespace zendra {
namespace {

constexpr std::size_t kWrapWidth = 70;
constexpr std::size_t kListWidth = 68;

// A value written without quotes (YES, NO, numbers). Should it hold a character the
// syntax uses, it is quoted instead, which reads back the same.
std::string u(std::string_view text) {
  if (text.find_first_of(";=(),\t \"\r\n") == std::string_view::npos) return std::string(text);
  return q(text);
}

void statement(std::string& out, std::string_view line) {
  out += line;
  out += ";\r\n";
}

// A VALUES, CODES or TIMEVAL list, broken into physical lines of about 68 characters;
// continued lines end with ",".
class ListLine {
 public:
  ListLine(std::string& out, std::string keywordPart) : out_(out), line_(std::move(keywordPart)) {
    width_ = utf8Length(line_);
  }
  void addQuoted(std::string_view text) { add(q(text), utf8Length(text)); }
  void addToken(const std::string& token) { add(token, 10); }
  void finish() { statement(out_, line_); }

 private:
  void add(const std::string& item, std::size_t n) {
    if (width_ + n >= kListWidth) {
      out_ += line_;
      out_ += separator_;
      out_ += "\r\n";
      line_.clear();
      separator_.clear();
      width_ = 0;
    }
    line_ += separator_;
    line_ += item;
    width_ += utf8Length(separator_) + utf8Length(item);
    separator_ = ",";
  }

  std::string& out_;
  std::string line_;
  std::string separator_;
  std::size_t width_ = 0;
};

std::string variablePart(const char* keyword, const DimensionData& v) {
  return std::string(keyword) + "(" + q(v.name) + ")=";
}

std::string valuePart(const char* keyword, const DimensionData& v, const ValueAndCode& value) {
  return std::string(keyword) + "(" + q(v.name) + "," + q(value.value) + ")=";
}

// The text a value is named by in the file: what q() writes between the quotes.
std::string writtenText(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '"') c = '\'';
  }
  return out;
}

// Which values of a variable write a statement keyed by their text (PRECISION, VALUENOTE,
// the content lines): each value whose field is set and, where values share a text, every
// earlier value of that text as well, with an empty field. The reader gives the statements
// that name a shared text to its values in turn, so the n-th such statement must be the
// n-th value's. Without shared texts this is exactly the values whose field is set.
std::vector<bool> keyedValues(const DimensionData& v,
                              const std::function<bool(const ValueAndCode&)>& isSet) {
  const auto& values = v.ValueCode.NewEnum();
  std::vector<bool> out(values.size(), false);
  std::unordered_set<std::string> later;  // texts of later values whose field is set
  for (std::size_t i = values.size(); i-- > 0;) {
    const ValueAndCode& value = *values[i];
    const bool set = isSet(value);
    if (set) {
      out[i] = true;
      later.insert(writtenText(value.value));
    } else if (!later.empty()) {
      out[i] = later.contains(writtenText(value.value));
    }
  }
  return out;
}

// The content lines in their order, each with the way its value is written.
enum class Form { Quoted, Bare, Wrapped };
struct ContentLine {
  const char* keyword;
  std::string ContentData::*field;
  Form form;
};
constexpr std::array kContentLines = {
    ContentLine{"UNITS", &ContentData::Units, Form::Quoted},
    ContentLine{"DAYADJ", &ContentData::DayAdj, Form::Bare},
    ContentLine{"SEASADJ", &ContentData::SeasAdj, Form::Bare},
    ContentLine{"STOCKFA", &ContentData::StockFA, Form::Quoted},
    ContentLine{"CFPRICES", &ContentData::CFPrices, Form::Quoted},
    ContentLine{"LAST-UPDATED", &ContentData::LastUpdated, Form::Quoted},
    ContentLine{"REFPERIOD", &ContentData::Refperiod, Form::Quoted},
    ContentLine{"BASEPERIOD", &ContentData::Baseperiod, Form::Quoted},
    ContentLine{"CONTACT", &ContentData::Contact, Form::Wrapped},
};

// One content line: keyword, suffix ("=" for the table's own, "(\"text\")=" for a value
// of the content variable) and the field. An empty field is written as "", which keeps
// the place of a shared text's value.
void contentLine(std::string& out, const ContentLine& line, const std::string& text,
                 const std::string& suffix) {
  std::string value = text.empty()                 ? q("")
                      : line.form == Form::Bare    ? u(text)
                      : line.form == Form::Wrapped ? wrapText(text, true)
                                                   : q(text);
  statement(out, line.keyword + suffix + value);
}

// The per-value content lines of the content variable: value by value, the lines of the
// fields it has set. A value whose text is empty keeps its argument, "(\"\")=", so that
// its lines never read back as the table's own.
void contentValueLines(std::string& out, const DimensionData& content) {
  static const ContentData kNone;
  auto of = [](const ValueAndCode& value) -> const ContentData& {
    return value.ContentData ? *value.ContentData : kNone;
  };
  std::vector<std::vector<bool>> keyed;
  for (const auto& line : kContentLines) {
    keyed.push_back(keyedValues(
        content, [&](const ValueAndCode& value) { return !(of(value).*line.field).empty(); }));
  }
  std::size_t i = 0;
  for (const auto& value : content.ValueCode) {
    const std::string suffix = "(" + q(value->value) + ")=";
    for (std::size_t l = 0; l < kContentLines.size(); ++l) {
      if (keyed[l][i])
        contentLine(out, kContentLines[l], of(*value).*kContentLines[l].field, suffix);
    }
    ++i;
  }
}

// The cell note's address as the CELLNOTE arguments: Vstr with every text quoted the
// way the writer quotes.
std::string address(const CellNote& note) {
  std::string out;
  for (const auto& value : note.Values()) {
    if (!out.empty()) out += ',';
    appendQuoted(value ? std::string_view(value->value) : std::string_view(), out);
  }
  return out;
}

// The cell notes as the file gives them back. Notes whose addresses are written alike
// (two notes that fell on one cell when a variable was removed) are one note when read,
// so they are written as one: the texts of each kind joined in the collection's order,
// one per line, a text that is already there not repeated. A note without any text is
// written with an empty CELLNOTE, so that it is kept.
void cellNoteLines(std::string& out, const CellNoteColl& notes) {
  struct Joined {
    std::string address;
    std::vector<std::string> note, notex;
  };
  std::vector<Joined> joined;
  std::unordered_map<std::string, std::size_t> byAddress;
  auto add = [](std::vector<std::string>& texts, const std::string& text) {
    if (!text.empty() && std::find(texts.begin(), texts.end(), text) == texts.end()) {
      texts.push_back(text);
    }
  };
  for (const auto& note : notes) {
    std::string at = address(*note);
    const auto [found, fresh] = byAddress.emplace(at, joined.size());
    if (fresh) joined.push_back({std::move(at), {}, {}});
    Joined& j = joined[found->second];
    add(j.note, note->Note);
    add(j.notex, note->Notex);
  }
  auto text = [](const std::vector<std::string>& texts) {
    std::string all;
    for (const auto& t : texts) all += (all.empty() ? "" : "\r\n") + t;
    return all;
  };
  for (const auto& j : joined) {
    if (!j.note.empty() || j.notex.empty()) {
      statement(out, "CELLNOTE(" + j.address + ")=" + wrapText(text(j.note), true));
    }
    if (!j.notex.empty()) {
      statement(out, "CELLNOTEX(" + j.address + ")=" + wrapText(text(j.notex), true));
    }
  }
}

}  // namespace

std::string currentCreationDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y%m%d %H:%M", &local);
  return buffer;
}

void title_mod(VexaMess& doc, const std::string& byWord, const std::string& andWord) {
  std::vector<std::string> names;
  for (const auto& v : doc.colStub) names.push_back(v->name);
  for (const auto& v : doc.colHeading) names.push_back(v->name);
  std::string list;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) list += (i + 1 == names.size()) ? " " + andWord + " " : ", ";
    list += names[i];
  }
  doc.Title = doc.Contents + " " + byWord + " " + list + ".";
}

std::string wrapText(std::string_view text, bool marks) {
  std::string word, line, result;
  std::size_t wordWidth = 0, lineWidth = 0;
  auto addWordToLine = [&] {
    line += word;
    line += ' ';
    lineWidth += wordWidth + 1;
    word.clear();
    wordWidth = 0;
  };
  auto closeLine = [&] {
    appendQuoted(line, result);
    result += "\r\n";
    line.clear();
    lineWidth = 0;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    // "#" only marks a line break where the reader turns it back into one.
    if (c == '\n' || (c == '#' && marks)) {
      // An empty word adds nothing, so a text read back does not grow a space. A word
      // that does not fit goes to a piece of its own, so the break stays after it.
      if (!word.empty()) {
        if (wordWidth + lineWidth >= kWrapWidth) closeLine();
        addWordToLine();
      }
      if (marks) line += '#';
      closeLine();
    } else if (c == '\r') {
      continue;
    } else if (c == ' ') {
      if (wordWidth + lineWidth >= kWrapWidth) closeLine();
      addWordToLine();
    } else {
      word += c;
      if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++wordWidth;
    }
  }
  if (word.empty()) {
    // No empty last piece: after a closing line break the text ends with that piece.
    if (!line.empty() || result.empty()) {
      appendQuoted(line, result);
    } else {
      result.resize(result.size() - 2);
    }
  } else if (wordWidth + lineWidth < kWrapWidth) {
    addWordToLine();
    appendQuoted(line, result);
  } else {
    appendQuoted(line, result);
    result += "\r\n";
    appendQuoted(word, result);
  }
  return result;
}

std::string make_vqstring(VexaMess& doc, const WriteOptions& options) {
  std::string out;
  const std::vector<DimensionRef> variables = doc.Dimensions.NewEnum();
  statement(out, "VEXA-VERSION=" + q("2000"));
  statement(out, "CREATION-DATE=" + q(options.creationDate.empty() ? currentCreationDate()
                                                                   : options.creationDate));
  if (options.ansi) statement(out, "CHARSET=" + q("ANSI"));
  if (!doc.Language.empty()) statement(out, "LANGUAGE=" + q(doc.Language));
  if (!doc.SubjectArea.empty()) statement(out, "SUBJECT-AREA=" + q(doc.SubjectArea));
  if (!doc.SubjectCode.empty()) statement(out, "SUBJECT-CODE=" + q(doc.SubjectCode));
  if (!doc.Matrix.empty()) statement(out, "MATRIX=" + q(doc.Matrix));
  if (doc.Description.empty()) {
    // A table without variables has no default title to give; its own title is kept.
    if (!variables.empty()) title_mod(doc, options.byWord, options.andWord);
    if (!doc.Title.empty()) statement(out, "TITLE=" + wrapText(doc.Title, false));
  }
  if (!doc.Contents.empty()) statement(out, "CONTENTS=" + q(doc.Contents));
  if (!doc.Description.empty()) statement(out, "DESCRIPTION=" + wrapText(doc.Description, false));
  // The three flags are written as the table holds them whenever they are set, so that a
  // file's DESCRIPTIONDEFAULT=NO or AUTOOPEN="NO" is saved as it was read.
  if (!doc.DescriptionDefault.empty()) {
    statement(out, "DESCRIPTIONDEFAULT=" + u(doc.DescriptionDefault));
  }
  if (!doc.AutoOpen.empty()) statement(out, "AUTOOPEN=" + q(doc.AutoOpen));
  if (!doc.AggregAllowed.empty()) statement(out, "AGGREGALLOWED=" + q(doc.AggregAllowed));
  // DECIMALS is written as the decimals the cells are stored with: the larger of the
  // table's DECIMALS and every PRECISION. Writing leaves the table as it is.
  statement(out, "DECIMALS=" + std::to_string(doc.storedDecimals()));
  if (!doc.ShowDecimals.empty()) statement(out, "SHOWDECIMALS=" + u(doc.ShowDecimals));

  for (const auto* side : {&doc.colStub, &doc.colHeading}) {
    if (side->Count() == 0) continue;
    std::string line = side == &doc.colStub ? "STUB=" : "HEADING=";
    bool first = true;
    for (const auto& v : *side) {
      if (!first) line += ',';
      appendQuoted(v->name, line);
      first = false;
    }
    statement(out, line);
  }

  if (!doc.ContData) doc.ContData = std::make_shared<ContentData>();
  for (const auto& line : kContentLines) {
    const std::string& text = (*doc.ContData).*line.field;
    if (!text.empty()) contentLine(out, line, text, "=");
  }

  for (const auto& v : variables) {
    if (v->ValueCode.Count() == 0) continue;
    ListLine list(out, variablePart("VALUES", *v));
    for (const auto& value : v->ValueCode) list.addQuoted(value->value);
    list.finish();
  }
  // A variable without values still writes its (empty) CODES and TIMEVAL lists: they are
  // what keeps it one with codes (and the keys form keyed by codes) or a time variable.
  for (const auto& v : variables) {
    if (!v->UseCodes) continue;
    ListLine list(out, variablePart("CODES", *v));
    for (const auto& value : v->ValueCode) list.addQuoted(value->code);
    list.finish();
  }
  for (const auto& v : variables) {
    if (!v->UseTimeVal) continue;
    ListLine list(out, variablePart("TIMEVAL", *v));
    // The list opens with the first value's scale and names every change of scale,
    // a change to none ("TLIST()") too, so that no value takes the scale before it. A
    // scale holding a blank, a comma, a parenthesis or the like is quoted, as the reader
    // would otherwise end it there and take the rest of the file for the list.
    const std::string* lastCode = nullptr;
    for (const auto& value : v->ValueCode) {
      if (!lastCode || value->TimeCode != *lastCode) {
        lastCode = &value->TimeCode;
        list.addToken("TLIST(" + u(*lastCode) + ")");
      }
      list.addQuoted(value->TimeVal);
    }
    list.finish();
  }
  for (const auto& v : variables) {
    if (!v->IsPartitioned) continue;
    statement(out, variablePart("PARTITIONED", *v) + q(v->PartName1) + ",1," +
                       std::to_string(v->PartNumber));
    statement(out, variablePart("PARTITIONED", *v) + q(v->PartName2) + "," +
                       std::to_string(v->PartNumber + 1));
  }
  for (const auto& v : variables) {
    if (v->Elimination.empty()) continue;
    statement(out, variablePart("ELIMINATION", *v) +
                       (v->Elimination == "YES" ? std::string("YES") : q(v->Elimination)));
  }
  for (const auto& v : variables) {
    if (v->DoubleColumn == "YES") statement(out, variablePart("DOUBLECOLUMN", *v) + "YES");
  }
  for (const auto& v : variables) {
    if (v->Prestext == "0" || v->Prestext == "1" || v->Prestext == "2") {
      statement(out, variablePart("PRESTEXT", *v) + q(v->Prestext));
    }
  }
  // PRECISION, VALUENOTEX and VALUENOTE name their value by its text; see keyedValues.
  auto keyedLines = [&](const char* keyword, std::string ValueAndCode::*field,
                        const std::function<std::string(const std::string&)>& written) {
    for (const auto& v : variables) {
      const std::vector<bool> keyed =
          keyedValues(*v, [&](const ValueAndCode& value) { return !(value.*field).empty(); });
      std::size_t i = 0;
      for (const auto& value : v->ValueCode) {
        if (keyed[i++]) statement(out, valuePart(keyword, *v, *value) + written((*value).*field));
      }
    }
  };
  keyedLines("PRECISION", &ValueAndCode::Precision,
             [](const std::string& text) { return text.empty() ? q("") : u(text); });
  for (const auto& v : variables) {
    if (!v->Domain.empty()) statement(out, variablePart("DOMAIN", *v) + q(v->Domain));
  }
  for (const auto& v : variables) {
    if (!v->Map.empty()) statement(out, variablePart("MAP", *v) + q(v->Map));
  }
  if (!doc.Infofile.empty()) statement(out, "INFOFILE=" + q(doc.Infofile));
  if (!doc.ContVariable.empty()) {
    statement(out, "CONTVARIABLE=" + q(doc.ContVariable));
    if (const auto content = doc.Get_Dimension(doc.ContVariable)) contentValueLines(out, *content);
  }
  if (!doc.Source.empty()) statement(out, "SOURCE=" + wrapText(doc.Source, false));
  if (!doc.Copyright.empty()) statement(out, "COPYRIGHT=" + u(doc.Copyright));
  if (!doc.Database.empty()) statement(out, "DATABASE=" + q(doc.Database));
  if (!doc.Notex.empty()) statement(out, "NOTEX=" + wrapText(doc.Notex, true));
  if (!doc.Note.empty()) statement(out, "NOTE=" + wrapText(doc.Note, true));
  for (const auto& v : variables) {
    if (!v->Notex.empty()) statement(out, variablePart("NOTEX", *v) + wrapText(v->Notex, true));
  }
  for (const auto& v : variables) {
    if (!v->Note.empty()) statement(out, variablePart("NOTE", *v) + wrapText(v->Note, true));
  }
  auto wrapped = [](const std::string& text) { return wrapText(text, true); };
  keyedLines("VALUENOTEX", &ValueAndCode::Notex, wrapped);
  keyedLines("VALUENOTE", &ValueAndCode::Note, wrapped);
  cellNoteLines(out, doc.Cellnotes);
  if (doc.FileWithKeys) {
    for (const auto& v : doc.colStub) {
      statement(out, variablePart("KEYS", *v) + (v->UseCodes ? "CODES" : "VALUES"));
    }
  }
  return out;
}

std::string BuildFileBytes(VexaMess& doc, const WriteOptions& options, WriteResult& result) {
  const CodePage page = options.ansi ? CodePage::Ansi : CodePage::Oem;
  std::string text = make_vqstring(doc, options);
  std::string rawData;
  // A table read as metadata only writes its DATA section back as the very bytes it
  // was read with, and none when the file had none.
  const bool keptData = doc.MetadataOnly && doc.DataSectionRead();
  if (keptData) {
    text += "DATA=";
  } else if (doc.GridHasData && doc.SprData) {
    GetDataMod::AppendDataText(doc, *doc.SprData, result.check, text);
    text += ";";
  }
  // One code page from the first byte to the last.
  result.lossy = encodeInPlace(text, page);
  if (keptData) {
    // The kept DATA bytes go back as they were read, or converted when the file is now
    // written in the other code page.
    if (doc.RawDataPage() == page) {
      text += doc.RawDataText();
    } else {
      std::string data = decode(doc.RawDataText(), doc.RawDataPage());
      result.lossy = encodeInPlace(data, page) || result.lossy;
      text += data;
    }
  }
  return text;
}

std::string WriteRefusal(const VexaMess& doc) {
  if (doc.FileWithKeys && doc.colStub.Count() == 0) {
    return "The table cannot be saved: it is in the keys form but has no stub variable. A file "
           "marks the keys form by its stub variables, so it would read back in the normal "
           "form. Add a stub variable first.";
  }
  // The reader refuses a second variable under a name it already has; names compare
  // as the variable keys do, and a double quote is written as an apostrophe.
  std::unordered_map<std::string, const DimensionData*> names;
  for (const auto& v : doc.Dimensions) {
    const auto [held, fresh] = names.emplace(foldCase(writtenText(v->name)), v.get());
    if (!fresh) {
      return "The table cannot be saved: the variables \"" + held->second->name + "\" and \"" +
             v->name +
             "\" would be saved under one name (a double quote is saved as an "
             "apostrophe), and the second would be lost. Rename one of them first.";
    }
  }
  // A cell note is read back only when every entry of its address is "*" or the text of
  // a value of the variable at that place.
  if (doc.Cellnotes.Count() == 0) return {};
  if (doc.Dimensions.Count() == 0) {
    return "The table cannot be saved: it has cell notes but no variables, so the notes would "
           "be lost. Add the variables again (Undo) or delete the notes first.";
  }
  std::vector<std::unordered_set<std::string>> texts;
  for (const auto& v : doc.Dimensions) {
    auto& held = texts.emplace_back();
    for (const auto& value : v->ValueCode) held.insert(writtenText(value->value));
  }
  for (const auto& note : doc.Cellnotes) {
    bool placed = note->Values().Count() == doc.Dimensions.Count();
    for (std::size_t i = 0; placed && i < texts.size(); ++i) {
      const ValueRef value = note->Values().Item(static_cast<std::int32_t>(i) + 1);
      const std::string text = writtenText(value ? value->value : std::string());
      placed = text == "*" || texts[i].contains(text);
    }
    if (!placed) {
      return "The table cannot be saved: the cell note on " + address(*note) +
             " does not name a value of each variable of the table, so it would be lost. "
             "Delete the note first.";
    }
  }
  return {};
}

namespace {

// A table whose DATA section is its grid's cells in the normal form: written in pieces
// as they are built, without the whole file in memory.
bool streamsData(const VexaMess& doc) {
  return !(doc.MetadataOnly && doc.DataSectionRead()) && doc.GridHasData && doc.SprData &&
         doc.GridCreated && !doc.FileWithKeys;
}

// True when text has no byte past ASCII, which every code page keeps as it is: most
// pieces of numbers need no encoding. Written as one reduction, so that the compiler
// checks many bytes at once.
bool asciiOnly(std::string_view text) {
  unsigned char seen = 0;
  for (const char c : text) seen |= static_cast<unsigned char>(c);
  return seen < 0x80;
}

// About this many cells go into one piece of the DATA text (a few megabytes).
constexpr std::int64_t kCellsPerPiece = 1 << 18;

// The rows of the DATA text in the code page, built piece by piece on the machine's cores
// and handed to write in their order. At most two pieces per thread wait to be written, so
// the memory stays a few pieces whatever the table's size. The grid is only read here.
// Returns false when a write failed; an exception of a builder is kept in failure.
bool writeDataRows(const VexaMess& doc, const CellGrid& grid, CodePage page, bool& lossy,
                   const PieceWriter& write, std::exception_ptr& failure) {
  const std::int32_t first = doc.DataRow1;
  const std::int32_t last = grid.rowCount();
  if (first > last) return true;
  const std::int64_t cols = std::max(1, grid.colCount() - doc.DataCol1 + 1);
  const std::int64_t rowsPerPiece = std::max<std::int64_t>(1, kCellsPerPiece / cols);
  const std::int64_t pieces = (last - first + rowsPerPiece) / rowsPerPiece;

  struct Piece {
    std::string text;
    bool lossy = false;
    bool ready = false;
  };
  auto build = [&](std::int64_t index, Piece& piece) {
    const auto r1 = static_cast<std::int32_t>(first + index * rowsPerPiece);
    const auto r2 = static_cast<std::int32_t>(std::min<std::int64_t>(last, r1 + rowsPerPiece - 1));
    DataCheck ignored;  // the caller checks the cells once all are written
    std::vector<GetDataMod::CellPaint> paints;
    piece.text.clear();
    GetDataMod::AppendNormalRows(doc, grid, r1, r2, ignored, paints, piece.text);
    piece.lossy = !asciiOnly(piece.text) && encodeInPlace(piece.text, page);
  };

  auto oneByOne = [&] {
    Piece piece;
    for (std::int64_t i = 0; i < pieces; ++i) {
      build(i, piece);
      lossy = piece.lossy || lossy;
      if (!write(piece.text)) return false;
    }
    return true;
  };
  const auto threads = static_cast<std::size_t>(std::min<std::int64_t>(
      pieces, std::clamp<unsigned>(std::thread::hardware_concurrency(), 1, 8)));
  if (threads <= 1) return oneByOne();

  const std::size_t ring = 2 * threads;
  std::vector<Piece> slots(ring);
  std::mutex mutex;
  std::condition_variable changed;
  std::int64_t claimed = 0;  // pieces handed to builders
  std::int64_t written = 0;  // pieces written, in order
  bool stop = false;
  auto builder = [&] {
    Piece own;
    for (;;) {
      std::int64_t index = 0;
      {
        std::unique_lock lock(mutex);
        // A piece is built only when its slot is free: the piece ring places before it
        // has been written.
        changed.wait(lock, [&] {
          return stop || claimed >= pieces || claimed < written + static_cast<std::int64_t>(ring);
        });
        if (stop || claimed >= pieces) return;
        index = claimed++;
      }
      try {
        build(index, own);
      } catch (...) {
        std::lock_guard lock(mutex);
        if (!failure) failure = std::current_exception();
        stop = true;
        changed.notify_all();
        return;
      }
      std::lock_guard lock(mutex);
      Piece& slot = slots[static_cast<std::size_t>(index) % ring];
      std::swap(slot.text, own.text);
      slot.lossy = own.lossy;
      slot.ready = true;
      changed.notify_all();
    }
  };
  std::vector<std::thread> workers;
  try {
    for (std::size_t t = 0; t < threads; ++t) workers.emplace_back(builder);
  } catch (...) {
    // Fewer threads than asked for will do; with none, this one builds the pieces.
  }
  if (workers.empty()) return oneByOne();

  bool ok = true;
  std::string text;
  for (std::int64_t i = 0; i < pieces && ok; ++i) {
    Piece& slot = slots[static_cast<std::size_t>(i) % ring];
    {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return stop || slot.ready; });
      if (!slot.ready) {
        ok = false;
        break;
      }
      std::swap(text, slot.text);
      lossy = slot.lossy || lossy;
      slot.ready = false;
    }
    ok = write(text);
    std::lock_guard lock(mutex);
    ++written;
    if (!ok) stop = true;
    changed.notify_all();
  }
  for (auto& worker : workers) worker.join();
  return ok && !failure;
}

}  // namespace

WriteResult Write_To_File(VexaMess& doc, const std::string& FileName, const WriteOptions& options) {
  WriteResult result;
  // A table whose file would read back as another table is not written at all.
  result.error = WriteRefusal(doc);
  if (!result.error.empty()) return result;
  // Written beside the target and renamed over it, so that the old file stays whole
  // until the new one is complete; a folder that does not exist is the user's to make.
  WriteFileOptions how;
  how.createFolders = false;
  if (streamsData(doc)) {
    // The same bytes as BuildFileBytes, made while they are written: the metadata, then
    // the rows of the DATA section, each starting with its line break, then ";".
    const CodePage page = options.ansi ? CodePage::Ansi : CodePage::Oem;
    std::string head = make_vqstring(doc, options) + "DATA=";
    result.lossy = encodeInPlace(head, page);
    CellGrid& grid = *doc.SprData;
    std::exception_ptr failure;
    result.ok = writeFileAtomically(
        FileName,
        [&](const PieceWriter& write) {
          // A failure to build stops the file, which is then removed, and is thrown below.
          try {
            return write(head) && writeDataRows(doc, grid, page, result.lossy, write, failure) &&
                   write(";");
          } catch (...) {
            failure = std::current_exception();
            return false;
          }
        },
        result.error, how, &result.errorCode);
    if (failure) std::rethrow_exception(failure);
    // The flags and the painted cells of the DATA build.
    GetDataMod::CheckDataCells(doc, grid, result.check);
    return result;
  }
  const std::string bytes = BuildFileBytes(doc, options, result);
  result.ok = writeFileAtomically(FileName, bytes, result.error, how, &result.errorCode);
  return result;
}

}  // namespace zendra
