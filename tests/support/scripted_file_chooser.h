#pragma once

#include <QString>
#include <deque>
#include <vector>

#include "gui/shared/gui_services.h"

namespace zendra::test {

// A file and folder chooser that answers from a script, in order, and an empty text
// (the user cancelled) once the script is used up. It remembers every request.
class ScriptedFileChooser : public FileChooser {
 public:
  enum class Kind { Open, Save, Folder };
  struct Call {
    Kind kind;
    Request request;  // a folder request holds its title and its start folder only
  };

  void script(const QString& answer) { answers_.push_back(answer); }

  QString openFile(QWidget*, const Request& request) override {
    return answer(Kind::Open, request);
  }
  QString saveFile(QWidget*, const Request& request) override {
    return answer(Kind::Save, request);
  }
  QString chooseFolder(QWidget*, const QString& title, const QString& start) override {
    Request request;
    request.title = title;
    request.folder = start;
    return answer(Kind::Folder, request);
  }

  std::vector<Call> calls;

 private:
  QString answer(Kind kind, const Request& request) {
    calls.push_back({kind, request});
    if (answers_.empty()) return {};
    QString a = answers_.front();
    answers_.pop_front();
    return a;
  }

  std::deque<QString> answers_;
};

}  // namespace zendra::test
