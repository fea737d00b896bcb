// Random sequences of the steps a user makes through the editor window, on fixture,
// generated and new tables. Each step is pushed as the window pushes it (wrapped by
// settled(), onto a history that behaves as the window's). The state after every kept
// step is recorded; every undo and redo, during the sequence and after it, must give that
// state back, a step the history lets go of must leave the state as it was, the grid's
// labels must be those a new layout writes, and the last file must read back to a table
// that writes the same bytes (unless the writer refuses the table). The cells' colours
// are left out of the state: checks paint them outside any step, as a view matter. A
// failing sequence is shrunk to the fewest steps that still fail the same way and printed
// as a case to replay.
//
// CI runs kSeeds fixed seeds. Outside CI, in any build (Release is fastest):
//   ZENDRA_RANDOM_SECONDS=N  runs seeds from ZENDRA_RANDOM_SEED (default 1) for N seconds;
//   ZENDRA_RANDOM_CASE="seed:i,j,k" replays the steps i, j and k of one seed and prints them
//   (with ZENDRA_RANDOM_TRACE=1 also the state after each and the file read back);
//   ZENDRA_RANDOM_ALL_READ_BACK=1 reads back the tables the writer refuses too.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/editor/cell_commands.h"
#include "core/editor/field_commands.h"
#include "core/editor/fill_commands.h"
#include "core/editor/import_command.h"
#include "core/editor/keys_conversion.h"
#include "core/editor/note_commands.h"
#include "core/editor/paste_commands.h"
#include "core/editor/settled_step.h"
#include "core/editor/step_group.h"
#include "core/editor/value_commands.h"
#include "core/editor/variable_commands.h"
#include "core/format/completeness.h"
#include "core/format/data_builder.h"
#include "core/grid/data_methods.h"
#include "support/loaded_table.h"
#include "support/step_checks.h"

using namespace zendra;
using namespace zendra::test;

namespace {

// About 30 s under the sanitizers on two cores (a Release build runs 200 a second).
constexpr std::uint64_t kSeeds = 360;

using Rng = std::mt19937_64;

Rng rngFor(std::uint64_t seed, std::uint64_t stream) {
  std::seed_seq s{static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32),
                  static_cast<std::uint32_t>(stream)};
  return Rng(s);
}
int below(Rng& rng, int n) {
  return n <= 0 ? 0 : static_cast<int>(rng() % static_cast<std::uint64_t>(n));
}
bool chance(Rng& rng, int percent) {
  return below(rng, 100) < percent;
}
std::string pick(Rng& rng, std::initializer_list<const char*> items) {
  return items.begin()[below(rng, static_cast<int>(items.size()))];
}
std::string anyText(Rng& rng) {
  return pick(rng, {"", " ", "0", "1", "2.5", "-3", "12,5", "1e3", "..", ".", "-", "......", "x",
                    "\xC3\x85re", "a b", "x\"y", "7", "v1"});
}
std::string anyTime(Rng& rng) {
  return pick(rng, {"A1", "Q1", "M1", "W1", "", "x", "2020", "2020Q1", "a b"});
}
std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}
// Names as users type them: new ones, blanks, and names in use in another letter case.
std::string anyName(Rng& rng, const VexaMess& doc) {
  if (doc.Dimensions.Count() > 0 && chance(rng, 20)) {
    return upper(doc.Dimensions.Item(1 + below(rng, doc.Dimensions.Count()))->name);
  }
  return pick(rng, {"region", "Sex", "\xC3\xA5r", "time", "A", "b", " ", "", " kind "});
}
template <typename T>
void shuffle(Rng& rng, std::vector<T>& items) {
  for (std::size_t i = items.size(); i > 1; --i) {
    std::swap(items[i - 1], items[static_cast<std::size_t>(below(rng, static_cast<int>(i)))]);
  }
}

// A table file made from the seed: one or two stub and up to two heading variables with
// one to three values, codes, precision and keys at random, with or without DATA.
std::string generatedTable(Rng& rng, bool keys, bool data) {
  std::ostringstream f;
  f << "CHARSET=\"ANSI\";\nMATRIX=\"R1\";\nCONTENTS=\"Random\";\nDECIMALS=" << below(rng, 3)
    << ";\n";
  const int stub = 1 + below(rng, 2), heading = below(rng, 3);
  std::vector<int> counts;
  std::string names[] = {"a", "b", "c", "d"};
  for (int side = 0; side < 2; ++side) {
    const int n = side == 0 ? stub : heading;
    if (n == 0) continue;
    f << (side == 0 ? "STUB=" : "HEADING=");
    for (int i = 0; i < n; ++i) f << (i ? "," : "") << '"' << names[counts.size() + i] << '"';
    f << ";\n";
    for (int i = 0; i < n; ++i) counts.push_back(1 + below(rng, 3));
  }
  for (std::size_t v = 0; v < counts.size(); ++v) {
    const std::string& n = names[v];
    std::string texts, codes;
    for (int i = 1; i <= counts[v]; ++i) {
      texts += (i > 1 ? "," : "") + std::string("\"") + n + std::to_string(i) + "\"";
      codes += (i > 1 ? "," : "") + std::string("\"0") + std::to_string(i) + "\"";
    }
    f << "VALUES(\"" << n << "\")=" << texts << ";\n";
    const bool coded = chance(rng, 50);
    if (coded) f << "CODES(\"" << n << "\")=" << codes << ";\n";
    if (keys && static_cast<int>(v) < stub) {
      f << "KEYS(\"" << n << "\")=" << (coded ? "CODES" : "VALUES") << ";\n";
    }
    if (chance(rng, 20))
      f << "PRECISION(\"" << n << "\",\"" << n << "1\")=" << below(rng, 4) << ";\n";
  }
  if (!data) return f.str();
  auto cell = [&rng] { return pick(rng, {"1", "2.25", "0", "-7", "\"..\"", "\"-\"", "\"x\""}); };
  int cols = 1;
  for (std::size_t v = stub; v < counts.size(); ++v) cols *= counts[v];
  f << "DATA=\n";
  if (!keys) {
    int rows = 1;
    for (int v = 0; v < stub; ++v) rows *= counts[v];
    for (int r = 0; r < rows * cols; ++r) f << cell() << ((r + 1) % cols ? " " : "\n");
  } else {
    for (int line = below(rng, 4); line > 0; --line) {
      for (int v = 0; v < stub; ++v) f << "\"0" << 1 + below(rng, counts[v]) << "\",";
      for (int c = 0; c < cols; ++c) f << (c ? "," : "") << cell();
      f << "\n";
    }
  }
  f << ";\n";
  return f.str();
}

