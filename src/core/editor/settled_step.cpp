#include "core/editor/settled_step.h"

#include <new>
#include <utility>

#include "core/format/completeness.h"
#include "core/grid/data_methods.h"

namespace zendra {
namespace {

// Lays the grid out, with every data cell given SaveDecimals decimals. False when the
// table is too large for a grid or the memory cannot be had.
bool layOut(VexaMess& doc, CellGrid& grid, bool showCodes) {
  try {
    return CreateGrid(doc, grid, true, showCodes);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace

GridDue gridDue(VexaMess& doc) {
  doc.setSaveDecimals();
  GridDue due;
  due.layout = !doc.GridCreated && !doc.MetadataOnly && StructureComplete(doc);
  due.decimals = doc.GridCreated && doc.GridDecimals != doc.SaveDecimals;
  return due;
}

void SettleGrid(VexaMess& doc, CellGrid& grid, bool showCodes) {
  const GridDue due = gridDue(doc);
  if (due.layout) {
    if (!layOut(doc, grid, showCodes)) {
      grid.clear();
      doc.GridCreated = false;
    }
    doc.GridHasData = false;
  } else if (due.decimals) {
    SetCellDecimals(doc, grid);
  }
}

DecimalsSnapshot::DecimalsSnapshot(const CellGrid& grid, const Block& block)
    : block_(grid.clip(block)) {
  if (block_.empty()) return;
  for (std::int32_t row = block_.row1; row <= block_.row2; ++row) {
    for (std::int32_t col = block_.col1; col <= block_.col2; ++col) {
      const int d = grid.decimals(row, col);
      if (runs_.empty() || runs_.back().decimals != d) runs_.push_back({0, d});
      ++runs_.back().count;
    }
  }
}

void DecimalsSnapshot::restore(CellGrid& grid) const {
  if (block_.empty()) return;
  auto run = runs_.begin();
  std::uint64_t left = run == runs_.end() ? 0 : run->count;
  for (std::int32_t row = block_.row1; row <= block_.row2; ++row) {
    for (std::int32_t col = block_.col1; col <= block_.col2; ++col) {
      while (left == 0 && run != runs_.end() && ++run != runs_.end()) left = run->count;
      if (run == runs_.end()) return;
      grid.setDecimals(row, col, run->decimals);
      --left;
    }
  }
}

SettledStep::SettledStep(std::unique_ptr<Command> step, VexaMess& doc, CellGrid& grid,
                         bool showCodes)
    : step_(std::move(step)), doc_(doc), grid_(grid), showCodes_(showCodes) {}

void SettledStep::redo() {
  if (done_) {
    step_->redo();
    if (relaid_) unlaid_.swapWith(grid_);
    if (redecimalled_) grid_.setBlockDecimals(DataArea(doc_, grid_), saveAfter_);
    layoutAfter_.applyTo(doc_);
    doc_.SaveDecimals = saveAfter_;
    return;
  }
  done_ = true;
  layoutBefore_ = GridLayout::of(doc_);
  saveBefore_ = doc_.SaveDecimals;
  step_->redo();
  layoutStepped_ = GridLayout::of(doc_);
  saveStepped_ = doc_.SaveDecimals;
  if (!step_->changesNothing()) settle();
  layoutAfter_ = GridLayout::of(doc_);
  saveAfter_ = doc_.SaveDecimals;
}

void SettledStep::settle() {
  const GridDue due = gridDue(doc_);
  if (due.layout) {
    // The grid as the step left it (empty, or the cells of a layout that no longer
    // holds) is kept for undo while a new one is laid out.
    const bool kept = unlaid_.take(grid_);
    undoable_ = kept;
    if (layOut(doc_, grid_, showCodes_)) {
      doc_.GridHasData = false;
      relaid_ = true;
    } else {
      // Too large for a grid, or no memory: the table stays without one, as it was (when
      // no copy could be kept, the step cannot be undone).
      if (kept) unlaid_.swapWith(grid_);
      unlaid_ = GridCopy();
      layoutStepped_.applyTo(doc_);
    }
  } else if (due.decimals) {
    decimals_ = DecimalsSnapshot(grid_, DataArea(doc_, grid_));
    SetCellDecimals(doc_, grid_);
    redecimalled_ = true;
  }
}

void SettledStep::undo() {
  if (!done_) return;
  if (redecimalled_) decimals_.restore(grid_);
  if (relaid_) unlaid_.swapWith(grid_);
  layoutStepped_.applyTo(doc_);
  doc_.SaveDecimals = saveStepped_;
  step_->undo();
  layoutBefore_.applyTo(doc_);
  doc_.SaveDecimals = saveBefore_;
}

bool SettledStep::mergeWith(const Command& next) {
  const auto* other = dynamic_cast<const SettledStep*>(&next);
  if (!other || settled() || other->settled() || !step_->mergeWith(*other->step_)) return false;
  layoutAfter_ = other->layoutAfter_;
  saveAfter_ = other->saveAfter_;
  layoutStepped_ = other->layoutStepped_;
  saveStepped_ = other->saveStepped_;
  return true;
}

std::size_t SettledStep::memoryBytes() const {
  return sizeof(*this) + step_->memoryBytes() + unlaid_.bytes() + decimals_.memoryBytes();
}

std::unique_ptr<Command> settled(std::unique_ptr<Command> step, VexaMess& doc, CellGrid& grid,
                                 bool showCodes) {
  return std::make_unique<SettledStep>(std::move(step), doc, grid, showCodes);
}

}  // namespace zendra
