// Random sequences of the steps a user makes through the editor window, on fixture,
// generated and new tables. Each step is pushed as the window pushes it (wrapped by
// settled(), onto a history that behaves as the window's). The state after every kept
// step is recorded; every undo and redo, during the sequence and after it, must give that
// state back, a step the history lets go of must leave the state as it was, the grid's
// labels must be those a new layout writes, and the last file must read back to a table
// that writes the same bytes (unless the writer refuses the table). The cells' colours
// are left out of the state: checks paint them outside any step, as a view matter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
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

// About 30 s under the sanitizers on two cores.
constexpr std::uint64_t kSeeds = 360;

using Rng = std::mt19937_64;
using Step = std::unique_ptr<Command>;
using Changes = std::vector<SetTextCommand::Change>;

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
ValueRef anyValue(Rng& rng, const DimensionData& v) {
  return v.ValueCode.Item(1 + below(rng, v.ValueCode.Count()));
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
std::string quoted(const std::string& s) {
  return "\"" + s + "\"";
}

// A table file made from the seed: one or two stub and up to two heading variables with
// one to three values, codes, precision and keys at random, with or without DATA.
std::string generatedTable(Rng& rng, bool keys, bool data) {
  std::ostringstream f;
  f << "CHARSET=\"ANSI\";\nMATRIX=\"R1\";\nCONTENTS=\"Random\";\nDECIMALS=" << below(rng, 3)
    << ";\n";
  const int stub = 1 + below(rng, 2), heading = below(rng, 3);
  std::vector<int> counts;
  const std::string names[] = {"a", "b", "c", "d"};
  for (int side = 0; side < 2; ++side) {
    const int n = side == 0 ? stub : heading;
    if (n == 0) continue;
    f << (side == 0 ? "STUB=" : "HEADING=");
    for (int i = 0; i < n; ++i) f << (i ? "," : "") << quoted(names[counts.size() + i]);
    f << ";\n";
    for (int i = 0; i < n; ++i) counts.push_back(1 + below(rng, 3));
  }
  for (std::size_t v = 0; v < counts.size(); ++v) {
    const std::string& n = names[v];
    std::string texts, codes;
    for (int i = 1; i <= counts[v]; ++i) {
      texts += (i > 1 ? "," : "") + quoted(n + std::to_string(i));
      codes += (i > 1 ? "," : "") + quoted("0" + std::to_string(i));
    }
    f << "VALUES(\"" << n << "\")=" << texts << ";\n";
    const bool coded = chance(rng, 50);
    if (coded) f << "CODES(\"" << n << "\")=" << codes << ";\n";
    if (keys && static_cast<int>(v) < stub)
      f << "KEYS(\"" << n << "\")=" << (coded ? "CODES" : "VALUES") << ";\n";
    if (chance(rng, 20))
      f << "PRECISION(\"" << n << "\",\"" << n << "1\")=" << below(rng, 4) << ";\n";
  }
  if (!data) return f.str();
  auto cell = [&rng] { return pick(rng, {"1", "2.25", "0", "-7", "\"..\"", "\"-\"", "\"x\""}); };
  int cols = 1, rows = 1;
  for (std::size_t v = 0; v < counts.size(); ++v)
    (static_cast<int>(v) < stub ? rows : cols) *= counts[v];
  f << "DATA=\n";
  if (!keys) {
    for (int r = 0; r < rows * cols; ++r) f << cell() << ((r + 1) % cols ? " " : "\n");
  } else {
    for (int line = below(rng, 4); line > 0; --line) {
      for (int v = 0; v < stub; ++v) f << "\"0" << 1 + below(rng, counts[v]) << "\",";
      for (int c = 0; c < cols; ++c) f << (c ? "," : "") << cell();
      f << "\n";
    }
  }
  return f.str() + ";\n";
}

std::unique_ptr<Loaded> makeTable(Rng& rng) {
  const int kind = below(rng, 7);
  if (kind < 3) {
    return std::make_unique<Loaded>(
        std::vector<std::string>{"ansi_months.vq", "keys_form.vq", "oem_full.vq"}[kind]);
  }
  if (kind < 5) return std::make_unique<Loaded>(Loaded::New{kind == 4});
  const bool keys = chance(rng, 50), data = chance(rng, 60);
  return std::make_unique<Loaded>(Loaded::Text{generatedTable(rng, keys, data)});
}

// The window's history (a QUndoStack) without Qt: a step that changes nothing is not
// done; one found to change nothing once done is let go of without an undo; typing
// steps merge (never into the saved state), and a merge that ends where it began goes;
// a step that cannot be undone clears the history.
class History {
 public:
  enum class Push { NotDone, LetGo, Merged, Kept, Cleared };
  Push push(Step step, bool keepClean) {
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
    if (undoable) return result;
    steps_.clear();
    index_ = 0;
    clean_ = -1;
    return Push::Cleared;
  }
  bool undo() { return index_ > 0 && (steps_[static_cast<std::size_t>(--index_)]->undo(), true); }
  bool redo() {
    if (index_ == static_cast<int>(steps_.size())) return false;
    steps_[static_cast<std::size_t>(index_++)]->redo();
    return true;
  }
  int index() const { return index_; }

 private:
  std::vector<Step> steps_;
  int index_ = 0, clean_ = 0;
};

// One user action: a step to push, or Undo (-1) or Redo (+1), or nothing (a refusal).
struct Action {
  Step step = nullptr;
  bool keepClean = false;  // the keys-rows sort keeps a table unchanged that was so
  int move = 0;
};
Action act(Step step) {
  return {std::move(step)};
}

struct World {
  Loaded& t;
  bool showCodes;
  std::uint64_t session = 0;  // the box being typed into
  std::string* typing = nullptr;
  VexaMess& d = t.doc;
  CellGrid& g = t.grid;
  DimensionRef anyVariable(Rng& rng, bool withValues = false) {
    std::vector<DimensionRef> all;
    for (const auto& v : d.Dimensions) {
      if (!withValues || v->ValueCode.Count() > 0) all.push_back(v);
    }
    return all.empty() ? nullptr : all[below(rng, static_cast<int>(all.size()))];
  }
};

// The value grid's columns for a variable, as the Variables page shows them.
std::vector<ValueField> valueColumns(const DimensionData& v) {
  std::vector<ValueField> out;
  if (v.UseCodes) out.push_back(ValueField::Code);
  out.push_back(ValueField::Value);
  if (v.UseTimeVal) out.insert(out.end(), {ValueField::TimeType, ValueField::Time});
  return out;
}
ValueField anyColumn(Rng& rng, const DimensionData& v) {
  const auto columns = valueColumns(v);
  return columns[below(rng, static_cast<int>(columns.size()))];
}
Step setTime(const ValueRef& value, ValueField column, const std::string& text) {
  return std::make_unique<SetTextCommand>(
      "Time",
      Changes{{value, column == ValueField::Time ? &value->TimeVal : &value->TimeCode, text}});
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
    const auto value = anyValue(rng, *v);
    items.push_back(chance(rng, 10) || !value ? "zz" : v->UseCodes ? value->code : value->value);
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

// A variable add: by name, or a copy of a standard variable or one of another table.
Action addVariable(World& w, Rng& rng) {
  const int side = below(rng, 2);
  std::unique_ptr<AddVariableCommand> step;
  if (chance(rng, 40)) {
    step = std::make_unique<AddVariableCommand>(w.d, w.g, side, anyName(rng, w.d), w.showCodes);
  } else {
    auto source = DimensionData::create(anyName(rng, w.d));
    source->UseCodes = chance(rng, 50);
    source->UseTimeVal = chance(rng, 20);
    for (int i = 1 + below(rng, 3); i > 0; --i) {
      auto value = source->addVal();
      value->value = "s" + std::to_string(i);
      value->code = std::to_string(i);
      if (source->UseTimeVal) value->TimeCode = "A1";
    }
    step = std::make_unique<AddVariableCommand>(w.d, w.g, side, *source, w.showCodes);
  }
  if (!step->refusal().empty()) return {};
  return act(std::move(step));
}

// A typing step in a box of the metadata pages, or in a content value's units.
Action typeInABox(World& w, Rng& rng) {
  VexaMess& d = w.d;
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
  const auto content = d.ContVariable.empty() ? nullptr : d.Get_Dimension(d.ContVariable);
  if (which == 7 && content && content->ValueCode.Count() > 0) {
    if (const auto set = d.GetContdataKey(anyValue(rng, *content)->value)) {
      field = &set->Units;
      owner = set;
    }
  }
  if (field != w.typing || chance(rng, 30)) {
    w.typing = field;
    w.session = newTypingSession();
  }
  const std::string text = chance(rng, 70) ? *field + pick(rng, {"a", " ", "1"}) : anyText(rng);
  return act(std::make_unique<SetTextCommand>("Typing", Changes{{owner, field, text}}, w.session));
}

// A text import with settings and lines at random.
Action importText(World& w, Rng& rng) {
  if (!w.d.GridCreated || !StructureComplete(w.d)) return {};
  TextImportSettings s;
  s.separator = chance(rng, 50) ? "Tab" : ";";
  s.multipleValues = chance(rng, 30);
  s.skipFirst = chance(rng, 20);
  s.fillMissing = chance(rng, 30);
  s.decimalPoint = pick(rng, {".", ",", ""});
  std::vector<std::int32_t> order;
  if (!s.multipleValues && chance(rng, 25)) {  // the wizard: fields in any order
    for (std::int32_t i = 1; i <= w.d.Dimensions.Count() + 1; ++i) order.push_back(i);
    shuffle(rng, order);
    s.layout = FieldLayout{FieldLayout::Kind::Delimited, {}, order};
    s.decimalPoint = "";
  }
  std::string text;
  for (int n = 1 + below(rng, 4); n > 0; --n) {
    text += chance(rng, 15)
                ? std::string("zz\n")
                : importLine(rng, w.d, s.multipleValues, s.separator == "Tab" ? "\t" : ";", order);
  }
  return act(std::make_unique<ImportTextCommand>(w.d, w.g, text, s));
}

// Typing into a cell of the data grid.
Action typeInCell(World& w, Rng& rng) {
  CellGrid& g = w.g;
  if (g.rowCount() == 0 || g.colCount() == 0) return {};
  std::int32_t r = 1 + below(rng, g.rowCount()), c = 1 + below(rng, g.colCount());
  if (chance(rng, 70) && w.d.DataRow1 > 0 && w.d.DataRow1 <= g.rowCount()) {
    r = w.d.DataRow1 + below(rng, g.rowCount() - w.d.DataRow1 + 1);
  }
  if (!g.editable(r, c)) return {};
  std::string text = anyText(rng);
  // A key column of the keys form takes its variable's codes or texts.
  const auto key = w.d.FileWithKeys ? w.d.colStub.Item(c) : nullptr;
  if (key && key->ValueCode.Count() > 0 && chance(rng, 70)) {
    const auto value = anyValue(rng, *key);
    text = key->UseCodes ? value->code : value->value;
  }
  return act(std::make_unique<EditCellCommand>(w.d, g, r, c, text));
}
// Delete on a block, whole rows or columns now and then.
Action deleteBlock(World& w, Rng& rng) {
  if (w.g.rowCount() == 0) return {};
  Block b{1 + below(rng, w.g.rowCount()), 1 + below(rng, w.g.colCount()), 0, 0};
  b.row2 = b.row1 + below(rng, 3);
  b.col2 = b.col1 + below(rng, 3);
  if (chance(rng, 15)) b.row1 = b.row2 = -1;
  if (chance(rng, 15)) b.col1 = b.col2 = -1;
  return act(std::make_unique<ClearCellsCommand>(w.d, w.g, b));
}
Action clearAllData(World& w, Rng&) {
  if (!StructureComplete(w.d)) return {};
  return act(std::make_unique<ClearAllDataCommand>(w.d, w.g, w.showCodes));
}
// Delete current row: keys form with data.
Action deleteRow(World& w, Rng& rng) {
  if (!w.d.FileWithKeys || !w.d.GridHasData || !StructureComplete(w.d)) return {};
  const std::int32_t row = 1 + below(rng, w.g.rowCount());
  if (row < w.d.DataRow1 || row == w.g.rowCount()) return {};
  return act(std::make_unique<DeleteRowCommand>(w.d, w.g, row));
}
// The sort before a save or a test.
Action sortKeysRows(World& w, Rng&) {
  if (!w.d.FileWithKeys || !w.d.GridCreated) return {};
  auto sort = std::make_unique<SortKeysRowsCommand>(w.d, w.g);
  if (!sort->moves()) return {};
  return {std::move(sort), true};
}
// A paste into the data grid, at a cell or into a selection.
Action pasteCells(World& w, Rng& rng) {
  CellGrid& g = w.g;
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
    return {};  // the user does not go on with a paste of another size
  }
  ClipboardBlock block =
      ClipboardBlock::parse(clipboard(rows, cols, [&rng] { return anyText(rng); }));
  if (block.empty()) return {};
  return act(std::make_unique<PasteCellsCommand>(w.d, g, target, std::move(block)));
}
// Fill empty cells, after the check it runs.
Action fillEmpty(World& w, Rng& rng) {
  DataCheck check;
  GetDataMod::BuildDataText(w.d, w.g, check);
  if (!check.DataMissing && !check.InvalidData) return {};
  const bool empty = check.DataMissing && chance(rng, 80);
  const bool invalid = check.InvalidData && chance(rng, 80);
  const std::string symbol = pick(rng, {".", "..", "-", "0"});
  return act(std::make_unique<FillEmptyCommand>(w.d, w.g, empty, invalid, symbol));
}
// Convert to Keys format, declined now and then when cells would be lost.
Action convertToKeys(World& w, Rng& rng) {
  if (w.d.FileWithKeys || !w.d.GridCreated || !w.d.GridHasData || !StructureComplete(w.d))
    return {};
  const bool keep = chance(rng, 50);
  if (CellsNotKeptByKeysConversion(w.d, w.g, keep) > 0 && chance(rng, 30)) return {};
  return act(std::make_unique<ConvertToKeysCommand>(w.d, w.g, keep, w.showCodes));
}
// Add Stub / Add Heading.
Action addStubOrHeading(World& w, Rng& rng) {
  return w.d.GridHasData ? Action{} : addVariable(w, rng);
}
// Remove Stub / Remove Heading.
Action removeVariable(World& w, Rng& rng) {
  if (w.d.GridHasData) return {};
  const int side = below(rng, 2);
  const auto& list = side == 0 ? w.d.colStub : w.d.colHeading;
  if (list.Count() == 0) return {};
  const std::string name = list.Item(1 + below(rng, list.Count()))->name;
  return act(std::make_unique<RemoveVariableCommand>(w.d, w.g, side, name, w.showCodes));
}
// Reorder Stub / Reorder Heading.
Action reorderVariables(World& w, Rng& rng) {
  if (w.d.GridHasData) return {};
  const int side = below(rng, 2);
  std::vector<std::string> order;
  for (const auto& v : side == 0 ? w.d.colStub : w.d.colHeading) order.push_back(v->name);
  if (order.size() < 2) return {};
  shuffle(rng, order);
  return act(std::make_unique<ReorderVariablesCommand>(w.d, w.g, side, order, w.showCodes));
}
// Add Dimension, while the grid holds data; the dialog refuses what it would refuse.
Action addDimension(World& w, Rng& rng) {
  if (!w.d.GridHasData) return {};
  const int side = below(rng, 2);
  const std::string name = anyName(rng, w.d), value = anyText(rng);
  if (!VariableNameProblem(w.d, name).empty() || value.find_first_not_of(' ') == std::string::npos)
    return {};
  const std::string code = chance(rng, 50) ? "" : anyText(rng);
  return act(std::make_unique<AddOneValuedVariableCommand>(w.d, w.g, side, name, code, value,
                                                           w.showCodes));
}

// The steps below work on one variable (one with values when asked), drawn first.
using OnVariable = Action (*)(World&, Rng&, const DimensionRef&);
template <OnVariable F, bool withValues = false>
Action onVariable(World& w, Rng& rng) {
  const DimensionRef v = w.anyVariable(rng, withValues);
  return v ? F(w, rng, v) : Action{};
}
// A paste into the value grid.
Action pasteValues(World& w, Rng& rng, const DimensionRef& v) {
  const auto columns = valueColumns(*v);
  const int row = below(rng, v->ValueCode.Count() + 1);
  const int col = below(rng, static_cast<int>(columns.size()));
  const int rows = 1 + below(rng, 3), cols = 1 + below(rng, 3);
  const auto block = ClipboardBlock::parse(clipboard(rows, cols, [&rng] {
    return chance(rng, 30)   ? anyText(rng)
           : chance(rng, 50) ? anyTime(rng)
                             : "n" + std::to_string(below(rng, 9));
  }));
  ValuePaste paste = MakeValuePaste(w.d, w.g, v, columns, row, col, block, w.showCodes);
  if (!paste.fits || !paste.step || RefusedTimeType(block, paste.turned, col, columns)) return {};
  return act(std::move(paste.step));
}
Action renameVariable(World& w, Rng& rng, const DimensionRef& v) {
  const std::string name = chance(rng, 20) ? upper(v->name) : anyName(rng, w.d);
  auto step = std::make_unique<RenameVariableCommand>(w.d, w.g, v->name, name);
  if (!step->refusal().empty()) return {};
  return act(std::move(step));
}
// Typing into the value grid's empty last row.
Action addValue(World& w, Rng& rng, const DimensionRef& v) {
  const ValueField column = anyColumn(rng, *v);
  std::string text = chance(rng, 60) ? "n" + std::to_string(below(rng, 9)) : anyText(rng);
  if (column == ValueField::TimeType) text = anyTime(rng);
  if (column == ValueField::TimeType && !TimeTypeAccepted(text)) return {};
  const bool isText = column == ValueField::Value, isCode = column == ValueField::Code;
  auto add = std::make_unique<AddValueCommand>(w.d, w.g, v, isText ? text : "", isCode ? text : "",
                                               w.showCodes);
  if (isText || isCode) return act(std::move(add));
  const ValueRef value = add->value();
  std::vector<Step> steps;
  steps.push_back(std::move(add));
  steps.push_back(setTime(value, column, text));
  return act(std::make_unique<StepGroup>("Add Value", std::move(steps)));
}
// Editing a value's text, code or time.
Action editValue(World& w, Rng& rng, const DimensionRef& v) {
  const ValueField column = anyColumn(rng, *v);
  const int position = 1 + below(rng, v->ValueCode.Count());
  std::string text = chance(rng, 30) ? anyValue(rng, *v)->value : anyText(rng);
  if (column == ValueField::TimeType || column == ValueField::Time) text = anyTime(rng);
  if (column == ValueField::TimeType && !TimeTypeAccepted(text)) return {};
  if (column != ValueField::Code && column != ValueField::Value)
    return act(setTime(v->ValueCode.Item(position), column, text));
  const auto field =
      column == ValueField::Code ? SetValueCommand::Field::Code : SetValueCommand::Field::Text;
  return act(std::make_unique<SetValueCommand>(w.d, w.g, v, position, field, text, w.showCodes));
}
// Deleting the selected values.
Action removeValues(World& w, Rng& rng, const DimensionRef& v) {
  std::vector<std::int32_t> positions;
  for (std::int32_t p = 1; p <= v->ValueCode.Count(); ++p) {
    if (chance(rng, 40)) positions.push_back(p);
  }
  if (positions.empty()) return {};
  return act(std::make_unique<RemoveValuesCommand>(w.d, w.g, v, positions, w.showCodes));
}
Action reorderValues(World& w, Rng& rng, const DimensionRef& v) {
  std::vector<std::int32_t> order;
  for (std::int32_t p = 1; p <= v->ValueCode.Count(); ++p) order.push_back(p);
  shuffle(rng, order);
  return act(std::make_unique<ReorderValuesCommand>(w.d, w.g, v, order, w.showCodes));
}
// Values / Codes / Codes and values.
Action codesChoice(World& w, Rng& rng, const DimensionRef& v) {
  return act(makeCodesChoiceCommand(w.d, w.g, v, below(rng, 3), w.showCodes));
}
Action timeval(World&, Rng&, const DimensionRef& v) {
  return act(std::make_unique<SetFieldsCommand<bool>>(
      "Timeval", std::vector<SetFieldsCommand<bool>::Change>{{v, &v->UseTimeVal, !v->UseTimeVal}}));
}
Action precision(World& w, Rng& rng, const DimensionRef& v) {
  const ValueRef value = anyValue(rng, *v);
  const std::string precision = pick(rng, {"", "0", "1", "2", "3"});
  if (value->Precision == precision) return {};
  return act(std::make_unique<SetPrecisionCommand>(w.d, value, precision));
}
Action elimination(World&, Rng& rng, const DimensionRef& v) {
  const std::string to = chance(rng, 50) ? pick(rng, {"", "YES"}) : anyValue(rng, *v)->value;
  if (to == v->Elimination) return {};
  return act(std::make_unique<SetTextCommand>("Elimination", Changes{{v, &v->Elimination, to}}));
}

// The Decimals list.
Action decimals(World& w, Rng& rng) {
  return act(makeDecimalsCommand(w.d, below(rng, 5)));
}
// The content variable or the shown decimals: list choices.
Action listChoice(World& w, Rng& rng) {
  const bool content = chance(rng, 50);
  const DimensionRef v = content ? w.anyVariable(rng) : nullptr;
  const std::string to = !content               ? pick(rng, {"", "0", "1", "3"})
                         : v && chance(rng, 80) ? v->name
                                                : "";
  std::string* field = content ? &w.d.ContVariable : &w.d.ShowDecimals;
  if (to == *field) return {};
  return act(std::make_unique<SetTextCommand>(content ? "Content variable" : "ShowDecimals",
                                              Changes{{nullptr, field, to}}));
}
// A new cell note, unless the dialog refuses one already there.
Action addCellNote(World& w, Rng& rng) {
  if (!StructureComplete(w.d)) return {};
  auto note = std::make_shared<CellNote>();
  for (const auto& v : w.d.Dimensions) {
    note->Values().Add(chance(rng, 40) ? w.d.AllVals : anyValue(rng, *v));
  }
  if (w.d.Cellnotes.FindesCellNote(*note)) return {};
  return act(std::make_unique<AddCellNoteCommand>(w.d, note));
}
// A cell note's texts, or deleting it.
Action editCellNote(World& w, Rng& rng) {
  if (!StructureComplete(w.d) || w.d.Cellnotes.Count() == 0) return {};
  const CellNoteRef note = w.d.Cellnotes.Item(1 + below(rng, w.d.Cellnotes.Count()));
  if (chance(rng, 40)) return act(std::make_unique<RemoveCellNoteCommand>(w.d, note));
  const std::string text = anyText(rng);
  return act(std::make_unique<SetTextCommand>(
      "CellNote", Changes{{note, chance(rng, 50) ? &note->Note : &note->Notex, text}},
      newTypingSession()));
}
Action undo(World&, Rng&) {
  return {nullptr, false, -1};
}
Action redo(World&, Rng&) {
  return {nullptr, false, 1};
}

// Every kind of step the window offers, made with arguments a user can give, by weight.
struct Maker {
  int weight;
  Action (*make)(World&, Rng&);
  const char* name;
};
// clang-format off
const Maker kMakers[] = {
    {8, typeInCell, "type in a cell"}, {3, deleteBlock, "Delete"}, {1, clearAllData, "Clear all"},
    {2, deleteRow, "Delete row"}, {1, sortKeysRows, "sort keys rows"}, {4, pasteCells, "paste"},
    {3, onVariable<pasteValues>, "paste values"}, {2, fillEmpty, "Fill"},
    {1, convertToKeys, "Convert to keys"}, {3, importText, "import"},
    {3, addStubOrHeading, "add variable"}, {2, removeVariable, "remove variable"},
    {1, reorderVariables, "reorder variables"}, {2, addDimension, "Add Dimension"},
    {2, onVariable<renameVariable>, "rename"}, {4, onVariable<addValue>, "new value"},
    {3, onVariable<editValue, true>, "edit value"}, {2, onVariable<removeValues, true>, "delete values"},
    {1, onVariable<reorderValues, true>, "reorder values"}, {2, onVariable<codesChoice>, "codes choice"},
    {1, onVariable<timeval>, "Timeval"}, {3, onVariable<precision, true>, "precision"},
    {2, decimals, "Decimals"}, {1, onVariable<elimination, true>, "Elimination"},
    {4, typeInABox, "type in a box"}, {1, listChoice, "content variable or ShowDecimals"},
    {2, addCellNote, "new cell note"}, {2, editCellNote, "cell note text or delete"},
    {6, undo, "Undo"}, {3, redo, "Redo"}};
// clang-format on

// The maker drawn and the action it made.
std::pair<const Maker*, Action> makeAction(World& w, Rng& rng) {
  int total = 0;
  for (const auto& m : kMakers) total += m.weight;
  int roll = below(rng, total);
  for (const Maker& m : kMakers) {
    if ((roll -= m.weight) < 0) return {&m, m.make(w, rng)};
  }
  return {};
}

std::string firstDifference(const std::string& want, const std::string& got) {
  std::istringstream a(want), b(got);
  std::string la, lb;
  for (int line = 1;; ++line) {
    const bool ma = static_cast<bool>(std::getline(a, la)),
               mb = static_cast<bool>(std::getline(b, lb));
    if (!ma && !mb) return "";
    if (la != lb || ma != mb) {
      return "line " + std::to_string(line) + ":\n  want: " + (ma ? la : "(end)") +
             "\n  got:  " + (mb ? lb : "(end)");
    }
  }
}

// The labels of a laid-out grid are always those a new layout writes: the heading's
// rows and, in the normal form, the stub's columns (row 1, which shows the description
// as it was at the last layout, aside).
std::string labelsDiffer(const VexaMess& doc, const CellGrid& grid, bool showCodes) {
  if (!doc.GridCreated) return "";
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
  const std::string d = firstDifference(text(relabelled), text(grid));
  return d.empty() ? "" : "labels: " + d;
}

// Where and how a sequence failed; kind says which check, so that shrinking keeps to
// the same fault.
struct Failure {
  std::string kind, detail;
  explicit operator bool() const { return !kind.empty(); }
};

// Runs the sequence of a seed: every step, or only those whose indices are listed (each
// step draws from its own random stream, so a step stays what it was as far as the table
// allows when others are left out). log, when given, gets each step made (and with
// ZENDRA_RANDOM_TRACE the state after it).
Failure runSequence(std::uint64_t seed, const std::vector<int>* only, std::vector<std::string>* log,
                    std::uint64_t& done) {
  Rng rng = rngFor(seed, 0);
  const int count = 20 + below(rng, 181);
  rng = rngFor(seed, 1u << 31);
  auto t = makeTable(rng);
  World w{*t, chance(rng, 50)};
  // Now and then a bound so low that steps keeping a copy of the grid cannot be undone.
  std::optional<SnapshotLimit> limit;
  if (chance(rng, 10)) limit.emplace(static_cast<std::size_t>(200 + below(rng, 2000)));
  const bool trace = log && std::getenv("ZENDRA_RANDOM_TRACE");
  if (log) log->push_back((w.showCodes ? "showing codes, on\n" : "on\n") + writtenFile(*t));
  // The labels of the View the window shows, as it reads a table.
  if (t->doc.GridCreated) {
    WriteStubLabels(t->doc, t->grid, w.showCodes);
    WriteHeadingLabels(t->doc, t->grid, w.showCodes);
  }
  SettleGrid(t->doc, t->grid, w.showCodes);
  History history;
  std::vector<std::string> states{tableState(*t, false)};
  std::string where;
  auto fails = [&](const std::string& kind) -> Failure {
    std::string f = labelsDiffer(t->doc, t->grid, w.showCodes);
    if (f.empty())
      f = firstDifference(states[static_cast<std::size_t>(history.index())], tableState(*t, false));
    return f.empty() ? Failure{} : Failure{kind, f + where};
  };
  // Undo (back) or Redo, when there is one to do, and the check of the state it gives.
  bool moved = false;
  auto move = [&](bool back) {
    moved = back ? history.undo() : history.redo();
    return moved ? fails(back ? "undo" : "redo") : Failure{};
  };
  for (int i = 0; i < count; ++i) {
    if (only && !std::binary_search(only->begin(), only->end(), i)) continue;
    Rng stepRng = rngFor(seed, static_cast<std::uint64_t>(i) + 1);
    auto [maker, a] = makeAction(w, stepRng);
    where = " at step " + std::to_string(i) + " (" + maker->name + ")";
    if (log && (a.step || a.move)) log->push_back(std::to_string(i) + ": " + maker->name);
    if (a.move != 0) {
      const Failure f = move(a.move < 0);
      done += moved;
      if (f) return f;
    }
    if (a.step) {
      const auto pushed =
          history.push(settled(std::move(a.step), t->doc, t->grid, w.showCodes), a.keepClean);
      if (pushed == History::Push::NotDone) continue;
      ++done;
      if (pushed == History::Push::Cleared) states.clear();
      states.resize(static_cast<std::size_t>(history.index()) + 1);
      if (pushed != History::Push::LetGo) {
        states.back() = tableState(*t, false);
      } else if (Failure f = fails("a step let go of changed the table")) {
        return f;
      }
    }
    if (trace) log->push_back(tableState(*t, false));
  }
  // Back to the start, forward to the end, then back and forth at random.
  where = " at the end";
  for (const bool back : {true, false}) {
    do {
      if (Failure f = move(back)) return f;
    } while (moved);
  }
  Rng end = rngFor(seed, 1u << 30);
  for (int i = 0; i < 30; ++i) {
    if (Failure f = move(chance(end, 50))) return f;
  }
  // The file must read back to a table that writes the same bytes, unless the writer
  // refuses the table (a save then writes nothing).
  if (!WriteRefusal(t->doc).empty() && !std::getenv("ZENDRA_RANDOM_ALL_READ_BACK")) return {};
  const std::string bytes = writtenFile(*t);
  Loaded back(Loaded::Text{bytes});
  SettleGrid(back.doc, back.grid, w.showCodes);
  const std::string again = writtenFile(back);
  if (trace) log->push_back(bytes + "\nread back:\n" + again);
  const std::string d = firstDifference(bytes, again);
  return d.empty() ? Failure{} : Failure{"read back", d};
}

// Leaves out steps (halves, quarters, ... single steps) while the same check still fails,
// and gives the case to replay with the steps that are left.
std::string shrunk(std::uint64_t seed, const Failure& failure) {
  Rng rng = rngFor(seed, 0);
  std::vector<int> kept(static_cast<std::size_t>(20 + below(rng, 181)));
  for (std::size_t i = 0; i < kept.size(); ++i) kept[i] = static_cast<int>(i);
  std::uint64_t ignored = 0;
  for (std::size_t chunk = kept.size() / 2; chunk >= 1; chunk /= 2) {
    for (std::size_t start = 0; start < kept.size();) {
      std::vector<int> fewer = kept;
      fewer.erase(
          fewer.begin() + static_cast<std::ptrdiff_t>(start),
          fewer.begin() + static_cast<std::ptrdiff_t>(std::min(start + chunk, kept.size())));
      if (runSequence(seed, &fewer, nullptr, ignored).kind == failure.kind) {
        kept = fewer;
      } else {
        start += chunk;
      }
    }
  }
  std::string text = "ZENDRA_RANDOM_CASE=\"" + std::to_string(seed) + ":";
  for (std::size_t i = 0; i < kept.size(); ++i) text += (i ? "," : "") + std::to_string(kept[i]);
  std::vector<std::string> log;
  const Failure f = runSequence(seed, &kept, &log, ignored);
  text += "\"\n";
  for (const auto& line : log) text += line + "\n";
  return text + f.kind + ": " + f.detail + "\n";
}

std::uint64_t envNumber(const char* name, std::uint64_t otherwise) {
  const char* text = std::getenv(name);
  return text && *text ? std::strtoull(text, nullptr, 10) : otherwise;
}

}  // namespace

