#include "gui/editor/pages/value_notes_page.h"

#include <QApplication>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextOption>
#include <QTreeWidget>
#include <algorithm>
#include <initializer_list>
#include <tuple>
#include <utility>
#include <vector>

#include "core/editor/field_commands.h"
#include "gui/editor/dimension_tree.h"
#include "gui/editor/pages/note_text.h"
#include "core/model/vexa_mess.h"
#include "ui_value_notes_page.h"

namespace zendra {
namespace {

// Draws a list's texts with tab stops at 5 and 12 dialog units (a unit being a quarter of
// the font's average character width), so that the marks stand in a narrow column of
// their own before the codes and texts.
class TabStopDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString text = item.text;
    item.text.clear();
    const QWidget* widget = item.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
    const qreal unit = item.fontMetrics.averageCharWidth() / 4.0;
    QTextOption layout(Qt::AlignLeft | Qt::AlignVCenter);
    layout.setWrapMode(QTextOption::NoWrap);
    // The mark's column is at least a mark and a blank wide, so "*" never touches the code.
    const qreal mark =
        std::max(5 * unit, static_cast<qreal>(item.fontMetrics.horizontalAdvance("* ")));
    layout.setTabs({QTextOption::Tab(mark, QTextOption::LeftTab),
                    QTextOption::Tab(std::max(12 * unit, mark + 7 * unit), QTextOption::LeftTab)});
    painter->save();
    painter->setFont(item.font);
    painter->setPen(item.palette.color(
        item.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(QRectF(area), text, layout);
    painter->restore();
  }
};

}  // namespace

ValueNotesPage::ValueNotesPage(EditorContext& editor, QWidget* parent)
    : EditorPage(editor, parent), ui_(std::make_unique<Ui::ValueNotesPage>()) {
  ui_->setupUi(this);
  ui_->lstVarValue->setItemDelegate(new TabStopDelegate(ui_->lstVarValue));
  connect(ui_->varTree2, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* node) { chooseNode(node); });
  connect(ui_->lstVarValue, &QListWidget::currentRowChanged, this, [this](int row) {
    if (!loading()) showValue(row);
  });

  // The variable's notes: the check box shows or hides the box; the note stays.
  for (auto [check, box, field, name] :
       {std::tuple{ui_->chkVarNote, ui_->txtVarNote, &DimensionData::Note, "Note"},
        std::tuple{ui_->chkVarNotex, ui_->txtVarNotex, &DimensionData::Notex, "Notex"}}) {
    connect(check, &QCheckBox::clicked, this, [this, box, field](bool on) {
      box->setVisible(on);
      if (!on) return;
      const LoadGuard guard(*this);
      box->setPlainText(variable_ ? noteForBox((*variable_).*field) : QString());
    });
    onTyping(box, [this, field, name](const QString& text, std::uint64_t session) {
      if (variable_) setNote(variable_, &((*variable_).*field), noteFromBox(text), name, session);
    });
  }
  // The value's notes: clearing the check box deletes the note at once.
  for (auto [check, box, field, name] :
       {std::tuple{ui_->chkVarValNote, ui_->txtVarValNote, &ValueAndCode::Note, "Value note"},
        std::tuple{ui_->chkVarValNotex, ui_->txtVarValNotex, &ValueAndCode::Notex,
                   "Value notex"}}) {
    connect(check, &QCheckBox::clicked, this, [this, box, field, name](bool on) {
      box->setVisible(on);
      {
        const LoadGuard guard(*this);
        box->setPlainText(on && value_ ? noteForBox((*value_).*field) : QString());
      }
      if (!on && value_) setNote(value_, &((*value_).*field), std::string(), name, 0);
    });
    onTyping(box, [this, field, name](const QString& text, std::uint64_t session) {
      if (value_) setNote(value_, &((*value_).*field), noteFromBox(text), name, session);
    });
  }
}

ValueNotesPage::~ValueNotesPage() = default;

QString ValueNotesPage::valueLine(const DimensionData& variable, const ValueAndCode& value) {
  const bool noted = !value.Note.empty() || !value.Notex.empty();
  QString line = noted ? "*\t" : " \t";
  if (variable.UseCodes) line += qs(value.code) + "  ";
  return line + qs(value.value);
}

