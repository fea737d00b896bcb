#include "gui/shared/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cstring>

namespace zendra {
namespace {

const QColor kOutline("#4a4a4a");
const QColor kPaper("#ffffff");
const QColor kLines("#7f93b5");
const QColor kBlue("#3a6ea5");

// A page with a folded corner at (x, y), w by h, with text lines when lined.
void page(QPainter& p, qreal x, qreal y, qreal w, qreal h, bool lined) {
  const qreal fold = w / 3;
  QPainterPath outline;
  outline.moveTo(x, y);
  outline.lineTo(x + w - fold, y);
  outline.lineTo(x + w, y + fold);
  outline.lineTo(x + w, y + h);
  outline.lineTo(x, y + h);
  outline.closeSubpath();
  p.setPen(QPen(kOutline, 2));
  p.setBrush(kPaper);
  p.drawPath(outline);
  p.setBrush(QColor("#d8d8d8"));
  p.drawPolygon(QPolygonF{{x + w - fold, y}, {x + w - fold, y + fold}, {x + w, y + fold}});
  if (!lined) return;
  p.setPen(QPen(kLines, 2));
  for (qreal line = y + fold + 5; line < y + h - 4; line += 6) {
    p.drawLine(QPointF(x + 5, line), QPointF(x + w - 5, line));
  }
}

void draw(QPainter& p, const char* name) {
  if (!std::strcmp(name, "document-new")) {
    page(p, 10, 4, 28, 40, false);
  } else if (!std::strcmp(name, "document-open")) {
    p.setPen(QPen(QColor("#8a6414"), 2));
    p.setBrush(QColor("#e8b84a"));
    p.drawPolygon(QPolygonF{{4, 12}, {18, 12}, {22, 16}, {44, 16}, {44, 42}, {4, 42}});
    p.setBrush(QColor("#f6d27a"));
    p.drawPolygon(QPolygonF{{4, 42}, {10, 22}, {47, 22}, {44, 42}});
  } else if (!std::strcmp(name, "edit-copy")) {
    page(p, 5, 3, 24, 30, true);
    page(p, 18, 14, 24, 30, true);
  } else if (!std::strcmp(name, "edit-paste")) {
    p.setPen(QPen(QColor("#6b4717"), 2));
    p.setBrush(QColor("#b07a3c"));
    p.drawRoundedRect(QRectF(6, 7, 34, 37), 3, 3);
    p.setPen(QPen(kOutline, 2));
    p.setBrush(QColor("#cccccc"));
    p.drawRoundedRect(QRectF(15, 3, 16, 8), 2, 2);
    page(p, 18, 16, 26, 30, true);
  } else if (!std::strcmp(name, "document-save")) {
    p.setPen(QPen(QColor("#1f3d5c"), 2));
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF{{4, 4}, {38, 4}, {44, 10}, {44, 44}, {4, 44}});
    p.setPen(Qt::NoPen);
    p.setBrush(kPaper);
    p.drawRect(QRectF(11, 7, 24, 13));
    p.setBrush(QColor("#cfd8e3"));
    p.drawRect(QRectF(11, 28, 26, 14));
    p.setBrush(QColor("#1f3d5c"));
    p.drawRect(QRectF(28, 8, 5, 10));
  } else if (!std::strcmp(name, "help-contents")) {
    p.setPen(QPen(QColor("#1f3d5c"), 2));
    p.setBrush(kBlue);
    p.drawEllipse(QPointF(24, 24), 20, 20);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(28);
    p.setFont(font);
    p.setPen(kPaper);
    p.drawText(QRectF(4, 4, 40, 40), Qt::AlignCenter, "?");
  }
}

QIcon drawn(const char* name) {
  QIcon icon;
  for (const int size : {16, 24, 32, 48}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 48.0, size / 48.0);
    draw(p, name);
    p.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

QIcon toolbarIcon(const char* name) {
  for (const char* known : {"document-new", "document-open", "edit-copy", "edit-paste",
                            "document-save", "help-contents"}) {
    if (!std::strcmp(name, known)) return QIcon::fromTheme(name, drawn(name));
  }
  return {};
}

}  // namespace zendra
