#pragma once

#include <QList>

class QAction;
class QMdiArea;
class QString;

namespace zendra {

// What an editor window asks of the main window that holds it.
class EditorHost {
 public:
  virtual ~EditorHost() = default;
  virtual void file_new() = 0;
  virtual void OpenFile(bool metaOnly) = 0;
  virtual void set_options() = 0;
  // The default data window.
  virtual void editDefaultData() = 0;
  virtual void showAbout(bool modal) = 0;
  // Closes every editor window (each asks about its changes) and ends the program when
  // all of them closed.
  virtual void exitProgram() = 0;
  // The toolbar's Copy and Paste buttons, and its Save button.
  virtual void setCopyPasteVisible(bool visible) = 0;
  virtual void setSaveVisible(bool visible) = 0;
  // The show-codes view flag changed: every editor window relabels its grid.
  virtual void showCodesChanged() = 0;
  virtual QMdiArea* mdiArea() = 0;
  // "&Undo" and "&Redo" of the active window's history, shared by every Edit menu.
  virtual QAction* undoAction() = 0;
  virtual QAction* redoAction() = 0;
  // The recent-file entries of every File menu (a separator first), kept up to date by
  // the main window.
  virtual QList<QAction*> recentFileActions() = 0;
  // A table was opened or saved under path: it goes to the top of the recent files.
  virtual void rememberFile(const QString& path) = 0;
  // "&Contents" (F1 anywhere in the program): the manual, shared by every Help menu.
  virtual QAction* helpAction() = 0;
};

}  // namespace zendra
