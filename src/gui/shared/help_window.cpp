#include "gui/shared/help_window.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace zendra {

QString locateManual(const QString& programFolder) {
  const QString fromEnvironment = qEnvironmentVariable("ZENDRA_MANUAL_DIR");
  if (!fromEnvironment.isEmpty()) return fromEnvironment;
  const QString installed = QDir::cleanPath(programFolder + "/../share/zendra/manual");
  QStringList folders{installed};
#ifdef ZENDRA_SOURCE_MANUAL_DIR
  folders << QStringLiteral(ZENDRA_SOURCE_MANUAL_DIR);
#endif
  for (const QString& folder : folders) {
    if (QFileInfo::exists(folder + "/index.html")) return folder;
  }
  return installed;
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("frmHelp");
  setWindowTitle("Zendra Help");
  resize(820, 640);

  auto* bar = new QToolBar(this);
  back_ = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), "Back");
  back_->setObjectName("cmdBack");
  back_->setShortcut(QKeySequence::Back);
  forward_ = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), "Forward");
  forward_->setObjectName("cmdForward");
  forward_->setShortcut(QKeySequence::Forward);
  QAction* home = bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), "Home");
  home->setObjectName("cmdHome");

  browser_ = new QTextBrowser(this);
  browser_->setObjectName("helpBrowser");
  // Links are followed here so that only the manual's own pages open inside the window.
  browser_->setOpenLinks(false);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(bar);
  layout->addWidget(browser_);

  back_->setEnabled(false);
  forward_->setEnabled(false);
  connect(back_, &QAction::triggered, browser_, &QTextBrowser::backward);
  connect(forward_, &QAction::triggered, browser_, &QTextBrowser::forward);
  connect(home, &QAction::triggered, this,
          [this] { browser_->setSource(QUrl::fromLocalFile(home_)); });
  connect(browser_, &QTextBrowser::backwardAvailable, back_, &QAction::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QAction::setEnabled);
  connect(browser_, &QTextBrowser::anchorClicked, this, &HelpWindow::follow);
  connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
    const QString title = browser_->documentTitle();
    setWindowTitle(title.isEmpty() ? QString("Zendra Help") : "Zendra Help - " + title);
  });
}

void HelpWindow::showPage(const QString& folder, const QString& page) {
  home_ = QDir(folder).filePath("index.html");
  browser_->setSource(QUrl::fromLocalFile(QDir(folder).filePath(page)));
}

QUrl HelpWindow::source() const {
  return browser_->source();
}

void HelpWindow::follow(const QUrl& link) {
  const QUrl target = browser_->source().resolved(link);
  if (target.isLocalFile()) {
    browser_->setSource(target);
  } else {
    QDesktopServices::openUrl(target);
  }
}

}  // namespace zendra
