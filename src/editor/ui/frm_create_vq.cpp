#include "editor/ui/frm_create_vq.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QUndoStack>
#include <QVBoxLayout>
#include <cerrno>

#include "editor/cell_commands.h"
#include "editor/database_import_command.h"
#include "editor/fill_commands.h"
#include "editor/import_command.h"
#include "editor/keys_conversion.h"
#include "editor/paste_commands.h"
#include "editor/settled_step.h"
#include "editor/ui/data_grid_view.h"
#include "editor/ui/dialogs/dlg_fill_empty.h"
#include "editor/ui/editor_host.h"
#include "editor/ui/pages/basic_structure_page.h"
#include "editor/ui/pages/cell_notes_page.h"
#include "editor/ui/pages/contents_page.h"
#include "editor/ui/pages/data_page.h"
#include "editor/ui/pages/file_text_page.h"
#include "editor/ui/pages/footnotes_page.h"
#include "editor/ui/pages/test_page.h"
#include "editor/ui/pages/value_notes_page.h"
#include "editor/ui/pages/variables_page.h"
#include "editor/ui/pages/work_sheet_page.h"
#include "editor/ui/recovery_copy.h"
#include "editor/ui/undo_history.h"
#include "format/completeness.h"
#include "format/reader.h"
#include "format/writer.h"
#include "grid/clipboard_block.h"
#include "grid/data_methods.h"
#include "gui/frm_progress.h"
#include "import/ui/database_chooser.h"
#include "import/ui/dlg_csv_load.h"
#include "import/ui/dlg_data_file_format.h"
#include "import/ui/dlg_make_table_from_mdb.h"

