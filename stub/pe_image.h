// The end of a PE image as stored in its file: the largest (raw data offset + raw
// data size) over all section headers. Data appended to the file starts there.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qel {

// headers: the image's first bytes (the mapped module base works: the headers are
// mapped unchanged); size: how many bytes may be read. 0 when the headers are not a
// valid PE image.
uint64_t pe_image_end(const unsigned char* headers, size_t size);

}  // namespace qel
