#include "editor/ui/frm_create_vq.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QVBoxLayout>
#include <cerrno>

#include "app/frm_progress.h"
#include "editor/ui/data_grid_view.h"
#include "editor/ui/editor_host.h"
#include "format/completeness.h"
#include "format/reader.h"
#include "format/writer.h"
#include "grid/data_methods.h"

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

QString unixLines(QString text) {
  return text.remove('\r');
}

}  // namespace

frmCreateVq::frmCreateVq(AppContext& context, EditorHost& host, QWidget* parent)
    : QWidget(parent), ctx_(context), host_(host) {
  setObjectName("frmCreateVq");
  QApplication::setOverrideCursor(Qt::WaitCursor);

  // The view setting of the last session; the menus show it.
  ctx_.ShowCodes = ctx_.registry.readShowCodes();
  buildPages();
  buildMenus();
  host_.setCopyPasteVisible(true);
  host_.setSaveVisible(true);

  // Cells show and take numbers with the user's decimal separator; files keep ".".
  grid_.setDecimalChar(QLocale().decimalPoint().toStdString());
  doc_.SprData = &grid_;
  sprData_->setGrid(&grid_, &doc_);
  dimensionConnection_ = doc_.DimensionChanged.connect(
      [this](std::int16_t type, std::int16_t dimtype) { onDimensionChanged(type, dimtype); });
  doc_.dirty = false;
  chkAnsi_->setChecked(true);
  QApplication::restoreOverrideCursor();
}

frmCreateVq::~frmCreateVq() {
  doc_.DimensionChanged.disconnect(dimensionConnection_);
}

void frmCreateVq::buildPages() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("SSTab1");
  layout->addWidget(tabs_);

  for (int i = 0; i < 10; ++i) {
    auto* page = new QWidget(tabs_);
    page->setObjectName(QString("page%1").arg(i));
    new QVBoxLayout(page);
    tabs_->addTab(page, QString::fromUtf8(kPageCaptions[i]));
  }
  auto pageLayout = [this](int i) { return static_cast<QVBoxLayout*>(tabs_->widget(i)->layout()); };

  // Basic structure: the file kind and how the file is saved.
  lblKeys_ = new QLabel(tabs_->widget(BasicStructure));
  lblKeys_->setObjectName("lblKeys");
  chkAnsi_ = new QCheckBox("Save as ANSI", tabs_->widget(BasicStructure));
  chkAnsi_->setObjectName("chkAnsi");
  pageLayout(BasicStructure)->addWidget(lblKeys_);
  pageLayout(BasicStructure)->addWidget(chkAnsi_);
  pageLayout(BasicStructure)->addStretch();

  sprData_ = new DataGridView(tabs_->widget(Data));
  sprData_->setObjectName("SprData");
  txtUncomplete_ = new QLabel("The structure of the table is not complete", tabs_->widget(Data));
  txtUncomplete_->setObjectName("txtUncomplete");
  txtUncomplete_->hide();
  pageLayout(Data)->addWidget(txtUncomplete_);
  pageLayout(Data)->addWidget(sprData_, 1);

  richTextBox1_ = new QTextEdit(tabs_->widget(ActualFile));
  richTextBox1_->setObjectName("RichTextBox1");
  richTextBox1_->setReadOnly(true);
  richTextBox1_->setLineWrapMode(QTextEdit::NoWrap);
  richTextBox1_->setFontFamily("monospace");
  pageLayout(ActualFile)->addWidget(richTextBox1_);

  txtTestData_ = new QTextEdit(tabs_->widget(Test));
  txtTestData_->setObjectName("txtTestData");
  txtTestData_->setReadOnly(true);
  pageLayout(Test)->addWidget(txtTestData_);

  auto* frame = new QFrame(tabs_->widget(WorkSheet));
  frame->setObjectName("framWorkSheet");
  auto* frameLayout = new QVBoxLayout(frame);
  frameLayout->setContentsMargins(0, 0, 0, 0);
  sprWork_ = new DataGridView(frame);
  sprWork_->setObjectName("sprWork");
  workGrid_.setSize(200, 26);
  sprWork_->setGrid(&workGrid_, nullptr);
  frameLayout->addWidget(sprWork_);
  pageLayout(WorkSheet)->addWidget(frame);

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
  mnuGetExternal_ = menuItem(file, "mnuGetExternal", "Get data from external file", true);
  connect(menuItem(file, "MnuFExit", "E&xit"), &QAction::triggered, this,
          [this] { host_.exitProgram(); });

  auto* edit = new QMenu("&Edit", this);
  edit->setObjectName("mnuEdit");
  menuItem(edit, "MnuECopy", "&Copy", true);
  menuItem(edit, "MnuEPaste", "&Paste", true);
  mnuClearAllData_ = menuItem(edit, "mnuClearAllData", "&Clear all data");
  connect(mnuClearAllData_, &QAction::triggered, this, &frmCreateVq::clearAllData);
  mnuFillEmpty_ = menuItem(edit, "mnuFillEmpty", "Fill empty cells", true);
  sepDeleteRow_ = edit->addSeparator();
  mnuDeleteRow_ = menuItem(edit, "mnuDeleteRow", "Delete current row");
  connect(mnuDeleteRow_, &QAction::triggered, this, &frmCreateVq::deleteCurrentRow);
  sepImport_ = edit->addSeparator();
  mnuLoadFromCSV_ = menuItem(edit, "mnuLoadFromCSV", "Load data from .txt-file (csv)", true);
  mnuCreateFromMDB_ = menuItem(edit, "mnuCreateFromMDB", "Create table from Acces-table", true);
  mnuConvertToKEys_ = menuItem(edit, "mnuConvertToKEys", "Convert to Keys format", true);

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

  windowsMenu_ = new QMenu("Windows", this);
  windowsMenu_->setObjectName("mnuWindows");
  connect(windowsMenu_, &QMenu::aboutToShow, this, &frmCreateVq::rebuildWindowList);
  rebuildWindowList();

  auto* help = new QMenu("Help", this);
  help->setObjectName("mnuHelp");
  connect(menuItem(help, "mnuAbout", "About"), &QAction::triggered, this,
          [this] { host_.showAbout(false); });

  menus_ = {file, edit, view, windowsMenu_, help};

  // A right click on the work sheet opens the Edit menu there.
  QTableView* work = sprWork_->mainView();
  work->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(work, &QWidget::customContextMenuRequested, this,
          [edit, work](const QPoint& at) { edit->popup(work->viewport()->mapToGlobal(at)); });
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

