#include "gui/app/mdi_form.h"

#include <filesystem>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QUndoGroup>
#include <QUndoStack>
#include <QUrl>

#include "gui/app/dlg_about.h"
#include "gui/app/dlg_new_keys.h"
#include "gui/app/dlg_recover.h"
#include "gui/app/manual_page.h"
#include "gui/editor/frm_create_vq.h"
#include "gui/editor/recovery_copy.h"
#include "core/format/reader.h"
#include "gui/shared/toolbar_icons.h"
#include "core/settings/recent_files.h"
#include "gui/settings/dlg_options.h"
#include "gui/settings/frm_default_data.h"

namespace zendra {
MDIForm1::MDIForm1(AppContext& context, QWidget* parent) : QMainWindow(parent), ctx_(context) {
  setObjectName("MDIForm1");
  setWindowTitle("ZENDRA");
  mdi_ = new QMdiArea(this);
  mdi_->setObjectName("mdiArea");
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdi_);
  buildUndoActions();
  buildRecentActions();
  buildMenus();
  buildToolbar();
  connect(mdi_, &QMdiArea::subWindowActivated, this, &MDIForm1::onSubWindowActivated);
  setAcceptDrops(true);
  resize(1100, 750);
}

MDIForm1::~MDIForm1() {
  // Editor windows go first, while the frame they report to is still whole.
  for (QMdiSubWindow* sub : mdi_->subWindowList()) delete sub;
}

void MDIForm1::buildUndoActions() {
  undoGroup_ = new QUndoGroup(this);
  // The texts follow the step at hand ("&Undo Typing"); a cell still being typed is
  // stored first, so that undo takes it back like any other step.
  helpAction_ = new QAction("&Contents", this);
  helpAction_->setObjectName("mnuHContents");
  helpAction_->setShortcut(QKeySequence::HelpContents);
  // F1 works in every window of the program, the help window too.
  helpAction_->setShortcutContext(Qt::ApplicationShortcut);
  addAction(helpAction_);
  connect(helpAction_, &QAction::triggered, this, &MDIForm1::showHelp);
  undoAction_ = new QAction("&Undo", this);
  undoAction_->setObjectName("MnuEUndo");
  undoAction_->setShortcut(QKeySequence::Undo);
  redoAction_ = new QAction("&Redo", this);
  redoAction_->setObjectName("MnuERedo");
  redoAction_->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  auto follow = [this](QAction* action, const QString& caption, auto changed, auto textChanged) {
    action->setEnabled(false);
    connect(undoGroup_, changed, action, &QAction::setEnabled);
    connect(undoGroup_, textChanged, action, [action, caption](const QString& text) {
      action->setText(text.isEmpty() ? caption : caption + " " + text);
    });
  };
  follow(undoAction_, "&Undo", &QUndoGroup::canUndoChanged, &QUndoGroup::undoTextChanged);
  follow(redoAction_, "&Redo", &QUndoGroup::canRedoChanged, &QUndoGroup::redoTextChanged);
  connect(undoAction_, &QAction::triggered, this, [this] {
    commitActiveEdit();
    undoGroup_->undo();
  });
  connect(redoAction_, &QAction::triggered, this, [this] {
    commitActiveEdit();
    undoGroup_->redo();
  });
}

void MDIForm1::commitActiveEdit() {
  if (frmCreateVq* editor = activeEditor()) editor->commitEdit();
}

void MDIForm1::buildMenus() {
  auto* file = new QMenu("&File", this);
  connect(addMenuItem(file, "MnuFNew", "&New"), &QAction::triggered, this, [this] { file_new(); });
  connect(addMenuItem(file, "MnuFOpen", "&Open VQ-file"), &QAction::triggered, this,
          [this] { OpenFile(false); });
  connect(addMenuItem(file, "mnuOpenMetadata", "Open  &Metadata only"), &QAction::triggered, this,
          [this] { metaopen(); });
  file->addActions(recentActions_);
  file->addSeparator();
  connect(addMenuItem(file, "MnuFExit", "E&xit"), &QAction::triggered, this,
          [this] { exitProgram(); });

  auto* edit = new QMenu("&Edit", this);
  edit->setObjectName("mnuEdit");
  edit->addAction(undoAction_);
  edit->addAction(redoAction_);

  auto* view = new QMenu("View", this);
  connect(addMenuItem(view, "mnuOptions", "&Options"), &QAction::triggered, this,
          [this] { set_options(); });
  connect(addMenuItem(view, "mnuEditDefault", "Edit &Default Data"), &QAction::triggered, this,
          [this] { editDefaultData(); });

  windowsMenu_ = new QMenu("Windows", this);
  windowsMenu_->setObjectName("mnuWindows");
  connect(windowsMenu_, &QMenu::aboutToShow, this, [this] {
    windowsMenu_->clear();
    connect(windowsMenu_->addAction("Cascade"), &QAction::triggered, mdi_,
            &QMdiArea::cascadeSubWindows);
    connect(windowsMenu_->addAction("Tile"), &QAction::triggered, mdi_, &QMdiArea::tileSubWindows);
  });

  auto* help = new QMenu("&Help", this);
  help->addAction(helpAction_);
  connect(addMenuItem(help, "mnuHSearch", "&About"), &QAction::triggered, this,
          [this] { showAbout(true); });

  frameMenus_ = {file, edit, view, windowsMenu_, help};
  for (QMenu* m : frameMenus_) menuBar()->addMenu(m);
}

