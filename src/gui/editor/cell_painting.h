#pragma once

#include <QStyleOptionViewItem>

class QPainter;

namespace zendra {

// Draws a data grid cell as the style's item view cell, with its text laid out once where
// the style lays it out three times (for its size, for eliding and for drawing), which is
// most of a paint's time: a cell whose text fits on one line, without a focus frame, an
// editor, a check box or an icon. Every other cell is left to the style: false, nothing
// drawn.
bool paintPlainCell(QPainter* painter, const QStyleOptionViewItem& option);

}  // namespace zendra