std::unique_ptr<Loaded> makeTable(Rng& rng, std::string& what) {
  switch (below(rng, 7)) {
    case 0:
      what = "ansi_months.vq";
      return std::make_unique<Loaded>("ansi_months.vq");
    case 1:
      what = "keys_form.vq";
      return std::make_unique<Loaded>("keys_form.vq");
    case 2:
      what = "oem_full.vq";
      return std::make_unique<Loaded>("oem_full.vq");
    case 3:
      what = "a new table";
      return std::make_unique<Loaded>(Loaded::New{false});
    case 4:
      what = "a new keys table";
      return std::make_unique<Loaded>(Loaded::New{true});
    default: {
      const bool keys = chance(rng, 50), data = chance(rng, 60);
      const std::string text = generatedTable(rng, keys, data);
      what = "the table\n" + text;
      return std::make_unique<Loaded>(Loaded::Text{text});
    }
  }
}

// The window's history (a QUndoStack) without Qt: a step that changes nothing is not
// done; one found to change nothing once done is let go of without an undo; typing
// steps merge (never into the saved state), and a merge that ends where it began goes;
// a step that cannot be undone clears the history.
class History {
 public:
  enum class Push { NotDone, LetGo, Merged, Kept, Cleared };
  Push push(std::unique_ptr<Command> step, bool keepClean) {
    if (step->changesNothing()) return Push::NotDone;
    const bool wasClean = index_ == clean_;
    step->redo();
    steps_.resize(static_cast<std::size_t>(index_));
    if (clean_ > index_) clean_ = -1;
    Push result = Push::Kept;
    Command* top = index_ > 0 ? steps_.back().get() : nullptr;
    if (top && top->id() != -1 && top->id() == step->id() && index_ != clean_ &&
        top->mergeWith(*step)) {
      result = Push::Merged;
      if (top->changesNothing()) {
        steps_.pop_back();
        --index_;
        result = Push::LetGo;
      }
    } else if (step->changesNothing()) {
      result = Push::LetGo;
    }
    const bool undoable = step->undoable();
    if (result == Push::Kept) {
      steps_.push_back(std::move(step));
      ++index_;
      if (wasClean && keepClean) clean_ = index_;
    }
    if (!undoable) {
      steps_.clear();
      index_ = 0;
      clean_ = -1;
      return Push::Cleared;
    }
    return result;
  }
  bool undo() {
    if (index_ == 0) return false;
    steps_[static_cast<std::size_t>(--index_)]->undo();
    return true;
  }
  bool redo() {
    if (index_ == static_cast<int>(steps_.size())) return false;
    steps_[static_cast<std::size_t>(index_++)]->redo();
    return true;
  }
  int index() const { return index_; }

 private:
  std::vector<std::unique_ptr<Command>> steps_;
  int index_ = 0;
  int clean_ = 0;
};

// One user action: a step to push, or Undo or Redo, or nothing (a refusal, a Cancel).
struct Action {
  std::string what;
  std::unique_ptr<Command> step = nullptr;
  bool keepClean = false;  // the keys-rows sort keeps a table unchanged that was so
  int move = 0;            // -1 Undo, +1 Redo
};

struct World {
  Loaded& t;
  bool showCodes;
  std::uint64_t session = 0;  // the box being typed into
  std::string* typing = nullptr;
  VexaMess& doc() { return t.doc; }
  CellGrid& grid() { return t.grid; }
  DimensionRef anyVariable(Rng& rng, bool withValues = false) {
    std::vector<DimensionRef> all;
    for (const auto& v : doc().Dimensions) {
      if (!withValues || v->ValueCode.Count() > 0) all.push_back(v);
    }
    return all.empty() ? nullptr : all[below(rng, static_cast<int>(all.size()))];
  }
  std::string where(std::int32_t r, std::int32_t c) {
    return "(" + std::to_string(r) + "," + std::to_string(c) + ")";
  }
};

// The value grid's columns for a variable, as the Variables page shows them.
std::vector<ValueField> valueColumns(const DimensionData& v) {
  std::vector<ValueField> out;
  if (v.UseCodes) out.push_back(ValueField::Code);
  out.push_back(ValueField::Value);
  if (v.UseTimeVal) {
    out.push_back(ValueField::TimeType);
    out.push_back(ValueField::Time);
  }
  return out;
}

// A clipboard block as a spreadsheet copies one: tabs between cells, a line a row.
std::string clipboard(int rows, int cols, const std::function<std::string()>& text) {
  std::string out;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) out += (c ? "\t" : "") + text();
    out += "\n";
  }
  return out;
}

