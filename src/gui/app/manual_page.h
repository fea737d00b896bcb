#pragma once

#include <QString>

namespace zendra {

// The manual's page for an editor page (frmCreateVq::Page), relative to the manual's
// folder; the index for anything else.
QString manualPageFor(int editorPage);

}  // namespace zendra
