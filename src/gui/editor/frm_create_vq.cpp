#include "gui/editor/frm_create_vq.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QTabWidget>
#include <QTableView>
#include <QUndoStack>
#include <QVBoxLayout>
#include <cerrno>

#include "core/editor/cell_commands.h"
#include "core/editor/keys_conversion.h"
#include "core/editor/settled_step.h"
#include "gui/editor/clipboard_flow.h"
#include "gui/editor/data_flow.h"
#include "gui/editor/export_flow.h"
#include "gui/editor/data_grid_view.h"
#include "gui/editor/edit_menu.h"
#include "gui/editor/editor_host.h"
#include "gui/editor/import_flow.h"
#include "gui/editor/pages/basic_structure_page.h"
#include "gui/editor/pages/cell_notes_page.h"
#include "gui/editor/pages/contents_page.h"
#include "gui/editor/pages/data_page.h"
#include "gui/editor/pages/file_text_page.h"
#include "gui/editor/pages/footnotes_page.h"
#include "gui/editor/pages/test_page.h"
#include "gui/editor/pages/value_notes_page.h"
#include "gui/editor/pages/variables_page.h"
#include "gui/editor/pages/work_sheet_page.h"
#include "gui/editor/recovery_copy.h"
#include "gui/editor/undo_history.h"
#include "core/format/completeness.h"
#include "core/format/reader.h"
#include "core/format/writer.h"
#include "core/grid/data_methods.h"
#include "gui/shared/frm_progress.h"

namespace zendra {
namespace {

constexpr const char* kPageCaptions[] = {
    "Bas&ic structure", "V&ariables", "&Contents",       "&Data", "Foot&notes",
    "Va&lueNotes",      "CellN&otes", "Actual &VQ-File", "&Test", "&Work sheet"};

QAction* menuItem(QMenu* menu, const char* name, const char* text) {
  return addMenuItem(menu, name, text);
}

// A failure to reach or write the chosen path: the user is asked for another folder.
bool isPathError(int code) {
  switch (code) {
    case EACCES:
    case EPERM:
    case EROFS:
    case ENOENT:
    case ENOTDIR:
    case EISDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return true;
    default:
      return false;
  }
}

}  // namespace

frmCreateVq::frmCreateVq(AppContext& context, EditorHost& host, QWidget* parent)
    : QWidget(parent), ctx_(context), host_(host), history_(new UndoHistory(this)) {
  setObjectName("frmCreateVq");
  QApplication::setOverrideCursor(Qt::WaitCursor);

  // The view setting of the last session; the menus show it.
  ctx_.ShowCodes = ctx_.registry.readShowCodes();
  // Cells show and take numbers with the user's decimal separator; files keep ".".
  grid_.setDecimalChar(QLocale().decimalPoint().toStdString());
  doc_.SprData = &grid_;
  buildPages();
  import_ = std::make_unique<ImportFlow>(*this, *this);
  data_ = std::make_unique<DataFlow>(*this, *this);
  export_ = std::make_unique<ExportFlow>(*this, *this);
  clipboard_ = std::make_unique<ClipboardFlow>(*this, *this, *SprData(), *workPage_->grid(),
                                               *static_cast<VariablesPage*>(pages_[Variables]));
  buildMenus();
  host_.setCopyPasteVisible(true);
  host_.setSaveVisible(true);

  // The caption's "*" follows the history: shown while the table differs from its file.
  connect(history_->stack(), &QUndoStack::cleanChanged, this,
          [this](bool clean) { setWindowModified(!clean); });
  // An undo or redo may change any part of the grid, its layout included.
  // An undo or redo that lays the grid out anew keeps the current cell on its values too.
  history_->beforeRestore = [this] {
    restoring_ = AddressOf(doc_, grid_.currentRow(), grid_.currentCol());
  };
  connect(history_, &UndoHistory::tableRestored, this, [this] {
    KeepCurrentOnData(doc_, grid_, restoring_);
    // A grid put back from before a change of the view carries the other labels.
    if (doc_.GridCreated) {
      WriteStubLabels(doc_, grid_, ctx_.ShowCodes);
      WriteHeadingLabels(doc_, grid_, ctx_.ShowCodes);
    }
    refreshDataGrid();
    // The controls show the table as it is now.
    for (EditorPage* page : pages_) page->load();
    if (tabs_->currentIndex() == Data) onPageChanged(Data);
  });
  recovery_ = std::make_unique<RecoveryCopy>(*this, ctx_.recovery);
  QApplication::restoreOverrideCursor();
}

frmCreateVq::~frmCreateVq() = default;

void frmCreateVq::buildPages() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("SSTab1");
  layout->addWidget(tabs_);