// A line of a text import: the label of a value per variable (its code when it has
// codes) and one value or a row of values; some lines are refused. The wizard's layout
// puts item i into field order[i].
std::string importLine(Rng& rng, const VexaMess& doc, bool row, const std::string& sep,
                       const std::vector<std::int32_t>& order) {
  std::vector<std::string> items;
  for (const auto& v : doc.Dimensions) {
    if (row && doc.colHeading.IndexOf(v.get()) != 0) continue;
    const auto value = v->ValueCode.Item(1 + below(rng, v->ValueCode.Count()));
    items.push_back(chance(rng, 10) || !value ? std::string("zz")
                    : v->UseCodes             ? value->code
                                              : value->value);
  }
  for (int i = row ? std::max(1, doc.NumCols) : 1; i > 0; --i) {
    items.push_back(pick(rng, {"5", "1.5", "..", "-", "abc", "3,5", "0", ""}));
  }
  std::vector<std::string> fields(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    fields[order.empty() ? i : static_cast<std::size_t>(order[i] - 1)] = items[i];
  }
  std::string line;
  for (const auto& field : fields) line += (line.empty() ? "" : sep) + field;
  return line + "\n";
}

using Maker = std::function<Action(World&, Rng&)>;

// Every kind of step the window offers, made with arguments a user can give.
const std::vector<std::pair<int, Maker>>& makers() {
  static const std::vector<std::pair<int, Maker>> all = {
      {8,
       [](World& w, Rng& rng) -> Action {  // typing into a cell of the data grid
         CellGrid& g = w.grid();
         if (g.rowCount() == 0 || g.colCount() == 0) return {};
         std::int32_t r = 1 + below(rng, g.rowCount()), c = 1 + below(rng, g.colCount());
         if (chance(rng, 70) && w.doc().DataRow1 > 0 && w.doc().DataRow1 <= g.rowCount()) {
           r = w.doc().DataRow1 + below(rng, g.rowCount() - w.doc().DataRow1 + 1);
         }
         if (!g.editable(r, c)) return {"a locked cell"};
         std::string text = anyText(rng);
         // A key column of the keys form takes its variable's codes or texts.
         const auto key = w.doc().FileWithKeys ? w.doc().colStub.Item(c) : nullptr;
         if (key && key->ValueCode.Count() > 0 && chance(rng, 70)) {
           const auto value = key->ValueCode.Item(1 + below(rng, key->ValueCode.Count()));
           text = key->UseCodes ? value->code : value->value;
         }
         return {"type '" + text + "' at " + w.where(r, c),
                 std::make_unique<EditCellCommand>(w.doc(), g, r, c, text)};
       }},
      {3,
       [](World& w, Rng& rng) -> Action {  // Delete on a block
         CellGrid& g = w.grid();
         if (g.rowCount() == 0) return {};
         Block b{1 + below(rng, g.rowCount()), 1 + below(rng, g.colCount()), 0, 0};
         b.row2 = b.row1 + below(rng, 3);
         b.col2 = b.col1 + below(rng, 3);
         if (chance(rng, 15)) b.row1 = b.row2 = -1;
         if (chance(rng, 15)) b.col1 = b.col2 = -1;
         return {"Delete " + w.where(b.row1, b.col1) + "-" + w.where(b.row2, b.col2),
                 std::make_unique<ClearCellsCommand>(w.doc(), g, b)};
       }},
      {1,
       [](World& w, Rng&) -> Action {
         if (!StructureComplete(w.doc())) return {};
         return {"Clear all data",
                 std::make_unique<ClearAllDataCommand>(w.doc(), w.grid(), w.showCodes)};
       }},
      {2,
       [](World& w, Rng& rng) -> Action {  // Delete current row: keys form with data
         CellGrid& g = w.grid();
         if (!w.doc().FileWithKeys || !w.doc().GridHasData || !StructureComplete(w.doc()))
           return {};
         const std::int32_t row = 1 + below(rng, g.rowCount());
         if (row < w.doc().DataRow1 || (w.doc().FileWithKeys && row == g.rowCount())) return {};
         return {"Delete row " + std::to_string(row),
                 std::make_unique<DeleteRowCommand>(w.doc(), g, row)};
       }},
      {1,
       [](World& w, Rng&) -> Action {  // the sort before a save or a test
         if (!w.doc().FileWithKeys || !w.doc().GridCreated) return {};
         auto sort = std::make_unique<SortKeysRowsCommand>(w.doc(), w.grid());
         if (!sort->moves()) return {};
         return {"Sort keys rows", std::move(sort), true};
       }},
      {4,
       [](World& w, Rng& rng) -> Action {  // paste into the data grid
         CellGrid& g = w.grid();
         if (g.rowCount() == 0 || g.colCount() == 0) return {};
         const int rows = 1 + below(rng, 4), cols = 1 + below(rng, 4);
         Block target{1 + below(rng, g.rowCount()), 1 + below(rng, g.colCount()), 0, 0};
         target.row2 = target.row1 + (chance(rng, 70) ? 0 : below(rng, 4));
         target.col2 = target.col1 + (chance(rng, 70) ? 0 : below(rng, 4));
         target = g.clip(target);
         const bool oneCell = target.row1 == target.row2 && target.col1 == target.col2;
         if (!oneCell &&
             (target.row2 - target.row1 + 1 != rows || target.col2 - target.col1 + 1 != cols) &&
             chance(rng, 30)) {
           return {"a paste not continued"};
         }
         const std::string text = clipboard(rows, cols, [&rng] { return anyText(rng); });
         ClipboardBlock block = ClipboardBlock::parse(text);
         if (block.empty()) return {};
         return {"paste " + std::to_string(rows) + "x" + std::to_string(cols) + " at " +
                     w.where(target.row1, target.col1) + "-" + w.where(target.row2, target.col2),
                 std::make_unique<PasteCellsCommand>(w.doc(), g, target, std::move(block))};
       }},
      {3,
       [](World& w, Rng& rng) -> Action {  // paste into the value grid
         const DimensionRef v = w.anyVariable(rng);
         if (!v) return {};
         const auto columns = valueColumns(*v);
         const int row = below(rng, v->ValueCode.Count() + 1);
         const int col = below(rng, static_cast<int>(columns.size()));
         const int rows = 1 + below(rng, 3), cols = 1 + below(rng, 3);
         const auto block = ClipboardBlock::parse(clipboard(rows, cols, [&rng] {
           return chance(rng, 30)   ? anyText(rng)
                  : chance(rng, 50) ? anyTime(rng)
                                    : "n" + std::to_string(below(rng, 9));
         }));
         ValuePaste paste =
             MakeValuePaste(w.doc(), w.grid(), v, columns, row, col, block, w.showCodes);
         if (!paste.fits || !paste.step) return {"a value paste that does not fit"};
         if (RefusedTimeType(block, paste.turned, col, columns)) return {"no time type"};
         return {"paste " + std::to_string(rows) + "x" + std::to_string(cols) +
                     " into the values of " + v->name + " at " + w.where(row, col),
                 std::move(paste.step)};
       }},
      {2,
       [](World& w, Rng& rng) -> Action {  // Fill empty cells, after the check it runs
         DataCheck check;
         GetDataMod::BuildDataText(w.doc(), w.grid(), check);
         if (!check.DataMissing && !check.InvalidData) return {"all cells are filled"};
         const bool empty = check.DataMissing && chance(rng, 80);
         const bool invalid = check.InvalidData && chance(rng, 80);
         const std::string symbol = pick(rng, {".", "..", "-", "0"});
         return {"Fill '" + symbol + "'" + (empty ? " empty" : "") + (invalid ? " invalid" : ""),
                 std::make_unique<FillEmptyCommand>(w.doc(), w.grid(), empty, invalid, symbol)};
       }},
      {1,
       [](World& w, Rng& rng) -> Action {  // Convert to Keys format
         if (w.doc().FileWithKeys || !w.doc().GridCreated || !w.doc().GridHasData ||
             !StructureComplete(w.doc())) {
           return {};
         }
         const bool keep = chance(rng, 50);
         if (CellsNotKeptByKeysConversion(w.doc(), w.grid(), keep) > 0 && chance(rng, 30)) {
           return {"a conversion declined"};
         }
         return {
             std::string("Convert to keys, ") + (keep ? "keeping" : "not keeping") + " the heading",
             std::make_unique<ConvertToKeysCommand>(w.doc(), w.grid(), keep, w.showCodes)};
       }},
      {3,
       [](World& w, Rng& rng) -> Action {  // a text import
         if (!w.doc().GridCreated || !StructureComplete(w.doc())) return {};
         TextImportSettings s;
         s.separator = chance(rng, 50) ? "Tab" : ";";
         s.multipleValues = chance(rng, 30);
         s.skipFirst = chance(rng, 20);
         s.fillMissing = chance(rng, 30);
         s.decimalPoint = pick(rng, {".", ",", ""});
         std::vector<std::int32_t> order;
         if (!s.multipleValues && chance(rng, 25)) {  // the wizard: fields in any order
           for (std::int32_t i = 1; i <= w.doc().Dimensions.Count() + 1; ++i) order.push_back(i);
           shuffle(rng, order);
           s.layout = FieldLayout{FieldLayout::Kind::Delimited, {}, order};
           s.decimalPoint = "";
         }
         std::string text;
         for (int n = 1 + below(rng, 4); n > 0; --n) {
           text += chance(rng, 15) ? std::string("zz\n")
                                   : importLine(rng, w.doc(), s.multipleValues,
                                                s.separator == "Tab" ? "\t" : ";", order);
         }
         std::string shown = text;
         std::replace(shown.begin(), shown.end(), '\n', '|');
         return {"import '" + shown + "'" + (s.multipleValues ? " rows" : "") +
                     (order.empty() ? "" : " by the wizard") + (s.skipFirst ? " skip first" : "") +
                     (s.fillMissing ? " fill" : "") + " point '" + s.decimalPoint + "'",
                 std::make_unique<ImportTextCommand>(w.doc(), w.grid(), text, s)};
       }},
      {3,
       [](World& w, Rng& rng) -> Action {  // Add Stub / Add Heading
         if (w.doc().GridHasData) return {};
         const int side = below(rng, 2);
         if (chance(rng, 40)) {
           const std::string name = anyName(rng, w.doc());
           auto step =
               std::make_unique<AddVariableCommand>(w.doc(), w.grid(), side, name, w.showCodes);
           if (!step->refusal().empty()) return {"refused: " + step->refusal()};
           return {"add variable '" + name + "' to side " + std::to_string(side), std::move(step)};
         }
         // A standard variable or one of another table, copied in.
         auto source = DimensionData::create(anyName(rng, w.doc()));
         source->UseCodes = chance(rng, 50);
         source->UseTimeVal = chance(rng, 20);
         for (int i = 1 + below(rng, 3); i > 0; --i) {
           auto value = source->addVal();
           value->value = "s" + std::to_string(i);
           value->code = std::to_string(i);
           if (source->UseTimeVal) value->TimeCode = "A1";
         }
         auto step =
             std::make_unique<AddVariableCommand>(w.doc(), w.grid(), side, *source, w.showCodes);
         if (!step->refusal().empty()) return {"refused: " + step->refusal()};
         return {"copy in variable '" + source->name + "' with " +
                     std::to_string(source->ValueCode.Count()) + " values to side " +
                     std::to_string(side),
                 std::move(step)};
       }},
      {2,
       [](World& w, Rng& rng) -> Action {  // Remove Stub / Remove Heading
         if (w.doc().GridHasData) return {};
         const int side = below(rng, 2);
         const auto& list = side == 0 ? w.doc().colStub : w.doc().colHeading;
         if (list.Count() == 0) return {};
         const std::string name = list.Item(1 + below(rng, list.Count()))->name;
         return {"remove variable " + name, std::make_unique<RemoveVariableCommand>(
                                                w.doc(), w.grid(), side, name, w.showCodes)};
       }},
      {1,
       [](World& w, Rng& rng) -> Action {  // Reorder Stub / Reorder Heading
         if (w.doc().GridHasData) return {};
         const int side = below(rng, 2);
         std::vector<std::string> order;
         for (const auto& v : side == 0 ? w.doc().colStub : w.doc().colHeading)
           order.push_back(v->name);
         if (order.size() < 2) return {};
         shuffle(rng, order);
         return {"reorder side " + std::to_string(side),
                 std::make_unique<ReorderVariablesCommand>(w.doc(), w.grid(), side, order,
                                                           w.showCodes)};
       }},
      {2,
       [](World& w, Rng& rng) -> Action {  // Add Dimension, while the grid holds data
         if (!w.doc().GridHasData) return {};
         const int side = below(rng, 2);
         const std::string name = anyName(rng, w.doc());
         std::string value = anyText(rng);
         if (!VariableNameProblem(w.doc(), name).empty() ||
             value.find_first_not_of(' ') == std::string::npos) {
           return {"the dialog refused"};
         }
         const std::string code = chance(rng, 50) ? "" : anyText(rng);
         return {"Add Dimension '" + name + "' = '" + value + "' code '" + code + "' side " +
                     std::to_string(side),
                 std::make_unique<AddOneValuedVariableCommand>(w.doc(), w.grid(), side, name, code,
                                                               value, w.showCodes)};
       }},
      {2,
       [](World& w, Rng& rng) -> Action {  // rename a variable
         const DimensionRef v = w.anyVariable(rng);
         if (!v) return {};
         const std::string name = chance(rng, 20) ? upper(v->name) : anyName(rng, w.doc());
         auto step = std::make_unique<RenameVariableCommand>(w.doc(), w.grid(), v->name, name);
         if (!step->refusal().empty()) return {"refused: " + step->refusal()};
         return {"rename " + v->name + " to '" + name + "'", std::move(step)};
       }},
      {4,
       [](World& w, Rng& rng) -> Action {  // typing into the value grid's empty last row
         const DimensionRef v = w.anyVariable(rng);
         if (!v) return {};
         const auto columns = valueColumns(*v);
         const ValueField column = columns[below(rng, static_cast<int>(columns.size()))];
         std::string text = chance(rng, 60) ? "n" + std::to_string(below(rng, 9)) : anyText(rng);
         if (column == ValueField::TimeType) text = anyTime(rng);
         if (column == ValueField::TimeType && !TimeTypeAccepted(text)) return {"no time type"};
         const bool isText = column == ValueField::Value, isCode = column == ValueField::Code;
         auto add = std::make_unique<AddValueCommand>(w.doc(), w.grid(), v, isText ? text : "",
                                                      isCode ? text : "", w.showCodes);
         const std::string what = "new value '" + text + "' in column " +
                                  std::to_string(static_cast<int>(column)) + " of " + v->name;
         if (isText || isCode) return {what, std::move(add)};
         const ValueRef value = add->value();
         std::vector<std::unique_ptr<Command>> steps;
         steps.push_back(std::move(add));
         steps.push_back(std::make_unique<SetTextCommand>(
             "Time",
             std::vector<SetTextCommand::Change>{
                 {value, column == ValueField::Time ? &value->TimeVal : &value->TimeCode, text}}));
         return {what, std::make_unique<StepGroup>("Add Value", std::move(steps))};
       }},
      {3,
       [](World& w, Rng& rng) -> Action {  // editing a value's text, code or time
         const DimensionRef v = w.anyVariable(rng, true);
         if (!v) return {};
         const auto columns = valueColumns(*v);
         const ValueField column = columns[below(rng, static_cast<int>(columns.size()))];
         const int position = 1 + below(rng, v->ValueCode.Count());
         std::string text = chance(rng, 30)
                                ? v->ValueCode.Item(1 + below(rng, v->ValueCode.Count()))->value
                                : anyText(rng);
         if (column == ValueField::TimeType || column == ValueField::Time) text = anyTime(rng);
         if (column == ValueField::TimeType && !TimeTypeAccepted(text)) return {"no time type"};
         const std::string what = "set column " + std::to_string(static_cast<int>(column)) +
                                  " of " + v->name + " " + std::to_string(position) + " to '" +
                                  text + "'";
         if (column == ValueField::Code || column == ValueField::Value) {
           return {what, std::make_unique<SetValueCommand>(w.doc(), w.grid(), v, position,
                                                           column == ValueField::Code
                                                               ? SetValueCommand::Field::Code
                                                               : SetValueCommand::Field::Text,
                                                           text, w.showCodes)};
         }
         const ValueRef value = v->ValueCode.Item(position);
         return {what,
                 std::make_unique<SetTextCommand>(
                     "Time",
                     std::vector<SetTextCommand::Change>{
                         {value, column == ValueField::Time ? &value->TimeVal : &value->TimeCode,
                          text}})};
       }},
      {2,
       [](World& w, Rng& rng) -> Action {  // delete selected values
         const DimensionRef v = w.anyVariable(rng, true);
         if (!v) return {};
         std::vector<std::int32_t> positions;
         std::string what = "delete values";
         for (std::int32_t p = 1; p <= v->ValueCode.Count(); ++p) {
           if (chance(rng, 40)) {
             positions.push_back(p);
             what += " " + std::to_string(p);
           }
         }
         if (positions.empty()) return {};
         return {what + " of " + v->name, std::make_unique<RemoveValuesCommand>(
                                              w.doc(), w.grid(), v, positions, w.showCodes)};
       }},
      {1,
       [](World& w, Rng& rng) -> Action {  // reorder values
         const DimensionRef v = w.anyVariable(rng, true);
         if (!v) return {};
         std::vector<std::int32_t> order;
         for (std::int32_t p = 1; p <= v->ValueCode.Count(); ++p) order.push_back(p);
         shuffle(rng, order);
         std::string what = "reorder values of " + v->name + ":";
         for (auto p : order) what += " " + std::to_string(p);
         return {what,
                 std::make_unique<ReorderValuesCommand>(w.doc(), w.grid(), v, order, w.showCodes)};
       }},
      {2,
       [](World& w, Rng& rng) -> Action {  // Values / Codes / Codes and values
         const DimensionRef v = w.anyVariable(rng);
         if (!v) return {};
         const int index = below(rng, 3);
         return {"codes choice " + std::to_string(index) + " for " + v->name,
                 makeCodesChoiceCommand(w.doc(), w.grid(), v, index, w.showCodes)};
       }},
      {1,
       [](World& w, Rng& rng) -> Action {  // Timeval
         const DimensionRef v = w.anyVariable(rng);
         if (!v) return {};
         return {"Timeval of " + v->name,
                 std::make_unique<SetFieldsCommand<bool>>(
                     "Timeval", std::vector<SetFieldsCommand<bool>::Change>{
                                    {v, &v->UseTimeVal, !v->UseTimeVal}})};
       }},
      {3,
       [](World& w, Rng& rng) -> Action {  // a value's precision
         const DimensionRef v = w.anyVariable(rng, true);
         if (!v) return {};
         const ValueRef value = v->ValueCode.Item(1 + below(rng, v->ValueCode.Count()));
         const std::string precision = pick(rng, {"", "0", "1", "2", "3"});
         if (value->Precision == precision) return {};
         return {"precision '" + precision + "' for " + v->name + " " + value->value,
                 std::make_unique<SetPrecisionCommand>(w.doc(), value, precision)};
       }},
      {2,
       [](World& w, Rng& rng) -> Action {  // the Decimals list
         const int chosen = below(rng, 5);
         auto step = makeDecimalsCommand(w.doc(), chosen);
         if (!step) return {};
         return {"Decimals " + std::to_string(chosen), std::move(step)};
       }},
      {1,
       [](World& w, Rng& rng) -> Action {  // Elimination
         const DimensionRef v = w.anyVariable(rng, true);
         if (!v) return {};
         std::string to = chance(rng, 50)
                              ? pick(rng, {"", "YES"})
                              : v->ValueCode.Item(1 + below(rng, v->ValueCode.Count()))->value;
         if (to == v->Elimination) return {};
         return {"Elimination of " + v->name + " '" + to + "'",
                 std::make_unique<SetTextCommand>(
                     "Elimination", std::vector<SetTextCommand::Change>{{v, &v->Elimination, to}})};
       }},
      {4,
       [](World& w, Rng& rng) -> Action {  // typing in a box of the metadata pages
         VexaMess& d = w.doc();
         std::string* fields[] = {&d.Title,
                                  &d.Contents,
                                  &d.Description,
                                  &d.Matrix,
                                  &d.Note,
                                  &d.Source,
                                  d.ContData ? &d.ContData->Units : &d.Notex};
         const int which = below(rng, 8);
         std::string* field = fields[which % 7];
         std::shared_ptr<void> owner = which == 6 ? d.ContData : nullptr;
         // The units of one value of the content variable (its set made when chosen).
         const auto content = d.ContVariable.empty() ? nullptr : d.Get_Dimension(d.ContVariable);
         if (which == 7 && content && content->ValueCode.Count() > 0) {
           const auto set = d.GetContdataKey(
               content->ValueCode.Item(1 + below(rng, content->ValueCode.Count()))->value);
           if (set) {
             field = &set->Units;
             owner = set;
           }
         }
         if (field != w.typing || chance(rng, 30)) {
           w.typing = field;
           w.session = newTypingSession();
         }
         const std::string text =
             chance(rng, 70) ? *field + pick(rng, {"a", " ", "1"}) : anyText(rng);
         return {
             "type '" + text + "' in a box",
             std::make_unique<SetTextCommand>(
                 "Typing", std::vector<SetTextCommand::Change>{{owner, field, text}}, w.session)};
       }},
      {1,
       [](World& w, Rng& rng) -> Action {  // content variable, show decimals: list choices
         VexaMess& d = w.doc();
         if (chance(rng, 50)) {
           const DimensionRef v = w.anyVariable(rng);
           const std::string name = v && chance(rng, 80) ? v->name : "";
           if (name == d.ContVariable) return {};
           return {"content variable '" + name + "'",
                   std::make_unique<SetTextCommand>(
                       "Content variable",
                       std::vector<SetTextCommand::Change>{{nullptr, &d.ContVariable, name}})};
         }
         const std::string shown = pick(rng, {"", "0", "1", "3"});
         if (shown == d.ShowDecimals) return {};
         return {"ShowDecimals '" + shown + "'",
                 std::make_unique<SetTextCommand>(
                     "ShowDecimals",
                     std::vector<SetTextCommand::Change>{{nullptr, &d.ShowDecimals, shown}})};
       }},
      {2,
       [](World& w, Rng& rng) -> Action {  // a new cell note
         if (!StructureComplete(w.doc())) return {};
         auto note = std::make_shared<CellNote>();
         for (const auto& v : w.doc().Dimensions) {
           note->Values().Add(chance(rng, 40)
                                  ? w.doc().AllVals
                                  : v->ValueCode.Item(1 + below(rng, v->ValueCode.Count())));
         }
         if (w.doc().Cellnotes.FindesCellNote(*note)) return {"Cellnote for this cell exists"};
         return {"new cell note " + note->Vstr(),
                 std::make_unique<AddCellNoteCommand>(w.doc(), note)};
       }},
      {2,
       [](World& w, Rng& rng) -> Action {  // a cell note's texts, or deleting it
         if (!StructureComplete(w.doc()) || w.doc().Cellnotes.Count() == 0) return {};
         const CellNoteRef note = w.doc().Cellnotes.Item(1 + below(rng, w.doc().Cellnotes.Count()));
         if (chance(rng, 40)) {
           return {"delete cell note " + note->Vstr(),
                   std::make_unique<RemoveCellNoteCommand>(w.doc(), note)};
         }
         const std::string text = anyText(rng);
         return {"cell note text '" + text + "'",
                 std::make_unique<SetTextCommand>(
                     "CellNote",
                     std::vector<SetTextCommand::Change>{
                         {note, chance(rng, 50) ? &note->Note : &note->Notex, text}},
                     newTypingSession())};
       }},
      {6,
       [](World&, Rng&) -> Action {
         return {"Undo", nullptr, false, -1};
       }},
      {3,
       [](World&, Rng&) -> Action {
         return {"Redo", nullptr, false, 1};
       }},
  };
  return all;
}

