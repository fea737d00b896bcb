#include "editor/ui/pages/editor_page.h"

#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTextEdit>

#include "editor/command.h"
#include "editor/field_commands.h"

namespace zendra {
namespace {

// Ends the typing session of a box when it loses the focus.
class SessionEnd : public QObject {
 public:
  SessionEnd(QWidget* box, std::shared_ptr<std::uint64_t> session)
      : QObject(box), session_(std::move(session)) {
    box->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::FocusOut) *session_ = 0;
    return false;
  }

 private:
  std::shared_ptr<std::uint64_t> session_;
};

}  // namespace

void EditorPage::push(std::unique_ptr<Command> step) {
  editor_.push(std::move(step));
}

void EditorPage::onTyping(QLineEdit* box, TypingHandler write) {
  auto session = std::make_shared<std::uint64_t>(0);
  new SessionEnd(box, session);
  connect(box, &QLineEdit::editingFinished, this, [session] { *session = 0; });
  // textEdited comes from the user only, never from setText.
  connect(box, &QLineEdit::textEdited, this, [this, session, write](const QString& text) {
    if (loading()) return;
    if (*session == 0) *session = newTypingSession();
    write(text, *session);
  });
}

void EditorPage::onTyping(QTextEdit* box, TypingHandler write) {
  auto session = std::make_shared<std::uint64_t>(0);
  new SessionEnd(box, session);
  // A text edit tells every change, also one made by code: loading() keeps those out.
  connect(box, &QTextEdit::textChanged, this, [this, box, session, write] {
    if (loading()) return;
    if (*session == 0) *session = newTypingSession();
    write(box->toPlainText(), *session);
  });
}

void EditorPage::onTyping(QPlainTextEdit* box, TypingHandler write) {
  auto session = std::make_shared<std::uint64_t>(0);
  new SessionEnd(box, session);
  connect(box, &QPlainTextEdit::textChanged, this, [this, box, session, write] {
    if (loading()) return;
    if (*session == 0) *session = newTypingSession();
    // toPlainText would turn non-breaking spaces into blanks.
    QString text = box->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, '\n').replace(QChar::LineSeparator, '\n');
    write(text, *session);
  });
}

}  // namespace zendra
