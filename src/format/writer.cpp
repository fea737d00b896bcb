#include "format/writer.h"

#include <ctime>

#include "base/file_io.h"
#include "encoding/codepage.h"
#include "encoding/utf8.h"

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

// The content lines of the table (suffix "=") or of one value of the content variable
// (suffix "(\"text\")="). A value whose text is empty keeps its argument, "(\"\")=", so
// that its lines never read back as the table's own.
void contentLines(std::string& out, const ContentData& cd, const std::string& suffix) {
  auto line = [&](const char* keyword, const std::string& field, std::string value) {
    if (!field.empty()) statement(out, keyword + suffix + value);
  };
  line("UNITS", cd.Units, q(cd.Units));
  line("DAYADJ", cd.DayAdj, u(cd.DayAdj));
  line("SEASADJ", cd.SeasAdj, u(cd.SeasAdj));
  line("STOCKFA", cd.StockFA, q(cd.StockFA));
  line("CFPRICES", cd.CFPrices, q(cd.CFPrices));
  line("LAST-UPDATED", cd.LastUpdated, q(cd.LastUpdated));
  line("REFPERIOD", cd.Refperiod, q(cd.Refperiod));
  line("BASEPERIOD", cd.Baseperiod, q(cd.Baseperiod));
  line("CONTACT", cd.Contact, wrapText(cd.Contact, true));
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
  doc.setSaveDecimals();
  doc.Decimaler = doc.SaveDecimals;
  statement(out, "DECIMALS=" + std::to_string(doc.Decimaler));
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
  contentLines(out, *doc.ContData, "=");

  for (const auto& v : variables) {
    if (v->ValueCode.Count() == 0) continue;
    ListLine list(out, variablePart("VALUES", *v));
    for (const auto& value : v->ValueCode) list.addQuoted(value->value);
    list.finish();
  }
  for (const auto& v : variables) {
    if (!v->UseCodes || v->ValueCode.Count() == 0) continue;
    ListLine list(out, variablePart("CODES", *v));
    for (const auto& value : v->ValueCode) list.addQuoted(value->code);
    list.finish();
  }
  for (const auto& v : variables) {
    if (!v->UseTimeVal || v->ValueCode.Count() == 0) continue;
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
  for (const auto& v : variables) {
    for (const auto& value : v->ValueCode) {
      if (!value->Precision.empty()) {
        statement(out, valuePart("PRECISION", *v, *value) + u(value->Precision));
      }
    }
  }
  for (const auto& v : variables) {
    if (!v->Domain.empty()) statement(out, variablePart("DOMAIN", *v) + q(v->Domain));
  }
  for (const auto& v : variables) {
    if (!v->Map.empty()) statement(out, variablePart("MAP", *v) + q(v->Map));
  }
  if (!doc.Infofile.empty()) statement(out, "INFOFILE=" + q(doc.Infofile));
  if (!doc.ContVariable.empty()) {
    statement(out, "CONTVARIABLE=" + q(doc.ContVariable));
    if (const auto content = doc.Get_Dimension(doc.ContVariable)) {
      for (const auto& value : content->ValueCode) {
        if (value->ContentData) {
          contentLines(out, *value->ContentData, "(" + q(value->value) + ")=");
        }
      }
    }
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
  for (const auto& v : variables) {
    for (const auto& value : v->ValueCode) {
      if (!value->Notex.empty()) {
        statement(out, valuePart("VALUENOTEX", *v, *value) + wrapText(value->Notex, true));
      }
    }
  }
  for (const auto& v : variables) {
    for (const auto& value : v->ValueCode) {
      if (!value->Note.empty()) {
        statement(out, valuePart("VALUENOTE", *v, *value) + wrapText(value->Note, true));
      }
    }
  }
  for (const auto& note : doc.Cellnotes) {
    if (!note->Note.empty()) {
      statement(out, "CELLNOTE(" + address(*note) + ")=" + wrapText(note->Note, true));
    }
    if (!note->Notex.empty()) {
      statement(out, "CELLNOTEX(" + address(*note) + ")=" + wrapText(note->Notex, true));
    }
  }
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

WriteResult Write_To_File(VexaMess& doc, const std::string& FileName, const WriteOptions& options) {
  WriteResult result;
  const std::string bytes = BuildFileBytes(doc, options, result);
  // Written beside the target and renamed over it, so that the old file stays whole
  // until the new one is complete; a folder that does not exist is the user's to make.
  WriteFileOptions how;
  how.createFolders = false;
  result.ok = writeFileAtomically(FileName, bytes, result.error, how, &result.errorCode);
  return result;
}

}  // namespace zendra
