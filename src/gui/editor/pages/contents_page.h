#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "gui/editor/pages/editor_page.h"

class QCheckBox;
class QLineEdit;

namespace Ui {
class ContentsPage;
}

namespace zendra {

class ContentData;
class DefaultData;

// "&Contents": the content variable, the table's units and one content metadata set at a
// time in the frame: the table's own set ("[base]") or the set of one value of the
// content variable. Choosing what to show writes nothing; every edit is one undo step.
class ContentsPage : public EditorPage {
 public:
  ContentsPage(EditorContext& editor, QWidget* parent);
  ~ContentsPage() override;

  // Refills the variable list from the table and shows the set chosen before, when it
  // is still there (else the table's own set).
  void load() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  using Field = std::string ContentData::*;

  void bindControls();
  // The default data's units in both unit lists; the boxes keep their text.
  void fillUnitLists();
  // "[base]" and the content variable's value texts, or hidden without a content variable.
  void fillContentValues();
  // The set chosen in cmbContValue: a value's set (made on first use) or the table's.
  std::shared_ptr<ContentData> chosenSet();
  // Fills the frame (and the table's units) from the sets, writing nothing.
  void showSet();
  void showUnits();

  void chooseContentVariable(int index);
  void chooseContentValue(int index);
  // One step setting a field of a set; nothing when the field already holds text.
  void write(const std::shared_ptr<ContentData>& set, Field field, const std::string& text,
             const char* name, std::uint64_t session = 0);
  // A check box that shows its box: checked shows the field (or fallback, written as
  // the user's text when the field is empty); clear hides and empties the field.
  void bindPeriod(QCheckBox* check, QWidget* box, Field field, const char* name,
                  const std::string* fallback = nullptr);
  // Stock/flow and prices: upper case, a single blank is "", anything but one of the
  // allowed letters beeps and empties the box.
  void bindLetterBox(QLineEdit* box, const QString& allowed, Field field, const char* name);

  std::unique_ptr<Ui::ContentsPage> ui_;
  std::shared_ptr<ContentData> set_;  // the set the frame shows
  std::optional<QString> valueKey_;   // the value whose set is shown; none for "[base]"
  // The program's default data outlives every window; the window is already gone when
  // its pages are destroyed, so the page keeps its own reference.
  DefaultData& defaultData_;
  std::size_t defaultDataConnection_ = 0;
};

}  // namespace zendra
