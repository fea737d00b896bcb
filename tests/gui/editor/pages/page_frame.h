#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>
#include <QUndoStack>
#include <deque>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "core/format/reader.h"
#include "gui/editor/dimension_tree.h"
#include "gui/editor/frm_create_vq.h"
#include "support/editor_window_frame.h"
#include "support/list_actions.h"
#include "support/loaded_table.h"
#include "support/tables.h"

// A main window with scripted dialogs and one table open on a page of its editor window, and
// what the page tests do to the controls as a user does.
namespace zendra::test {

using Answer = std::function<void(QDialog&)>;

// Region (with codes; South has precision 2, North a note, South a mandatory one) by sex
// (eliminated by "men") in the stub, the years as a time variable in the heading, the region
// variable with a note, one cell note, and data.
inline constexpr const char* kPeople =
    "CHARSET=\"ANSI\";\r\nMATRIX=\"VP01\";\r\nSUBJECT-AREA=\"Test\";\r\nSUBJECT-CODE=\"T\";\r\n"
    "TITLE=\"People by region, sex and year\";\r\nCONTENTS=\"People\";\r\nUNITS=\"number\";\r\n"
    "DECIMALS=0;\r\nSTUB=\"region\",\"sex\";\r\nHEADING=\"year\";\r\n"
    "VALUES(\"region\")=\"North\",\"South\",\"East\";\r\nVALUES(\"sex\")=\"men\",\"women\";\r\n"
    "VALUES(\"year\")=\"2020\",\"2021\";\r\nTIMEVAL(\"year\")=TLIST(A1),\"2020\",\"2021\";\r\n"
    "CODES(\"region\")=\"01\",\"02\",\"03\";\r\nPRECISION(\"region\",\"South\")=2;\r\n"
    "ELIMINATION(\"sex\")=\"men\";\r\nNOTE(\"region\")=\"Borders#of 2020\";\r\n"
    "VALUENOTE(\"region\",\"North\")=\"Far north\";\r\nVALUENOTEX(\"region\",\"South\")=\"Must "
    "read\";\r\n"
    "CELLNOTE(\"*\",\"women\",\"2021\")=\"Women 2021\";\r\n"
    "DATA=\r\n1 2\r\n3 4\r\n5 6\r\n7 8\r\n9 10\r\n11 12;\r\n";

// Presses a dialog's button by its name.
inline void press(QDialog& dialog, const char* button) {
  auto* b = dialog.findChild<QPushButton*>(button);
  ASSERT_TRUE(b) << button;
  b->click();
}

// Chooses a node of a tree by its text.
inline void chooseNode(QTreeWidget* tree, const char* name) {
  const auto found = tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
  ASSERT_EQ(found.size(), 1) << name;
  tree->setCurrentItem(found.front());
}

// A variable tree as text: each node with its key and tag ("+" when open), children in [].
inline std::string treeText(const QTreeWidgetItem* node) {
  std::string out = node->text(0).toStdString() + "(" +
                    node->data(0, kTreeKeyRole).toString().toStdString() + " " +
                    node->data(0, kTreeTagRole).toString().toStdString() +
                    (node->childCount() && node->isExpanded() ? "+" : "") + ")";
  for (int i = 0; i < node->childCount(); ++i) out += (i ? "," : "[") + treeText(node->child(i));
  return out + (node->childCount() ? "]" : "");
}
inline std::string treeText(const QTreeWidget* tree) {
  std::string out;
  for (int i = 0; i < tree->topLevelItemCount(); ++i) out += treeText(tree->topLevelItem(i)) + " ";
  return out;
}

// dlgNewDimension: chooses an option (typing name for "Enter name of New") and presses OK.
inline Answer source(int option, const QString& name = {}) {
  return [option, name](QDialog& d) {
    auto* choice = d.findChild<QRadioButton*>(QString("Option1_%1").arg(option));
    ASSERT_TRUE(choice) << d.metaObject()->className();
    choice->click();
    if (!name.isEmpty()) QTest::keyClicks(d.findChild<QLineEdit*>("Text1"), name);
    press(d, "cmdOK");
  };
}

// A variable list (dlgAddVarFromVq, dlgGetStandardVar): picks a name and presses OK.
inline Answer pickVariable(const QString& name) {
  return [name](QDialog& d) {
    auto* list = d.findChild<QListWidget*>("lstVariables");
    const auto found = list->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    list->setCurrentItem(found.front());
    found.front()->setSelected(true);
    press(d, "cmdOK");
  };
}

// dlgAddDimension: a one-valued variable's name, code and value, and OK.
inline Answer oneValued(const QString& name, const QString& code, const QString& value) {
  return [=](QDialog& d) {
    QTest::keyClicks(d.findChild<QLineEdit*>("txtDimName"), name);
    QTest::keyClicks(d.findChild<QLineEdit*>("txtCode"), code);
    QTest::keyClicks(d.findChild<QLineEdit*>("txtValue"), value);
    press(d, "cmdOK");
  };
}

// A "|"-parted text with its parts from index on replaced by those of parts.
inline std::string replaced(const std::string& text, int index, const std::string& parts) {
  QStringList all = QString::fromStdString(text).split('|');
  for (const QString& part : QString::fromStdString(parts).split('|')) all[index++] = part;
  return all.join('|').toStdString();
}

struct PageFrame : EditorWindowFrame {
  frmCreateVq* editor = nullptr;
  const char* tree = "VarTree";  // the variable tree choose() clicks in
  // Answers for the dialogs the program runs, in turn; a dialog with none left is cancelled.
  // Every dialog run is remembered by its class name.
  std::deque<Answer> answers;
  std::vector<std::string> ran;

