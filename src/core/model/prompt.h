#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace zendra {

// How the core asks the user something, tells them something, reports progress and
// lets the user interface breathe during long work. The desktop program answers with
// message boxes and its progress window; the command-line companion and the tests
// answer from a script.
class Prompt {
 public:
  enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
  enum class Icon { None, Information, Question, Exclamation, Critical };
  enum class Answer { Ok, Cancel, Yes, No };

  virtual ~Prompt() = default;

  // Shows text (lines separated by "\n") under title and returns the button chosen.
  virtual Answer ask(std::string_view text, std::string_view title, Buttons buttons, Icon icon) = 0;
  void message(std::string_view text, std::string_view title, Icon icon = Icon::None) {
    ask(text, title, Buttons::Ok, icon);
  }

  // Long work reports how far it has come (position of total); callers throttle.
  virtual void progress(std::int64_t position, std::int64_t total) {
    (void)position;
    (void)total;
  }
  // Lets the user interface process pending events (repaints, the Cancel button).
  virtual void breathe() {}
  // True once the user asked to cancel the work in progress.
  virtual bool cancelled() const { return false; }
};

// Answers from a list given in advance (then a fixed default) and remembers every
// question, for the command-line companion and the tests.
class ScriptedPrompt : public Prompt {
 public:
  explicit ScriptedPrompt(Answer fallback = Answer::Ok) : fallback_(fallback) {}

  void script(Answer a) { answers_.push_back(a); }
  Answer ask(std::string_view text, std::string_view title, Buttons, Icon) override {
    asked.push_back({std::string(text), std::string(title)});
    if (answers_.empty()) return fallback_;
    const Answer a = answers_.front();
    answers_.pop_front();
    return a;
  }
  void progress(std::int64_t position, std::int64_t total) override {
    ++progressReports;
    lastProgress = position;
    lastTotal = total;
  }
  void breathe() override {
    ++breaths;
    if (cancelAfterBreaths >= 0 && breaths >= cancelAfterBreaths) cancelled_ = true;
  }
  bool cancelled() const override { return cancelled_; }
  void cancel() { cancelled_ = true; }

  struct Question {
    std::string text;
    std::string title;
  };
  std::vector<Question> asked;
  std::int64_t progressReports = 0;
  std::int64_t lastProgress = 0;
  std::int64_t lastTotal = 0;
  std::int64_t breaths = 0;
  std::int64_t cancelAfterBreaths = -1;  // cancel at that many breaths; -1 never

 private:
  Answer fallback_;
  std::deque<Answer> answers_;
  bool cancelled_ = false;
};

}  // namespace zendra
