#pragma once

#include <QDialog>
#include <memory>

#include "gui/shared/gui_services.h"
#include "core/settings/default_data.h"

class QTableWidget;
class QTableWidgetItem;

namespace Ui {
class frmDefaultData;
}

namespace zendra {

struct AppContext;

// The window that edits the program's default data: the five constants, the standard
// variables with their values, and the units. It edits a copy of its own; "Save" asks
// for the file (the current one preset, a new name accepted), writes the copy there and
// only then makes it the program's default data, tells the open editor windows and
// closes. A cancelled file choice or a failed write keeps the window open and the
// program's default data as it was; "Cancel" changes nothing.
class frmDefaultData : public QDialog {
  Q_OBJECT

 public:
  explicit frmDefaultData(AppContext& context, QWidget* parent = nullptr);
  ~frmDefaultData() override;

  // What the window's controls have made of the default data so far.
  const DefaultData& workingCopy() const { return working_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void fillUnits();
  void fillValues();
  DimensionRef selectedVariable() const;
  void unitEdited(QTableWidgetItem* item);
  void valueEdited(QTableWidgetItem* item);
  void deleteSelectedRows(QTableWidget* grid);
  void newVariable();
  void newOrder();
  void save();

  FileChooser& files();
  Prompt& prompt();

  AppContext& ctx_;
  DefaultData working_;
  std::unique_ptr<Ui::frmDefaultData> ui_;
  bool filling_ = false;        // the grids are being filled: their changes are no edits
  QtFileChooser desktopFiles_;  // when the context has no chooser
  QtPrompt messageBoxes_;       // when the context has no prompt
};

}  // namespace zendra
