#pragma once

#include <QString>
#include <QWidget>

class QAction;
class QTextBrowser;
class QUrl;

namespace zendra {

// The manual's folder: $ZENDRA_MANUAL_DIR when set (the tests point it at a folder of their
// own), else the installed manual beside the program (<prefix>/share/zendra/manual for
// <prefix>/bin/zendra), else the source tree's doc/manual of the build. When none holds an
// index.html, the installed folder is returned, so the message names where it belongs.
QString locateManual(const QString& programFolder);

// The manual in a window of its own: the pages with Back, Forward and Home. Links between
// the manual's pages open here; links to the web or mail open in the desktop's programs.
class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  // Shows page (relative to folder, e.g. "pages/variables.html"); Home is folder's index.
  void showPage(const QString& folder, const QString& page);
  QUrl source() const;

 private:
  void follow(const QUrl& link);

  QTextBrowser* browser_ = nullptr;
  QAction* back_ = nullptr;
  QAction* forward_ = nullptr;
  QString home_;
};

}  // namespace zendra
