#pragma once

#include <memory>
#include <string>

#include "gui/editor/pages/editor_page.h"
#include "core/model/dimension_data.h"
#include "core/model/value_and_code.h"

class QCheckBox;
class QPlainTextEdit;
class QTreeWidgetItem;

namespace Ui {
class ValueNotesPage;
}

namespace zendra {

// "Va&lueNotes": the notes of a variable chosen in the tree and of its values. The value
// list marks with "*" each value that has a note. Clearing a variable's check box only
// hides its box (the note stays and is written); clearing a value's check box deletes the
// value's note. Every change of a note is one step; typing in one box merges into one.
class ValueNotesPage : public EditorPage {
 public:
  ValueNotesPage(EditorContext& editor, QWidget* parent);
  ~ValueNotesPage() override;

  // Refills the tree; the variable and value shown before stay chosen while the table
  // still holds them.
  void load() override;
  // Showing the page starts again from the tree's first entry.
  void shown() override;

  // A value's line in the list: a mark ("*" when the value has a note), a tab, the code
  // and two blanks when the variable uses codes, and the value's text.
  static QString valueLine(const DimensionData& variable, const ValueAndCode& value);

 private:
  void chooseNode(QTreeWidgetItem* node);
  // Fills the variable's controls and its value list, writing nothing.
  void showVariable();
  // Fills the value's controls from the list's row (none: they hide).
  void showValue(int row);
  // One step setting a note of the current variable or value.
  void setNote(std::shared_ptr<void> owner, std::string* field, std::string text, const char* name,
               std::uint64_t session);
  // The current value's line follows its notes.
  void refreshValueLine();

  std::unique_ptr<Ui::ValueNotesPage> ui_;
  DimensionRef variable_;  // the variable shown; none while a group is chosen
  ValueRef value_;         // the value shown; none while the list has no current row
};

}  // namespace zendra
