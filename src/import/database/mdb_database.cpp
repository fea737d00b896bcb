#include "import/database/mdb_database.h"

namespace zendra {

DbResult clsMDB::openEngine(Catalog&) {
  return DbResult::failure("Access files are not read yet");
}

}  // namespace zendra