  explicit PageFrame(const std::string& text = {}, int page = frmCreateVq::BasicStructure) {
    answer = [this](QDialog& dialog) {
      ran.push_back(dialog.metaObject()->className());
      if (answers.empty()) return dialog.reject();
      const Answer next = answers.front();
      answers.pop_front();
      next(dialog);
    };
    if (text.empty()) return;
    editor = openText(text);
    if (editor) show(page);
  }
  VexaMess& doc() { return editor->document(); }
  QUndoStack* history() { return editor->undoStack(); }
  DimensionData& var(const char* name) { return *doc().Get_Dimension(name); }
  ValueAndCode& value(const char* name, int position) {
    return *var(name).ValueCode.Item(position);
  }
  void show(int page) { editor->tabs()->setCurrentIndex(page); }
  template <typename T = QWidget>
  T* get(const char* name) {
    return child<T>(*editor, name);
  }
  bool shown(const char* name) { return get(name)->isVisibleTo(editor); }
  QListWidget* list(const char* name) { return get<QListWidget>(name); }
  void click(const char* name) { get<QAbstractButton>(name)->click(); }
  void pick(const char* name, const QString& text) { chooseText(get<QComboBox>(name), text); }
  void choose(const char* name) { chooseNode(get<QTreeWidget>(tree), name); }
  // The text a line box (or a list's edit box) shows.
  QString text(const char* name) {
    auto* list = editor->findChild<QComboBox*>(name);
    return list ? list->currentText() : get<QLineEdit>(name)->text();
  }
  // What the controls show, parted by "|": "-" for a hidden one, "on" or "off" for a check
  // box, the text of a box or list box, the entries of a list, "+" for any other.
  std::string state(std::initializer_list<const char*> names) {
    QStringList out;
    for (const char* name : names) {
      QWidget* w = get(name);
      auto* button = qobject_cast<QAbstractButton*>(w);
      if (!w->isVisibleTo(editor)) {
        out << "-";
      } else if (button && button->isCheckable()) {
        out << (button->isChecked() ? "on" : "off");
      } else if (auto* list = qobject_cast<QListWidget*>(w)) {
        out << items(list).join(",");
      } else if (qobject_cast<QComboBox*>(w) || qobject_cast<QLineEdit*>(w)) {
        out << text(name);
      } else if (const QVariant text = w->property("plainText"); text.isValid()) {
        out << text.toString();  // a plain or rich text box
      } else {
        out << "+";
      }
    }
    return out.join("|").toStdString();
  }
  // Types into a box as a user does, a "\n" as Enter: in place of its text, or with the focus
  // taken and given up again, after it (so that the typing is a step of its own).
  void type(const char* name, const QString& text, bool after = false) {
    QWidget* box = get(name);
    if (auto* list = qobject_cast<QComboBox*>(box)) box = list->lineEdit();
    if (after) box->setFocus();
    if (auto* line = qobject_cast<QLineEdit*>(box)) {
      after ? line->end(false) : line->selectAll();
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(box)) {
      after ? plain->moveCursor(QTextCursor::End) : plain->selectAll();
    } else if (auto* rich = qobject_cast<QTextEdit*>(box)) {
      after ? rich->moveCursor(QTextCursor::End) : rich->selectAll();
    }
    const QStringList parts = text.split('\n');
    for (int i = 0; i < parts.size(); ++i) {
      if (i > 0) QTest::keyClick(box, Qt::Key_Return);
      QTest::keyClicks(box, parts[i]);
    }
    if (after) box->clearFocus();
  }
  void append(const char* name, const QString& text) { type(name, text, true); }
  // Does what a script says, steps parted by ";": "name" clicks, "name=text" chooses from a
  // list (one that takes typing, when it holds the text) or types into a box, "row=N" puts the
  // value grid's cursor on a row, and "R,C=text" types into a cell of the value grid.
  void act(const QString& script) {
    for (const QString& step : script.split(';', Qt::SkipEmptyParts)) {
      const QString name = step.section('=', 0, 0), text = step.section('=', 1);
      const std::string control = name.toStdString();
      if (step.indexOf('=') < 0) {
        click(control.c_str());
      } else if (name.contains(',')) {
        typeValue(name.section(',', 0, 0).toInt(), name.section(',', 1).toInt(), text);
      } else if (name == "row") {
        auto* grid = get<QTableView>("sprValues");
        grid->setCurrentIndex(grid->model()->index(text.toInt(), 0));
      } else if (auto* list = editor->findChild<QComboBox*>(name);
                 list && (!list->isEditable() || list->findText(text) >= 0)) {
        pick(control.c_str(), text);
      } else {
        type(control.c_str(), text);
      }
    }
  }
  // Types into a cell of the value grid: edit, type, Enter.
  void typeValue(int row, int column, const QString& text) {
    auto* grid = get<QTableView>("sprValues");
    const QModelIndex at = grid->model()->index(row, column);
    grid->setFocus();
    grid->setCurrentIndex(at);
    grid->edit(at);
    auto* box = qobject_cast<QLineEdit*>(grid->indexWidget(at));
    ASSERT_TRUE(box);
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
    // The grid stores the edit and closes its editor once Enter is handled.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  // Saves under a new name and reads the file back.
  Loaded saved(const std::string& name = "out.vq") { return Loaded(saveAs(editor, name)); }
};

}  // namespace zendra::test
