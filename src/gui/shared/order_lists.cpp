#include "gui/shared/order_lists.h"

#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>

namespace zendra {

void OrderLists::attach(QListWidget* from, QListWidget* to) {
  fromList_ = from;
  toList_ = to;
  // Rows of one height spare the lists measuring every row when they are refilled: a
  // variable of thousands of values moves at once.
  for (QListWidget* list : {from, to}) {
    list->setUniformItemSizes(true);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  }
}

void OrderLists::connectButtons(QPushButton* moveToButton, QPushButton* moveBackButton,
                                QPushButton* moveRestButton, std::function<void()> moved) {
  const auto wire = [this, &moved](QPushButton* button, void (OrderLists::*move)()) {
    if (!button) return;
    QObject::connect(button, &QPushButton::clicked, button, [this, move, moved] {
      (this->*move)();
      moved();
    });
  };
  wire(moveToButton, &OrderLists::moveTo);
  wire(moveBackButton, &OrderLists::moveBack);
  wire(moveRestButton, &OrderLists::moveRest);
}

void OrderLists::load(const QStringList& entries) {
  texts_ = entries;
  from_.clear();
  to_.clear();
  for (qsizetype i = 0; i < entries.size(); ++i) from_.push_back(static_cast<std::int32_t>(i + 1));
  fill(fromList_, from_);
  fill(toList_, to_);
}

namespace {

std::vector<int> selectedRows(const QListWidget* list) {
  std::vector<int> rows;
  for (const QListWidgetItem* item : list->selectedItems()) rows.push_back(list->row(item));
  return rows;
}

}  // namespace

void OrderLists::moveTo() {
  move(true, selectedRows(fromList_));
}

void OrderLists::moveBack() {
  move(false, selectedRows(toList_));
}

void OrderLists::moveRest() {
  std::vector<int> rows(from_.size());
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<int>(i);
  move(true, std::move(rows));
}

void OrderLists::moveRow(QListWidget* list, int row) {
  if (row >= 0) move(list == fromList_, {row});
}

void OrderLists::move(bool forward, std::vector<int> rows) {
  std::vector<std::int32_t>& source = forward ? from_ : to_;
  std::vector<std::int32_t>& target = forward ? to_ : from_;
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  if (rows.empty()) return;

  std::vector<std::int32_t> kept;
  kept.reserve(source.size() - rows.size());
  auto picked = rows.begin();
  for (std::size_t i = 0; i < source.size(); ++i) {
    if (picked != rows.end() && static_cast<std::size_t>(*picked) == i) {
      target.push_back(source[i]);
      ++picked;
    } else {
      kept.push_back(source[i]);
    }
  }
  source = std::move(kept);

  // The lists are refilled in one call each rather than moved item by item, which
  // would cost a model update per item. The lists keep their scroll position, and the
  // receiving list shows the entries that arrived last.
  QListWidget* sourceList = forward ? fromList_ : toList_;
  QListWidget* targetList = forward ? toList_ : fromList_;
  fill(sourceList, source);
  fill(targetList, target);
  targetList->scrollToBottom();
}

void OrderLists::fill(QListWidget* list, const std::vector<std::int32_t>& positions) const {
  const int scrolled = list->verticalScrollBar()->value();
  QStringList entries;
  entries.reserve(static_cast<qsizetype>(positions.size()));
  for (const std::int32_t position : positions) entries.push_back(texts_[position - 1]);
  list->clear();
  list->addItems(entries);
  list->verticalScrollBar()->setValue(scrolled);
}

}  // namespace zendra
