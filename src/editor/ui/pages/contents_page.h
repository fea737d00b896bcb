#pragma once

#include "editor/ui/pages/editor_page.h"

namespace zendra {

// "&Contents": the content variable and the content metadata. Its controls arrive with their
// editing work; until then the page is empty.
class ContentsPage : public EditorPage {
 public:
  using EditorPage::EditorPage;
};

}  // namespace zendra
