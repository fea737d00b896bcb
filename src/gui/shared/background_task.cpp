#include "gui/shared/background_task.h"

#include <QApplication>
#include <QEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

#include "core/format/reader.h"
#include "gui/shared/frm_progress.h"
#include "gui/shared/gui_services.h"

namespace zendra {
namespace {

// How long work runs before the progress window shows, so that quick work does not flash
// it; and how often the window looks at the work's progress.
constexpr int kShowAfterMs = 300;
constexpr int kLookEveryMs = 40;

// The prompt the work talks to from its own thread: progress and the cancel request are
// shared through atomics; questions go to the GUI thread and wait for the answer.
class WorkerPrompt : public Prompt {
 public:
  explicit WorkerPrompt(Prompt& questions) : questions_(questions) {}

  Answer ask(std::string_view text, std::string_view title, Buttons buttons, Icon icon) override {
    Answer answer = Answer::Cancel;
    const std::string t(text), c(title);
    QMetaObject::invokeMethod(
        qApp, [&] { answer = questions_.ask(t, c, buttons, icon); },
        Qt::BlockingQueuedConnection);
    return answer;
  }
  void progress(std::int64_t position, std::int64_t total) override {
    position_.store(position);
    total_.store(total);
  }
  bool cancelled() const override { return cancelled_.load(); }

  void cancel() { cancelled_.store(true); }
  std::int64_t position() const { return position_.load(); }
  std::int64_t total() const { return total_.load(); }

 private:
  Prompt& questions_;
  std::atomic<std::int64_t> position_{0};
  std::atomic<std::int64_t> total_{-1};
  std::atomic<bool> cancelled_{false};
};

// Takes every click, key and close meant for the program's other windows while work runs,
// from its first moment (the progress window shows only later): nothing can start a second
// piece of work, or change what the running one uses, on top of it.
class InputBlocker : public QObject {
 public:
  explicit InputBlocker(const QWidget& allowed) : allowed_(allowed) {
    qApp->installEventFilter(this);
  }
  ~InputBlocker() override { qApp->removeEventFilter(this); }
  InputBlocker(const InputBlocker&) = delete;
  InputBlocker& operator=(const InputBlocker&) = delete;

 protected:
  bool eventFilter(QObject* target, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::Wheel:
      case QEvent::Close:
      case QEvent::Drop:
        break;
      default:
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(target);
    if (widget && (widget == &allowed_ || allowed_.isAncestorOf(widget))) return false;
    event->ignore();
    return true;
  }

 private:
  const QWidget& allowed_;
};

}  // namespace

void RunInBackground(QWidget* parent, Prompt& questions, const QString& caption,
                     const std::function<void(Prompt&)>& work) {
  frmProgress window(parent);
  window.setWindowTitle(caption);
  // The window is modal while the work runs: clicks reach only its Cancel.
  window.setWindowModality(Qt::ApplicationModal);
  WorkerPrompt prompt(questions);
  const InputBlocker blocker(window);
  QEventLoop loop;
  std::atomic<bool> done{false};
  QApplication::setOverrideCursor(Qt::BusyCursor);
  // What the work throws reaches the caller as from a call on its own thread.
  std::exception_ptr thrown;
  std::thread worker([&] {
    try {
      work(prompt);
    } catch (...) {
      thrown = std::current_exception();
    }
    done.store(true);
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  QElapsedTimer running;
  running.start();
  std::int64_t shownTotal = -1;
  QTimer look;
  look.setInterval(kLookEveryMs);
  QObject::connect(&look, &QTimer::timeout, [&] {
    if (window.cancel != 0) prompt.cancel();
    if (!window.isVisible() && running.elapsed() >= kShowAfterMs && !done.load()) window.show();
    const std::int64_t total = prompt.total();
    if (total != shownTotal) {
      shownTotal = total;
      if (total > 0) window.setMaximum(total);
    }
    if (total > 0) window.TestNew(prompt.position());
  });
  look.start();
  if (!done.load()) loop.exec();
  worker.join();
  look.stop();
  window.close();
  QApplication::restoreOverrideCursor();
  if (thrown) std::rethrow_exception(thrown);
}

DbResult RunOnDatabase(QWidget* parent, Prompt& questions, clsAnyDatabase& db,
                       const std::function<DbResult()>& work) {
  DbResult result;
  RunInBackground(parent, questions, "Reading database", [&](Prompt& prompt) {
    db.setPrompt(&prompt);
    result = work();
    db.setPrompt(&questions);
  });
  return result;
}

void TellDamage(Prompt& prompt, const clsAnyDatabase& db, std::size_t& first) {
  const std::vector<ReadWarning>& warnings = db.ReadWarnings();
  if (first > warnings.size()) first = 0;  // the database was opened again since
  const std::string report = DamageReport(warnings, first);
  first = warnings.size();
  if (report.empty()) return;
  prompt.message(db.DBFile() + ": " + report, kProgramTitle, Prompt::Icon::Exclamation);
}

}  // namespace zendra