void MDIForm1::buildRecentActions() {
  auto* separator = new QAction(this);
  separator->setSeparator(true);
  recentActions_ << separator;
  for (int i = 0; i < int(RecentFiles::kMax); ++i) {
    auto* action = new QAction(this);
    action->setObjectName(QString("mnuRecent%1").arg(i + 1));
    connect(action, &QAction::triggered, this, [this, i] { openRecent(i); });
    recentActions_ << action;
  }
  showRecentFiles(ctx_.registry.readRecentFiles());
}

QList<QAction*> MDIForm1::recentFileActions() {
  return recentActions_;
}

void MDIForm1::showRecentFiles(const std::vector<std::string>& files) {
  const RecentFiles recent(files);
  const auto& list = recent.files();
  recentActions_.front()->setVisible(!list.empty());
  for (int i = 1; i < recentActions_.size(); ++i) {
    QAction* action = recentActions_[i];
    const bool used = std::size_t(i) <= list.size();
    action->setVisible(used);
    const QString path = used ? qs(list[std::size_t(i - 1)]) : QString();
    QString name = QFileInfo(path).fileName();
    action->setText(QString("&%1 %2").arg(i).arg(name.replace("&", "&&")));
    action->setData(path);
    action->setStatusTip(path);
    action->setToolTip(path);
  }
}

void MDIForm1::storeRecentFiles(const std::vector<std::string>& files) {
  if (!ctx_.registry.writeRecentFiles(files)) {
    ctx_.prompt->message(ctx_.registry.error(), kProgramTitle, Prompt::Icon::Exclamation);
  }
  showRecentFiles(files);
}

void MDIForm1::rememberFile(const QString& path) {
  // The store is read again first, so that another running program's entries are kept.
  RecentFiles recent(ctx_.registry.readRecentFiles());
  recent.add(stdString(path));
  storeRecentFiles(recent.files());
}

void MDIForm1::openRecent(int index) {
  const QString path = recentActions_.value(index + 1)->data().toString();
  if (path.isEmpty()) return;
  if (QFileInfo::exists(path)) {
    openPath(path, false);
    return;
  }
  RecentFiles recent(ctx_.registry.readRecentFiles());
  recent.remove(stdString(path));
  storeRecentFiles(recent.files());
  ctx_.prompt->message("The file " + stdString(path) +
                           " no longer exists. It is taken off the list of recent files.",
                       kProgramTitle, Prompt::Icon::Exclamation);
}

void MDIForm1::dragEnterEvent(QDragEnterEvent* event) {
  // Any list of files is taken, so that a drop of other files is told why nothing opened.
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MDIForm1::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    paths << (url.isLocalFile() ? url.toLocalFile() : url.toString());
  }
  event->acceptProposedAction();
  // Loading (and its progress window and messages) waits until the drag has ended, so
  // that the program the files came from is not held up meanwhile.
  QMetaObject::invokeMethod(
      this, [this, paths] { openDropped(paths); }, Qt::QueuedConnection);
}

void MDIForm1::openDropped(const QStringList& paths) {
  QStringList refused;
  for (const QString& path : paths) {
    const QFileInfo file(path);
    if (file.suffix().compare("vq", Qt::CaseInsensitive) == 0 && !path.contains("://")) {
      openPath(path, false);
    } else {
      refused << file.fileName();
    }
  }
  if (refused.isEmpty()) return;
  ctx_.prompt->message(
      stdString("Only VQ files (*.vq) can be opened. Not opened:\n" + refused.join("\n")),
      kProgramTitle, Prompt::Icon::Exclamation);
}

