#pragma once

#include <QDialog>
#include <QMdiSubWindow>
#include <QString>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "gui/app/mdi_form.h"
#include "gui/editor/frm_create_vq.h"
#include "gui/shared/app_context.h"
#include "support/scripted_file_chooser.h"
#include "support/temp_folder.h"

// A main window with scripted questions and file choices, in a configuration folder of its
// own, for tests that open a table in an editor window and drive its pages.
namespace zendra::test {

struct EditorWindowFrame {
  TempFolder home;
  AppContext ctx;
  ScriptedPrompt prompt{Prompt::Answer::Ok};
  ScriptedFileChooser files;
  int quits = 0;
  // Answers a modal dialog the program runs (none by default: it is left as it is).
  std::function<void(QDialog&)> answer;
  std::unique_ptr<MDIForm1> window;

  EditorWindowFrame() {
    ctx.prompt = &prompt;
    ctx.files = &files;
    ctx.quit = [this] { ++quits; };
    ctx.runDialog = [this](QDialog& dialog) {
      if (answer) answer(dialog);
      return 0;
    };
    window = std::make_unique<MDIForm1>(ctx);
  }
  // Opens a file: a bare name is one of the fixture files, else a full path.
  frmCreateVq* open(const std::string& file) {
    const QString path = QString::fromStdString(
        file.find('/') == std::string::npos ? std::string(ZENDRA_TEST_DATA) + "/" + file : file);
    return window->openPath(path, false) ? window->editors().last() : nullptr;
  }
  // Opens a table file with this text, written into the folder under name.
  frmCreateVq* openText(const std::string& text, const std::string& name = "table.vq") {
    return open(home.write(name, text).string());
  }
  // Saves under a new name in the folder ("Save as") and returns the file's path.
  std::string saveAs(frmCreateVq* editor, const std::string& name) {
    files.script(QString::fromStdString(home.file(name)));
    return editor->savefile(1) ? home.file(name) : std::string();
  }
  bool asked(const std::string& text) const {
    return std::ranges::any_of(prompt.asked, [&](const auto& q) { return q.text == text; });
  }
  static void close(frmCreateVq* editor) {
    qobject_cast<QMdiSubWindow*>(editor->parentWidget())->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
};

// A wrapped text as it was before the writer wrapped it: the writer keeps one space after the
// last word of every piece, and reading the file back keeps that space.
inline std::string unwrapped(std::string text) {
  for (auto at = text.find(" \r\n"); at != std::string::npos; at = text.find(" \r\n", at)) {
    text.erase(at, 1);
  }
  if (text.ends_with(' ')) text.pop_back();
  return text;
}

}  // namespace zendra::test
