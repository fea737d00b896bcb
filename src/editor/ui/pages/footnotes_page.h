#pragma once

#include "editor/ui/pages/editor_page.h"

namespace zendra {

// "Foot&notes": source, database, copyright and the table notes. Its controls arrive with their
// editing work; until then the page is empty.
class FootnotesPage : public EditorPage {
 public:
  using EditorPage::EditorPage;
};

}  // namespace zendra
