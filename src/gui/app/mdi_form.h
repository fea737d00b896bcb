#pragma once

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <string>
#include <vector>

#include "gui/editor/editor_host.h"
#include "gui/shared/app_context.h"
#include "gui/shared/help_window.h"

class QAction;
class QDragEnterEvent;
class QDropEvent;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

class QUndoGroup;

namespace zendra {

class frmCreateVq;

// The main window: a frame for any number of editor windows, its own menus while no
// editor window is active, and the toolbar. It creates the program-wide settings,
// default data and subject areas at start.
class MDIForm1 : public QMainWindow, public EditorHost {
  Q_OBJECT

 public:
  explicit MDIForm1(AppContext& context, QWidget* parent = nullptr);
  ~MDIForm1() override;

  // Start-up: settings, default data, subject areas (messages for the first two when
  // they cannot be loaded), then the files named on the command line.
  void startUp(const QStringList& files = {});
  // Offers each recovery copy left behind by a program that ended: Recover, Discard or
  // Later.
  void offerRecovery();

  // EditorHost
  void file_new() override;
  void OpenFile(bool metaOnly) override;
  void set_options() override;
  void showAbout(bool modal) override;
  // The default data window, modal; the default data changes only when it saves.
  void editDefaultData() override;
  void exitProgram() override;
  void setCopyPasteVisible(bool visible) override;
  void setSaveVisible(bool visible) override;
  void showCodesChanged() override;
  QMdiArea* mdiArea() override { return mdi_; }
  QAction* undoAction() override { return undoAction_; }
  QAction* redoAction() override { return redoAction_; }
  QList<QAction*> recentFileActions() override;
  void rememberFile(const QString& path) override;
  QAction* helpAction() override { return helpAction_; }
  // The undo group: its active stack is the active editor window's history.
  QUndoGroup* undoGroup() const { return undoGroup_; }

  void metaopen() { OpenFile(true); }
  // Opens a file in a new editor window; false when the load was cancelled or failed.
  bool openPath(const QString& path, bool metaOnly);
  // The manual in the help window, at the page of the active editor window's page.
  void showHelp();
  // Opens the recent file at index (0 is the newest); a file that is gone is taken off
  // the list with a message.
  void openRecent(int index);
  // Opens the VQ files among paths, each in its own window, and names the others in
  // one message.
  void openDropped(const QStringList& paths);
  HelpWindow* helpWindow() const { return helpWindow_; }

  int documentCounter() const { return counter_; }
  frmCreateVq* activeEditor() const;
  QList<frmCreateVq*> editors() const;
  QToolBar* toolbar() const { return toolbar_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void buildMenus();
  void buildUndoActions();
  // A cell still being typed in the active window becomes a step before Undo or Redo.
  void commitActiveEdit();
  void buildToolbar();
  void buildRecentActions();
  // Shows the stored list in the recent-file entries.
  void showRecentFiles(const std::vector<std::string>& files);
  // Stores the list and shows it; a failed write is shown.
  void storeRecentFiles(const std::vector<std::string>& files);
  void onSubWindowActivated(QMdiSubWindow* window);
  void onToolbar(QAction* action);
  frmCreateVq* addEditor();
  bool closeAllEditors();
  // Writes zendra32.ini; a failure is shown.
  void saveSettings();

  AppContext& ctx_;
  QMdiArea* mdi_ = nullptr;
  QToolBar* toolbar_ = nullptr;
  QList<QMenu*> frameMenus_;
  QMenu* windowsMenu_ = nullptr;
  QUndoGroup* undoGroup_ = nullptr;
  QAction* undoAction_ = nullptr;
  QAction* helpAction_ = nullptr;
  QPointer<HelpWindow> helpWindow_;
  QAction* redoAction_ = nullptr;
  QList<QAction*> recentActions_;  // the separator, then one entry per file
  int counter_ = 0;
};

}  // namespace zendra