bool frmCreateVq::saveAsAnsi() const {
  return chkAnsi_->isChecked();
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
  sprData_->refresh();
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

void frmCreateVq::Load_data(bool gridHasData) {
  lblKeys_->setText(doc_.FileWithKeys ? "File with Keys" : "Normal file");
  doc_.GridHasData = gridHasData;
  doc_.dirty = false;
}

void frmCreateVq::setCaptionFromFileName() {
  setWindowTitle(QFileInfo(qs(doc_.VQfilename)).fileName());
}

bool frmCreateVq::savefile(int saveAs) {
  if (tabs_->currentIndex() == Data) sprData_->commitEdit();
  const bool complete = test_file_complete(doc_, &grid_).complete;
  sprData_->refresh();  // the test sorts keys-form rows and paints faulty cells
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
    if (tabs_->currentIndex() == Data) sprData_->commitEdit();
    QCoreApplication::processEvents();

    WriteOptions options;
    options.ansi = saveAsAnsi();
    options.byWord = ctx_.defaultData.Bytext;
    options.andWord = ctx_.defaultData.Andtext;
    const WriteResult written = Write_To_File(doc_, doc_.VQfilename, options);
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
  doc_.dirty = false;
  setCaptionFromFileName();
  return true;
}

frmCreateVq::SaveAnswer frmCreateVq::askToSave() {
  if (loading_) return SaveAnswer::Keep;
  // A number still being typed counts as a change.
  sprData_->commitEdit();
  if (!doc_.dirty) return SaveAnswer::Unchanged;
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

void frmCreateVq::Check_Save(bool& result) {
  const SaveAnswer answer = askToSave();
  result = answer != SaveAnswer::Keep;
  if (result) doc_.dirty = false;
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

void frmCreateVq::onDimensionChanged(std::int16_t eventType, std::int16_t /*dimtype*/) {
  doc_.dirty = true;
  if (eventType == 1 || eventType == 2) {
    doc_.GridCreated = false;
    doc_.GridHasData = false;
  }
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
  sprData_->commitEdit();
  WriteStubLabels(doc_, grid_, ctx_.ShowCodes);
  WriteHeadingLabels(doc_, grid_, ctx_.ShowCodes);
  sprData_->refresh();
}

void frmCreateVq::clearAllData() {
  sprData_->commitEdit();
  CreateGrid(doc_, grid_, true, ctx_.ShowCodes);
  doc_.GridHasData = false;
  // The cells are gone: closing must ask, or the cleared table (or its data) is lost.
  doc_.dirty = true;
  sprData_->refresh();
  mnuCreateFromMDB_->setVisible(true);
}

void frmCreateVq::deleteCurrentRow() {
  const std::int32_t row = grid_.currentRow();
  if (row < doc_.DataRow1 || row < 1) return;
  // The keys form's empty entry row stays: the rows above it are the table's.
  if (doc_.FileWithKeys && row == grid_.rowCount()) return;
  grid_.deleteRows(row, 1);
  if (doc_.FileWithKeys) doc_.NumRows = grid_.rowCount() - doc_.DataRow1 + 1;
  doc_.dirty = true;
  sprData_->refresh();
}

void frmCreateVq::onPageChanged(int index) {
  for (QAction* a :
       {mnuFillEmpty_, mnuClearAllData_, mnuGetExternal_, mnuCreateFromMDB_, mnuLoadFromCSV_,
        mnuConvertToKEys_, mnuDeleteRow_, sepImport_, sepDeleteRow_}) {
    a->setVisible(false);
  }
  if (lastPage_ == Data) sprData_->commitEdit();
  lastPage_ = index;

  switch (index) {
    case Data: {
      mnuFillEmpty_->setVisible(true);
      if (StructureComplete(doc_)) {
        if (!doc_.GridCreated) {
          CreateGrid(doc_, grid_, true, ctx_.ShowCodes);
          sprData_->refresh();
        }
        if (doc_.GridHasData && doc_.GridDecimals != doc_.SaveDecimals) {
          SetCellDecimals(doc_, grid_);
          sprData_->refresh();
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
        sprData_->show();
        txtUncomplete_->hide();
        mnuClearAllData_->setVisible(true);
        setEnabledIfReady(mnuClearAllData_, true);
        setEnabledIfReady(mnuGetExternal_, true);
      } else {
        sprData_->hide();
        txtUncomplete_->show();
        setEnabledIfReady(mnuGetExternal_, false);
      }
      break;
    }
    case ActualFile:
      fillFileTextPage();
      break;
    case Test:
      fillTestPage();
      break;
    case WorkSheet:
      // The work sheet stays in edit mode: Enter stores a cell and opens the next one.
      sprWork_->setAlwaysEditing(true);
      break;
    default:
      break;
  }
}

void frmCreateVq::fillFileTextPage() {
  richTextBox1_->clear();
  WriteOptions options;
  options.ansi = saveAsAnsi();
  options.byWord = ctx_.defaultData.Bytext;
  options.andWord = ctx_.defaultData.Andtext;
  std::string text = make_vqstring(doc_, options);
  if (doc_.MetadataOnly) {
    if (doc_.DataSectionRead()) text += "DATA=....";
  } else {
    DataCheck check;
    const std::string data = GetDataMod::BuildDataText(doc_, grid_, check);
    text += check.DataMissing ? std::string("DATA=NOT COMPLETED") : data + ";";
    sprData_->refresh();  // the build repaints faulty cells
  }
  richTextBox1_->setPlainText(unixLines(qs(text)));
}

void frmCreateVq::fillTestPage() {
  txtTestData_->setPlainText(unixLines(qs(Test_Complete(doc_, &grid_))));
  sprData_->refresh();
}

}  // namespace zendra