Action makeAction(World& w, Rng& rng) {
  int total = 0;
  for (const auto& m : makers()) total += m.first;
  int roll = below(rng, total);
  for (const auto& m : makers()) {
    if ((roll -= m.first) < 0) return m.second(w, rng);
  }
  return {};
}

// Where and how a sequence failed; kind says which check, so that shrinking keeps to
// the same fault.
struct Failure {
  std::string kind;
  std::string detail = {};
  explicit operator bool() const { return !kind.empty(); }
};

std::string firstDifference(const std::string& want, const std::string& got) {
  std::istringstream a(want), b(got);
  std::string la, lb;
  for (int line = 1;; ++line) {
    const bool ma = static_cast<bool>(std::getline(a, la)),
               mb = static_cast<bool>(std::getline(b, lb));
    if (!ma && !mb) return "the same";
    if (la != lb || ma != mb) {
      return "line " + std::to_string(line) + ":\n  want: " + (ma ? la : "(end)") +
             "\n  got:  " + (mb ? lb : "(end)");
    }
  }
}

struct Figures {
  std::uint64_t sequences = 0;
  std::uint64_t steps = 0;  // drawn; some are refused or need what the table lacks
  std::uint64_t done = 0;   // done, undone or redone
  std::map<std::string, std::uint64_t> refused;  // by the writer, with the reason
};

