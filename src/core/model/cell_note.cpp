#include "core/model/cell_note.h"

#include <algorithm>

namespace zendra {

std::string CellNote::Vstr() const {
  std::string text;
  for (const auto& value : values_) {
    if (!text.empty()) text += ',';
    text += '"';
    if (value) text += value->value;
    text += '"';
  }
  return text;
}

void CellNote::ReplaceValue(std::int32_t index, ValueRef value) {
  values_.Replace(index, std::move(value));
}

namespace {

bool anyQuote(const VacCollection& values) {
  return std::any_of(values.begin(), values.end(), [](const ValueRef& v) {
    return v && v->value.find('"') != std::string::npos;
  });
}

// Vstr(a) == Vstr(b) without building the texts. Without quote characters in the
// value texts, the joined texts are equal exactly when the entries are equal one by
// one; with them, compare the texts themselves.
bool sameVstr(const CellNote& a, const CellNote& b) {
  const VacCollection& x = a.Values();
  const VacCollection& y = b.Values();
  if (anyQuote(x) || anyQuote(y)) return a.Vstr() == b.Vstr();
  if (x.Count() != y.Count()) return false;
  auto it = y.begin();
  for (const auto& v : x) {
    const std::string_view left = v ? std::string_view(v->value) : std::string_view();
    const std::string_view right = *it ? std::string_view((*it)->value) : std::string_view();
    if (left != right) return false;
    ++it;
  }
  return true;
}

}  // namespace

bool CellNote::SameCell(const CellNote& other) const {
  return sameVstr(*this, other);
}

CellNoteRef CellNoteColl::Add(CellNoteRef note) {
  if (!note) return nullptr;
  for (const auto& held : items_) {
    if (held->SameCell(*note)) return held;
  }
  items_.push_back(note);
  return note;
}

CellNoteRef CellNoteColl::Item(std::int32_t position) const {
  if (position < 1 || position > Count()) return nullptr;
  return items_[position - 1];
}

void CellNoteColl::Insert(std::int32_t position, CellNoteRef note) {
  if (!note || position < 1 || position > Count() + 1) return;
  items_.insert(items_.begin() + (position - 1), std::move(note));
}

std::int32_t CellNoteColl::IndexOf(const CellNote* note) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].get() == note) return static_cast<std::int32_t>(i + 1);
  }
  return -1;
}

void CellNoteColl::Remove(std::int32_t position) {
  if (position >= 1 && position <= Count()) items_.erase(items_.begin() + (position - 1));
}

std::int32_t CellNoteColl::find(const CellNote& note) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i]->SameCell(note)) return static_cast<std::int32_t>(i + 1);
  }
  return -1;
}

bool CellNoteColl::FindesCellNote(const CellNote& note) const {
  return find(note) != -1;
}

void CellNoteColl::removeNote(const CellNote& note) {
  Remove(find(note));
}

void CellNoteColl::RemoveByUID(std::int32_t uid) {
  std::erase_if(items_, [uid](const CellNoteRef& note) {
    const auto& values = note->Values();
    return std::any_of(values.begin(), values.end(),
                       [uid](const ValueRef& v) { return v && v->UID == uid; });
  });
}

}  // namespace zendra
