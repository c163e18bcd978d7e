#include "archive/codecs/stream_util.h"

#include <string>

namespace qel::archive {

size_t read_up_to(InStream& in, uint8_t* buf, size_t n) {
  size_t got = 0;
  while (got < n) {
    const size_t r = in.read(buf + got, n - got);
    if (r == 0) break;
    got += r;
  }
  return got;
}

void read_exact(InStream& in, uint8_t* buf, size_t n, const char* what) {
  if (read_up_to(in, buf, n) != n) throw ArchiveError(std::string(what) + " is truncated");
}

}  // namespace qel::archive
