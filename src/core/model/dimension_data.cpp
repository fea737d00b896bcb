#include "core/model/dimension_data.h"

#include <utility>

namespace zendra {

std::shared_ptr<DimensionData> DimensionData::create(std::string name) {
  auto variable = std::make_shared<DimensionData>();
  variable->name = std::move(name);
  return variable;
}

ValueRef DimensionData::addVal() {
  auto value = ValueAndCode::create();
  value->Dimension = weak_from_this();
  return ValueCode.Add(value);
}

void DimensionData::MoveValUp(std::int32_t position) {
  if (position < 2 || position > ValueCode.Count()) return;
  auto value = ValueCode.Item(position);
  ValueCode.Remove(position);
  ValueCode.Addbefore(value, position - 1);
}

void DimensionData::MoveValDown(std::int32_t position) {
  if (position < 1 || position >= ValueCode.Count()) return;
  auto value = ValueCode.Item(position);
  ValueCode.Remove(position);
  ValueCode.Addafter(value, position);
}

void DimensionData::RemoveVal(std::int32_t position) {
  ValueCode.Remove(position);
}

void DimensionData::CopyVac(const DimensionData& source) {
  if (&source == this) return;
  ValueCode = source.ValueCode;
}

void DimensionData::CopyDimdata(const DimensionData& source) {
  if (&source == this) return;
  VacCollection copies;
  for (const auto& from : source.ValueCode) {
    auto value = ValueAndCode::create();
    value->makecopy(*from);
    // The copies belong to this variable, not to the source.
    value->Dimension = weak_from_this();
    copies.Add(value);
  }
  ValueCode = std::move(copies);
  name = source.name;
  Domain = source.Domain;
  Elimination = source.Elimination;
  Prestext = source.Prestext;
  Note = source.Note;
  Notex = source.Notex;
  UseCodes = source.UseCodes;
  UseTimeVal = source.UseTimeVal;
  Map = source.Map;
}

}  // namespace zendra
