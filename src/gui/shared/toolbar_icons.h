#pragma once

#include <QIcon>

namespace zendra {

// The icon of a toolbar button by its freedesktop icon name ("document-new",
// "document-open", "edit-copy", "edit-paste", "document-save", "help-contents"): the
// desktop's icon theme when it has one, else a drawing of the program's own that reads as
// the same thing. Any other name gives an empty icon.
QIcon toolbarIcon(const char* name);

}  // namespace zendra