// The labels of a laid-out grid are always those a new layout writes: the heading's
// rows and, in the normal form, the stub's columns (row 1, which shows the description
// as it was at the last layout, aside).
Failure labelsFollow(const VexaMess& doc, const CellGrid& grid, bool showCodes) {
  if (!doc.GridCreated) return {};
  CellGrid relabelled = grid;
  RelabelGrid(doc, relabelled, showCodes);
  auto text = [&](const CellGrid& g) {
    std::string out;
    for (std::int32_t r = 2; r <= g.rowCount(); ++r) {
      for (std::int32_t c = 1; c <= g.colCount(); ++c) {
        if (r < doc.DataRow1 || (!doc.FileWithKeys && c < doc.DataCol1)) out += g.text(r, c) + "|";
      }
      out += "\n";
    }
    return out;
  };
  const std::string want = text(relabelled), got = text(grid);
  return want == got ? Failure{} : Failure{"labels", firstDifference(want, got)};
}

int stepCount(std::uint64_t seed) {
  Rng rng = rngFor(seed, 0);
  return 20 + below(rng, 181);
}

// Runs the sequence of a seed: every step, or only those whose indices are listed
// (each step draws from its own random stream, so a step stays what it was as far as
// the table allows when others are left out). log, when given, gets each step made.
Failure runSequence(std::uint64_t seed, const std::vector<int>* only, std::vector<std::string>* log,
                    Figures& figures) {
  const int count = stepCount(seed);
  Rng rng = rngFor(seed, 1u << 31);
  std::string what;
  auto t = makeTable(rng, what);
  World w{*t, chance(rng, 50)};
  // Now and then a bound so low that steps keeping a copy of the grid cannot be undone.
  std::optional<SnapshotLimit> limit;
  if (chance(rng, 10)) limit.emplace(static_cast<std::size_t>(200 + below(rng, 2000)));
  if (log) log->push_back("on " + what + (w.showCodes ? " showing codes" : ""));
  // The labels of the View the window shows, as it reads a table.
  if (t->doc.GridCreated) {
    WriteStubLabels(t->doc, t->grid, w.showCodes);
    WriteHeadingLabels(t->doc, t->grid, w.showCodes);
  }
  SettleGrid(t->doc, t->grid, w.showCodes);
  History history;
  std::vector<std::string> states{tableState(*t, false)};
  auto check = [&](const std::string& kind) -> Failure {
    if (Failure f = labelsFollow(t->doc, t->grid, w.showCodes)) return f;
    const std::string now = tableState(*t, false);
    const std::string& want = states[static_cast<std::size_t>(history.index())];
    if (now == want) return {};
    return {kind, firstDifference(want, now)};
  };
  ++figures.sequences;
  for (int i = 0; i < count; ++i) {
    if (only && !std::binary_search(only->begin(), only->end(), i)) continue;
    Rng stepRng = rngFor(seed, static_cast<std::uint64_t>(i) + 1);
    Action a = makeAction(w, stepRng);
    if (log && (a.step || a.move)) log->push_back(std::to_string(i) + ": " + a.what);
    struct Trace {  // a replay prints the state after each step
      std::vector<std::string>* log;
      Loaded& t;
      ~Trace() {
        if (log && std::getenv("ZENDRA_RANDOM_TRACE")) log->push_back(tableState(t, false));
      }
    } trace{log, *t};
    ++figures.steps;
    const std::string at = " at step " + std::to_string(i) + " (" + a.what + ")";
    if (a.move != 0) {
      if (a.move < 0 ? history.undo() : history.redo()) {
        ++figures.done;
        if (Failure f = check(a.move < 0 ? "undo" : "redo")) return {f.kind, f.detail + at};
      }
      continue;
    }
    if (!a.step) continue;
    const auto pushed =
        history.push(settled(std::move(a.step), t->doc, t->grid, w.showCodes), a.keepClean);
    if (pushed == History::Push::NotDone) continue;
    ++figures.done;
    if (pushed == History::Push::Cleared) states.clear();
    states.resize(static_cast<std::size_t>(history.index()) + 1);
    if (pushed == History::Push::LetGo) {
      if (Failure f = check("a step let go of changed the table")) return {f.kind, f.detail + at};
    } else {
      states.back() = tableState(*t, false);
    }
  }
  // Back to the start, forward to the end, then back and forth at random.
  while (history.undo()) {
    if (Failure f = check("undo")) return {f.kind, f.detail + " undoing at the end"};
  }
  while (history.redo()) {
    if (Failure f = check("redo")) return {f.kind, f.detail + " redoing at the end"};
  }
  Rng end = rngFor(seed, 1u << 30);
  for (int i = 0; i < 30; ++i) {
    const bool back = chance(end, 50);
    if (back ? history.undo() : history.redo()) {
      if (Failure f = check(back ? "undo" : "redo"))
        return {f.kind, f.detail + " at random at the end"};
    }
  }
  // The file must read back to a table that writes the same bytes, unless the writer
  // refuses the table (a save then writes nothing).
  const std::string refusal = WriteRefusal(t->doc);
  if (!refusal.empty() && !std::getenv("ZENDRA_RANDOM_ALL_READ_BACK")) {
    ++figures.refused[refusal.substr(0, refusal.find_first_of("\".", 28))];
    return {};
  }
  const std::string bytes = writtenFile(*t);
  Loaded back(Loaded::Text{bytes});
  SettleGrid(back.doc, back.grid, w.showCodes);
  const std::string again = writtenFile(back);
  if (log && std::getenv("ZENDRA_RANDOM_TRACE")) log->push_back(bytes + "\nread back:\n" + again);
  if (again != bytes) return {"read back", firstDifference(bytes, again)};
  return {};
}

