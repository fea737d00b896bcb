#include "core/database/mdb_stream.h"

#include <errno.h>
#include <unistd.h>

namespace zendra::mdbstream {

bool Writer::flush() {
  std::size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      buffer_.clear();
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  buffer_.clear();
  return true;
}

}  // namespace zendra::mdbstream
