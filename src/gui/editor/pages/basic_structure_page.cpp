#include "gui/editor/pages/basic_structure_page.h"

#include <QApplication>
#include <QFileInfo>
#include <QListWidget>
#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "core/editor/field_commands.h"
#include "gui/editor/dialogs/dlg_add_dimension.h"
#include "gui/editor/dialogs/dlg_add_var_from_vq.h"
#include "gui/editor/dialogs/dlg_get_standard_var.h"
#include "gui/editor/dialogs/dlg_new_dimension.h"
#include "gui/editor/dialogs/dlg_reorder_dimensions.h"
#include "core/editor/variable_commands.h"
#include "core/format/reader.h"
#include "gui/shared/app_context.h"
#include "gui/shared/frm_progress.h"
#include "gui/database/database_chooser.h"
#include "gui/database/dlg_explore_database.h"
#include "core/model/vexa_mess.h"
#include "gui/settings/dlg_get_subarea.h"
#include "ui_basic_structure_page.h"

namespace zendra {
namespace {

constexpr int kMaxDecimals = 15;
constexpr int kMaxShowDecimals = 6;
constexpr const char* kLongContentsStyle = "QLineEdit { background-color: #ffd59e; }";

// Fills a list with its fixed items and selects text. A text that is not one of them
// (a number out of range read from a file) is added as an item of its own, so that the
// list shows what the table holds and keeps it until the user chooses another.
void fillList(QComboBox* list, const QStringList& items, const QString& text) {
  list->clear();
  list->addItems(items);
  int index = list->findText(text, Qt::MatchExactly);
  if (index < 0) {
    list->addItem(text);
    index = list->count() - 1;
  }
  list->setCurrentIndex(index);
}

void setTextKeepingCursor(QLineEdit* box, const std::string& text) {
  const QString value = qs(text);
  if (box->text() != value) box->setText(value);
}

std::unique_ptr<SetTextCommand> setText(std::string name,
                                        std::vector<SetTextCommand::Change> changes,
                                        std::uint64_t session = 0) {
  return std::make_unique<SetTextCommand>(std::move(name), std::move(changes), session);
}

}  // namespace

BasicStructurePage::BasicStructurePage(EditorContext& editor, QWidget* parent)
    : EditorPage(editor, parent),
      ui_(std::make_unique<Ui::BasicStructurePage>()),
      subjectAreas_(editor.app().subjectAreas) {
  ui_->setupUi(this);
  bindTexts();
  bindCheckBoxes();
  connect(ui_->cmbDecimals, &QComboBox::activated, this, &BasicStructurePage::chooseDecimals);
  connect(ui_->cmbShowDecimals, &QComboBox::activated, this,
          &BasicStructurePage::chooseShowDecimals);
  connect(ui_->txtContents, &QLineEdit::textChanged, this, &BasicStructurePage::showContentsLength);

  connect(ui_->cmdGetSubar, &QPushButton::clicked, this, &BasicStructurePage::getSubjectArea);
  subjectAreasConnection_ = subjectAreas_.NewSubjectAreas.connect(
      [this] { ui_->cmdGetSubar->setEnabled(!subjectAreas_.SubjectArea.empty()); });
  ui_->cmdGetSubar->setEnabled(!subjectAreas_.SubjectArea.empty());

  connect(ui_->cmdAddStub, &QPushButton::clicked, this, [this] { addVariable(0); });
  connect(ui_->cmdAddHead, &QPushButton::clicked, this, [this] { addVariable(1); });
  connect(ui_->cmdRemoveStub, &QPushButton::clicked, this, [this] { removeVariable(0); });
  connect(ui_->cmdRemoveHead, &QPushButton::clicked, this, [this] { removeVariable(1); });
  connect(ui_->cmdReorderStub, &QPushButton::clicked, this, [this] { reorderVariables(0); });
  connect(ui_->cmdReorderHead, &QPushButton::clicked, this, [this] { reorderVariables(1); });
  connect(ui_->cmdAddDimension1, &QPushButton::clicked, this, [this] { addOneValuedVariable(0); });
  connect(ui_->cmdAddDimension2, &QPushButton::clicked, this, [this] { addOneValuedVariable(1); });
}

// The window is gone by now (its pages are deleted as its children): the list is reached
// through the reference kept at construction.
BasicStructurePage::~BasicStructurePage() {
  subjectAreas_.NewSubjectAreas.disconnect(subjectAreasConnection_);
}

void BasicStructurePage::bindTexts() {
  VexaMess& doc = editor_.document();
  const std::pair<QLineEdit*, std::string VexaMess::*> boxes[] = {
      {ui_->txtMatrix, &VexaMess::Matrix},           {ui_->txtSubarea, &VexaMess::SubjectArea},
      {ui_->txtSubareaCode, &VexaMess::SubjectCode}, {ui_->txtContents, &VexaMess::Contents},
      {ui_->txtLanguage, &VexaMess::Language},       {ui_->txtDescription, &VexaMess::Description},
      {ui_->txtInfofile, &VexaMess::Infofile},
  };
  for (const auto& [box, field] : boxes) {
    std::string* target = &(doc.*field);
    const std::string name = stdString(box->objectName().mid(3));
    onTyping(box, [this, target, name](const QString& text, std::uint64_t session) {
      push(setText(name, {{{}, target, stdString(text)}}, session));
    });
  }
}

void BasicStructurePage::bindCheckBoxes() {
  VexaMess& doc = editor_.document();
  // A click writes its flag; loading sets the boxes without a click.
  const struct {
    QCheckBox* box;
    std::string* field;
    const char* checked;
    const char* clear;
  } flags[] = {
      {ui_->chkDescriptionDefault, &doc.DescriptionDefault, "YES", ""},
      {ui_->chkAutoOpen, &doc.AutoOpen, "YES", ""},
      {ui_->chkAgreggAllowed, &doc.AggregAllowed, "", "NO"},
  };
  for (const auto& flag : flags) {
    connect(flag.box, &QCheckBox::clicked, this, [this, flag](bool checked) {
      push(setText(stdString(flag.box->objectName().mid(3)),
                   {{{}, flag.field, checked ? flag.checked : flag.clear}}));
    });
  }

  // Clearing "Description" empties the description and its default flag.
  connect(ui_->chkDescription, &QCheckBox::clicked, this, [this, &doc](bool checked) {
    showDescription(checked);
    if (checked) {
      ui_->txtDescription->setFocus();
      return;
    }
    const LoadGuard guard(*this);
    ui_->txtDescription->clear();
    ui_->chkDescriptionDefault->setChecked(false);
    if (doc.Description.empty() && doc.DescriptionDefault.empty()) return;
    push(setText("Description", {{{}, &doc.Description, ""}, {{}, &doc.DescriptionDefault, ""}}));
  });
  // Clearing "InfoFile" empties the info file.
  connect(ui_->chkInfofile, &QCheckBox::clicked, this, [this, &doc](bool checked) {
    showInfofile(checked);
    if (checked) {
      ui_->txtInfofile->setFocus();
      return;
    }
    ui_->txtInfofile->clear();
    if (!doc.Infofile.empty()) push(setText("Infofile", {{{}, &doc.Infofile, ""}}));
  });
}

void BasicStructurePage::load() {
  const LoadGuard guard(*this);
  const VexaMess& doc = editor_.document();
  setTextKeepingCursor(ui_->txtMatrix, doc.Matrix);
  setTextKeepingCursor(ui_->txtSubarea, doc.SubjectArea);
  setTextKeepingCursor(ui_->txtSubareaCode, doc.SubjectCode);
  setTextKeepingCursor(ui_->txtContents, doc.Contents);
  setTextKeepingCursor(ui_->txtLanguage, doc.Language);
  fillDecimals();
  fillShowDecimals();

  ui_->chkDescription->setChecked(!doc.Description.empty());
  showDescription(!doc.Description.empty());
  setTextKeepingCursor(ui_->txtDescription, doc.Description);
  ui_->chkDescriptionDefault->setChecked(doc.DescriptionDefault == "YES");
  ui_->chkInfofile->setChecked(!doc.Infofile.empty());
  showInfofile(!doc.Infofile.empty());
  setTextKeepingCursor(ui_->txtInfofile, doc.Infofile);
  ui_->chkAutoOpen->setChecked(doc.AutoOpen == "YES");
  ui_->chkAgreggAllowed->setChecked(doc.AggregAllowed != "NO");

  ui_->lblKeys->setText(doc.FileWithKeys ? "File with Keys" : "Normal file");
  ui_->cmdGetSubar->setEnabled(!subjectAreas_.SubjectArea.empty());
  fillStructureLists();
  arrangeStructure();
}

void BasicStructurePage::shown() {
  ui_->txtSubarea->setFocus();
}

bool BasicStructurePage::saveAsAnsi() const {
  return ui_->chkAnsi->isChecked();
}

void BasicStructurePage::fillDecimals() {
  const VexaMess& doc = editor_.document();
  static const QStringList items = [] {
    QStringList list;
    for (int i = 0; i <= kMaxDecimals; ++i) list.push_back(QString::number(i));
    return list;
  }();
  // The table is written with the larger of DECIMALS and the highest precision.
  const int decimals = std::max<int>(doc.Decimaler, highestPrecision(doc));
  fillList(ui_->cmbDecimals, items, QString::number(decimals));
}

void BasicStructurePage::fillShowDecimals() {
  static const QStringList items = [] {
    QStringList list{QString()};
    for (int i = 0; i <= kMaxShowDecimals; ++i) list.push_back(QString::number(i));
    return list;
  }();
  fillList(ui_->cmbShowDecimals, items, qs(editor_.document().ShowDecimals));
}

void BasicStructurePage::chooseDecimals(int index) {
  VexaMess& doc = editor_.document();
  const int chosen = ui_->cmbDecimals->itemText(index).toInt();
  if (auto step = makeDecimalsCommand(doc, chosen)) push(std::move(step));
  {
    const LoadGuard guard(*this);
    fillDecimals();
  }
  if (chosen < highestPrecision(doc)) {
    editor_.app().prompt->message("Decimals must not be lower than precision", kProgramTitle);
  }
}

void BasicStructurePage::chooseShowDecimals(int index) {
  VexaMess& doc = editor_.document();
  const std::string value = index == 0 ? "" : stdString(ui_->cmbShowDecimals->itemText(index));
  if (value != doc.ShowDecimals) push(setText("ShowDecimals", {{{}, &doc.ShowDecimals, value}}));
  const LoadGuard guard(*this);
  fillShowDecimals();
}

void BasicStructurePage::getSubjectArea() {
  AppContext& app = editor_.app();
  dlgGetSubarea dialog(subjectAreas_.SubjectArea, this);
  app.runDialog(dialog);
  if (dialog.subtext.empty()) return;
  VexaMess& doc = editor_.document();
  push(setText("Subject area",
               {{{}, &doc.SubjectArea, dialog.subtext}, {{}, &doc.SubjectCode, dialog.subcode}}));
  const LoadGuard guard(*this);
  ui_->txtSubarea->setText(qs(doc.SubjectArea));
  ui_->txtSubareaCode->setText(qs(doc.SubjectCode));
}

void BasicStructurePage::showContentsLength() {
  const bool tooLong = ui_->txtContents->text().size() > kContentsLimit;
  ui_->txtContents->setStyleSheet(tooLong ? kLongContentsStyle : "");
}

void BasicStructurePage::showDescription(bool visible) {
  ui_->txtDescription->setVisible(visible);
  ui_->chkDescriptionDefault->setVisible(visible);
}

void BasicStructurePage::showInfofile(bool visible) {
  ui_->txtInfofile->setVisible(visible);
}

QListWidget* BasicStructurePage::list(std::int32_t side) const {
  return side == 0 ? ui_->lstStub : ui_->lstHeading;
}

void BasicStructurePage::fillStructureLists() {
  const VexaMess& doc = editor_.document();
  for (const std::int32_t side : {0, 1}) {
    QListWidget* names = list(side);
    names->clear();
    for (const DimensionRef& variable : side == 0 ? doc.colStub : doc.colHeading) {
      names->addItem(qs(variable->name));
    }
  }
}

void BasicStructurePage::arrangeStructure() {
  const VexaMess& doc = editor_.document();
  const bool data = doc.GridHasData;
  ui_->lstStub->setEnabled(!data);
  ui_->lstHeading->setEnabled(!data);
  for (QPushButton* button : {ui_->cmdAddStub, ui_->cmdAddHead, ui_->cmdRemoveStub,
                              ui_->cmdRemoveHead, ui_->cmdReorderStub, ui_->cmdReorderHead}) {
    button->setVisible(!data);
  }
  ui_->cmdAddDimension1->setVisible(data);
  ui_->cmdAddDimension2->setVisible(data);
  ui_->cmdReorderStub->setEnabled(doc.colStub.Count() >= 2);
  ui_->cmdReorderHead->setEnabled(doc.colHeading.Count() >= 2);
  // A keys-form table holding data (a converted one) is no longer shaped by its heading.
  if (doc.FileWithKeys && data) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{ui_->lstHeading, ui_->lblHeading, ui_->cmdAddHead,
                                         ui_->cmdRemoveHead, ui_->cmdAddDimension1}) {
      control->setVisible(false);
    }
  } else {
    ui_->lstHeading->setVisible(true);
    ui_->lblHeading->setVisible(true);
  }
}

