#include "core/settings/subject_areas.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "core/base/file_io.h"
#include "core/encoding/codepage.h"
#include "core/model/text_compare.h"

namespace zendra {
namespace {

constexpr std::string_view kFileName = "Amnomr.dat";

// "Amnomr.dat" in folder. Folders copied from Windows may hold the name in another
// letter case ("AMNOMR.DAT"), which Windows treats as the same file; such a file is
// taken when the exact name is missing.
std::filesystem::path subjectFile(const std::filesystem::path& folder) {
  std::filesystem::path exact = folder / kFileName;
  std::error_code ec;
  if (std::filesystem::exists(exact, ec)) return exact;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    if (equalsIgnoringCase(it->path().filename().string(), kFileName)) return it->path();
  }
  return exact;
}

}  // namespace

bool SubjectAreas::Load_data(const std::string& path) {
  if (loaded_ && path == VexaBase) return false;
  return reload(path);
}

bool SubjectAreas::reload(const std::string& path) {
  loaded_ = true;
  VexaBase = path;
  SubjectArea.clear();
  // No folder chosen, or one without a library: the shipped library, if any. (Without a
  // folder, "Amnomr.dat" would otherwise be looked for in the working folder.)
  std::filesystem::path file = SubjectFromDB ? subjectFile(path) : std::filesystem::path(path);
  std::error_code error;
  if (SubjectFromDB && (path.empty() || !std::filesystem::exists(file, error))) {
    file = shippedLibrary;
  }
  if (file.empty()) return false;

  const FileBytes bytes = readFileBytes(file);
  if (bytes.status != FileBytes::Status::Ok) return false;
  const std::string text = decode(bytes.bytes, SubjectFromDB ? CodePage::Oem : CodePage::Ansi);

  // Lines end at CR LF, LF or CR.
  std::string_view rest = text;
  while (!rest.empty()) {
    const auto end = rest.find_first_of("\r\n");
    const std::string_view line = rest.substr(0, end);
    if (end == std::string_view::npos) {
      rest = {};
    } else {
      rest.remove_prefix(rest.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1);
    }
    if (line.empty()) break;
    const auto tab = line.find('\t');
    if (tab == std::string_view::npos) continue;
    SubjectArea.push_back({std::string(line.substr(0, tab)), std::string(line.substr(tab + 1))});
  }
  NewSubjectAreas.notify();
  return true;
}

}  // namespace zendra