  basicPage_ = new BasicStructurePage(*this, tabs_);
  dataPage_ = new DataPage(*this, tabs_);
  workPage_ = new WorkSheetPage(*this, tabs_);
  pages_ = {basicPage_,
            new VariablesPage(*this, tabs_),
            new ContentsPage(*this, tabs_),
            dataPage_,
            new FootnotesPage(*this, tabs_),
            new ValueNotesPage(*this, tabs_),
            new CellNotesPage(*this, tabs_),
            new FileTextPage(*this, tabs_),
            new TestPage(*this, tabs_),
            workPage_};
  for (int i = 0; i < pages_.size(); ++i) {
    pages_[i]->setObjectName(QString("page%1").arg(i));
    tabs_->addTab(pages_[i], QString::fromUtf8(kPageCaptions[i]));
  }
  // Edits of data cells are steps of the table's history.
  SprData()->setCommandSink([this](std::unique_ptr<Command> command) { push(std::move(command)); });
  connect(tabs_, &QTabWidget::currentChanged, this, &frmCreateVq::onPageChanged);
}

void frmCreateVq::buildMenus() {
  auto* file = new QMenu("&File", this);
  file->setObjectName("mnuFile");
  connect(menuItem(file, "mnuFNew", "&New"), &QAction::triggered, this,
          [this] { host_.file_new(); });
  connect(menuItem(file, "mnuFOpenVq", "&Open VQ-file"), &QAction::triggered, this,
          [this] { host_.OpenFile(false); });
  connect(menuItem(file, "mnuFOpenMeta", "Open &Metadata only"), &QAction::triggered, this,
          [this] { host_.OpenFile(true); });
  connect(menuItem(file, "mnuFSave", "&Save"), &QAction::triggered, this, [this] { savefile(0); });
  connect(menuItem(file, "mnuFSaveAs", "Save &as ..."), &QAction::triggered, this,
          [this] { savefile(1); });
  connect(menuItem(file, "mnuFExport", "&Export..."), &QAction::triggered, this,
          [this] { export_->exportTable(); });
  connect(menuItem(file, "mnuFClose", "&Close"), &QAction::triggered, this, [this] {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
      sub->close();
    } else {
      close();
    }
  });
  mnuGetExternal_ = menuItem(file, "mnuGetExternal", "Get data from external file");
  connect(mnuGetExternal_, &QAction::triggered, this, [this] { import_->getExternalData(); });
  file->addActions(host_.recentFileActions());
  file->addSeparator();
  connect(menuItem(file, "MnuFExit", "E&xit"), &QAction::triggered, this,
          [this] { host_.exitProgram(); });

  EditMenu::Commands commands;
  commands.copy = [this] { DoCopy(); };
  commands.paste = [this] { DoPaste(); };
  commands.clearAllData = [this] { clearAllData(); };
  commands.fillEmpty = [this] { data_->fillEmptyCells(); };
  commands.deleteRow = [this] { data_->deleteCurrentRow(); };
  commands.loadFromCsv = [this] { import_->loadFromCsv(); };
  commands.createFromMdb = [this] { createFromMdb(); };
  commands.convertToKeys = [this] { convertToKeys(); };
  commands.canCopy = [this] { return clipboard_->canCopy(); };
  commands.canPaste = [this] { return clipboard_->canPaste(); };
  commands.onDataPage = [this] { return tabs_->currentIndex() == Data; };
  edit_ = new EditMenu(*this, host_, doc_, *mnuGetExternal_, std::move(commands));
  QMenu* edit = edit_->menu();

  auto* view = new QMenu("&View", this);
  view->setObjectName("mnuView");
  mnuShowValues_ = menuItem(view, "mnuShowValues", "Values");
  mnuShowCodes_ = menuItem(view, "mnuShowCodes", "Codes");
  mnuShowValues_->setCheckable(true);
  mnuShowCodes_->setCheckable(true);
  mnuShowCodes_->setChecked(ctx_.ShowCodes);
  mnuShowValues_->setChecked(!ctx_.ShowCodes);
  connect(mnuShowValues_, &QAction::triggered, this, [this] { setShowCodes(false); });
  connect(mnuShowCodes_, &QAction::triggered, this, [this] { setShowCodes(true); });
  view->addSeparator();
  connect(menuItem(view, "mnuOptions", "&Options"), &QAction::triggered, this,
          [this] { host_.set_options(); });
  // The editor's menus take the place of the main window's, which hold this one too.
  connect(menuItem(view, "mnuEditDefault", "Edit &Default Data"), &QAction::triggered, this,
          [this] { host_.editDefaultData(); });

  windowsMenu_ = new QMenu("Windows", this);
  windowsMenu_->setObjectName("mnuWindows");
  connect(windowsMenu_, &QMenu::aboutToShow, this, &frmCreateVq::rebuildWindowList);
  rebuildWindowList();

  auto* help = new QMenu("Help", this);
  help->setObjectName("mnuHelp");
  help->addAction(host_.helpAction());
  connect(menuItem(help, "mnuAbout", "About"), &QAction::triggered, this,
          [this] { host_.showAbout(false); });

  menus_ = {file, edit, view, windowsMenu_, help};
  // A right click on the work sheet opens the Edit menu there.
  workPage_->setContextMenu(edit);
}