bool BasicStructurePage::confirmDataLoss() {
  if (!editor_.document().GridHasData) return true;
  return editor_.app().prompt->ask("Data in grid will be lost\nDo you want to continue?",
                                   kProgramTitle, Prompt::Buttons::YesNo,
                                   Prompt::Icon::Question) == Prompt::Answer::Yes;
}

template <typename Step>
void BasicStructurePage::pushStructureStep(std::unique_ptr<Step> step) {
  const std::string refusal = step->refusal();
  if (!refusal.empty()) {
    editor_.app().prompt->message(
        refusal, kProgramTitle,
        refusal == kNameInUse ? Prompt::Icon::Critical : Prompt::Icon::Exclamation);
    return;
  }
  push(std::move(step));
  editor_.refreshDataGrid();
  const LoadGuard guard(*this);
  fillStructureLists();
  arrangeStructure();
}

void BasicStructurePage::addVariable(std::int32_t side) {
  if (!confirmDataLoss()) return;
  AppContext& app = editor_.app();
  dlgNewDimension::Sources offered;
  offered.lastFileName = app.variableSources.lastFileName;
  offered.lastDatabaseName = app.variableSources.lastDatabaseName;
  offered.hasStandardVariables = app.defaultData.Dimensions.Count() > 0;
  std::int16_t source = dlgNewDimension::kCancelled;
  std::string name;
  {
    dlgNewDimension dialog(editor_.document(), offered, *app.prompt, this);
    app.runDialog(dialog);
    if (dialog.result() == QDialog::Accepted) {
      source = dialog.returncode;
      name = dialog.name;
    }
  }
  switch (source) {
    case dlgNewDimension::kNewByName:
      pushStructureStep(std::make_unique<AddVariableCommand>(editor_.document(), editor_.dataGrid(),
                                                             side, name, app.ShowCodes));
      break;
    case dlgNewDimension::kFromFile:
      if (readSourceTable()) copyFromSourceTable(side);
      break;
    case dlgNewDimension::kFromSourceTable:
      copyFromSourceTable(side);
      break;
    case dlgNewDimension::kFromDefaultData:
      copyStandardVariable(side);
      break;
    case dlgNewDimension::kFromDatabase:
      takeFromDatabase(side, chooseDatabase(app, this));
      break;
    case dlgNewDimension::kFromLastDatabase:
      takeFromDatabase(side, lastDatabase(app, this));
      break;
    default:  // Cancel
      break;
  }
}