void ValueNotesPage::load() {
  const LoadGuard guard(*this);
  const VexaMess& doc = editor_.document();
  FillDimensionTree(doc, ui_->varTree2);
  const std::int32_t position = variable_ ? doc.Dimensions.IndexOf(variable_.get()) : 0;
  if (position == 0) variable_.reset();
  for (int g = 0; g < ui_->varTree2->topLevelItemCount() && position; ++g) {
    QTreeWidgetItem* group = ui_->varTree2->topLevelItem(g);
    for (int i = 0; i < group->childCount(); ++i) {
      if (TreeVariablePosition(group->child(i)) == position) {
        ui_->varTree2->setCurrentItem(group->child(i));
      }
    }
  }
  showVariable();
}

void ValueNotesPage::shown() {
  chooseNode(ui_->varTree2->topLevelItem(0));
  const LoadGuard guard(*this);
  ui_->varTree2->setCurrentItem(ui_->varTree2->topLevelItem(0));
}

void ValueNotesPage::chooseNode(QTreeWidgetItem* node) {
  if (loading()) return;
  // The new variable is chosen before any control is filled, so a box being emptied
  // never writes into the variable shown before.
  const std::int32_t position = TreeVariablePosition(node);
  variable_ = position ? editor_.document().Dimensions.Item(position) : nullptr;
  value_.reset();
  showVariable();
}

void ValueNotesPage::showVariable() {
  const LoadGuard guard(*this);
  const ValueRef keep = value_;
  ui_->lstVarValue->clear();
  ui_->lstVarValue->setEnabled(variable_ != nullptr);
  ui_->fraVarNotes->setVisible(variable_ != nullptr);
  for (auto [check, box, field] :
       {std::tuple{ui_->chkVarNote, ui_->txtVarNote, &DimensionData::Note},
        std::tuple{ui_->chkVarNotex, ui_->txtVarNotex, &DimensionData::Notex}}) {
    const bool noted = variable_ && !((*variable_).*field).empty();
    check->setVisible(variable_ != nullptr);
    check->setChecked(noted);
    box->setVisible(noted);
    const QString text = variable_ ? noteForBox((*variable_).*field) : QString();
    if (typedText(*box->document()) != text) box->setPlainText(text);
  }
  int row = 0;
  if (variable_) {
    int at = 0;
    for (const ValueRef& value : variable_->ValueCode) {
      ui_->lstVarValue->addItem(valueLine(*variable_, *value));
      if (value == keep) row = at;
      ++at;
    }
  }
  // A variable without values leaves the list without a current row.
  if (row < ui_->lstVarValue->count()) ui_->lstVarValue->setCurrentRow(row);
  showValue(ui_->lstVarValue->currentRow());
}

void ValueNotesPage::showValue(int row) {
  const LoadGuard guard(*this);
  value_ = variable_ && row >= 0 ? variable_->ValueCode.Item(row + 1) : nullptr;
  ui_->fraValNotes->setVisible(value_ != nullptr);
  for (auto [check, box, field] :
       {std::tuple{ui_->chkVarValNote, ui_->txtVarValNote, &ValueAndCode::Note},
        std::tuple{ui_->chkVarValNotex, ui_->txtVarValNotex, &ValueAndCode::Notex}}) {
    const bool noted = value_ && !((*value_).*field).empty();
    check->setVisible(value_ != nullptr);
    check->setChecked(noted);
    box->setVisible(noted);
    const QString text = noted ? noteForBox((*value_).*field) : QString();
    if (typedText(*box->document()) != text) box->setPlainText(text);
  }
}

void ValueNotesPage::setNote(std::shared_ptr<void> owner, std::string* field, std::string text,
                             const char* name, std::uint64_t session) {
  push(std::make_unique<SetTextCommand>(
      name, std::vector<SetTextCommand::Change>{{std::move(owner), field, std::move(text)}},
      session));
  refreshValueLine();
}

void ValueNotesPage::refreshValueLine() {
  const int row = ui_->lstVarValue->currentRow();
  if (!variable_ || !value_ || row < 0) return;
  const LoadGuard guard(*this);
  ui_->lstVarValue->item(row)->setText(valueLine(*variable_, *value_));
}

}  // namespace zendra
