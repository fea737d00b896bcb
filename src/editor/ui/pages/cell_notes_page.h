#pragma once

#include "editor/ui/pages/editor_page.h"

namespace zendra {

// "CellN&otes": the cell notes. Its controls arrive with their editing work; until
// then the page is empty.
class CellNotesPage : public EditorPage {
 public:
  using EditorPage::EditorPage;
};

}  // namespace zendra