bool BasicStructurePage::readSourceTable() {
  AppContext& app = editor_.app();
  FileChooser::Request request;
  request.title = "Select VQ-file to copy";
  request.folder = qs(app.settings.OpenBase);
  request.filter = qtFilter("Vq-files|*.vq");
  request.mustExist = true;
  const QString path = app.files->openFile(this, request);
  if (path.isEmpty()) return false;

  auto table = std::make_shared<VexaMess>();
  table->VQfilename = stdString(path);
  frmProgress progress;
  progress.setWindowModality(Qt::ApplicationModal);
  progress.show();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  ProgressPrompt prompt(progress, *app.prompt);
  LoadReport report;
  const LoadResult result =
      Load_From_File(*table, true, nullptr, prompt, app.ShowCodes, {}, &report);
  QApplication::restoreOverrideCursor();
  progress.close();
  if (result != LoadResult::Loaded) {
    // The table read before stays the source, under its own name.
    if (result == LoadResult::CannotRead) {
      app.prompt->message(
          report.readError.empty() ? "Cannot read " + table->VQfilename : report.readError,
          kProgramTitle, Prompt::Icon::Critical);
    }
    return false;
  }
  const QFileInfo file(path);
  app.variableSources.lastFileName = stdString(file.fileName());
  app.settings.OpenBase = stdString(file.absolutePath());
  app.variableSources.table = std::move(table);
  return true;
}

