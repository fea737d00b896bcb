#include "gui/editor/pages/contents_page.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QTextEdit>
#include <functional>
#include <utility>
#include <vector>

#include "core/editor/field_commands.h"
#include "gui/shared/app_context.h"
#include "core/model/vexa_mess.h"
#include "ui_contents_page.h"

namespace zendra {
namespace {

QString toBox(const std::string& text) {
  // Line breaks are CR LF in the table and LF in a box.
  return QString::fromStdString(text).replace("\r\n", "\n");
}

std::string fromBox(const QString& text) {
  return QString(text).replace("\n", "\r\n").toStdString();
}

QString boxText(const QWidget* box) {
  if (const auto* edit = qobject_cast<const QTextEdit*>(box)) return edit->toPlainText();
  return qobject_cast<const QLineEdit*>(box)->text();
}

void setBoxText(QWidget* box, const QString& text) {
  if (boxText(box) == text) return;  // keeps the cursor of a box being typed in
  if (auto* edit = qobject_cast<QTextEdit*>(box)) {
    edit->setPlainText(text);
  } else {
    qobject_cast<QLineEdit*>(box)->setText(text);
  }
}

void setComboText(QComboBox* combo, const std::string& text) {
  const QString shown = QString::fromStdString(text);
  if (combo->currentText() != shown) combo->setEditText(shown);
}

}  // namespace

ContentsPage::ContentsPage(EditorContext& editor, QWidget* parent)
    : EditorPage(editor, parent),
      ui_(std::make_unique<Ui::ContentsPage>()),
      defaultData_(editor.app().defaultData) {
  ui_->setupUi(this);
  for (QComboBox* units : {ui_->cmbUnits, ui_->cmbUnits2}) {
    // Inline completion would change the text behind the field's back, and Qt's own
    // Enter handling would pick a unit that differs in letter case: both are left out.
    units->setCompleter(nullptr);
    units->setInsertPolicy(QComboBox::NoInsert);
    units->setDuplicatesEnabled(true);
  }
  ui_->lblLastUpdated->hide();
  QSizePolicy hint = ui_->lblLastUpdated->sizePolicy();
  hint.setRetainSizeWhenHidden(true);
  ui_->lblLastUpdated->setSizePolicy(hint);
  ui_->txtLastUpdated->installEventFilter(this);
  bindControls();
  fillUnitLists();
  defaultDataConnection_ = defaultData_.NewDefaultData.connect([this] { fillUnitLists(); });
}

ContentsPage::~ContentsPage() {
  defaultData_.NewDefaultData.disconnect(defaultDataConnection_);
}

void ContentsPage::bindControls() {
  connect(ui_->cmbContvar, &QComboBox::activated, this, &ContentsPage::chooseContentVariable);
  connect(ui_->cmbContValue, &QComboBox::activated, this, &ContentsPage::chooseContentValue);

  // The table's own units, and the shown set's units.
  auto bindUnits = [this](QComboBox* combo, std::function<std::shared_ptr<ContentData>()> setOf) {
    onTyping(combo->lineEdit(), [this, setOf](const QString& text, std::uint64_t session) {
      write(setOf(), &ContentData::Units, text.toStdString(), "Units", session);
    });
    connect(combo, &QComboBox::activated, this, [this, combo, setOf](int index) {
      write(setOf(), &ContentData::Units, combo->itemText(index).toStdString(), "Units");
    });
  };
  bindUnits(ui_->cmbUnits2, [this] { return editor_.document().ContData; });
  bindUnits(ui_->cmbUnits, [this] { return set_; });
  // Enter keeps the typed unit as the first item of the list.
  connect(ui_->cmbUnits->lineEdit(), &QLineEdit::returnPressed, this, [this] {
    const QString text = ui_->cmbUnits->currentText();
    if (text.isEmpty()) return;
    const LoadGuard guard(*this);
    int index = -1;
    for (int i = 0; i < ui_->cmbUnits->count() && index < 0; ++i) {
      if (ui_->cmbUnits->itemText(i) == text) index = i;
    }
    if (index < 0) {
      ui_->cmbUnits->insertItem(0, text);
      index = 0;
    }
    ui_->cmbUnits->setCurrentIndex(index);
  });

  bindLetterBox(ui_->txtStockFlow, "ASF", &ContentData::StockFA, "Stock/Flow");
  bindLetterBox(ui_->txtCFPrices, "CF", &ContentData::CFPrices, "Current/Fixed Prices");

  auto yesFlag = [this](QCheckBox* check, Field field, const char* name) {
    connect(check, &QCheckBox::clicked, this,
            [this, field, name](bool on) { write(set_, field, on ? "YES" : "", name); });
  };
  yesFlag(ui_->chkDayAdj, &ContentData::DayAdj, "Day adjusted");
  yesFlag(ui_->chkSeasAdj, &ContentData::SeasAdj, "Seasonal adjusted");

  bindPeriod(ui_->chkContact, ui_->txtContact, &ContentData::Contact, "Contact",
             &defaultData_.Contact);
  bindPeriod(ui_->chkRefPeriod, ui_->txtRefPeriod, &ContentData::Refperiod, "Ref period");
  bindPeriod(ui_->chkLastUpdated, ui_->txtLastUpdated, &ContentData::LastUpdated, "Last updated");
  bindPeriod(ui_->chkBasePeriod, ui_->txtBasePeriod, &ContentData::Baseperiod, "Base period");
}

void ContentsPage::bindLetterBox(QLineEdit* box, const QString& allowed, Field field,
                                 const char* name) {
  onTyping(box, [this, box, allowed, field, name](const QString& typed, std::uint64_t session) {
    QString text = typed.toUpper();
    if (text == " ") text.clear();
    if (!text.isEmpty() && (text.size() != 1 || !allowed.contains(text))) {
      QApplication::beep();
      text.clear();
    }
    // The box shows what the field gets, so the two never disagree.
    setBoxText(box, text);
    write(set_, field, text.toStdString(), name, session);
  });
}

void ContentsPage::bindPeriod(QCheckBox* check, QWidget* box, Field field, const char* name,
                              const std::string* fallback) {
  if (auto* edit = qobject_cast<QLineEdit*>(box)) {
    onTyping(edit, [this, field, name](const QString& text, std::uint64_t session) {
      write(set_, field, fromBox(text), name, session);
    });
  } else {
    onTyping(qobject_cast<QTextEdit*>(box),
             [this, field, name](const QString& text, std::uint64_t session) {
               write(set_, field, fromBox(text), name, session);
             });
  }
  connect(check, &QCheckBox::clicked, this, [this, box, field, name, fallback](bool on) {
    if (!set_) return;
    box->setVisible(on);
    if (on) {
      // An empty field takes the fallback text as if the user had typed it.
      if ((*set_).*field == "" && fallback) write(set_, field, *fallback, name);
      const LoadGuard guard(*this);
      setBoxText(box, toBox((*set_).*field));
    } else {
      write(set_, field, "", name);
      const LoadGuard guard(*this);
      setBoxText(box, {});
    }
  });
}

bool ContentsPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui_->txtLastUpdated) {
    if (event->type() == QEvent::FocusIn) ui_->lblLastUpdated->show();
    if (event->type() == QEvent::FocusOut) ui_->lblLastUpdated->hide();
  }
  return EditorPage::eventFilter(watched, event);
}

