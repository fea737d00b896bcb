// Random sequences of the steps a user makes through the editor window, on fixture and
// new tables. Each step is pushed as the window pushes it (wrapped by
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
#include <numeric>
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
#include "support/tables.h"

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
// Texts as users type them, time types among them.
std::string anyText(Rng& rng) {
  return pick(rng, {"", " ", "0", "2.5", "-3", "12,5", "1e3", "..", "-", "x", "\xC3\x85re", "a b",
                    "x\"y", "A1", "Q1", "2020"});
}
ValueRef anyValue(Rng& rng, const DimensionData& v) {
  return v.ValueCode.Item(1 + below(rng, v.ValueCode.Count()));
}
// Names as users type them: new ones, blanks, and names in use in another letter case.
std::string anyName(Rng& rng, const VexaMess& doc) {
  if (doc.Dimensions.Count() > 0 && chance(rng, 20)) {
    std::string s = doc.Dimensions.Item(1 + below(rng, doc.Dimensions.Count()))->name;
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
  }
  return pick(rng, {"region", "Sex", "\xC3\xA5r", "time", " ", "", " kind "});
}

// A fixture table (normal form, keys form, notes and codes) or a new one in either form.
std::unique_ptr<Loaded> makeTable(Rng& rng) {
  const int kind = below(rng, 5);
  if (kind > 2) return std::make_unique<Loaded>(Loaded::New{kind == 4});
  return std::make_unique<Loaded>(
      std::vector<std::string>{"ansi_months.vq", "keys_form.vq", "oem_full.vq"}[kind]);
}

