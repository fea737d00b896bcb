#pragma once

#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>
#include <string>
#include <vector>

#include "support/editor_window_frame.h"
#include "support/list_actions.h"
#include "support/tables.h"

// What the tests of the main window and of the database, import and settings dialogs do to
// a window as a user does, and how they read a variable back as one line.
namespace zendra::test {

using Lines = std::vector<std::string>;

inline void press(const QWidget& window, const char* button) {
  child<QPushButton>(window, button)->click();
}

// Makes the first entry with this text current, as a click does.
inline void choose(const QWidget& window, const char* list, const QString& text) {
  auto* box = child<QListWidget>(window, list);
  const auto found = box->findItems(text, Qt::MatchExactly);
  ASSERT_FALSE(found.isEmpty()) << list << " " << text.toStdString();
  box->setCurrentItem(found.front());
}

// Everything the user was told, in order.
inline Lines told(const ScriptedPrompt& prompt) {
  Lines all;
  for (const auto& q : prompt.asked) all.push_back(q.text);
  return all;
}

// Selects a box's text and types over it.
inline void typeOver(const QWidget& window, const char* box, const QString& text) {
  auto* edit = child<QLineEdit>(window, box);
  edit->selectAll();
  QTest::keyClicks(edit, text);
}

// A variable as one line: name, source table, code field, whether codes are used, then
// its values as code=text.
inline std::string describe(const DimensionRef& v) {
  if (!v) return "none";
  std::string out =
      v->name + "|" + v->TableName + "|" + v->CodeField + "|" + (v->UseCodes ? "codes:" : "texts:");
  for (const ValueRef& value : v->ValueCode) out += " " + value->code + "=" + value->value;
  return out;
}

}  // namespace zendra::test