void BasicStructurePage::copyFromSourceTable(std::int32_t side) {
  AppContext& app = editor_.app();
  // Held here: the source table outlives the dialog even if it is replaced meanwhile.
  const std::shared_ptr<const VexaMess> table = app.variableSources.table;
  if (!table) return;
  dlgAddVarFromVq dialog(table->Dimensions, editor_.document(), *app.prompt, this);
  app.runDialog(dialog);
  if (dialog.Dimdata) placeCopy(side, *dialog.Dimdata);
}

void BasicStructurePage::copyStandardVariable(std::int32_t side) {
  AppContext& app = editor_.app();
  dlgGetStandardVar dialog(app.defaultData.Dimensions, editor_.document(), *app.prompt, this);
  app.runDialog(dialog);
  if (dialog.Dimdata) placeCopy(side, *dialog.Dimdata);
}

void BasicStructurePage::takeFromDatabase(std::int32_t side, clsAnyDatabase* db) {
  if (!db) return;
  AppContext& app = editor_.app();
  DimensionRef variable;
  {
    dlgExploreDatabase dialog(*db, editor_.document(), *app.prompt, this);
    app.runDialog(dialog);
    variable = dialog.NewDim;
  }
  if (!variable) return;
  pushStructureStep(std::make_unique<AddVariableCommand>(editor_.document(), editor_.dataGrid(),
                                                         side, variable, app.ShowCodes));
}

