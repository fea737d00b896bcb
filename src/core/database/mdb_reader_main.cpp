// zendra-mdb: reads an Access file with libmdb and writes its catalog or the rows of
// some tables to standard output as the stream of mdb_stream.h. It runs as a process of
// its own because libmdb may crash, loop or take all memory on a damaged file; the program
// sets this process's limits, watches its progress and reports the file as damaged
// instead of going down with it.
//
//   zendra-mdb catalog FILE
//   zendra-mdb tables FILE NAME...
//
// Its own messages (a reason for failing) go to standard error; what libmdb prints is
// counted and sent in the stream as warnings ('W' records).

// glib comes first: mdbtools.h includes it inside extern "C", where its C++ parts fail.
#include <glib.h>
#include <mdbtools.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <new>
#include <string>
#include <string_view>

#include "core/database/mdb_reader.h"
#include "core/database/mdb_stream.h"

namespace {

// Standard error as it was before libmdb's output was taken over.
int messages = 2;

void say(std::string_view message) {
  std::string line(message);
  line += '\n';
  [[maybe_unused]] const ssize_t written = ::write(messages, line.data(), line.size());
}

[[noreturn]] void fail(std::string_view message) {
  say(message);
  std::_Exit(1);
}

// glib ends the process when memory runs out (the address space the program allows the
// reader): say so first, with the limit that was reached.
void sayFatal(const char* text) {
  const std::string_view what = text ? text : "";
  rlimit space{};
  if (what.find("failed to allocate") != std::string_view::npos &&
      ::getrlimit(RLIMIT_AS, &space) == 0 && space.rlim_cur != RLIM_INFINITY) {
    say("The file is damaged: the Access reader reached its memory limit of " +
        std::to_string((space.rlim_cur + (1u << 20) - 1) >> 20) + " MB");
    return;
  }
  say("The file is damaged: the Access reader failed: " + std::string(what));
}

void onGlibError(const gchar*, GLogLevelFlags level, const gchar* text, gpointer) {
  if (level & (G_LOG_LEVEL_ERROR | G_LOG_FLAG_FATAL)) sayFatal(text);
}

// glib's own messages take the structured way.
GLogWriterOutput onGlibMessage(GLogLevelFlags level, const GLogField* fields, gsize count,
                               gpointer) {
  if (!(level & (G_LOG_LEVEL_ERROR | G_LOG_FLAG_FATAL))) return G_LOG_WRITER_HANDLED;
  for (gsize i = 0; i < count; ++i) {
    if (std::string_view(fields[i].key) == "MESSAGE" && fields[i].length < 0) {
      sayFatal(static_cast<const char*>(fields[i].value));
      return G_LOG_WRITER_HANDLED;
    }
  }
  sayFatal(nullptr);
  return G_LOG_WRITER_HANDLED;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) fail("usage: zendra-mdb catalog FILE | tables FILE NAME...");
  g_log_set_writer_func(&onGlibMessage, nullptr, nullptr);
  g_log_set_default_handler(&onGlibError, nullptr);
  g_log_set_handler("GLib", static_cast<GLogLevelFlags>(G_LOG_LEVEL_ERROR | G_LOG_FLAG_FATAL),
                    &onGlibError, nullptr);
  messages = ::dup(2);
  if (messages < 0) messages = 2;
  const std::string_view command = argv[1];
  try {
    zendra::mdbreader::WarningCounter warnings;
    warnings.exitWhenRunaway = true;
    MdbHandle* mdb = mdb_open(argv[2], MDB_NOFLAGS);
    if (!mdb) fail("The file cannot be opened as an Access database");
    if (!mdb_read_catalog(mdb, MDB_ANY)) fail("The database's catalog cannot be read");
    mdb_set_boolean_fmt_numbers(mdb);
    zendra::mdbstream::Writer out(1);
    out.text(zendra::mdbstream::kMagic);
    if (command == "catalog") {
      zendra::mdbreader::writeCatalog(mdb, out, warnings);
    } else if (command == "tables") {
      // What libmdb said while reading the catalog is not about the tables asked for.
      warnings.endSection({}, out);
      for (int i = 3; i < argc; ++i) zendra::mdbreader::writeRows(mdb, argv[i], out, warnings);
      out.tag('Z');
    } else {
      fail("unknown command");
    }
    const bool written = out.flush();
    mdb_close(mdb);
    return written ? 0 : 1;
  } catch (const zendra::mdbreader::ReaderError& error) {
    fail(error.what());
  } catch (const std::bad_alloc&) {
    fail("The file is damaged: the Access reader ran out of memory");
  }
}
