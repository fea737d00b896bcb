#include "core/model/vexa_mess.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/model/numeric_text.h"
#include "core/model/text_compare.h"

namespace zendra {
namespace {

std::int32_t codeIndex(const DimensionDataColl& side, std::string_view text,
                       std::int32_t position) {
  const auto variable = side.Item(position);
  if (!variable) return -1;
  std::int32_t index = 0;
  for (const auto& value : variable->ValueCode) {
    const std::string& key = variable->UseCodes ? value->code : value->value;
    if (key == text) return index;
    ++index;
  }
  return -1;
}

}  // namespace

std::int64_t saturatingMultiply(std::int64_t a, std::int64_t b) {
  if (a <= 0 || b <= 0) return 0;
  if (a > kCountLimit / b) return kCountLimit;
  return std::min(a * b, kCountLimit);
}

std::int64_t valueCountProduct(const DimensionDataColl& variables) {
  std::int64_t product = 1;
  for (const auto& v : variables) product = saturatingMultiply(product, v->ValueCode.Count());
  return product;
}

bool parseInt16(std::string_view text, std::int16_t& out) {
  double number = 0;
  if (!parseNumeric(text, ".", number)) return false;
  // The current rounding mode is to nearest with halves to even, as the classic integer
  // conversion of text rounds.
  const double whole = std::nearbyint(number);
  if (whole < std::numeric_limits<std::int16_t>::min() ||
      whole > std::numeric_limits<std::int16_t>::max()) {
    return false;
  }
  out = static_cast<std::int16_t>(whole);
  return true;
}

VexaMess::VexaMess()
    : ContData(std::make_shared<zendra::ContentData>()), AllVals(ValueAndCode::create("*")) {}

void VexaMess::raise(std::int16_t eventType, std::int32_t StubOrHead) {
  std::int16_t dimtype = 0;
  if (StubOrHead != 0) {
    const bool fits = StubOrHead >= std::numeric_limits<std::int16_t>::min() &&
                      StubOrHead <= std::numeric_limits<std::int16_t>::max();
    dimtype = fits ? static_cast<std::int16_t>(StubOrHead) : 1;
  }
  DimensionChanged.notify(eventType, dimtype);
}

DimensionRef VexaMess::place(DimensionRef variable, std::int32_t StubOrHead, bool asTime) {
  if (!variable || Dimensions.Contains(variable->name) || Dimensions.IndexOf(variable.get()) != 0) {
    return nullptr;
  }
  const std::int32_t stubCount = colStub.Count();
  if (StubOrHead == 0) {
    Dimensions.Add(variable, variable->name, stubCount);
    colStub.Add(variable, variable->name, -1);
  } else if (asTime) {
    Dimensions.Add(variable, variable->name, stubCount);
    colHeading.Add(variable, variable->name, 0);
  } else {
    Dimensions.Add(variable, variable->name, -1);
    colHeading.Add(variable, variable->name, -1);
  }
  return variable;
}

DimensionRef VexaMess::addDimension(const std::string& name, std::int32_t StubOrHead) {
  auto variable = place(DimensionData::create(name), StubOrHead, false);
  if (variable) raise(1, StubOrHead);
  return variable;
}

DimensionRef VexaMess::addTimeDimension(const std::string& name, std::int32_t StubOrHead,
                                        const std::string& code, const std::string& text) {
  auto variable = place(DimensionData::create(name), StubOrHead, true);
  if (!variable) return nullptr;
  auto value = variable->addVal();
  value->code = code;
  value->value = text;
  raise(4, StubOrHead);
  return variable;
}

DimensionRef VexaMess::insertDimension(DimensionRef variable, std::int32_t StubOrHead) {
  auto placed = place(std::move(variable), StubOrHead, false);
  if (placed) raise(1, StubOrHead);
  return placed;
}

bool VexaMess::RemoveDimension(std::int32_t StubOrHead, std::int32_t position) {
  DimensionDataColl& side = StubOrHead == 0 ? colStub : colHeading;
  const auto variable = side.Item(position);
  if (!variable) return false;
  Dimensions.Remove(Dimensions.IndexOf(variable.get()));
  side.Remove(position);
  raise(2, StubOrHead);
  return true;
}

bool VexaMess::RemoveDimension(std::int32_t StubOrHead, std::string_view name) {
  const DimensionDataColl& side = StubOrHead == 0 ? colStub : colHeading;
  return RemoveDimension(StubOrHead, side.IndexOf(name));
}

bool VexaMess::RenameDimension(std::int32_t StubOrHead, std::string_view oldName,
                               const std::string& newName) {
  const auto variable = Dimensions.Item(oldName);
  if (!variable) return false;
  const auto holder = Dimensions.Item(newName);
  if (holder && holder != variable) return false;

  std::string previous = variable->name;
  variable->name = newName;
  // Every collection takes the variables' current names as keys, positions unchanged.
  if (!Dimensions.Rekey()) {
    variable->name = std::move(previous);
    return false;
  }
  colStub.Rekey();
  colHeading.Rekey();
  // ContVariable is resolved by key, so it follows a rename whatever its letter case.
  if (equalsIgnoringCase(ContVariable, oldName)) ContVariable = newName;
  raise(3, StubOrHead);
  return true;
}

bool VexaMess::TestVarName(std::string_view name) const {
  // The keys ignore letter case, so a name differing only in case is in use too.
  return !Dimensions.Contains(trimBlanks(name));
}

DimensionRef VexaMess::Get_Dimension(std::string_view name) const {
  return Dimensions.Item(name);
}

void VexaMess::setSaveDecimals() {
  SaveDecimals = storedDecimals();
}

std::int16_t VexaMess::storedDecimals() const {
  std::int16_t m = Decimaler;
  for (const auto& variable : Dimensions) {
    for (const auto& value : variable->ValueCode) {
      std::int16_t p = 0;
      if (!value->Precision.empty() && parseInt16(value->Precision, p) && p > m) m = p;
    }
  }
  return m;
}

std::shared_ptr<zendra::ContentData> VexaMess::GetContdataKey(std::string_view key) {
  if (ContVariable.empty()) return nullptr;
  const auto variable = Get_Dimension(ContVariable);
  if (!variable) return nullptr;
  for (const auto& value : variable->ValueCode) {
    if (value->value == key) {
      if (!value->ContentData) value->ContentData = std::make_shared<zendra::ContentData>();
      return value->ContentData;
    }
  }
  return nullptr;
}

std::int32_t VexaMess::GetCodeIndexStub(std::string_view text, std::int32_t position) const {
  return codeIndex(colStub, text, position);
}

std::int32_t VexaMess::GetCodeIndexHead(std::string_view text, std::int32_t position) const {
  return codeIndex(colHeading, text, position);
}

}  // namespace zendra
