#pragma once

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <cstring>
#include <string>

#include "core/model/prompt.h"

// What the editor's dialog tests do to a dialog as a user does, and read back from the
// prompt that showed its messages.
namespace zendra::test {

// Clicks the dialog's button of this name; "Escape" presses the Escape key instead.
inline void press(QWidget& dialog, const char* button) {
  if (std::strcmp(button, "Escape") == 0) return QTest::keyClick(&dialog, Qt::Key_Escape);
  auto* widget = dialog.findChild<QPushButton*>(button);
  ASSERT_TRUE(widget) << button;
  widget->click();
}

// Every text the prompt was shown, each followed by ";".
inline std::string shown(const ScriptedPrompt& prompt) {
  std::string out;
  for (const auto& question : prompt.asked) out += question.text + ";";
  return out;
}

}  // namespace zendra::test
