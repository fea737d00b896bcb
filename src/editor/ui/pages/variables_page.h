#pragma once

#include "editor/ui/pages/editor_page.h"

namespace zendra {

// "V&ariables": the variable tree, the value grid and the variable properties. Its controls arrive
// with their editing work; until then the page is empty.
class VariablesPage : public EditorPage {
 public:
  using EditorPage::EditorPage;
};

}  // namespace zendra