// Leaves out steps (halves, quarters, ... single steps) while the same check still fails.
std::vector<int> shrink(std::uint64_t seed, const Failure& failure, int count) {
  std::vector<int> kept;
  for (int i = 0; i < count; ++i) kept.push_back(i);
  Figures ignored;
  for (std::size_t chunk = kept.size() / 2; chunk >= 1; chunk /= 2) {
    for (std::size_t start = 0; start < kept.size();) {
      std::vector<int> fewer(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(start));
      fewer.insert(fewer.end(),
                   kept.begin() + static_cast<std::ptrdiff_t>(std::min(start + chunk, kept.size())),
                   kept.end());
      if (runSequence(seed, &fewer, nullptr, ignored).kind == failure.kind) {
        kept = fewer;
      } else {
        start += chunk;
      }
    }
  }
  return kept;
}

std::string replayable(std::uint64_t seed, const Failure& failure) {
  const auto kept = shrink(seed, failure, stepCount(seed));
  std::string text = "ZENDRA_RANDOM_CASE=\"" + std::to_string(seed) + ":";
  for (std::size_t i = 0; i < kept.size(); ++i) text += (i ? "," : "") + std::to_string(kept[i]);
  std::vector<std::string> log;
  Figures ignored;
  const Failure shrunk = runSequence(seed, &kept, &log, ignored);
  text += "\"\n";
  for (const auto& line : log) text += line + "\n";
  return text + shrunk.kind + ": " + shrunk.detail + "\n";
}

