// An InStream over one pack stream: a byte range of the archive file.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "archive/sevenzip/random_access_file.h"
#include "archive/stream.h"

namespace qel::archive {

class PackStream : public InStream {
 public:
  PackStream(RandomAccessFile& file, uint64_t offset, uint64_t size);
  size_t read(uint8_t* buf, size_t n) override;

 private:
  RandomAccessFile& file_;
  uint64_t pos_;
  uint64_t left_;
  std::vector<uint8_t> buffer_;
  size_t buf_pos_ = 0;
  size_t buf_len_ = 0;
};

}  // namespace qel::archive