void ContentsPage::fillUnitLists() {
  const LoadGuard guard(*this);
  for (QComboBox* units : {ui_->cmbUnits, ui_->cmbUnits2}) {
    const QString text = units->currentText();
    units->clear();
    for (const std::string& unit : defaultData_.Units) {
      units->addItem(QString::fromStdString(unit));
    }
    units->setEditText(text);
  }
}

void ContentsPage::load() {
  const LoadGuard guard(*this);
  const VexaMess& doc = editor_.document();
  ui_->cmbContvar->clear();
  ui_->cmbContvar->addItem("[none]");
  for (const DimensionRef& variable : doc.Dimensions) {
    ui_->cmbContvar->addItem(QString::fromStdString(variable->name));
  }
  // A content variable that names no variable of the table stays in the table as it is;
  // the list then shows no choice.
  int chosen = 0;
  if (!doc.ContVariable.empty()) {
    const DimensionRef variable = doc.Get_Dimension(doc.ContVariable);
    chosen = variable ? doc.Dimensions.IndexOf(variable.get()) : -1;
  }
  ui_->cmbContvar->setCurrentIndex(chosen);
  fillContentValues();
  set_ = chosenSet();
  showSet();
}

void ContentsPage::fillContentValues() {
  const LoadGuard guard(*this);
  VexaMess& doc = editor_.document();
  const DimensionRef variable =
      doc.ContVariable.empty() ? nullptr : doc.Get_Dimension(doc.ContVariable);
  ui_->cmbContValue->clear();
  ui_->cmbContValue->setVisible(variable != nullptr);
  ui_->lblContValue->setVisible(variable != nullptr);
  if (!variable) {
    valueKey_.reset();
    return;
  }
  ui_->cmbContValue->addItem("[base]");
  int chosen = 0;
  for (const ValueRef& value : variable->ValueCode) {
    const QString text = QString::fromStdString(value->value);
    ui_->cmbContValue->addItem(text);
    if (chosen == 0 && valueKey_ == text) chosen = ui_->cmbContValue->count() - 1;
  }
  if (chosen == 0) valueKey_.reset();
  ui_->cmbContValue->setCurrentIndex(chosen);
}

