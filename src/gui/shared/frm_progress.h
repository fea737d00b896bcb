#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QtGlobal>

#include "core/model/prompt.h"

class QProgressBar;

namespace zendra {

// The window shown while a table file loads: a bar that follows the position in the file
// and a Cancel button. Not modal: the loader runs on and lets the window's events through
// now and then (see ProgressPrompt).
class frmProgress : public QDialog {
  Q_OBJECT

 public:
  explicit frmProgress(QWidget* parent = nullptr);

  int cancel = 0;        // 9999 once the user asked to cancel
  qint64 threshold = 0;  // TestNew moves the bar only past this count

  // Starts a file of length bytes: the bar's end is the length and its position 1.
  void setMaximum(qint64 length);
  // Moves the bar to count when count has passed the threshold, which then grows by a
  // hundredth of the length: the bar is redrawn about a hundred times per file.
  void TestNew(qint64 count);

  qint64 maximum() const { return maximum_; }
  qint64 position() const { return position_; }

  // Escape and the close box ask to cancel, as the Cancel button does; the window stays
  // until the loader has stopped and the caller closes it.
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void requestCancel();
  void showPosition();

  QProgressBar* bar_;
  qint64 maximum_ = 0;
  qint64 position_ = 0;
  qint64 scale_ = 1;  // bar units are bytes / scale_, so that the bar's int range holds them
};

// What the loader talks to while a file loads into an editor window: progress and
// cancelling through the progress window, questions through the prompt that shows message
// boxes.
class ProgressPrompt : public Prompt {
 public:
  ProgressPrompt(frmProgress& window, Prompt& questions);

  Answer ask(std::string_view text, std::string_view title, Buttons buttons, Icon icon) override;
  // A new total starts the bar again; then the bar follows position.
  void progress(std::int64_t position, std::int64_t total) override;
  // Lets pending events through (repaints, the Cancel click), at most about every 50 ms so
  // that a load is not slowed by them.
  void breathe() override;
  bool cancelled() const override;

 private:
  frmProgress& window_;
  Prompt& questions_;
  std::int64_t total_ = -1;
  QElapsedTimer sinceBreath_;
};

}  // namespace zendra
