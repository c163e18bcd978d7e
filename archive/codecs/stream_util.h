// Small helpers for pulling from an InStream.
#pragma once

#include <cstddef>
#include <cstdint>

#include "archive/stream.h"

namespace qel::archive {

// Reads until n bytes arrived or the stream ended; returns the count.
size_t read_up_to(InStream& in, uint8_t* buf, size_t n);
// Reads exactly n bytes; throws ArchiveError(what + " is truncated") otherwise.
void read_exact(InStream& in, uint8_t* buf, size_t n, const char* what);

}  // namespace qel::archive
