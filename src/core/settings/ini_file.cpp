#include "core/settings/ini_file.h"

#include <utility>

#include "core/encoding/codepage.h"
#include "core/model/text_compare.h"

namespace zendra {
namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string_view trim(std::string_view s) {
  const auto first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(kBlanks);
  return s.substr(first, last - first + 1);
}

bool isHeader(std::string_view trimmed) {
  return trimmed.starts_with('[');
}

// The name inside "[...]": up to the last "]", so that names holding "]" survive.
std::string_view headerName(std::string_view trimmed) {
  trimmed.remove_prefix(1);
  const auto close = trimmed.rfind(']');
  return trim(close == std::string_view::npos ? trimmed : trimmed.substr(0, close));
}

// The folded key of a "key=value" line, or "" for comments, blank and other lines.
std::string keyOf(std::string_view trimmed) {
  if (trimmed.empty() || trimmed.starts_with(';')) return {};
  const auto eq = trimmed.find('=');
  if (eq == std::string_view::npos) return {};
  return foldCase(trim(trimmed.substr(0, eq)));
}

bool hasLineBreak(std::string_view s) {
  return s.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

IniFile::IniFile(std::filesystem::path path) : path_(std::move(path)) {
  parse({});
}

IniFile::Status IniFile::load() {
  FileBytes file = readFileBytes(path_);
  utf8_ = true;
  bom_ = false;
  eol_ = "\n";
  error_.clear();
  if (file.status != Status::Ok) {
    parse({});
    if (file.status == Status::Failed) error_ = file.error;
    return file.status;
  }
  const auto lf = file.bytes.find('\n');
  if (lf != std::string::npos && lf > 0 && file.bytes[lf - 1] == '\r') eol_ = "\r\n";
  bom_ = std::string_view(file.bytes).starts_with(kBom);
  parse(decodeUtf8OrAnsi(file.bytes, &utf8_));
  if (!utf8_) bom_ = false;
  return Status::Ok;
}

void IniFile::parse(std::string_view text) {
  sections_.clear();
  sectionIndex_.clear();
  addSection(false, {});
  while (!text.empty()) {
    const auto lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    const auto trimmed = trim(line);
    if (isHeader(trimmed)) addSection(true, foldCase(headerName(trimmed)));
    addLine(sections_.back(), std::string(line));
  }
}

IniFile::Section& IniFile::addSection(bool named, std::string folded) {
  if (named) sectionIndex_.try_emplace(folded, sections_.size());
  Section& section = sections_.emplace_back();
  section.named = named;
  section.folded = std::move(folded);
  return section;
}

void IniFile::addLine(Section& section, std::string text) {
  // A named section's first line is its header, never a key.
  std::string key = (section.named && section.lines.empty()) ? std::string() : keyOf(trim(text));
  if (!key.empty()) section.keys.try_emplace(key, section.lines.size());
  section.lines.push_back({std::move(text), std::move(key)});
}

const IniFile::Section* IniFile::find(std::string_view section) const {
  const auto it = sectionIndex_.find(foldCase(trim(section)));
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

IniFile::Section* IniFile::find(std::string_view section) {
  return const_cast<Section*>(std::as_const(*this).find(section));
}

std::string IniFile::read(std::string_view section, std::string_view key) const {
  const Section* s = find(section);
  if (!s) return {};
  const auto it = s->keys.find(foldCase(trim(key)));
  if (it == s->keys.end()) return {};
  const std::string_view text = s->lines[it->second].text;
  return std::string(trim(text.substr(text.find('=') + 1)));
}

bool IniFile::write(std::string_view section, std::string_view key, std::string_view value) {
  key = trim(key);
  section = trim(section);
  if (key.empty() || key.find('=') != std::string_view::npos || hasLineBreak(key) ||
      key.starts_with('[') || key.starts_with(';')) {
    error_ = "The key \"" + std::string(key) + "\" cannot be written to an INI file";
    return false;
  }
  if (hasLineBreak(section)) {
    error_ = "The section \"" + std::string(section) + "\" cannot be written to an INI file";
    return false;
  }
  std::string text(key);
  text += '=';
  for (const char c : value) text += (c == '\r' || c == '\n') ? ' ' : c;

  Section* s = find(section);
  if (!s) {
    // A new section at the end of the file, set off by a blank line.
    const Section& last = sections_.back();
    if (!last.lines.empty() && !trim(last.lines.back().text).empty()) {
      addLine(sections_.back(), {});
    }
    s = &addSection(true, foldCase(section));
    addLine(*s, "[" + std::string(section) + "]");
  }
  const std::string folded = foldCase(key);
  if (const auto it = s->keys.find(folded); it != s->keys.end()) {
    s->lines[it->second].text = std::move(text);
    return true;
  }
  // After the section's last non-blank line, so that blank lines before the next
  // header stay where they are. No key line lies behind that point, so the positions
  // held in keys stay valid.
  std::size_t at = s->lines.size();
  while (at > 0 && trim(s->lines[at - 1].text).empty()) --at;
  s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(at), {std::move(text), folded});
  s->keys.emplace(folded, at);
  return true;
}

void IniFile::clearSection(std::string_view section) {
  Section* s = find(section);
  if (!s) return;
  std::erase_if(s->lines, [](const Line& line) { return !line.key.empty(); });
  s->keys.clear();
}

bool IniFile::save() {
  std::string text;
  for (const Section& s : sections_) {
    for (const Line& line : s.lines) {
      text += line.text;
      text += eol_;
    }
  }
  std::string bytes;
  if (!utf8_) {
    Encoded ansi = encode(text, CodePage::Ansi);
    if (ansi.lossy) {
      utf8_ = true;  // from now on the file is UTF-8
    } else {
      bytes = std::move(ansi.bytes);
    }
  }
  if (utf8_) bytes = (bom_ ? std::string(kBom) : std::string()) + text;
  return writeFileAtomically(path_, bytes, error_);
}

std::string readProfileString(const std::filesystem::path& path, std::string_view section,
                              std::string_view key) {
  IniFile ini(path);
  ini.load();
  return ini.read(section, key);
}

bool writeProfileString(const std::filesystem::path& path, std::string_view section,
                        std::string_view key, std::string_view value, std::string* error) {
  IniFile ini(path);
  const bool ok =
      ini.load() != IniFile::Status::Failed && ini.write(section, key, value) && ini.save();
  if (!ok && error) *error = ini.error();
  return ok;
}

}  // namespace zendra
