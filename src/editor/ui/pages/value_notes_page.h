#pragma once

#include "editor/ui/pages/editor_page.h"

namespace zendra {

// "Va&lueNotes": the notes of variables and values. Its controls arrive with their editing work;
// until then the page is empty.
class ValueNotesPage : public EditorPage {
 public:
  using EditorPage::EditorPage;
};

}  // namespace zendra
