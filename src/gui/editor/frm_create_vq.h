#pragma once

#include <QList>
#include <QString>
#include <QWidget>
#include <memory>
#include <optional>

#include "gui/editor/editor_context.h"
#include "gui/editor/recovery_copy.h"
#include "core/format/recovery.h"
#include "core/grid/cell_grid.h"
#include "core/grid/data_methods.h"
#include "gui/shared/app_context.h"
#include "core/import/text_import.h"
#include "core/model/vexa_mess.h"

class QAction;
class QMenu;
class QTabWidget;
class QUndoStack;

namespace zendra {

class EditMenu;

class BasicStructurePage;
class ClipboardFlow;
class DataFlow;
class ExportFlow;
class DataGridView;
class DataPage;
class EditorHost;
class EditorPage;
class ImportFlow;
class UndoHistory;
class WorkSheetPage;

// The editor window: one table document on ten pages (each its own class), with its own
// menus (which take the place of the main window's while it is active), its undo history,
// and the document's lifecycle: new, open (whole or metadata only), save, save as, close
// with the question about unsaved changes. "Changed" is the history not being at the
// state last loaded or saved, or a cell still being typed.
class frmCreateVq : public QWidget, public EditorContext, public RecoveryCopy::Window {
  Q_OBJECT

 public:
  enum Page {
    BasicStructure = 0,
    Variables = 1,
    Contents = 2,
    Data = 3,
    Footnotes = 4,
    ValueNotes = 5,
    CellNotes = 6,
    ActualFile = 7,
    Test = 8,
    WorkSheet = 9,
  };

  frmCreateVq(AppContext& context, EditorHost& host, QWidget* parent = nullptr);
  ~frmCreateVq() override;

  // A new, empty table numbered fileno: caption File01.vq, File02.vq, ...
  void makeNew(bool FileWithKeys, int fileno);
  // Loads a table file. Returns false when the window must not stay: the user cancelled
  // the load, or the file could not be read (the user was told).
  bool LoadFromFile(const QString& FileName, bool MetaOnly);
  // Loads a recovery copy left behind by a program that ended: the window shows the
  // table's own file name (or the new table's caption), saves to that file and counts as
  // changed. False as for LoadFromFile.
  bool recover(const recovery::CopyInfo& copy);
  // Fills every page from the document; a loaded or new document counts as unchanged.
  void Load_data(bool gridHasData);
  // Saves (saveAs 1: always asks for a name). Returns true when the file was written.
  bool savefile(int saveAs);
  // Asks about unsaved changes. result is false when the user cancelled, or chose to
  // save and the save did not happen: the window then stays.
  void Check_Save(bool& result);

  // The question of Check_Save without its effect, for asking several windows before any
  // of them goes: Unchanged (nothing to ask), Saved (Yes and the file was written),
  // Discard (No), Keep (Cancel, or Yes and nothing was written).
  enum class SaveAnswer { Unchanged, Saved, Discard, Keep };
  SaveAnswer askToSave();
  // The user chose to lose the changes: the window may close without asking again.
  void discardChanges();
  // Unsaved changes: steps since the last load or save, or a cell being typed.
  bool isChanged() const override;

  // EditorContext (document() and writeOptions() serve the recovery copy too).
  VexaMess& document() override { return doc_; }
  CellGrid& dataGrid() override { return grid_; }
  AppContext& app() override { return ctx_; }
  void push(std::unique_ptr<Command> command) override;
  WriteOptions writeOptions() const override;
  void refreshDataGrid() override;
  void sortKeysRows() override;
  QMenu* editMenu() const override;

  DataGridView* SprData() const;
  QTabWidget* tabs() const { return tabs_; }
  QList<QMenu*> menus() const { return menus_; }
  // The window's name without the modified marker.
  QString caption() const override;
  QUndoStack* undoStack() const override;
  RecoveryCopy* recoveryCopy() const { return recovery_.get(); }
  // Stores a cell still being typed, so that an undo or a save sees it.
  void commitEdit() override;

  // Labels follow the program-wide show-codes flag.
  void applyShowCodes();

  // Copy and Paste of the focused control (the Edit menu and the toolbar): a text box,
  // the data grid, the value grid or the work sheet. A paste into the table is one step.
  void DoCopy();
  void DoPaste();

  // Imports a text file's cells into the data grid as one step of the history, reading the
  // file as it goes, with a progress window and Cancel; the log comes back. "Load data
  // from .txt-file (csv)" and the import wizard both end here.
  TextImportResult importText(const QString& path, TextImportSettings settings);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildPages();
  void buildMenus();
  void onPageChanged(int index);
  void setShowCodes(bool codes);
  void clearAllData();
  void convertToKeys();
  void setCaptionFromFileName();
  void setCaption(const QString& name);
  // Shows the Edit menu's table items that the current page and the table call for.
  void arrangeEditMenu();
  void rebuildWindowList();
  // "Create table from Acces-table"; with data in the grid the menus and the structure
  // controls change.
  void createFromMdb();

  AppContext& ctx_;
  EditorHost& host_;
  VexaMess doc_;
  CellGrid grid_;
  UndoHistory* history_ = nullptr;
  int lastPage_ = -1;
  CellAddress restoring_;  // the current cell's values before an undo or redo
  bool loading_ = false;  // a file is being read: the window must not go meanwhile

  QTabWidget* tabs_ = nullptr;
  QList<EditorPage*> pages_;
  BasicStructurePage* basicPage_ = nullptr;
  DataPage* dataPage_ = nullptr;
  WorkSheetPage* workPage_ = nullptr;

  QList<QMenu*> menus_;
  EditMenu* edit_ = nullptr;
  QMenu* windowsMenu_ = nullptr;
  QAction* mnuShowValues_ = nullptr;
  QAction* mnuShowCodes_ = nullptr;
  QAction* mnuGetExternal_ = nullptr;
  std::unique_ptr<ImportFlow> import_;
  std::unique_ptr<ClipboardFlow> clipboard_;
  std::unique_ptr<DataFlow> data_;
  std::unique_ptr<ExportFlow> export_;
  // Last, so that it goes first, while the window is still whole.
  std::unique_ptr<RecoveryCopy> recovery_;
};

}  // namespace zendra
