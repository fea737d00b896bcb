#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/dimension_data.h"

namespace zendra {

// Variables in order, keyed by name. Positions are 1-based; keys compare without
// regard to letter case (accented letters included), so "Ålder" and "åLDER" are one key.
// A key stays as it was given to Add even if the variable's name changes later.
class DimensionDataColl {
  struct Entry {
    std::string key;
    std::string folded;  // the key folded for case-free comparison
    DimensionRef item;
  };

 public:
  // Adds variable under key. Into an empty collection it appends; otherwise after > 0
  // inserts after that position (appends past the end), after = 0 inserts at the front
  // and after < 0 appends. Returns the variable, or none (and changes nothing) when the
  // key is already in the collection or the variable is none.
  DimensionRef Add(DimensionRef variable, std::string key, std::int32_t after = -1);
  // The variable at a position or under a key; none when absent.
  DimensionRef Item(std::int32_t position) const;
  DimensionRef Item(std::string_view key) const;
  // The 1-based position of a key, or 0 when absent.
  std::int32_t IndexOf(std::string_view key) const;
  // The 1-based position of this very object, or 0 when absent.
  std::int32_t IndexOf(const DimensionData* variable) const;
  std::int32_t Count() const { return static_cast<std::int32_t>(entries_.size()); }
  // Removes by position or key; returns false (and changes nothing) when absent.
  bool Remove(std::int32_t position);
  bool Remove(std::string_view key);
  bool Contains(std::string_view key) const { return IndexOf(key) != 0; }
  // Gives every entry its variable's current name as key. Fails, changing nothing,
  // when two names would then be the same key.
  bool Rekey();

  // Iteration over the variables in order.
  class const_iterator {
   public:
    using Base = std::vector<Entry>::const_iterator;
    explicit const_iterator(Base it) : it_(it) {}
    const DimensionRef& operator*() const { return it_->item; }
    const_iterator& operator++() {
      ++it_;
      return *this;
    }
    bool operator==(const const_iterator& o) const { return it_ == o.it_; }

   private:
    Base it_;
  };
  const_iterator begin() const { return const_iterator(entries_.begin()); }
  const_iterator end() const { return const_iterator(entries_.end()); }
  std::vector<DimensionRef> NewEnum() const;

 private:
  std::vector<Entry> entries_;
};

}  // namespace zendra
