// Any bytes as a statement typed into the query box: the translation never crashes, and
// a text without brackets, double quotes, backticks, "&" or "#" passes unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/database/access_sql.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const zendra::TranslatedSql translated = zendra::translateAccessSql(text);
  if (text.find_first_of("[\"&#`") == std::string_view::npos && translated.sql != text) {
    std::abort();
  }
  zendra::isoFromAccessDate(text);
  return 0;
}