void frmCreateVq::rebuildWindowList() {
  windowsMenu_->clear();
  QMdiArea* area = host_.mdiArea();
  connect(menuItem(windowsMenu_, "mnuWinCascade", "Cascade"), &QAction::triggered, area,
          &QMdiArea::cascadeSubWindows);
  connect(menuItem(windowsMenu_, "mnuWinTile", "Tile"), &QAction::triggered, area,
          &QMdiArea::tileSubWindows);
  windowsMenu_->addSeparator();
  int n = 0;
  for (QMdiSubWindow* sub : area->subWindowList()) {
    QString title = sub->windowTitle();
    title.replace("[*]", sub->widget() && sub->widget()->isWindowModified() ? "*" : "");
    QAction* entry = windowsMenu_->addAction(QString("&%1 %2").arg(++n).arg(title));
    entry->setCheckable(true);
    entry->setChecked(sub == area->activeSubWindow());
    connect(entry, &QAction::triggered, area, [area, sub = QPointer<QMdiSubWindow>(sub)] {
      if (sub) area->setActiveSubWindow(sub);
    });
  }
}

QMenu* frmCreateVq::editMenu() const {
  return edit_->menu();
}

DataGridView* frmCreateVq::SprData() const {
  return dataPage_->grid();
}

QUndoStack* frmCreateVq::undoStack() const {
  return history_->stack();
}

void frmCreateVq::push(std::unique_ptr<Command> command) {
  // The current data cell is found again by its values after a step that lays the grid
  // out anew (a value or variable added, removed or moved).
  const CellAddress current = AddressOf(doc_, grid_.currentRow(), grid_.currentCol());
  // Every step brings the grid in step with the table as part of itself, so that the
  // grid and its layout change only inside the history.
  const bool kept = history_->push(settled(std::move(command), doc_, grid_, ctx_.ShowCodes));
  KeepCurrentOnData(doc_, grid_, current);
  if (!kept) {
    ctx_.prompt->message(
        "The table is too large to keep a copy for undoing this step. It cannot be undone, "
        "and the steps before it can no longer be undone either.",
        kProgramTitle, Prompt::Icon::Information);
  }
}

WriteOptions frmCreateVq::writeOptions() const {
  WriteOptions options;
  options.ansi = basicPage_->saveAsAnsi();
  options.byWord = ctx_.defaultData.Bytext;
  options.andWord = ctx_.defaultData.Andtext;
  return options;
}

void frmCreateVq::refreshDataGrid() {
  SprData()->refresh();
}

void frmCreateVq::sortKeysRows() {
  if (!doc_.FileWithKeys || !doc_.GridCreated) return;
  auto sort = std::make_unique<SortKeysRowsCommand>(doc_, grid_);
  if (!sort->moves()) return;
  const bool unchanged = history_->stack()->isClean();
  push(std::move(sort));
  if (unchanged) history_->stack()->setClean();
  refreshDataGrid();
}

void frmCreateVq::commitEdit() {
  SprData()->commitEdit();
}

bool frmCreateVq::isChanged() const {
  return !history_->stack()->isClean() || SprData()->isEditing();
}

void frmCreateVq::makeNew(bool FileWithKeys, int fileno) {
  doc_.VQfilename.clear();
  doc_.FileWithKeys = FileWithKeys;
  Load_data(false);
  tabs_->setCurrentIndex(Variables);
  tabs_->setCurrentIndex(BasicStructure);
  setCaption(QString("File%1.vq").arg(fileno, 2, 10, QChar('0')));
}

