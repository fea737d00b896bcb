#pragma once

#include <QWidget>

#include "editor/ui/editor_context.h"

namespace zendra {

// One page of the editor window. load() fills the controls from the document and never
// writes it; shown() runs when the page becomes the current one. A page changes the
// table only through commands pushed on the window's history, and its change handlers
// do nothing while loading() is true, so filling controls never counts as a change.
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

  EditorContext& editor_;

 private:
  int loading_ = 0;
};

}  // namespace zendra
