#include "gui/editor/cell_painting.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>

namespace zendra {

bool paintPlainCell(QPainter* painter, const QStyleOptionViewItem& option) {
  constexpr auto kDecorated = QStyleOptionViewItem::HasCheckIndicator |
                              QStyleOptionViewItem::HasDecoration | QStyleOptionViewItem::WrapText;
  if (option.state & (QStyle::State_HasFocus | QStyle::State_Editing)) return false;
  if (option.features & kDecorated) return false;
  const QWidget* widget = option.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
  const QRect textRect = option.rect.adjusted(margin, 0, -margin, 0);
  QTextLayout layout(option.text, option.font);
  QTextLine line;
  if (!option.text.isEmpty()) {
    if (option.text.contains(QChar::LineFeed) || option.text.contains(QChar::LineSeparator)) {
      return false;
    }
    QTextOption textOption;
    textOption.setWrapMode(QTextOption::ManualWrap);
    textOption.setTextDirection(option.direction);
    textOption.setAlignment(QStyle::visualAlignment(option.direction, option.displayAlignment));
    layout.setTextOption(textOption);
    layout.beginLayout();
    line = layout.createLine();
    line.setLineWidth(textRect.width());
    line.setPosition(QPointF(0, 0));
    const bool more = layout.createLine().isValid();
    layout.endLayout();
    if (more || line.naturalTextWidth() > textRect.width()) return false;  // elided
  }
  painter->save();
  painter->setClipRect(option.rect, painter->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  style->drawPrimitive(QStyle::PE_PanelItemViewItem, &option, painter, widget);
  if (line.isValid()) {
    QPalette::ColorGroup group =
        option.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(option.state & QStyle::State_Active)) {
      group = QPalette::Inactive;
    }
    const bool selected = option.state & QStyle::State_Selected;
    painter->setPen(
        option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    const QRect placed =
        QStyle::alignedRect(option.direction, option.displayAlignment,
                            QSize(textRect.width(), static_cast<int>(line.height())), textRect);
    layout.draw(painter, QPointF(textRect.x(), placed.y()));
  }
  painter->restore();
  return true;
}

}  // namespace zendra
