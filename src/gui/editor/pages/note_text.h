#pragma once

#include <QString>
#include <string>

#include "gui/shared/gui_services.h"

namespace zendra {

// A note holds its line breaks as CR LF, as the reader makes them; its box shows them as
// line breaks.
inline QString noteForBox(const std::string& note) {
  return qs(note).replace("\r\n", "\n");
}
inline std::string noteFromBox(const QString& text) {
  return stdString(QString(text).replace('\n', "\r\n"));
}

}  // namespace zendra
