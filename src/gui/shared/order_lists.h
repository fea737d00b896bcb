#pragma once

#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

class QListWidget;
class QPushButton;

namespace zendra {

// The two lists with which the user gives entries a new order: every entry starts in the
// "from" list in its current order and moves, as the user picks it, to the end of the
// "to" list; the "to" list's order is the new one. Entries are known by their 1-based
// position in the current order, so equal texts stay apart.
class OrderLists {
 public:
  // Works on these two lists from now on; call once, before anything else.
  void attach(QListWidget* from, QListWidget* to);
  // The dialog's buttons (rest may be none) move entries; after every move, moved runs.
  void connectButtons(QPushButton* moveToButton, QPushButton* moveBackButton,
                      QPushButton* moveRestButton, std::function<void()> moved);

  // Puts every entry into the "from" list and empties the "to" list.
  void load(const QStringList& entries);
  // Moves the selected entries of the "from" list, in list order, to the end of the
  // "to" list.
  void moveTo();
  // Moves the selected entries of the "to" list, in list order, back to the end of the
  // "from" list.
  void moveBack();
  // Moves every entry left in the "from" list, in its order, to the end of the "to" list.
  void moveRest();
  // Moves the entry at row of either list to the end of the other (a double click).
  void moveRow(QListWidget* list, int row);

  // True when every entry has been moved (and there is at least one).
  bool complete() const { return from_.empty() && !to_.empty(); }
  // The positions in the "to" list's order.
  const std::vector<std::int32_t>& order() const { return to_; }

 private:
  void move(bool forward, std::vector<int> rows);
  void fill(QListWidget* list, const std::vector<std::int32_t>& positions) const;

  QListWidget* fromList_ = nullptr;
  QListWidget* toList_ = nullptr;
  QStringList texts_;
  std::vector<std::int32_t> from_;
  std::vector<std::int32_t> to_;
};

}  // namespace zendra
