#pragma once

#include <cstdint>
#include <vector>

#include "core/model/value_and_code.h"

namespace zendra {

// The values of one variable (or the address of a cell note), in order, without keys.
// Positions are 1-based. Holds shared references: the same value object may sit in
// several collections.
class VacCollection {
 public:
  using Items = std::vector<ValueRef>;

  // Appends value.
  ValueRef Add(ValueRef value);
  // Inserts value after the given position; at the front for a position below 1,
  // at the end for a position past the last item.
  ValueRef Addafter(ValueRef value, std::int32_t position);
  // Inserts value before the given position; at the front for a position below 1,
  // at the end for a position past the last item.
  ValueRef Addbefore(ValueRef value, std::int32_t position);
  // Puts value in place of the item at position; appends when there is no such item.
  ValueRef Replace(std::int32_t position, ValueRef value);
  // The item at position, or none when the position is out of range.
  ValueRef Item(std::int32_t position) const;
  std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
  // Removes the item at position; a position out of range changes nothing.
  void Remove(std::int32_t position);

  // Iteration in order (range-for works on the collection itself).
  const Items& NewEnum() const { return items_; }
  Items::const_iterator begin() const { return items_.begin(); }
  Items::const_iterator end() const { return items_.end(); }

 private:
  bool inRange(std::int32_t position) const { return position >= 1 && position <= Count(); }
  Items items_;
};

}  // namespace zendra
