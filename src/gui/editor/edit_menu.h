#pragma once

#include <QObject>
#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace zendra {

class EditorHost;
class VexaMess;

// The editor window's Edit menu: Undo and Redo of the frame, Copy and Paste (Ctrl+C and
// Ctrl+V run them wherever the focus is in the window), and the table commands of the Data
// page, shown as the page and the table call for each time the menu opens.
class EditMenu : public QObject {
 public:
  struct Commands {
    std::function<void()> copy, paste, clearAllData, fillEmpty, deleteRow, loadFromCsv,
        createFromMdb, convertToKeys;
    std::function<bool()> canCopy, canPaste;
    std::function<bool()> onDataPage;  // the window shows its Data page
  };

  // getExternal is the File menu's "Get data from external file", arranged with these.
  EditMenu(QWidget& window, EditorHost& host, const VexaMess& doc, QAction& getExternal,
           Commands commands);

  QMenu* menu() const { return menu_; }
  // Shows the table commands that the current page and the table call for.
  void arrange();

 private:
  const VexaMess& doc_;
  QAction& getExternal_;
  Commands commands_;
  QMenu* menu_;
  QAction* copy_;
  QAction* paste_;
  QAction* clearAllData_;
  QAction* fillEmpty_;
  QAction* separatorDeleteRow_;
  QAction* deleteRow_;
  QAction* separatorImport_;
  QAction* loadFromCsv_;
  QAction* createFromMdb_;
  QAction* convertToKeys_;
};

}  // namespace zendra