void BasicStructurePage::placeCopy(std::int32_t side, const DimensionData& source) {
  pushStructureStep(std::make_unique<AddVariableCommand>(editor_.document(), editor_.dataGrid(),
                                                         side, source, editor_.app().ShowCodes));
}

void BasicStructurePage::removeVariable(std::int32_t side) {
  const QList<QListWidgetItem*> selected = list(side)->selectedItems();
  if (selected.empty()) return;
  const std::string name = stdString(selected.front()->text());
  if (!confirmDataLoss()) return;
  pushStructureStep(std::make_unique<RemoveVariableCommand>(editor_.document(), editor_.dataGrid(),
                                                            side, name, editor_.app().ShowCodes));
}

void BasicStructurePage::reorderVariables(std::int32_t side) {
  AppContext& app = editor_.app();
  std::vector<std::string> order;
  {
    dlgReorderDimensions dialog(editor_.document(), side, this);
    app.runDialog(dialog);
    order = dialog.order;
  }
  // Cancel leaves the table and its grid as they are.
  if (order.empty()) return;
  pushStructureStep(std::make_unique<ReorderVariablesCommand>(
      editor_.document(), editor_.dataGrid(), side, order, app.ShowCodes));
}

void BasicStructurePage::addOneValuedVariable(std::int32_t side) {
  AppContext& app = editor_.app();
  dlgAddDimension dialog(editor_.document(), *app.prompt, this);
  app.runDialog(dialog);
  if (dialog.RetCode != 1) return;
  auto step = std::make_unique<AddOneValuedVariableCommand>(editor_.document(), editor_.dataGrid(),
                                                            side, dialog.name, dialog.code,
                                                            dialog.value, app.ShowCodes);
  const bool refused = !step->refusal().empty();
  pushStructureStep(std::move(step));
  // The grid may fail to grow while the step is done; the step then changed nothing.
  if (!refused && !editor_.document().Dimensions.Contains(dialog.name)) {
    app.prompt->message("There is not enough memory to add the dimension", kProgramTitle,
                        Prompt::Icon::Critical);
  }
}

}  // namespace zendra
