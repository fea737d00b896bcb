#include "editor/ui/pages/basic_structure_page.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "editor/field_commands.h"
#include "format/reader.h"
#include "gui/app_context.h"
#include "model/vexa_mess.h"
#include "settings/ui/dlg_get_subarea.h"
#include "ui_basic_structure_page.h"

namespace zendra {
namespace {

constexpr int kMaxDecimals = 15;
constexpr int kMaxShowDecimals = 6;
constexpr const char* kLongContentsStyle = "QLineEdit { background-color: #ffd59e; }";

// The largest PRECISION of any value; 0 when none is set. A text that is not a number
// counts as no precision, as in VexaMess::setSaveDecimals.
int highestPrecision(const VexaMess& doc) {
  int highest = 0;
  for (const auto& variable : doc.Dimensions) {
    for (const auto& value : variable->ValueCode) {
      std::int16_t p = 0;
      if (!value->Precision.empty() && parseInt16(value->Precision, p)) {
        highest = std::max<int>(highest, p);
      }
    }
  }
  return highest;
}

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
  const auto decimals = static_cast<std::int16_t>(std::max(chosen, highestPrecision(doc)));
  if (decimals != doc.Decimaler) {
    push(std::make_unique<SetFieldsCommand<std::int16_t>>(
        "Decimals",
        std::vector<SetFieldsCommand<std::int16_t>::Change>{{{}, &doc.Decimaler, decimals}}, 0,
        [&doc] { doc.setSaveDecimals(); }));
  }
  {
    const LoadGuard guard(*this);
    fillDecimals();
  }
  if (chosen < decimals) {
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

}  // namespace zendra
