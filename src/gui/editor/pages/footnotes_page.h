#pragma once

#include <memory>

#include "gui/editor/pages/editor_page.h"

namespace Ui {
class FootnotesPage;
}

namespace zendra {

// "Foot&notes": source, database, copyright and the table's two notes. Each text has a check
// box that shows or hides its box; hiding keeps the text, which is still written. A note's line
// breaks are CR LF in the table, as the reader makes them, and line breaks in its box.
class FootnotesPage : public EditorPage {
 public:
  FootnotesPage(EditorContext& editor, QWidget* parent);
  ~FootnotesPage() override;

  void load() override;

 private:
  void fitNotes();

  std::unique_ptr<Ui::FootnotesPage> ui_;
};

}  // namespace zendra
