#include "core/export/json_stat_export.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>

namespace zendra {
namespace {

using nlohmann::ordered_json;

constexpr std::size_t kPiece = 1 << 20;

// "CCYYMMDD hh:mm" (the file's date form) as ISO 8601; other texts as they are.
std::string isoDate(const std::string& text) {
  const bool digits = text.size() >= 8 && text.find_first_not_of("0123456789") >= 8;
  if (!digits) return text;
  std::string iso = text.substr(0, 4) + "-" + text.substr(4, 2) + "-" + text.substr(6, 2);
  if (text.size() >= 14 && text[8] == ' ' && text[11] == ':') iso += "T" + text.substr(9, 5);
  return iso;
}

void addIf(ordered_json& object, const char* key, const std::string& text) {
  if (!text.empty()) object[key] = text;
}

// The category key of a value: its code where the variable has codes, else its text.
const std::string& categoryKey(const DimensionData& variable, const ValueAndCode& value) {
  return variable.UseCodes ? value.code : value.value;
}

ordered_json dimension(const VexaMess& doc, const DimensionData& variable) {
  ordered_json d;
  d["label"] = variable.name;
  ordered_json index = ordered_json::object(), labels = ordered_json::object();
  ordered_json units = ordered_json::object(), notes = ordered_json::object();
  std::int32_t at = 0;
  const bool metric = !doc.ContVariable.empty() && variable.name == doc.ContVariable;
  for (const auto& value : variable.ValueCode) {
    const std::string& key = categoryKey(variable, *value);
    index[key] = at++;
    labels[key] = value->value;
    if (metric) {
      const ContentData* content = value->ContentData.get();
      ordered_json unit;
      unit["decimals"] = doc.Decimaler;
      unit["label"] = content && !content->Units.empty()
                          ? content->Units
                          : (doc.ContData ? doc.ContData->Units : std::string());
      units[key] = unit;
    }
    ordered_json texts = ordered_json::array();
    for (const std::string* note : {&value->Note, &value->Notex}) {
      if (!note->empty()) texts.push_back(*note);
    }
    if (!texts.empty()) notes[key] = texts;
  }
  d["category"]["index"] = index;
  d["category"]["label"] = labels;
  if (metric) d["category"]["unit"] = units;
  if (!notes.empty()) d["category"]["note"] = notes;
  ordered_json own = ordered_json::array();
  for (const std::string* note : {&variable.Note, &variable.Notex}) {
    if (!note->empty()) own.push_back(*note);
  }
  if (!own.empty()) d["note"] = own;
  return d;
}

}  // namespace

ExportWalk WriteJsonStat(const VexaMess& doc, const CellGrid& grid,
                         const std::function<bool(std::string_view)>& write) {
  ordered_json head;
  head["version"] = "2.0";
  head["class"] = "dataset";
  head["label"] = doc.Title.empty() ? doc.Contents : doc.Title;
  addIf(head, "source", doc.Source);
  // The table's LAST-UPDATED, else the latest of its content values' ("CCYYMMDD hh:mm"
  // sorts as text).
  std::string updated = doc.ContData ? doc.ContData->LastUpdated : std::string();
  if (const auto content = doc.Dimensions.Item(doc.ContVariable); updated.empty() && content) {
    for (const auto& value : content->ValueCode) {
      if (value->ContentData) updated = std::max(updated, value->ContentData->LastUpdated);
    }
  }
  if (!updated.empty()) head["updated"] = isoDate(updated);
  ordered_json ids = ordered_json::array(), sizes = ordered_json::array();
  ordered_json times = ordered_json::array();
  ordered_json dimensions = ordered_json::object();
  std::int64_t count = 1;
  for (std::int32_t v = 1; v <= doc.Dimensions.Count(); ++v) {
    const auto variable = doc.Dimensions.Item(v);
    ids.push_back(variable->name);
    sizes.push_back(variable->ValueCode.Count());
    count *= variable->ValueCode.Count();
    if (variable->UseTimeVal) times.push_back(variable->name);
    dimensions[variable->name] = dimension(doc, *variable);
  }
  head["id"] = ids;
  head["size"] = sizes;
  if (!times.empty()) head["role"]["time"] = times;
  if (!doc.ContVariable.empty() && doc.Dimensions.Item(doc.ContVariable)) {
    head["role"]["metric"] = ordered_json::array({doc.ContVariable});
  }
  head["dimension"] = dimensions;
  ordered_json notes = ordered_json::array();
  for (const std::string* note : {&doc.Note, &doc.Notex}) {
    if (!note->empty()) notes.push_back(*note);
  }
  if (!notes.empty()) head["note"] = notes;
  ordered_json extension = ordered_json::object();
  addIf(extension, "matrix", doc.Matrix);
  addIf(extension, "subjectArea", doc.SubjectArea);
  addIf(extension, "subjectCode", doc.SubjectCode);
  addIf(extension, "contents", doc.Contents);
  addIf(extension, "database", doc.Database);
  addIf(extension, "copyright", doc.Copyright);
  addIf(extension, "description", doc.Description);
  addIf(extension, "language", doc.Language);
  addIf(extension, "creationDate", doc.CreationDate);
  if (doc.ContData) {
    addIf(extension, "units", doc.ContData->Units);
    addIf(extension, "contact", doc.ContData->Contact);
    addIf(extension, "refperiod", doc.ContData->Refperiod);
    addIf(extension, "baseperiod", doc.ContData->Baseperiod);
    addIf(extension, "stockfa", doc.ContData->StockFA);
    addIf(extension, "cfprices", doc.ContData->CFPrices);
  }
  extension["decimals"] = doc.Decimaler;
  head["extension"] = extension;

  // The head without its closing brace, then the cells as they are walked.
  std::string out = head.dump();
  out.pop_back();
  const bool keys = doc.FileWithKeys;
  out += keys ? ",\"value\":{" : ",\"value\":[";
  ordered_json status = ordered_json::object();
  bool writing = true;
  bool first = true;
  std::int64_t position = 0;
  std::vector<std::int32_t> sizesOf;
  for (std::int32_t v = 1; v <= doc.Dimensions.Count(); ++v) {
    sizesOf.push_back(doc.Dimensions.Item(v)->ValueCode.Count());
  }
  // The next entry of the value list or object, with its comma.
  auto next = [&] {
    if (!first) out += ',';
    first = false;
  };
  ExportWalk walk = ForEachCell(doc, grid, [&](const ExportCell& cell) {
    std::int64_t at = 0;
    for (std::size_t v = 0; v < sizesOf.size(); ++v) at = at * sizesOf[v] + cell.values[v];
    if (!keys) {
      // Row-major, as the walk goes; a position the grid does not reach is null.
      for (; position < at; ++position) {
        next();
        out += "null";
      }
      position = at + 1;
    }
    next();
    if (keys) out += "\"" + std::to_string(at) + "\":";
    if (cell.kind == ExportCell::Kind::Number) {
      out += cell.text;
    } else {
      out += "null";
      if (cell.kind != ExportCell::Kind::Missing) status[std::to_string(at)] = cell.text;
    }
    if (out.size() < kPiece) return true;
    writing = write(out);
    out.clear();
    return writing;
  });
  if (!keys) {
    for (; position < count; ++position) {
      next();
      out += "null";
    }
  }
  out += keys ? "}" : "]";
  if (!status.empty()) out += ",\"status\":" + status.dump();
  out += "}\n";
  if (writing) write(out);
  return walk;
}

}  // namespace zendra
