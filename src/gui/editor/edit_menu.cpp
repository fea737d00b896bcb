#include "gui/editor/edit_menu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QWidget>

#include "gui/editor/editor_host.h"
#include "core/format/completeness.h"
#include "gui/shared/gui_services.h"
#include "core/model/vexa_mess.h"

namespace zendra {

EditMenu::EditMenu(QWidget& window, EditorHost& host, const VexaMess& doc, QAction& getExternal,
                   Commands commands)
    : QObject(&window),
      doc_(doc),
      getExternal_(getExternal),
      commands_(std::move(commands)),
      menu_(new QMenu("&Edit", &window)) {
  menu_->setObjectName("mnuEdit");
  // Undo and Redo act on the active window's history (the frame's undo group).
  menu_->addAction(host.undoAction());
  menu_->addAction(host.redoAction());
  menu_->addSeparator();
  copy_ = addMenuItem(menu_, "MnuECopy", "&Copy");
  paste_ = addMenuItem(menu_, "MnuEPaste", "&Paste");
  connect(copy_, &QAction::triggered, this, [this] { commands_.copy(); });
  connect(paste_, &QAction::triggered, this, [this] { commands_.paste(); });
  // Ctrl+C and Ctrl+V run the same Copy and Paste wherever the focus is in the window (a
  // text box takes its own keys first, which copy and paste alike): the grids' block rules
  // and questions, one undo step. The items are off only while the menu shows them off.
  copy_->setShortcut(QKeySequence::Copy);
  paste_->setShortcut(QKeySequence::Paste);
  for (QAction* action : {copy_, paste_}) {
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    window.addAction(action);
  }
  // Every item is worked out from the table as it is when the menu opens (a step, an undo
  // or a redo may have changed what it offers since the page showed).
  connect(menu_, &QMenu::aboutToShow, this, [this] {
    arrange();
    copy_->setEnabled(commands_.canCopy());
    paste_->setEnabled(commands_.canPaste());
  });
  connect(menu_, &QMenu::aboutToHide, this, [this] {
    copy_->setEnabled(true);
    paste_->setEnabled(true);
  });
  const auto item = [this](const char* name, const char* text, std::function<void()>& run) {
    QAction* action = addMenuItem(menu_, name, text);
    connect(action, &QAction::triggered, this, [&run] { run(); });
    return action;
  };
  clearAllData_ = item("mnuClearAllData", "&Clear all data", commands_.clearAllData);
  fillEmpty_ = item("mnuFillEmpty", "Fill empty cells", commands_.fillEmpty);
  separatorDeleteRow_ = menu_->addSeparator();
  deleteRow_ = item("mnuDeleteRow", "Delete current row", commands_.deleteRow);
  separatorImport_ = menu_->addSeparator();
  loadFromCsv_ = item("mnuLoadFromCSV", "Load data from .txt-file (csv)", commands_.loadFromCsv);
  createFromMdb_ = item("mnuCreateFromMDB", "Create table from Acces-table", commands_.createFromMdb);
  convertToKeys_ = item("mnuConvertToKEys", "Convert to Keys format", commands_.convertToKeys);
}

void EditMenu::arrange() {
  for (QAction* a : {fillEmpty_, clearAllData_, &getExternal_, createFromMdb_, loadFromCsv_,
                     convertToKeys_, deleteRow_, separatorImport_, separatorDeleteRow_}) {
    a->setVisible(false);
  }
  if (!commands_.onDataPage()) return;

  fillEmpty_->setVisible(true);
  // The import wizard is offered on this page, for a table whose variables are complete.
  getExternal_.setVisible(true);
  if (!StructureComplete(doc_)) {
    getExternal_.setEnabled(false);
    return;
  }
  if (doc_.GridHasData) {
    if (doc_.FileWithKeys) {
      deleteRow_->setVisible(true);
      separatorDeleteRow_->setVisible(true);
    } else {
      convertToKeys_->setVisible(true);
    }
  } else {
    createFromMdb_->setVisible(true);
  }
  separatorImport_->setVisible(true);
  loadFromCsv_->setVisible(true);
  loadFromCsv_->setEnabled(true);
  clearAllData_->setVisible(true);
  clearAllData_->setEnabled(true);
  getExternal_.setEnabled(true);
}

}  // namespace zendra