std::uint64_t envNumber(const char* name, std::uint64_t otherwise) {
  const char* text = std::getenv(name);
  return text && *text ? std::strtoull(text, nullptr, 10) : otherwise;
}

}  // namespace

TEST(RandomSteps, EveryStepUndoesAndRedoesAndTheFileReadsBack) {
  Figures figures;
  if (const char* only = std::getenv("ZENDRA_RANDOM_CASE")) {
    const std::string text = only;
    const std::uint64_t seed = std::strtoull(text.c_str(), nullptr, 10);
    std::vector<int> kept;
    std::istringstream list(text.substr(text.find(':') + 1));
    for (std::string index; std::getline(list, index, ',');) kept.push_back(std::stoi(index));
    std::sort(kept.begin(), kept.end());
    std::vector<std::string> log;
    const Failure f = runSequence(seed, &kept, &log, figures);
    for (const auto& line : log) std::cout << line << "\n";
    EXPECT_FALSE(f) << f.kind << ": " << f.detail;
    return;
  }
  const std::uint64_t seconds = envNumber("ZENDRA_RANDOM_SECONDS", 0);
  const std::uint64_t first = envNumber("ZENDRA_RANDOM_SEED", 1);
  const auto start = std::chrono::steady_clock::now();
  // Failures alike (the same check on the same statement, or on cells) are shrunk once.
  std::map<std::string, int> seen;
  for (std::uint64_t seed = first;; ++seed) {
    if (seconds == 0 ? seed >= first + kSeeds
                     : std::chrono::steady_clock::now() - start >= std::chrono::seconds(seconds)) {
      break;
    }
    const Failure f = runSequence(seed, nullptr, nullptr, figures);
    if (!f) continue;
    const std::string want = f.detail.substr(f.detail.find("want:") + 6);
    const std::string alike = f.kind + ": " +
                              (std::isalpha(static_cast<unsigned char>(want[0]))
                                   ? want.substr(0, want.find_first_of("(='\n"))
                                   : "a line of cells");
    if (seen[alike]++ == 0 && seen.size() <= 10) {
      ADD_FAILURE() << "seed " << seed << " fails; shrunk:\n" << replayable(seed, f);
    }
  }
  std::cout << figures.sequences << " sequences, " << figures.steps << " steps, " << figures.done
            << " done, undone or redone\n";
  for (const auto& [alike, count] : seen) std::cout << count << " failing: " << alike << "\n";
  for (const auto& [why, count] : figures.refused)
    std::cout << count << " refused: " << why << "\n";
}
