#include "core/editor/field_commands.h"

#include <algorithm>
#include <atomic>

#include "core/model/numeric_text.h"

namespace zendra {

std::uint64_t newTypingSession() {
  static std::atomic<std::uint64_t> next{0};
  return ++next;
}

int highestPrecision(const VexaMess& doc) {
  int highest = 0;
  for (const auto& variable : doc.Dimensions) {
    for (const auto& value : variable->ValueCode) {
      std::int16_t p = 0;
      if (!value->Precision.empty() && parseInt16(value->Precision, p)) {
        highest = std::max<int>(highest, p);
      }
    }
  }
  return highest;
}

std::unique_ptr<Command> makeDecimalsCommand(VexaMess& doc, int chosen) {
  const auto decimals = static_cast<std::int16_t>(std::max(chosen, highestPrecision(doc)));
  if (decimals == doc.Decimaler) return nullptr;
  return std::make_unique<SetFieldsCommand<std::int16_t>>(
      "Decimals",
      std::vector<SetFieldsCommand<std::int16_t>::Change>{{{}, &doc.Decimaler, decimals}});
}

SetPrecisionCommand::SetPrecisionCommand(VexaMess& doc, const ValueRef& value,
                                         std::string precision)
    : SetTextCommand("Precision", {{value, &value->Precision, std::move(precision)}}), doc_(doc) {}

void SetPrecisionCommand::redo() {
  decimalsBefore_ = doc_.Decimaler;
  SetTextCommand::redo();
  doc_.Decimaler = doc_.storedDecimals();
}

void SetPrecisionCommand::undo() {
  SetTextCommand::undo();
  doc_.Decimaler = decimalsBefore_;
}

}  // namespace zendra
