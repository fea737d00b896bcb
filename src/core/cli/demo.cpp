#include "core/cli/demo.h"

#include <memory>

#include "core/model/vexa_mess.h"

namespace zendra::cli {
namespace {

void printSide(std::ostream& out, const char* title, const DimensionDataColl& side) {
  out << title << ":\n";
  for (const auto& variable : side) {
    out << "  " << variable->name << (variable->UseTimeVal ? " (time)" : "") << ":";
    for (const auto& value : variable->ValueCode) {
      out << ' ' << value->value;
      if (variable->UseCodes) out << " [" << value->code << ']';
    }
    out << '\n';
  }
}

}  // namespace

int runDemo(std::ostream& out) {
  VexaMess doc;
  int events = 0;
  doc.DimensionChanged.connect([&events](std::int16_t, std::int16_t) { ++events; });

  doc.Matrix = "BE0101";
  doc.Contents = "Population";
  doc.Decimaler = 0;

  auto region = doc.addDimension("region", 0);
  region->UseCodes = true;
  for (auto [code, text] : {std::pair{"01", "Stockholm"}, {"03", "Uppsala"}}) {
    auto v = region->addVal();
    v->code = code;
    v->value = text;
  }
  auto sex = doc.addDimension("sex", 1);
  sex->addVal()->value = "men";
  sex->addVal()->value = "women";
  auto year = doc.addTimeDimension("year", 1, "2024", "2024");
  year->UseTimeVal = true;
  year->ValueCode.Item(1)->TimeCode = "A1";
  auto y2025 = year->addVal();
  y2025->value = y2025->code = "2025";
  y2025->Precision = "1";
  doc.setSaveDecimals();

  auto note = std::make_shared<CellNote>();
  note->Note = "Preliminary figures";
  for (std::int32_t i = 0; i < doc.Dimensions.Count(); ++i) note->Values().Add(doc.AllVals);
  note->ReplaceValue(doc.Dimensions.IndexOf(year.get()), y2025);
  doc.Cellnotes.Add(note);

  std::int64_t rows = 1, cols = 1;
  for (const auto& v : doc.colStub) rows *= v->ValueCode.Count();
  for (const auto& v : doc.colHeading) cols *= v->ValueCode.Count();

  out << "Table " << doc.Matrix << ": " << doc.Contents << '\n';
  printSide(out, "Stub", doc.colStub);
  printSide(out, "Heading", doc.colHeading);
  out << "Cells: " << rows << " rows x " << cols << " columns = " << rows * cols << '\n';
  out << "Decimals stored: " << doc.SaveDecimals << '\n';
  for (const auto& n : doc.Cellnotes) out << "Cell note (" << n->Vstr() << "): " << n->Note << '\n';
  out << "Structure changes raised: " << events << '\n';
  return 0;
}

}  // namespace zendra::cli
