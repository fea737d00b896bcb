#include "core/model/value_and_code.h"

#include <atomic>

namespace zendra {
namespace {

std::int32_t nextUid() {
  static std::atomic<std::int32_t> counter{0};
  return counter.fetch_add(1, std::memory_order_relaxed) + 1;
}

}  // namespace

ValueAndCode::ValueAndCode() : UID(nextUid()) {}

ValueAndCode::ValueAndCode(std::string valueText, std::string codeText)
    : value(std::move(valueText)), code(std::move(codeText)), UID(nextUid()) {}

std::shared_ptr<ValueAndCode> ValueAndCode::create(std::string valueText, std::string codeText) {
  return std::make_shared<ValueAndCode>(std::move(valueText), std::move(codeText));
}

void ValueAndCode::makecopy(const ValueAndCode& source) {
  if (&source == this) return;
  value = source.value;
  code = source.code;
  Precision = source.Precision;
  Note = source.Note;
  Notex = source.Notex;
  TimeVal = source.TimeVal;
  TimeCode = source.TimeCode;
  if (source.ContentData) {
    ContentData = std::make_shared<zendra::ContentData>();
    ContentData->makecopy(*source.ContentData);
  }
}

}  // namespace zendra
