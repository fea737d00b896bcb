#include "gui/editor/pages/editor_page.h"

#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTextEdit>

#include "core/editor/command.h"
#include "core/editor/field_commands.h"

namespace zendra {
namespace {

// Ends the typing session of a box when it loses the focus, and leaves the undo and redo
// keys to the window: what is typed in a box is a step of the table's history, so the
// box's own undo would only take back part of what the history holds.
class SessionEnd : public QObject {
 public:
  SessionEnd(QWidget* box, std::shared_ptr<std::uint64_t> session)
      : QObject(box), session_(std::move(session)) {
    box->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::FocusOut) *session_ = 0;
    if (event->type() == QEvent::ShortcutOverride) {
      auto* key = static_cast<QKeyEvent*>(event);
      const QKeySequence pressed(key->keyCombination());
      if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
          pressed == QKeySequence(Qt::CTRL | Qt::Key_Y) ||
          pressed == QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)) {
        event->ignore();
        return true;  // the box does not claim the key: the window's Undo or Redo runs
      }
    }
    return false;
  }

 private:
  std::shared_ptr<std::uint64_t> session_;
};

}  // namespace

QString EditorPage::typedText(const QTextDocument& document) {
  QString text = document.toRawText();
  text.replace(QChar::ParagraphSeparator, '\n').replace(QChar::LineSeparator, '\n');
  return text;
}

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
    write(typedText(*box->document()), *session);
  });
}

void EditorPage::onTyping(QPlainTextEdit* box, TypingHandler write) {
  auto session = std::make_shared<std::uint64_t>(0);
  new SessionEnd(box, session);
  connect(box, &QPlainTextEdit::textChanged, this, [this, box, session, write] {
    if (loading()) return;
    if (*session == 0) *session = newTypingSession();
    write(typedText(*box->document()), *session);
  });
}

}  // namespace zendra
