#include "core/model/dimension_data_coll.h"

#include <algorithm>
#include <set>
#include <utility>

#include "core/model/text_compare.h"

namespace zendra {

DimensionRef DimensionDataColl::Add(DimensionRef variable, std::string key, std::int32_t after) {
  if (!variable) return nullptr;
  std::string folded = foldCase(key);
  for (const auto& e : entries_) {
    if (e.folded == folded) return nullptr;
  }
  std::int32_t index = Count();  // append
  if (!entries_.empty()) {
    if (after > 0) {
      index = std::min(after, Count());
    } else if (after == 0) {
      index = 0;
    }
  }
  entries_.insert(entries_.begin() + index, Entry{std::move(key), std::move(folded), variable});
  return variable;
}

DimensionRef DimensionDataColl::Item(std::int32_t position) const {
  if (position < 1 || position > Count()) return nullptr;
  return entries_[position - 1].item;
}

DimensionRef DimensionDataColl::Item(std::string_view key) const {
  const auto position = IndexOf(key);
  return position ? entries_[position - 1].item : nullptr;
}

std::int32_t DimensionDataColl::IndexOf(std::string_view key) const {
  const std::string folded = foldCase(key);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].folded == folded) return static_cast<std::int32_t>(i + 1);
  }
  return 0;
}

std::int32_t DimensionDataColl::IndexOf(const DimensionData* variable) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].item.get() == variable) return static_cast<std::int32_t>(i + 1);
  }
  return 0;
}

bool DimensionDataColl::Remove(std::int32_t position) {
  if (position < 1 || position > Count()) return false;
  entries_.erase(entries_.begin() + (position - 1));
  return true;
}

bool DimensionDataColl::Remove(std::string_view key) {
  return Remove(IndexOf(key));
}

bool DimensionDataColl::Rekey() {
  std::vector<std::string> folded;
  std::set<std::string> seen;
  folded.reserve(entries_.size());
  for (const auto& e : entries_) {
    folded.push_back(foldCase(e.item->name));
    if (!seen.insert(folded.back()).second) return false;
  }
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    entries_[i].key = entries_[i].item->name;
    entries_[i].folded = std::move(folded[i]);
  }
  return true;
}

std::vector<DimensionRef> DimensionDataColl::NewEnum() const {
  std::vector<DimensionRef> items;
  items.reserve(entries_.size());
  for (const auto& e : entries_) items.push_back(e.item);
  return items;
}

}  // namespace zendra
