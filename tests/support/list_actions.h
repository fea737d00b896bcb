#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <string>
#include <vector>

// What widget tests do with lists as a user does, and read back from them.
namespace zendra::test {

// A control of a window or dialog by its name; a missing one fails the test.
template <typename T = QWidget>
T* child(const QWidget& parent, const char* name) {
  T* widget = parent.findChild<T*>(name);
  EXPECT_TRUE(widget) << name;
  return widget;
}

// The texts of a list's entries, in order, as Qt strings.
inline QStringList items(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

// The texts of a list's entries, in order.
inline std::vector<std::string> listTexts(const QListWidget* list) {
  std::vector<std::string> all;
  for (int row = 0; row < list->count(); ++row)
    all.push_back(list->item(row)->text().toStdString());
  return all;
}

// A double click on an entry as a mouse gives it: a click, then the second press as a
// double click (a lone double click event is not taken for one). The list must be shown.
inline void doubleClickRow(QListWidget* list, int row) {
  const QPoint at = list->visualItemRect(list->item(row)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Chooses the entry with this text in a list box as a user does (the list's activated
// signal runs).
inline void chooseText(QComboBox* combo, const QString& text) {
  ASSERT_TRUE(combo);
  const int index = combo->findText(text);
  ASSERT_GE(index, 0) << text.toStdString();
  combo->setCurrentIndex(index);
  emit combo->activated(index);
}

// Closes a dialog as a user who says no: its cancel button, or the Escape key.
inline void decline(QDialog& dialog, const char* cancelButton, bool escape) {
  if (escape) {
    QTest::keyClick(&dialog, Qt::Key_Escape);
  } else {
    auto* button = dialog.findChild<QPushButton*>(cancelButton);
    ASSERT_TRUE(button) << cancelButton;
    button->click();
  }
}

}  // namespace zendra::test
