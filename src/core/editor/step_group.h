#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/editor/command.h"

namespace zendra {

// Several steps done as one: redo does them in order, undo takes them back in reverse,
// so that one user action of several fields (of different types, or a new value with its
// first field) is one step of the history.
class StepGroup : public Command {
 public:
  StepGroup(std::string text, std::vector<std::unique_ptr<Command>> steps)
      : text_(std::move(text)), steps_(std::move(steps)) {}

  void redo() override {
    for (auto& step : steps_) step->redo();
  }
  void undo() override {
    for (auto it = steps_.rbegin(); it != steps_.rend(); ++it) (*it)->undo();
  }
  std::string text() const override { return text_; }
  std::size_t memoryBytes() const override {
    std::size_t bytes = sizeof(*this) + text_.capacity();
    for (const auto& step : steps_) bytes += step->memoryBytes();
    return bytes;
  }
  bool undoable() const override {
    return std::all_of(steps_.begin(), steps_.end(), [](const auto& s) { return s->undoable(); });
  }
  bool changesNothing() const override {
    return std::all_of(steps_.begin(), steps_.end(),
                       [](const auto& s) { return s->changesNothing(); });
  }

 private:
  std::string text_;
  std::vector<std::unique_ptr<Command>> steps_;
};

}  // namespace zendra
