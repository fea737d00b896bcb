#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/editor/command.h"
#include "core/model/vexa_mess.h"

namespace zendra {

// Sets fields of the table in one step: the text of a box, a flag, or a check box that
// sets its own field and empties another. Each field comes with the object that holds
// it (a shared variable, value or content set; none for the document itself), which the
// step keeps alive. The value a field had is taken when the step is first done, and undo
// puts it back.
//
// Typing in one box is one step until the box loses the focus: steps made with the same
// non-zero typing session and the same fields merge, the later one's new values winning.
template <typename T>
class SetFieldsCommand : public Command {
 public:
  struct Change {
    std::shared_ptr<void> owner;  // keeps the field's object alive; may be empty
    T* field;
    T after;
  };

  SetFieldsCommand(std::string text, std::vector<Change> changes, std::uint64_t session = 0,
                   std::function<void()> afterChange = {})
      : text_(std::move(text)),
        changes_(std::move(changes)),
        session_(session),
        afterChange_(std::move(afterChange)) {}

  void redo() override {
    if (before_.size() != changes_.size()) {
      before_.clear();
      for (const Change& c : changes_) before_.push_back(*c.field);
    }
    for (const Change& c : changes_) *c.field = c.after;
    if (afterChange_) afterChange_();
  }
  void undo() override {
    for (std::size_t i = changes_.size(); i-- > 0;) *changes_[i].field = before_[i];
    if (afterChange_) afterChange_();
  }
  std::string text() const override { return text_; }
  int id() const override { return session_ ? kTypingId : -1; }
  bool mergeWith(const Command& next) override {
    const auto* other = dynamic_cast<const SetFieldsCommand*>(&next);
    if (!other || other->session_ != session_ || other->changes_.size() != changes_.size()) {
      return false;
    }
    for (std::size_t i = 0; i < changes_.size(); ++i) {
      if (other->changes_[i].field != changes_[i].field) return false;
    }
    for (std::size_t i = 0; i < changes_.size(); ++i) changes_[i].after = other->changes_[i].after;
    return true;
  }
  bool changesNothing() const override {
    for (std::size_t i = 0; i < changes_.size(); ++i) {
      const T& was = i < before_.size() ? before_[i] : *changes_[i].field;
      if (!(was == changes_[i].after)) return false;
    }
    return true;
  }
  std::size_t memoryBytes() const override {
    std::size_t bytes = sizeof(*this) + text_.size();
    for (std::size_t i = 0; i < changes_.size(); ++i) {
      bytes += sizeof(Change) + sizeOf(changes_[i].after) + sizeof(T);
      if (i < before_.size()) bytes += sizeOf(before_[i]);
    }
    return bytes;
  }

  // The id shared by every typing step; merging then compares the session.
  static constexpr int kTypingId = 1001;

 private:
  static std::size_t sizeOf(const std::string& s) { return s.capacity(); }
  template <typename U>
  static std::size_t sizeOf(const U&) {
    return 0;
  }

  std::string text_;
  std::vector<Change> changes_;
  std::vector<T> before_;
  std::uint64_t session_;
  std::function<void()> afterChange_;
};

using SetTextCommand = SetFieldsCommand<std::string>;

// A new typing session: steps of one session in one box merge into one.
std::uint64_t newTypingSession();

// The largest PRECISION of any value; 0 when none is set. A text that is not a number
// counts as no precision, as in VexaMess::setSaveDecimals.
int highestPrecision(const VexaMess& doc);

// DECIMALS chosen in the list: never fewer than the highest PRECISION. None when that
// is what the table has already.
std::unique_ptr<Command> makeDecimalsCommand(VexaMess& doc, int chosen);

// A value's PRECISION: DECIMALS follows the highest precision upwards; undo gives
// DECIMALS back as it was. The decimals the cells are stored with follow as part of the
// step (see SettledStep).
class SetPrecisionCommand : public SetTextCommand {
 public:
  SetPrecisionCommand(VexaMess& doc, const ValueRef& value, std::string precision);
  void redo() override;
  void undo() override;

 private:
  VexaMess& doc_;
  std::int16_t decimalsBefore_ = 0;
};

}  // namespace zendra