bool frmCreateVq::LoadFromFile(const QString& FileName, bool MetaOnly) {
  doc_.VQfilename = stdString(FileName);
  // The load lets the interface breathe; nothing else may act on the program until it
  // ends, and this window may not close under the reader.
  frmProgress progress;
  progress.setWindowModality(Qt::ApplicationModal);
  progress.show();
  loading_ = true;
  QCoreApplication::processEvents();
  doc_.GridHasData = false;
  doc_.GridCreated = false;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  ProgressPrompt prompt(progress, *ctx_.prompt);
  LoadReport report;
  const LoadResult result =
      Load_From_File(doc_, MetaOnly, &grid_, prompt, ctx_.ShowCodes, {}, &report);
  loading_ = false;
  QApplication::restoreOverrideCursor();
  const bool cancelled = progress.cancel != 0 || result == LoadResult::Cancelled;
  progress.close();
  doc_.GridHasData = doc_.HasData;
  if (cancelled) return false;
  if (result == LoadResult::CannotRead) {
    // With the system's reason (no such file, permission denied, a folder).
    ctx_.prompt->message(report.readError.empty() ? "Cannot read " + doc_.VQfilename
                                                  : report.readError,
                         kProgramTitle, Prompt::Icon::Critical);
    return false;
  }
  Load_data(doc_.GridHasData);
  tabs_->setCurrentIndex(Variables);
  tabs_->setCurrentIndex(BasicStructure);
  setCaptionFromFileName();
  if (doc_.MetadataOnly) tabs_->setTabEnabled(Data, false);
  // What the load had to leave out or keep as text is told once the file is open.
  const auto notices = report.notices();
  if (!notices.empty()) {
    std::string text;
    for (const auto& notice : notices) text += (text.empty() ? "" : "\n\n") + notice;
    ctx_.prompt->message(text, kProgramTitle, Prompt::Icon::Exclamation);
  }
  return true;
}

bool frmCreateVq::recover(const recovery::CopyInfo& copy) {
  if (!LoadFromFile(qs(copy.tableFile.string()), copy.metadataOnly)) return false;
  doc_.VQfilename = copy.originalName;
  if (copy.originalName.empty()) {
    setCaption(qs(copy.caption));
  } else {
    setCaptionFromFileName();
  }
  // Nothing of it is saved: closing asks, and the window keeps a copy of its own.
  history_->stack()->resetClean();
  return true;
}

void frmCreateVq::Load_data(bool gridHasData) {
  doc_.GridHasData = gridHasData;
  // A table read or made is laid out before its history starts (a table whose every
  // variable has values but no DATA gets its empty grid here, not when a page shows).
  SettleGrid(doc_, grid_, ctx_.ShowCodes);
  SprData()->refresh();
  for (EditorPage* page : pages_) page->load();
  // A new or freshly loaded table starts a history of its own, unchanged.
  history_->stack()->clear();
}

void frmCreateVq::setCaptionFromFileName() {
  setCaption(QFileInfo(qs(doc_.VQfilename)).fileName());
}

void frmCreateVq::setCaption(const QString& name) {
  // "[*]" is where Qt shows "*" while the window is modified: in the window's own title,
  // the frame's caption when the window is maximized, and the Windows menu.
  setWindowTitle(name + "[*]");
}

QString frmCreateVq::caption() const {
  QString title = windowTitle();
  title.remove("[*]");
  return title;
}

bool frmCreateVq::savefile(int saveAs) {
  if (tabs_->currentIndex() == Data) commitEdit();
  sortKeysRows();
  // A table whose file would read back as another table is not saved at all; the user
  // learns why before choosing a file.
  if (const std::string refusal = WriteRefusal(doc_); !refusal.empty()) {
    ctx_.prompt->message(refusal, "Problem", Prompt::Icon::Critical);
    return false;
  }
  const bool complete = test_file_complete(doc_, &grid_).complete;
  refreshDataGrid();  // the test sorts keys-form rows and paints faulty cells
  if (!complete) {
    ctx_.prompt->message("File is not complete and can not be loaded to Vexa", kProgramTitle,
                         Prompt::Icon::Critical);
  }
  QCoreApplication::processEvents();

  QString folder = QFileInfo(qs(doc_.VQfilename)).absolutePath();
  if (doc_.VQfilename.empty()) {
    folder = qs(ctx_.settings.Savebase);
    saveAs = 1;
  }
  bool ask = saveAs == 1;
  for (;;) {
    if (ask) {
      FileChooser::Request request;
      request.title = "Save VQ-file as";
      request.folder = folder;
      request.fileName = QFileInfo(qs(doc_.VQfilename)).fileName();
      request.filter = qtFilter("Vq-files|*.vq");
      request.confirmOverwrite = true;
      const QString chosen = ctx_.files->saveFile(this, request);
      if (chosen.isEmpty()) return false;  // cancelled: nothing written, no message
      doc_.VQfilename = stdString(chosen);
    }
    if (tabs_->currentIndex() == Data) commitEdit();
    QCoreApplication::processEvents();

    const WriteResult written = Write_To_File(doc_, doc_.VQfilename, writeOptions());
    if (written.ok) {
      if (written.lossy) {
        ctx_.prompt->message(
            "Some characters are not in the file's character set and were saved as \"?\".",
            kProgramTitle, Prompt::Icon::Exclamation);
      }
      break;
    }
    if (isPathError(written.errorCode)) {
      ctx_.prompt->message(
          "Path is writeprotected. Select a folder where you you are permitted to save your work",
          "Problem", Prompt::Icon::None);
      ask = true;
      continue;
    }
    // Any other failure (a full disk, say) ends the save; the old file is untouched.
    ctx_.prompt->message(written.error, "Problem", Prompt::Icon::Critical);
    return false;
  }
  history_->stack()->setClean();
  setCaptionFromFileName();
  host_.rememberFile(qs(doc_.VQfilename));
  return true;
}