namespace zendra {
namespace {

constexpr const char* kPageCaptions[] = {
    "Bas&ic structure", "V&ariables", "&Contents",       "&Data", "Foot&notes",
    "Va&lueNotes",      "CellN&otes", "Actual &VQ-File", "&Test", "&Work sheet"};

// Commands whose work arrives later carry this property and stay disabled whatever
// the page rules say.
constexpr const char* kPending = "zendraPending";

void setEnabledIfReady(QAction* action, bool enabled) {
  action->setEnabled(enabled && !action->property(kPending).toBool());
}

QAction* menuItem(QMenu* menu, const char* name, const char* text, bool pending = false) {
  QAction* action = addMenuItem(menu, name, text);
  if (pending) {
    action->setProperty(kPending, true);
    action->setEnabled(false);
  }
  return action;
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

// The controls Copy and Paste act on.
enum class Focus { None, TextBox, DataGrid, ValueGrid, WorkGrid };

// Which control the focused widget belongs to. A grid's cell editor is part of its grid,
// but the value grid's cell editor is a text box: a paste there goes into the typed text.
Focus focusOf(const QWidget* focused, const QWidget* data, const QWidget* work) {
  if (!focused) return Focus::None;
  for (const QWidget* w = focused; w; w = w->parentWidget()) {
    if (w == data) return Focus::DataGrid;
    if (w == work) return Focus::WorkGrid;
  }
  if (qobject_cast<const QLineEdit*>(focused) || qobject_cast<const QTextEdit*>(focused) ||
      qobject_cast<const QPlainTextEdit*>(focused)) {
    return Focus::TextBox;
  }
  if (focused->objectName() == "sprValues") return Focus::ValueGrid;
  return Focus::None;
}

bool isReadOnlyBox(QWidget* box) {
  if (auto* line = qobject_cast<QLineEdit*>(box)) return line->isReadOnly();
  if (auto* text = qobject_cast<QTextEdit*>(box)) return text->isReadOnly();
  if (auto* plain = qobject_cast<QPlainTextEdit*>(box)) return plain->isReadOnly();
  return true;
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
  buildMenus();
  host_.setCopyPasteVisible(true);
  host_.setSaveVisible(true);

  // An undo or redo may change any part of the grid, its layout included.
  connect(history_, &UndoHistory::tableRestored, this, [this] {
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
  connect(menuItem(file, "mnuFClose", "&Close"), &QAction::triggered, this, [this] {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
      sub->close();
    } else {
      close();
    }
  });
  mnuGetExternal_ = menuItem(file, "mnuGetExternal", "Get data from external file");
  connect(mnuGetExternal_, &QAction::triggered, this, &frmCreateVq::getExternalData);
  file->addActions(host_.recentFileActions());
  file->addSeparator();
  connect(menuItem(file, "MnuFExit", "E&xit"), &QAction::triggered, this,
          [this] { host_.exitProgram(); });

  editMenu_ = new QMenu("&Edit", this);
  QMenu* edit = editMenu_;
  edit->setObjectName("mnuEdit");
  // Undo and Redo act on the active window's history (the frame's undo group).
  edit->addAction(host_.undoAction());
  edit->addAction(host_.redoAction());
  edit->addSeparator();
  mnuECopy_ = menuItem(edit, "MnuECopy", "&Copy");
  mnuEPaste_ = menuItem(edit, "MnuEPaste", "&Paste");
  connect(mnuECopy_, &QAction::triggered, this, &frmCreateVq::DoCopy);
  connect(mnuEPaste_, &QAction::triggered, this, &frmCreateVq::DoPaste);
  connect(edit, &QMenu::aboutToShow, this, &frmCreateVq::enableCopyPaste);
  mnuClearAllData_ = menuItem(edit, "mnuClearAllData", "&Clear all data");
  connect(mnuClearAllData_, &QAction::triggered, this, &frmCreateVq::clearAllData);
  mnuFillEmpty_ = menuItem(edit, "mnuFillEmpty", "Fill empty cells");
  connect(mnuFillEmpty_, &QAction::triggered, this, &frmCreateVq::fillEmptyCells);
  sepDeleteRow_ = edit->addSeparator();
  mnuDeleteRow_ = menuItem(edit, "mnuDeleteRow", "Delete current row");
  connect(mnuDeleteRow_, &QAction::triggered, this, &frmCreateVq::deleteCurrentRow);
  sepImport_ = edit->addSeparator();
  mnuLoadFromCSV_ = menuItem(edit, "mnuLoadFromCSV", "Load data from .txt-file (csv)");
  connect(mnuLoadFromCSV_, &QAction::triggered, this, &frmCreateVq::loadFromCsv);
  mnuCreateFromMDB_ = menuItem(edit, "mnuCreateFromMDB", "Create table from Acces-table");
  connect(mnuCreateFromMDB_, &QAction::triggered, this, &frmCreateVq::createFromMdb);
  mnuConvertToKEys_ = menuItem(edit, "mnuConvertToKEys", "Convert to Keys format");
  connect(mnuConvertToKEys_, &QAction::triggered, this, &frmCreateVq::convertToKeys);

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
    QAction* entry = windowsMenu_->addAction(QString("&%1 %2").arg(++n).arg(sub->windowTitle()));
    entry->setCheckable(true);
    entry->setChecked(sub == area->activeSubWindow());
    connect(entry, &QAction::triggered, area, [area, sub = QPointer<QMdiSubWindow>(sub)] {
      if (sub) area->setActiveSubWindow(sub);
    });
  }
}

DataGridView* frmCreateVq::SprData() const {
  return dataPage_->grid();
}

QUndoStack* frmCreateVq::undoStack() const {
  return history_->stack();
}

void frmCreateVq::push(std::unique_ptr<Command> command) {
  // Every step brings the grid in step with the table as part of itself, so that the
  // grid and its layout change only inside the history.
  if (!history_->push(settled(std::move(command), doc_, grid_, ctx_.ShowCodes))) {
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
  setWindowTitle(QString("File%1.vq").arg(fileno, 2, 10, QChar('0')));
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
    ctx_.prompt->message("Cannot read " + doc_.VQfilename, kProgramTitle, Prompt::Icon::Critical);
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
    setWindowTitle(qs(copy.caption));
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
  setWindowTitle(QFileInfo(qs(doc_.VQfilename)).fileName());
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
  commitEdit();
  push(std::make_unique<ClearAllDataCommand>(doc_, grid_, ctx_.ShowCodes));
  refreshDataGrid();
  // Without data the structure can be changed again.
  basicPage_->arrangeStructure();
  mnuCreateFromMDB_->setVisible(true);
}

void frmCreateVq::deleteCurrentRow() {
  commitEdit();
  const std::int32_t row = grid_.currentRow();
  if (row < doc_.DataRow1 || row < 1) return;
  // The keys form's empty entry row stays: the rows above it are the table's.
  if (doc_.FileWithKeys && row == grid_.rowCount()) return;
  push(std::make_unique<DeleteRowCommand>(doc_, grid_, row));
  refreshDataGrid();
}

void frmCreateVq::fillEmptyCells() {
  commitEdit();
  // The check finds the missing and invalid cells and paints the faulty ones.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  DataCheck check;
  GetDataMod::BuildDataText(doc_, grid_, check);
  QApplication::restoreOverrideCursor();
  refreshDataGrid();
  if (!check.DataMissing && !check.InvalidData) {
    ctx_.prompt->message("All cells are filled", kProgramTitle, Prompt::Icon::Information);
    return;
  }
  dlgFillEmpty dialog(check.DataMissing, check.InvalidData, this);
  ctx_.runDialog(dialog);
  if (dialog.RetCode != 1) return;
  push(std::make_unique<FillEmptyCommand>(doc_, grid_, dialog.fillEmpty(), dialog.fillInvalid(),
                                          dialog.Fill));
  refreshDataGrid();
}

std::optional<frmCreateVq::TextFile> frmCreateVq::chooseTextFile() {
  commitEdit();
  if (!doc_.GridCreated) return std::nullopt;
  FileChooser::Request request;
  request.title = "Select text-file";
  request.filter = qtFilter("Text-files|*.txt;*.csv|All-files|*.*");
  request.mustExist = true;
  request.folder = qs(ctx_.registry.readCsvLoad());
  const QString path = ctx_.files->openFile(this, request);
  if (path.isEmpty()) return std::nullopt;
  TextHead head = ReadTextHead(stdString(path));
  if (!head.ok) {
    ctx_.prompt->message(head.error, kProgramTitle, Prompt::Icon::Critical);
    return std::nullopt;
  }
  // The next text file is looked for where this one was.
  if (!ctx_.registry.writeCsvLoad(stdString(QFileInfo(path).absolutePath()))) {
    ctx_.prompt->message(ctx_.registry.error(), kProgramTitle, Prompt::Icon::Exclamation);
  }
  return TextFile{path, std::move(head.text)};
}

void frmCreateVq::loadFromCsv() {
  auto file = chooseTextFile();
  if (!file) return;
  dlgCSVLoad dialog(file->head, doc_, QLocale().decimalPoint(), this);
  dialog.load = [this, &file](const TextImportSettings& settings) {
    return importText(file->path, settings);
  };
  ctx_.runDialog(dialog);
}

TextImportResult frmCreateVq::importText(const QString& path, TextImportSettings settings) {
  commitEdit();
  TextImportResult result;
  if (!doc_.GridCreated) return result;
  frmProgress progress(this);
  progress.setWindowModality(Qt::ApplicationModal);
  progress.setMaximum(QFileInfo(path).size());
  progress.show();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  auto step = std::make_unique<ImportTextCommand>(doc_, grid_, TextSource::ofFile(stdString(path)),
                                                  std::move(settings));
  step->progress = [&progress](std::size_t done, std::size_t) {
    progress.TestNew(static_cast<qint64>(done));
    QCoreApplication::processEvents();
    return progress.cancel == 0;
  };
  step->finished = [&result](const TextImportResult& done) { result = done; };
  push(std::move(step));
  QApplication::restoreOverrideCursor();
  progress.close();
  refreshDataGrid();
  return result;
}

void frmCreateVq::convertToKeys() {
  commitEdit();
  if (doc_.FileWithKeys || !doc_.GridCreated) return;
  const auto answer = ctx_.prompt->ask("Keep head dimensions", kProgramTitle,
                                       Prompt::Buttons::YesNoCancel, Prompt::Icon::Question);
  if (answer != Prompt::Answer::Yes && answer != Prompt::Answer::No) return;
  const bool keepHeading = answer == Prompt::Answer::Yes;
  // The keys form keeps only numbers other than 0: the user decides about the rest.
  const std::int64_t dropped = CellsNotKeptByKeysConversion(doc_, grid_, keepHeading);
  if (dropped > 0) {
    const std::string count = dropped == 1 ? std::string("1 non-empty cell")
                                           : std::to_string(dropped) + " non-empty cells";
    const std::string why =
        keepHeading ? "only the rows that hold a number other than 0 are kept."
                    : "only numbers other than 0 are kept; zeros, symbols such as \"..\" and "
                      "other texts are not.";
    const std::string question =
        count + " will" + " not be kept in the keys form: " + why + "\n\nConvert to Keys format?";
    if (ctx_.prompt->ask(question, kProgramTitle, Prompt::Buttons::YesNo, Prompt::Icon::Question) !=
        Prompt::Answer::Yes) {
      return;
    }
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  push(std::make_unique<ConvertToKeysCommand>(doc_, grid_, keepHeading, ctx_.ShowCodes));
  QApplication::restoreOverrideCursor();
  refreshDataGrid();
  // The variable lists, the structure controls and the menus follow the keys form.
  for (EditorPage* page : pages_) page->load();
  onPageChanged(tabs_->currentIndex());
}

void frmCreateVq::onPageChanged(int index) {
  for (QAction* a :
       {mnuFillEmpty_, mnuClearAllData_, mnuGetExternal_, mnuCreateFromMDB_, mnuLoadFromCSV_,
        mnuConvertToKEys_, mnuDeleteRow_, sepImport_, sepDeleteRow_}) {
    a->setVisible(false);
  }
  if (lastPage_ == Data && index != Data) commitEdit();
  lastPage_ = index;
  if (index < 0 || index >= pages_.size()) return;
  pages_[index]->load();
  pages_[index]->shown();
  // The structure buttons follow the grid's data on the Variables page too.
  if (index == Variables) basicPage_->arrangeStructure();
  if (index != Data) return;

  mnuFillEmpty_->setVisible(true);
  // The import wizard is offered on this page, for a table whose variables are complete.
  mnuGetExternal_->setVisible(true);
  if (!StructureComplete(doc_)) {
    setEnabledIfReady(mnuGetExternal_, false);
    return;
  }
  if (doc_.GridHasData) {
    if (doc_.FileWithKeys) {
      mnuDeleteRow_->setVisible(true);
      sepDeleteRow_->setVisible(true);
    } else {
      mnuConvertToKEys_->setVisible(true);
    }
  } else {
    mnuCreateFromMDB_->setVisible(true);
  }
  sepImport_->setVisible(true);
  mnuLoadFromCSV_->setVisible(true);
  setEnabledIfReady(mnuLoadFromCSV_, true);
  mnuClearAllData_->setVisible(true);
  setEnabledIfReady(mnuClearAllData_, true);
  setEnabledIfReady(mnuGetExternal_, true);
}

void frmCreateVq::getExternalData() {
  auto file = chooseTextFile();
  if (!file) return;
  // The wizard looks only at the first lines.
  dlgDataFileFormat wizard(std::move(file->head), doc_, this);
  ctx_.runDialog(wizard);
  if (!wizard.format()) return;
  // The wizard's layout goes through the same import, and its log is shown as the text
  // import shows it.
  const TextFileFormat& format = *wizard.format();
  TextImportSettings settings;
  settings.separator = format.separator;
  settings.textDelimiter = format.textDelimiter;
  settings.decimalPoint = "";  // "." and the user's decimal separator both
  settings.localeDecimal = stdString(QLocale().decimalPoint());
  settings.layout = format.layout;
  const TextImportResult result = importText(file->path, std::move(settings));
  dlgCSVLoad log({}, doc_, QLocale().decimalPoint(), this);
  log.showLog(result);
  ctx_.runDialog(log);
}

namespace {

// The engine's progress while it copies a big table: the progress window shows up only
// once the engine reports some, so that a quick query does not flash it.
class QueryProgressPrompt : public Prompt {
 public:
  QueryProgressPrompt(frmProgress& window, Prompt& questions)
      : window_(window), inner_(window, questions) {}
  Answer ask(std::string_view text, std::string_view title, Buttons buttons, Icon icon) override {
    return inner_.ask(text, title, buttons, icon);
  }
  void progress(std::int64_t position, std::int64_t total) override {
    if (!window_.isVisible()) window_.show();
    inner_.progress(position, total);
  }
  void breathe() override { inner_.breathe(); }
  bool cancelled() const override { return inner_.cancelled(); }

 private:
  frmProgress& window_;
  ProgressPrompt inner_;
};

}  // namespace

void frmCreateVq::createFromMdb() {
  commitEdit();
  if (!doc_.GridCreated) return;
  clsAnyDatabase* db = chooseDatabase(ctx_, this);
  if (!db) return;
  dlgMakeTableFromMDB wizard(*db, doc_, grid_, *ctx_.prompt, this);
  wizard.runQuery = [this, db, &wizard](const std::string& sql, DbRows& out) {
    frmProgress progress(this);
    progress.setWindowModality(Qt::ApplicationModal);
    QueryProgressPrompt prompt(progress, *ctx_.prompt);
    // While the engine reads, the event loop runs (repaints, Cancel); the wizard takes no
    // clicks meanwhile, so no second statement can start on top of the first. The
    // database's prompt goes back however the query ends.
    struct Running {
      QWidget& wizard;
      clsAnyDatabase& db;
      Prompt* after;
      ~Running() {
        db.setPrompt(after);
        wizard.setEnabled(true);
      }
    } running{wizard, *db, ctx_.prompt};
    wizard.setEnabled(false);
    db->setPrompt(&prompt);
    const DbResult result = RunDbQuery(*db, sql, out);
    progress.close();
    return result;
  };
  wizard.finish = [this](DbPlacement placement) {
    const bool keysRows = placement.keysForm && placement.filledRows > 0;
    push(std::make_unique<DatabaseImportCommand>(doc_, grid_, std::move(placement)));
    refreshDataGrid();
    // Only the keys form's new rows can fail (memory); then nothing was placed.
    if (keysRows && !doc_.GridHasData) {
      ctx_.prompt->message("Not enough memory for the rows of the query; nothing was placed",
                           kProgramTitle, Prompt::Icon::Exclamation);
    }
  };
  ctx_.runDialog(wizard);
  // With data in the grid the menus and the structure controls change.
  basicPage_->arrangeStructure();
  onPageChanged(tabs_->currentIndex());
}

QWidget* frmCreateVq::focusedControl() const {
  QWidget* focused = QApplication::focusWidget();
  return focused && isAncestorOf(focused) ? focused : nullptr;
}

void frmCreateVq::enableCopyPaste() {
  QWidget* focused = focusedControl();
  const Focus focus = focusOf(focused, SprData(), workPage_->grid());
  mnuECopy_->setEnabled(focus != Focus::None);
  // A read-only box (the file text, the test report) takes no paste.
  mnuEPaste_->setEnabled(focus != Focus::None &&
                         !(focus == Focus::TextBox && isReadOnlyBox(focused)));
}

void frmCreateVq::DoCopy() {
  QWidget* focused = focusedControl();
  QClipboard* clipboard = QGuiApplication::clipboard();
  const Focus focus = focusOf(focused, SprData(), workPage_->grid());
  switch (focus) {
    case Focus::TextBox:
      if (auto* line = qobject_cast<QLineEdit*>(focused)) line->copy();
      if (auto* text = qobject_cast<QTextEdit*>(focused)) text->copy();
      if (auto* plain = qobject_cast<QPlainTextEdit*>(focused)) plain->copy();
      break;
    case Focus::DataGrid:
    case Focus::WorkGrid: {
      DataGridView* view = focus == Focus::DataGrid ? SprData() : workPage_->grid();
      // A cell still being typed is copied as typed.
      if (view == SprData()) commitEdit();
      clipboard->setText(qs(FormatClipboardBlock(*view->grid(), view->selectedBlock())));
      break;
    }
    case Focus::ValueGrid:
      clipboard->setText(static_cast<VariablesPage*>(pages_[Variables])->copyValues());
      break;
    case Focus::None:
      break;
  }
}

void frmCreateVq::DoPaste() {
  QWidget* focused = focusedControl();
  const QString text = QGuiApplication::clipboard()->text();
  switch (focusOf(focused, SprData(), workPage_->grid())) {
    case Focus::TextBox:
      // The box's own paste: its typing binding makes the step.
      if (isReadOnlyBox(focused)) {
        QApplication::beep();
      } else if (auto* line = qobject_cast<QLineEdit*>(focused)) {
        line->paste();
      } else if (auto* rich = qobject_cast<QTextEdit*>(focused)) {
        rich->paste();
      } else if (auto* plain = qobject_cast<QPlainTextEdit*>(focused)) {
        plain->paste();
      }
      break;
    case Focus::DataGrid:
      pasteIntoDataGrid(text);
      break;
    case Focus::WorkGrid: {
      DataGridView* work = workPage_->grid();
      const Block selected = work->selectedBlock();
      if (selected.row1 == -1 || selected.col1 == -1) {
        QApplication::beep();
      } else if (!text.isEmpty()) {
        work->pasteText(text.toStdString());
      }
      break;
    }
    case Focus::ValueGrid:
      static_cast<VariablesPage*>(pages_[Variables])->pasteValues(text);
      break;
    case Focus::None:
      QApplication::beep();
      break;
  }
}

void frmCreateVq::pasteIntoDataGrid(const QString& text) {
  DataGridView* view = SprData();
  // A number still being typed is stored before the paste covers it.
  commitEdit();
  const Block selected = view->selectedBlock();
  if (selected.row1 == -1 || selected.col1 == -1) {
    QApplication::beep();
    return;
  }
  ClipboardBlock block = ClipboardBlock::parse(text.toStdString());
  if (block.empty()) return;
  const std::int32_t rows = selected.row2 - selected.row1 + 1;
  const std::int32_t cols = selected.col2 - selected.col1 + 1;
  if (!(rows == 1 && cols == 1) && (rows != block.rows() || cols != block.columns())) {
    const std::string question =
        "Selected area does not fit clipboard \nSelected : " + std::to_string(rows) + " Rows " +
        std::to_string(cols) + " Columns\nClipboard: " + std::to_string(block.rows()) + " Rows " +
        std::to_string(block.columns()) + " Columns\nContinue?";
    if (ctx_.prompt->ask(question, kProgramTitle, Prompt::Buttons::YesNo, Prompt::Icon::Question) !=
        Prompt::Answer::Yes) {
      return;
    }
  }
  auto step = std::make_unique<PasteCellsCommand>(doc_, grid_, selected, std::move(block));
  const std::int32_t leftOutRows = step->leftOutRows();
  const std::int32_t leftOutCols = step->leftOutCols();
  {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    push(std::move(step));
    refreshDataGrid();
    QApplication::restoreOverrideCursor();
  }
  if (leftOutRows > 0 || leftOutCols > 0) {
    ctx_.prompt->message("Only data cells take a paste: " + std::to_string(leftOutRows) +
                             " rows and " + std::to_string(leftOutCols) +
                             " columns of the clipboard were left out.",
                         kProgramTitle, Prompt::Icon::Information);
  }
}

}  // namespace zendra