// The window's history (a QUndoStack) without Qt: a step that changes nothing is not
// done; one found to change nothing once done is let go of without an undo; typing
// steps merge, and a merge that ends where it began goes; a step that cannot be undone
// clears the history.
class History {
 public:
  enum class Push { NotDone, LetGo, Kept, Cleared };
  Push push(Step step) {
    if (step->changesNothing()) return Push::NotDone;
    step->redo();
    steps_.resize(static_cast<std::size_t>(index_));
    Command* top = index_ > 0 ? steps_.back().get() : nullptr;
    const bool merged = top && top->id() != -1 && top->id() == step->id() && top->mergeWith(*step);
    Push result = (merged ? top : step.get())->changesNothing() ? Push::LetGo : Push::Kept;
    if (merged && result == Push::LetGo) {
      steps_.pop_back();
      --index_;
    }
    const bool undoable = step->undoable();
    if (result == Push::Kept && !merged) {
      steps_.push_back(std::move(step));
      ++index_;
    }
    if (undoable) return result;
    steps_.clear();
    index_ = 0;
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
  int index_ = 0;
};

// One user action: a step to push, or Undo (-1) or Redo (+1), or nothing (a refusal).
struct Action {
  Step step = nullptr;
  int move = 0;
};
Action act(Step step) {
  return {std::move(step)};
}
// A step the dialog would refuse is not made.
template <typename T>
Action unlessRefused(std::unique_ptr<T> step) {
  return step->refusal().empty() ? act(std::move(step)) : Action{};
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
  Block anyBlock(Rng& rng, int most) {
    Block b{1 + below(rng, g.rowCount()), 1 + below(rng, g.colCount()), 0, 0};
    b.row2 = b.row1 + (chance(rng, 50) ? 0 : below(rng, most));
    b.col2 = b.col1 + (chance(rng, 50) ? 0 : below(rng, most));
    return b;
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
Step setTime(const ValueRef& value, ValueField column, const std::string& text) {
  return std::make_unique<SetTextCommand>(
      "Time",
      Changes{{value, column == ValueField::Time ? &value->TimeVal : &value->TimeCode, text}});
}

// A clipboard block as a spreadsheet copies one: tabs between cells, a line a row.
ClipboardBlock clipboard(Rng& rng, int most) {
  std::string out;
  for (int r = 1 + below(rng, most), cols = 1 + below(rng, most); r > 0; --r) {
    for (int c = 0; c < cols; ++c) out += (c ? "\t" : "") + anyText(rng);
    out += "\n";
  }
  return ClipboardBlock::parse(out);
}

// A text import: per line the label of a value per variable (its code when it has codes)
// and one value or a row of values; some lines are refused.
Action importText(World& w, Rng& rng) {
  if (!w.d.GridCreated || !StructureComplete(w.d)) return {};
  TextImportSettings s;
  s.separator = ";";
  s.multipleValues = chance(rng, 30);
  std::string text;
  for (int n = 1 + below(rng, 4); n > 0; --n) {
    for (const auto& v : w.d.Dimensions) {
      if (s.multipleValues && w.d.colHeading.IndexOf(v.get()) != 0) continue;
      const auto value = anyValue(rng, *v);
      text += (chance(rng, 10) || !value ? "zz" : v->UseCodes ? value->code : value->value) + ";";
    }
    for (int i = s.multipleValues ? std::max(1, w.d.NumCols) : 1; i > 0; --i) {
      text += pick(rng, {"5", "1.5", "..", "abc", ""}) + (i > 1 ? ";" : "\n");
    }
  }
  return act(std::make_unique<ImportTextCommand>(w.d, w.g, text, s));
}

// Typing into a cell of the data grid; a key column of the keys form takes its variable's
// codes or texts.
Action typeInCell(World& w, Rng& rng) {
  CellGrid& g = w.g;
  if (g.rowCount() == 0 || g.colCount() == 0) return {};
  std::int32_t r = 1 + below(rng, g.rowCount()), c = 1 + below(rng, g.colCount());
  if (chance(rng, 70) && w.d.DataRow1 > 0 && w.d.DataRow1 <= g.rowCount()) {
    r = w.d.DataRow1 + below(rng, g.rowCount() - w.d.DataRow1 + 1);
  }
  if (!g.editable(r, c)) return {};
  std::string text = anyText(rng);
  const auto key = w.d.FileWithKeys ? w.d.colStub.Item(c) : nullptr;
  if (key && key->ValueCode.Count() > 0 && chance(rng, 70)) {
    const auto value = anyValue(rng, *key);
    text = key->UseCodes ? value->code : value->value;
  }
  return act(std::make_unique<EditCellCommand>(w.d, g, r, c, text));
}
// Delete on a block, whole rows or columns now and then, or a paste into a block.
Action deleteOrPaste(World& w, Rng& rng) {
  if (w.g.rowCount() == 0 || w.g.colCount() == 0) return {};
  Block b = w.anyBlock(rng, 3);
  if (chance(rng, 50)) {
    return act(std::make_unique<PasteCellsCommand>(w.d, w.g, w.g.clip(b), clipboard(rng, 4)));
  }
  if (chance(rng, 15)) b.row1 = b.row2 = -1;
  if (chance(rng, 15)) b.col1 = b.col2 = -1;
  return act(std::make_unique<ClearCellsCommand>(w.d, w.g, b));
}
// Clear all data, Convert to Keys format, the sort before a save, Delete current row in the
// keys form with data, and Fill empty cells after the check it runs.
Action onData(World& w, Rng& rng) {
  const std::int32_t row = 1 + below(rng, w.g.rowCount());
  const bool keys = w.d.FileWithKeys && w.d.GridCreated;
  DataCheck check;
  switch (below(rng, 5)) {
    case 0:
      if (!StructureComplete(w.d)) return {};
      return act(std::make_unique<ClearAllDataCommand>(w.d, w.g, w.showCodes));
    case 1:
      if (w.d.FileWithKeys || !w.d.GridCreated || !w.d.GridHasData || !StructureComplete(w.d))
        return {};
      return act(std::make_unique<ConvertToKeysCommand>(w.d, w.g, chance(rng, 50), w.showCodes));
    case 2: {
      auto sort = keys ? std::make_unique<SortKeysRowsCommand>(w.d, w.g) : nullptr;
      return sort && sort->moves() ? act(std::move(sort)) : Action{};
    }
    case 3:
      if (!keys || !w.d.GridHasData || row < w.d.DataRow1 || row == w.g.rowCount()) return {};
      return act(std::make_unique<DeleteRowCommand>(w.d, w.g, row));
  }
  GetDataMod::BuildDataText(w.d, w.g, check);
  if (!check.DataMissing && !check.InvalidData) return {};
  return act(std::make_unique<FillEmptyCommand>(w.d, w.g, check.DataMissing && chance(rng, 80),
                                                check.InvalidData && chance(rng, 80), ".."));
}

// Add Stub / Add Heading by name or as a copy of a standard variable, Remove Stub / Remove
// Heading, Reorder Stub / Reorder Heading, and Add Dimension while the grid holds data.
Action onVariables(World& w, Rng& rng) {
  const int side = below(rng, 2);
  if (w.d.GridHasData) {
    const std::string code = chance(rng, 50) ? "" : anyText(rng);
    return unlessRefused(std::make_unique<AddOneValuedVariableCommand>(
        w.d, w.g, side, anyName(rng, w.d), code, anyText(rng), w.showCodes));
  }
  std::vector<std::string> order;
  for (const auto& v : side == 0 ? w.d.colStub : w.d.colHeading) order.push_back(v->name);
  std::shuffle(order.begin(), order.end(), rng);
  const int which = below(rng, 4);
  if (which == 0 && !order.empty()) {
    return act(std::make_unique<RemoveVariableCommand>(w.d, w.g, side, order[0], w.showCodes));
  }
  if (which == 1 && order.size() > 1) {
    return act(std::make_unique<ReorderVariablesCommand>(w.d, w.g, side, order, w.showCodes));
  }
  if (which == 2) {
    return unlessRefused(
        std::make_unique<AddVariableCommand>(w.d, w.g, side, anyName(rng, w.d), w.showCodes));
  }
  auto source = variableWith({"s1", "s2"}, anyName(rng, w.d));
  source->UseCodes = chance(rng, 50);
  source->UseTimeVal = chance(rng, 20);
  for (const auto& value : source->ValueCode) {
    value->code = value->value;
    value->TimeCode = source->UseTimeVal ? "A1" : "";
  }
  return unlessRefused(std::make_unique<AddVariableCommand>(w.d, w.g, side, *source, w.showCodes));
}

// The steps below work on one variable (one with values when asked), drawn first.
using OnVariable = Action (*)(World&, Rng&, const DimensionRef&);
template <OnVariable F, bool withValues = false>
Action onVariable(World& w, Rng& rng) {
  const DimensionRef v = w.anyVariable(rng, withValues);
  return v ? F(w, rng, v) : Action{};
}
// A paste into the value grid, or renaming the variable.
Action pasteValuesOrRename(World& w, Rng& rng, const DimensionRef& v) {
  if (chance(rng, 40)) {
    return unlessRefused(
        std::make_unique<RenameVariableCommand>(w.d, w.g, v->name, anyName(rng, w.d)));
  }
  const auto columns = valueColumns(*v);
  const int row = below(rng, v->ValueCode.Count() + 1);
  const int col = below(rng, static_cast<int>(columns.size()));
  const auto block = clipboard(rng, 3);
  ValuePaste paste = MakeValuePaste(w.d, w.g, v, columns, row, col, block, w.showCodes);
  if (!paste.fits || !paste.step || RefusedTimeType(block, paste.turned, col, columns)) return {};
  return act(std::move(paste.step));
}
// Typing into the value grid's empty last row, or editing a value's text, code or time.
template <bool add>
Action typeValue(World& w, Rng& rng, const DimensionRef& v) {
  const auto columns = valueColumns(*v);
  const ValueField column = columns[below(rng, static_cast<int>(columns.size()))];
  const int position = 1 + below(rng, v->ValueCode.Count());
  const std::string text = add && chance(rng, 60)    ? "n" + std::to_string(below(rng, 9))
                           : !add && chance(rng, 30) ? anyValue(rng, *v)->value
                                                     : anyText(rng);
  if (column == ValueField::TimeType && !TimeTypeAccepted(text)) return {};
  const bool isText = column == ValueField::Value, isCode = column == ValueField::Code;
  if (!add && !isText && !isCode) return act(setTime(v->ValueCode.Item(position), column, text));
  if (!add) {
    const auto field = isCode ? SetValueCommand::Field::Code : SetValueCommand::Field::Text;
    return act(std::make_unique<SetValueCommand>(w.d, w.g, v, position, field, text, w.showCodes));
  }
  auto step = std::make_unique<AddValueCommand>(w.d, w.g, v, isText ? text : "", isCode ? text : "",
                                                w.showCodes);
  if (isText || isCode) return act(std::move(step));
  const ValueRef value = step->value();
  std::vector<Step> steps;
  steps.push_back(std::move(step));
  steps.push_back(setTime(value, column, text));
  return act(std::make_unique<StepGroup>("Add Value", std::move(steps)));
}
// Deleting the selected values, reordering them all, Values / Codes / Codes and values, the
// Timeval box or a value's precision.
Action onValues(World& w, Rng& rng, const DimensionRef& v) {
  std::vector<std::int32_t> order(static_cast<std::size_t>(v->ValueCode.Count()));
  std::iota(order.begin(), order.end(), 1);
  switch (below(rng, 5)) {
    case 0:
      std::shuffle(order.begin(), order.end(), rng);
      return act(std::make_unique<ReorderValuesCommand>(w.d, w.g, v, order, w.showCodes));
    case 1:
      order.erase(std::remove_if(order.begin(), order.end(), [&](int) { return chance(rng, 60); }),
                  order.end());
      if (order.empty()) return {};
      return act(std::make_unique<RemoveValuesCommand>(w.d, w.g, v, order, w.showCodes));
    case 2:
      return act(makeCodesChoiceCommand(w.d, w.g, v, below(rng, 3), w.showCodes));
    case 3:
      return act(std::make_unique<SetFieldsCommand<bool>>(
          "Timeval",
          std::vector<SetFieldsCommand<bool>::Change>{{v, &v->UseTimeVal, !v->UseTimeVal}}));
  }
  const ValueRef value = anyValue(rng, *v);
  const std::string precision = pick(rng, {"", "0", "2"});
  if (value->Precision == precision) return {};
  return act(std::make_unique<SetPrecisionCommand>(w.d, value, precision));
}

// The Decimals, a choice in a list (Elimination or the content variable), or typing in a box
// of the metadata pages or in the units of the table or of a content value.
Action setField(World& w, Rng& rng) {
  VexaMess& d = w.d;
  const DimensionRef v = w.anyVariable(rng, true);
  if (chance(rng, 15)) return act(makeDecimalsCommand(d, below(rng, 5)));
  if (v && chance(rng, 35)) {
    std::string* list = chance(rng, 50) ? &v->Elimination : &d.ContVariable;
    const std::string to = chance(rng, 20)           ? ""
                           : list == &d.ContVariable ? v->name
                                                     : anyValue(rng, *v)->value;
    if (to == *list) return {};
    return act(std::make_unique<SetTextCommand>("List", Changes{{nullptr, list, to}}));
  }
  const DimensionRef content = d.Get_Dimension(d.ContVariable);
  const auto set =
      content && v == content ? d.GetContdataKey(anyValue(rng, *v)->value) : d.ContData;
  std::string* boxes[] = {&d.Title, &d.Contents, &d.Notex, set ? &set->Units : &d.Note};
  std::string* field = boxes[below(rng, 4)];
  if (field != w.typing || chance(rng, 30)) {
    w.typing = field;
    w.session = newTypingSession();
  }
  const std::string to = chance(rng, 70) ? *field + "a" : anyText(rng);
  const std::shared_ptr<void> owner = set && field == &set->Units ? set : nullptr;
  return act(std::make_unique<SetTextCommand>("Typing", Changes{{owner, field, to}}, w.session));
}
// A new cell note, unless the dialog refuses one already there, or deleting one.
Action addOrRemoveCellNote(World& w, Rng& rng) {
  if (!StructureComplete(w.d)) return {};
  if (w.d.Cellnotes.Count() > 0 && chance(rng, 40)) {
    const CellNoteRef note = w.d.Cellnotes.Item(1 + below(rng, w.d.Cellnotes.Count()));
    return act(std::make_unique<RemoveCellNoteCommand>(w.d, note));
  }
  auto note = std::make_shared<CellNote>();
  for (const auto& v : w.d.Dimensions) {
    note->Values().Add(chance(rng, 40) ? w.d.AllVals : anyValue(rng, *v));
  }
  if (w.d.Cellnotes.FindesCellNote(*note)) return {};
  return act(std::make_unique<AddCellNoteCommand>(w.d, note));
}
template <int move>
Action undoOrRedo(World&, Rng&) {
  return {nullptr, move};
}

// Every kind of step the window offers, made with arguments a user can give, by weight.
struct Maker {
  int weight;
  Action (*make)(World&, Rng&);
  const char* name;
};
// clang-format off
const Maker kMakers[] = {
    {8, typeInCell, "type in a cell"}, {7, deleteOrPaste, "Delete or paste"},
    {7, onData, "Clear all, Convert to keys, sort, Delete row or Fill"}, {3, importText, "import"},
    {8, onVariables, "add, remove or reorder variables or Add Dimension"},
    {5, onVariable<pasteValuesOrRename>, "paste values or rename"},
    {4, onVariable<typeValue<true>>, "new value"},
    {3, onVariable<typeValue<false>, true>, "edit value"},
    {9, onVariable<onValues, true>, "delete or reorder values, codes choice, Timeval or precision"},
    {9, setField, "a box or a list"}, {4, addOrRemoveCellNote, "new cell note or delete"},
    {6, undoOrRedo<-1>, "Undo"}, {3, undoOrRedo<1>, "Redo"}};
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
    const bool ma = static_cast<bool>(std::getline(a, la));
    const bool mb = static_cast<bool>(std::getline(b, lb));
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

int stepCount(std::uint64_t seed) {
  Rng rng = rngFor(seed, 0);
  return 20 + below(rng, 181);
}

// Runs the sequence of a seed: every step, or only those whose indices are listed (each
// step draws from its own random stream, so a step stays what it was as far as the table
// allows when others are left out). log, when given, gets each step made (and with
// ZENDRA_RANDOM_TRACE the state after it).
Failure runSequence(std::uint64_t seed, const std::vector<int>* only, std::vector<std::string>* log,
                    std::uint64_t& done) {
  Rng rng = rngFor(seed, 1u << 31);
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
    done += moved;
    return moved ? fails(back ? "undo" : "redo") : Failure{};
  };
  for (int i = 0, count = stepCount(seed); i < count; ++i) {
    if (only && !std::binary_search(only->begin(), only->end(), i)) continue;
    Rng stepRng = rngFor(seed, static_cast<std::uint64_t>(i) + 1);
    auto [maker, a] = makeAction(w, stepRng);
    where = " at step " + std::to_string(i) + " (" + maker->name + ")";
    if (log && (a.step || a.move)) log->push_back(std::to_string(i) + ": " + maker->name);
    if (a.move != 0) {
      if (const Failure f = move(a.move < 0)) return f;
    }
    if (a.step) {
      const auto pushed = history.push(settled(std::move(a.step), t->doc, t->grid, w.showCodes));
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

// Leaves out steps, the last first, while the same check still fails, and gives the case
// to replay with the steps that are left.
std::string shrunk(std::uint64_t seed, const Failure& failure) {
  std::vector<int> kept(static_cast<std::size_t>(stepCount(seed)));
  std::iota(kept.begin(), kept.end(), 0);
  std::uint64_t ignored = 0;
  for (std::size_t i = kept.size(); i-- > 0;) {
    std::vector<int> fewer = kept;
    fewer.erase(fewer.begin() + static_cast<std::ptrdiff_t>(i));
    if (runSequence(seed, &fewer, nullptr, ignored).kind == failure.kind) kept = fewer;
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