// CI runs kSeeds fixed seeds. Outside CI, in any build (Release is fastest):
//   ZENDRA_RANDOM_SECONDS=N  runs seeds from ZENDRA_RANDOM_SEED (default 1) for N seconds;
//   ZENDRA_RANDOM_CASE="seed:i,j,k" replays the steps i, j and k of one seed and prints them
//   (with ZENDRA_RANDOM_TRACE=1 also the state after each and the file read back);
//   ZENDRA_RANDOM_ALL_READ_BACK=1 reads back the tables the writer refuses too.
// A failing sequence is shrunk to the fewest steps that still fail the same way and printed
// as a case to replay; at most ten are.
TEST(RandomSteps, EveryStepUndoesAndRedoesAndTheFileReadsBack) {
  std::uint64_t done = 0;
  if (const char* only = std::getenv("ZENDRA_RANDOM_CASE")) {
    const std::string text = only;
    std::vector<int> kept;
    std::istringstream list(text.substr(text.find(':') + 1));
    for (std::string index; std::getline(list, index, ',');) kept.push_back(std::stoi(index));
    std::sort(kept.begin(), kept.end());
    std::vector<std::string> log;
    const Failure f = runSequence(std::strtoull(text.c_str(), nullptr, 10), &kept, &log, done);
    for (const auto& line : log) std::cout << line << "\n";
    EXPECT_FALSE(f) << f.kind << ": " << f.detail;
    return;
  }
  const std::uint64_t seconds = envNumber("ZENDRA_RANDOM_SECONDS", 0);
  const std::uint64_t first = envNumber("ZENDRA_RANDOM_SEED", 1);
  const auto start = std::chrono::steady_clock::now();
  int failures = 0;
  for (std::uint64_t seed = first; failures < 10; ++seed) {
    if (seconds == 0 ? seed >= first + kSeeds
                     : std::chrono::steady_clock::now() - start >= std::chrono::seconds(seconds)) {
      break;
    }
    if (const Failure f = runSequence(seed, nullptr, nullptr, done); f && ++failures) {
      ADD_FAILURE() << "seed " << seed << " fails; shrunk:\n" << shrunk(seed, f);
    }
  }
  std::cout << done << " steps done, undone or redone\n";
}