std::shared_ptr<ContentData> ContentsPage::chosenSet() {
  VexaMess& doc = editor_.document();
  // Making a value's empty set is no change of the table: an empty set is not written.
  return valueKey_ ? doc.GetContdataKey(valueKey_->toStdString()) : doc.ContData;
}

void ContentsPage::showUnits() {
  const LoadGuard guard(*this);
  const auto& table = editor_.document().ContData;
  setComboText(ui_->cmbUnits2, table ? table->Units : std::string());
  if (set_) setComboText(ui_->cmbUnits, set_->Units);
}

void ContentsPage::showSet() {
  const LoadGuard guard(*this);
  showUnits();
  ui_->frameContForVal->setVisible(set_ != nullptr);
  if (!set_) return;
  const ContentData& set = *set_;
  setBoxText(ui_->txtStockFlow, QString::fromStdString(set.StockFA));
  setBoxText(ui_->txtCFPrices, QString::fromStdString(set.CFPrices));
  // Only "YES" checks the flags; a stored "NO" stays until the user clicks.
  ui_->chkDayAdj->setChecked(set.DayAdj == "YES");
  ui_->chkSeasAdj->setChecked(set.SeasAdj == "YES");
  const std::pair<QCheckBox*, QWidget*> boxes[] = {{ui_->chkContact, ui_->txtContact},
                                                   {ui_->chkRefPeriod, ui_->txtRefPeriod},
                                                   {ui_->chkLastUpdated, ui_->txtLastUpdated},
                                                   {ui_->chkBasePeriod, ui_->txtBasePeriod}};
  const std::string* fields[] = {&set.Contact, &set.Refperiod, &set.LastUpdated, &set.Baseperiod};
  for (std::size_t i = 0; i < std::size(boxes); ++i) {
    const auto [check, box] = boxes[i];
    check->setChecked(!fields[i]->empty());
    box->setVisible(!fields[i]->empty());
    setBoxText(box, toBox(*fields[i]));
  }
}

void ContentsPage::chooseContentVariable(int index) {
  if (loading() || index < 0) return;
  VexaMess& doc = editor_.document();
  const std::string name = index == 0 ? "" : ui_->cmbContvar->itemText(index).toStdString();
  if (name == doc.ContVariable) return;
  push(std::make_unique<SetTextCommand>(
      "Content variable", std::vector<SetTextCommand::Change>{{nullptr, &doc.ContVariable, name}}));
  valueKey_.reset();
  fillContentValues();
  set_ = chosenSet();
  showSet();
}

void ContentsPage::chooseContentValue(int index) {
  if (loading() || index < 0) return;
  if (index == 0) {
    valueKey_.reset();
  } else {
    valueKey_ = ui_->cmbContValue->itemText(index);
  }
  set_ = chosenSet();
  showSet();
}

void ContentsPage::write(const std::shared_ptr<ContentData>& set, Field field,
                         const std::string& text, const char* name, std::uint64_t session) {
  if (!set || (*set).*field == text) return;
  push(std::make_unique<SetTextCommand>(
      name, std::vector<SetTextCommand::Change>{{set, &((*set).*field), text}}, session));
  // Both unit boxes show the table's units while the table's own set is shown.
  if (field == &ContentData::Units) showUnits();
}

}  // namespace zendra