void MDIForm1::buildToolbar() {
  toolbar_ = addToolBar("Toolbar1");
  toolbar_->setObjectName("Toolbar1");
  toolbar_->setMovable(false);
  struct Button {
    const char* key;
    const char* tag;
    const char* tip;
    const char* icon;  // the freedesktop icon name
  };
  const Button buttons[] = {
      {"MnuFNew", "1", "New VQ-File", "document-new"},
      {"MnuFOpen", "5", "Open VQ-File", "document-open"},
      {"Copy", "2", "Copy", "edit-copy"},
      {"Paste", "3", "Paste", "edit-paste"},
      {"Save", "4", "Save VQ-File", "document-save"},
      {"MnuHelp", "8", "Help", "help-contents"},
  };
  for (const Button& b : buttons) {
    QAction* action = toolbar_->addAction(toolbarIcon(b.icon), b.tip);
    action->setObjectName(b.key);
    action->setData(QString(b.tag));
    action->setToolTip(b.tip);
    // A click leaves the focus where it is: Copy and Paste act on the focused control.
    if (QWidget* button = toolbar_->widgetForAction(action)) button->setFocusPolicy(Qt::NoFocus);
  }
  // Copy, Paste and Save appear with the first editor window.
  setCopyPasteVisible(false);
  setSaveVisible(false);
  connect(toolbar_, &QToolBar::actionTriggered, this, &MDIForm1::onToolbar);
}

void MDIForm1::onToolbar(QAction* action) {
  const QString tag = action->data().toString();
  frmCreateVq* editor = activeEditor();
  if (tag == "1") {
    file_new();
  } else if (tag == "5") {
    OpenFile(false);
  } else if (tag == "4") {
    if (editor) editor->savefile(0);
  } else if (tag == "8") {
    showHelp();
  } else if (tag == "2") {
    if (editor) editor->DoCopy();
  } else if (tag == "3") {
    if (editor) editor->DoPaste();
  }
}

void MDIForm1::startUp(const QStringList& files) {
  if (!ctx_.settings.Load_data()) {
    ctx_.prompt->message("ZENDRA002: NO INI-file is found", kProgramTitle,
                         Prompt::Icon::Information);
    // Written at once, so that the next start finds it even if this one never ends
    // through Exit. A settings file that exists but cannot be read is left alone.
    if (!std::filesystem::exists(ctx_.settings.iniFile())) ctx_.settings.save_ini();
  }
  // A file of the user's own that is gone is told (the shipped default data is used only
  // while the settings name no file); the path stays for when the file is back.
  std::error_code error;
  const bool ownMissing = !ctx_.settings.DefaultData.empty() &&
                          !std::filesystem::exists(ctx_.settings.DefaultData, error);
  if (!ctx_.defaultData.Load_data() || ownMissing) {
    ctx_.prompt->message("ZENDRA003: No default data found", kProgramTitle,
                         Prompt::Icon::Information);
  }
  ctx_.subjectAreas.Load_data(ctx_.settings.VexaBase);
  offerRecovery();
  for (const QString& path : files) openPath(path, false);
}

void MDIForm1::offerRecovery() {
  for (const recovery::CopyInfo& copy : ctx_.recovery.leftBehind()) {
    dlgRecover dialog(qs(copy.originalName.empty() ? copy.caption : copy.originalName), this);
    ctx_.runDialog(dialog);
    if (dialog.choice == dlgRecover::Choice::Recover) {
      frmCreateVq* editor = addEditor();
      auto* sub = qobject_cast<QMdiSubWindow*>(editor->parentWidget());
      if (!editor->recover(copy)) {
        // Not loaded: the copy stays for the next start.
        mdi_->removeSubWindow(sub);
        delete sub;
        continue;
      }
      sub->showMaximized();
      // The window keeps a copy of its own from now on.
      editor->recoveryCopy()->writeNow();
      editor->recoveryCopy()->finishWriting();
    }
    if (dialog.choice != dlgRecover::Choice::Later) recovery::Session::discard(copy);
  }
  ctx_.recovery.release();
}

frmCreateVq* MDIForm1::addEditor() {
  auto* editor = new frmCreateVq(ctx_, *this);
  undoGroup_->addStack(editor->undoStack());
  // A new window is the active one (also before the frame is shown).
  undoGroup_->setActiveStack(editor->undoStack());
  QMdiSubWindow* sub = mdi_->addSubWindow(editor);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  return editor;
}

void MDIForm1::file_new() {
  dlgNewKeys dialog(this);
  ctx_.runDialog(dialog);
  if (dialog.cancel) return;
  const bool keys = dialog.FileWithKeys;
  ++counter_;
  frmCreateVq* editor = addEditor();
  editor->makeNew(keys, counter_);
  editor->parentWidget()->showMaximized();
}

void MDIForm1::OpenFile(bool metaOnly) {
  FileChooser::Request request;
  request.title = "Select VQ-file";
  request.folder = qs(ctx_.settings.OpenBase);
  request.filter = qtFilter("VEXA (*.vq)|*.vq|All Files (*.*)|*.*");
  request.mustExist = true;
  const QString path = ctx_.files->openFile(this, request);
  if (path.isEmpty()) return;
  openPath(path, metaOnly);
}

