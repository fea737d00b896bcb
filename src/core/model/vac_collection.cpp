#include "core/model/vac_collection.h"

#include <algorithm>
#include <utility>

namespace zendra {

ValueRef VacCollection::Add(ValueRef value) {
  items_.push_back(value);
  return value;
}

ValueRef VacCollection::Addafter(ValueRef value, std::int32_t position) {
  const auto index = std::clamp<std::int32_t>(position, 0, Count());
  items_.insert(items_.begin() + index, value);
  return value;
}

ValueRef VacCollection::Addbefore(ValueRef value, std::int32_t position) {
  const auto index = std::clamp<std::int32_t>(position - 1, 0, Count());
  items_.insert(items_.begin() + index, value);
  return value;
}

ValueRef VacCollection::Replace(std::int32_t position, ValueRef value) {
  if (inRange(position)) {
    items_[position - 1] = value;
  } else {
    items_.push_back(value);
  }
  return value;
}

ValueRef VacCollection::Item(std::int32_t position) const {
  return inRange(position) ? items_[position - 1] : nullptr;
}

void VacCollection::Remove(std::int32_t position) {
  if (inRange(position)) items_.erase(items_.begin() + (position - 1));
}

}  // namespace zendra
