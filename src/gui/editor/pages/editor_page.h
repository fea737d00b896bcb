#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "gui/editor/editor_context.h"

class QLineEdit;
class QPlainTextEdit;
class QTextDocument;
class QTextEdit;

namespace zendra {

class Command;

// One page of the editor window. load() fills the controls from the document and never
// writes it; shown() runs when the page becomes the current one. A page changes the
// table only through commands pushed on the window's history (push()), and its change
// handlers do nothing while loading() is true, so filling controls never counts as a
// change. After an undo or redo the window calls load() again, so the controls show the
// table as it is.
class EditorPage : public QWidget {
 public:
  EditorPage(EditorContext& editor, QWidget* parent) : QWidget(parent), editor_(editor) {}

  virtual void load() {}
  virtual void shown() {}

 protected:
  bool loading() const { return loading_ > 0; }
  // Held while controls are filled from the document.
  class LoadGuard {
   public:
    explicit LoadGuard(EditorPage& page) : page_(page) { ++page_.loading_; }
    ~LoadGuard() { --page_.loading_; }
    LoadGuard(const LoadGuard&) = delete;
    LoadGuard& operator=(const LoadGuard&) = delete;

   private:
    EditorPage& page_;
  };

  // Does a step through the window's history.
  void push(std::unique_ptr<Command> step);

  // Calls write for every change the user types into a box (never for text set from
  // code, nor while loading), with a typing session that stays the same until the box
  // loses the focus: steps of one session merge into one undo step.
  using TypingHandler = std::function<void(const QString& text, std::uint64_t session)>;
  void onTyping(QLineEdit* box, TypingHandler write);
  void onTyping(QTextEdit* box, TypingHandler write);
  void onTyping(QPlainTextEdit* box, TypingHandler write);
  // The text of a multi-line box as typed: lines joined by "\n", every other character as
  // it is (toPlainText would turn non-breaking spaces into blanks).
  static QString typedText(const QTextDocument& document);

  EditorContext& editor_;

 private:
  int loading_ = 0;
};

}  // namespace zendra
