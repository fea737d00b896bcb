#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace zendra::test {

// A value of the state file that tests/support/odbc_servers.sh wrote when CTest's
// odbc_servers fixture started the servers: POSTGRESQL, POSTGRESQL_SCHEMAS and SQLITE (ODBC
// connection strings), POSTGRESQL_PORT and POSTGRESQL_PASSWORD. Empty, with a failure that
// says why, when the servers are not running.
inline std::string odbcServer(const std::string& key) {
  std::ifstream in(ZENDRA_ODBC_STATE);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  }
  ADD_FAILURE() << "no " << key << " in " << ZENDRA_ODBC_STATE
                << ": the servers start with CTest's odbc_servers fixture (run the test through "
                   "ctest, or tests/support/odbc_servers.sh start by hand)";
  return {};
}

}  // namespace zendra::test