frmCreateVq::SaveAnswer frmCreateVq::askToSave() {
  if (loading_) return SaveAnswer::Keep;
  // A number still being typed counts as a change.
  commitEdit();
  if (!isChanged()) return SaveAnswer::Unchanged;
  const auto answer =
      ctx_.prompt->ask("Do you want to save changes in " + stdString(caption()), kProgramTitle,
                       Prompt::Buttons::YesNoCancel, Prompt::Icon::Question);
  switch (answer) {
    case Prompt::Answer::Yes:
      // A save that did not happen keeps the window and its changes.
      return savefile(0) ? SaveAnswer::Saved : SaveAnswer::Keep;
    case Prompt::Answer::No:
      return SaveAnswer::Discard;
    default:
      return SaveAnswer::Keep;
  }
}

void frmCreateVq::discardChanges() {
  history_->stack()->setClean();
}

void frmCreateVq::Check_Save(bool& result) {
  const SaveAnswer answer = askToSave();
  result = answer != SaveAnswer::Keep;
  if (answer == SaveAnswer::Discard) discardChanges();
}

void frmCreateVq::closeEvent(QCloseEvent* event) {
  bool result = true;
  Check_Save(result);
  if (!result) {
    event->ignore();
    return;
  }
  // The window goes: the toolbar's Copy and Paste go with it (Save stays).
  host_.setCopyPasteVisible(false);
  event->accept();
}

void frmCreateVq::setShowCodes(bool codes) {
  ctx_.ShowCodes = codes;
  if (!ctx_.registry.writeShowCodes(codes)) {
    ctx_.prompt->message(ctx_.registry.error(), kProgramTitle, Prompt::Icon::Exclamation);
  }
  host_.showCodesChanged();
}

void frmCreateVq::applyShowCodes() {
  mnuShowCodes_->setChecked(ctx_.ShowCodes);
  mnuShowValues_->setChecked(!ctx_.ShowCodes);
  if (!doc_.GridCreated) return;
  // A cell still being typed is stored before the labels are written anew.
  commitEdit();
  WriteStubLabels(doc_, grid_, ctx_.ShowCodes);
  WriteHeadingLabels(doc_, grid_, ctx_.ShowCodes);
  refreshDataGrid();
}

void frmCreateVq::clearAllData() {
  data_->clearAllData();
  // Without data the structure can be changed again.
  basicPage_->arrangeStructure();
  arrangeEditMenu();
}

void frmCreateVq::convertToKeys() {
  if (!data_->convertToKeys()) return;
  // The variable lists, the structure controls and the menus follow the keys form.
  for (EditorPage* page : pages_) page->load();
  onPageChanged(tabs_->currentIndex());
}

void frmCreateVq::onPageChanged(int index) {
  if (lastPage_ == Data && index != Data) commitEdit();
  lastPage_ = index;
  if (index >= 0 && index < pages_.size()) {
    pages_[index]->load();
    pages_[index]->shown();
    // The structure buttons follow the grid's data on the Variables page too.
    if (index == Variables) basicPage_->arrangeStructure();
  }
  arrangeEditMenu();
}

void frmCreateVq::arrangeEditMenu() {
  edit_->arrange();
}

void frmCreateVq::createFromMdb() {
  import_->createFromMdb();
  basicPage_->arrangeStructure();
  onPageChanged(tabs_->currentIndex());
}

void frmCreateVq::DoCopy() {
  clipboard_->copy();
}

void frmCreateVq::DoPaste() {
  clipboard_->paste();
}

TextImportResult frmCreateVq::importText(const QString& path, TextImportSettings settings) {
  return import_->importText(path, std::move(settings));
}

}  // namespace zendra
