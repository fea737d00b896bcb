#include "gui/shared/frm_progress.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

namespace zendra {
namespace {

constexpr int kCancelled = 9999;
constexpr qint64 kBreathMs = 50;

}  // namespace

frmProgress::frmProgress(QWidget* parent) : QDialog(parent) {
  setObjectName("frmProgress");
  setWindowTitle("Loading datafile");
  setModal(false);

  bar_ = new QProgressBar(this);
  bar_->setObjectName("ProgressBar1");
  bar_->setRange(0, 0);
  bar_->setTextVisible(false);
  bar_->setMinimumWidth(320);

  auto* cancelButton = new QPushButton("Cancel", this);
  cancelButton->setObjectName("cmdCancel");
  connect(cancelButton, &QPushButton::clicked, this, &frmProgress::requestCancel);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cancelButton);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(bar_);
  layout->addLayout(buttons);
}

void frmProgress::setMaximum(qint64 length) {
  maximum_ = std::max<qint64>(length, 0);
  threshold = 0;
  constexpr qint64 barMax = std::numeric_limits<int>::max();
  scale_ = maximum_ / barMax + 1;
  bar_->setRange(0, static_cast<int>(maximum_ / scale_));
  position_ = std::min<qint64>(1, maximum_);
  showPosition();
}

void frmProgress::TestNew(qint64 count) {
  if (count <= threshold) return;
  position_ = std::clamp<qint64>(count, 0, maximum_);
  showPosition();
  // At least one byte, or a file shorter than 100 bytes would redraw on every call.
  threshold += std::max<qint64>(maximum_ / 100, 1);
}

void frmProgress::showPosition() {
  bar_->setValue(static_cast<int>(position_ / scale_));
}

void frmProgress::requestCancel() {
  cancel = kCancelled;
}

void frmProgress::reject() {
  requestCancel();
}

void frmProgress::closeEvent(QCloseEvent* event) {
  if (event->spontaneous()) {
    requestCancel();
    event->ignore();
    return;
  }
  // The program closes the window itself once a load is over; that is no cancel.
  QWidget::closeEvent(event);
}

ProgressPrompt::ProgressPrompt(frmProgress& window, Prompt& questions)
    : window_(window), questions_(questions) {}

Prompt::Answer ProgressPrompt::ask(std::string_view text, std::string_view title, Buttons buttons,
                                   Icon icon) {
  return questions_.ask(text, title, buttons, icon);
}

void ProgressPrompt::progress(std::int64_t position, std::int64_t total) {
  if (total != total_) {
    total_ = total;
    window_.setMaximum(total);
  }
  window_.TestNew(position);
}

void ProgressPrompt::breathe() {
  if (sinceBreath_.isValid() && sinceBreath_.elapsed() < kBreathMs) return;
  QCoreApplication::processEvents();
  sinceBreath_.restart();
}

bool ProgressPrompt::cancelled() const {
  return window_.cancel != 0;
}

}  // namespace zendra