bool MDIForm1::openPath(const QString& path, bool metaOnly) {
  frmCreateVq* editor = addEditor();
  QMdiSubWindow* sub = qobject_cast<QMdiSubWindow*>(editor->parentWidget());
  if (!editor->LoadFromFile(path, metaOnly)) {
    // Nothing was loaded: the window goes without asking.
    mdi_->removeSubWindow(sub);
    delete sub;
    setCopyPasteVisible(false);
    return false;
  }
  sub->showMaximized();
  rememberFile(path);
  return true;
}

void MDIForm1::set_options() {
  dlgOptions dialog(ctx_, this);
  ctx_.runDialog(dialog);
}

void MDIForm1::editDefaultData() {
  frmDefaultData window(ctx_, this);
  ctx_.runDialog(window);
}

void MDIForm1::showAbout(bool modal) {
  if (modal) {
    dlgAbout dialog(this);
    ctx_.runDialog(dialog);
    return;
  }
  auto* about = new dlgAbout(this);
  about->setAttribute(Qt::WA_DeleteOnClose);
  about->show();
}

void MDIForm1::showHelp() {
  const QString folder = qs(ctx_.manualFolder);
  if (!QFileInfo::exists(QDir(folder).filePath("index.html"))) {
    ctx_.prompt->message("Helpfile was not found in " + ctx_.manualFolder, kProgramTitle,
                         Prompt::Icon::None);
    return;
  }
  // The current window stays current while the help window has the focus, so F1 there
  // follows the editor window last used.
  QMdiSubWindow* sub = mdi_->currentSubWindow();
  auto* editor = sub ? qobject_cast<frmCreateVq*>(sub->widget()) : nullptr;
  const QString page = editor ? manualPageFor(editor->tabs()->currentIndex()) : "index.html";
  if (!helpWindow_) {
    helpWindow_ = new HelpWindow(this);
    helpWindow_->setAttribute(Qt::WA_DeleteOnClose);
  }
  helpWindow_->showPage(folder, page);
  helpWindow_->show();
  helpWindow_->raise();
  helpWindow_->activateWindow();
}

bool MDIForm1::closeAllEditors() {
  // Every window with changes is asked before any goes; a Cancel anywhere keeps every
  // window open with its changes.
  QList<frmCreateVq*> discarded;
  for (frmCreateVq* editor : editors()) {
    switch (editor->askToSave()) {
      case frmCreateVq::SaveAnswer::Keep:
        return false;
      case frmCreateVq::SaveAnswer::Discard:
        discarded << editor;
        break;
      default:
        break;
    }
  }
  for (frmCreateVq* editor : discarded) editor->discardChanges();
  mdi_->closeAllSubWindows();
  return mdi_->subWindowList().isEmpty();
}

void MDIForm1::exitProgram() {
  if (!closeAllEditors()) return;
  saveSettings();
  ctx_.quit();
}

void MDIForm1::saveSettings() {
  if (!ctx_.settings.save_ini()) {
    ctx_.prompt->message(ctx_.settings.error(), kProgramTitle, Prompt::Icon::Exclamation);
  }
}

void MDIForm1::closeEvent(QCloseEvent* event) {
  if (!closeAllEditors()) {
    event->ignore();
    return;
  }
  // The close box is a way out like File/Exit: the settings file is written, so that a
  // new machine is told only once that it has none.
  saveSettings();
  event->accept();
}

void MDIForm1::setCopyPasteVisible(bool visible) {
  for (const char* key : {"Copy", "Paste"}) {
    if (auto* action = toolbar_->findChild<QAction*>(key)) action->setVisible(visible);
  }
}

void MDIForm1::setSaveVisible(bool visible) {
  if (auto* action = toolbar_->findChild<QAction*>("Save")) action->setVisible(visible);
}

void MDIForm1::showCodesChanged() {
  for (frmCreateVq* editor : editors()) editor->applyShowCodes();
}

frmCreateVq* MDIForm1::activeEditor() const {
  QMdiSubWindow* sub = mdi_->activeSubWindow();
  return sub ? qobject_cast<frmCreateVq*>(sub->widget()) : nullptr;
}

QList<frmCreateVq*> MDIForm1::editors() const {
  QList<frmCreateVq*> out;
  for (QMdiSubWindow* sub : mdi_->subWindowList()) {
    if (auto* editor = qobject_cast<frmCreateVq*>(sub->widget())) out << editor;
  }
  return out;
}

void MDIForm1::onSubWindowActivated(QMdiSubWindow* window) {
  // The active editor window's menus take the place of the frame's.
  menuBar()->clear();
  auto* editor = window ? qobject_cast<frmCreateVq*>(window->widget()) : nullptr;
  for (QMenu* m : editor ? editor->menus() : frameMenus_) menuBar()->addMenu(m);
  // Undo and Redo follow the active window's history.
  undoGroup_->setActiveStack(editor ? editor->undoStack() : nullptr);
}

}  // namespace zendra
