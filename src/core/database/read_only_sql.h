#pragma once

#include <string>
#include <string_view>

// The check a statement passes before it is sent to a server database: one statement that
// only reads rows. The server itself is the second guard (a read-only transaction, rolled
// back afterwards); this check keeps what can be refused from ever reaching it.
namespace zendra {

// Why the statement may not run; empty when it may. It must start with SELECT, be one
// statement (a ";" may only end it), and hold none of the words that change data or the
// server (INSERT, UPDATE, DELETE, INTO, DROP, CREATE, EXEC, CALL ...). Words are read
// outside string literals, quoted names and comments, and the text is read three ways (as
// standard SQL, as PostgreSQL and as MySQL quote and comment it), so that a quote that
// one server reads differently from another cannot hide a second statement.
std::string ReadOnlyStatementError(std::string_view sql);

}  // namespace zendra
