// Pull streams that the 7z decoders are chained from. A folder of a 7z archive is
// a graph of coders; each coder is an InStream that pulls from its input stream(s),
// so memory stays bounded by the coder state (dictionary) plus small buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>

namespace qel::archive {

// Every failure inside the archive code: corrupt data, unsupported method, I/O.
class ArchiveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class InStream {
 public:
  virtual ~InStream() = default;
  // Reads up to n bytes into buf; returns the number read, 0 only at the end of
  // the stream. Throws ArchiveError on corrupt or truncated input.
  virtual size_t read(uint8_t* buf, size_t n) = 0;
};

// Decoders (archive/codecs). Each takes its input stream(s) by reference: the
// caller keeps them alive for the decoder's lifetime. unpack_size is the exact
// output size the folder description gives; decoders stop there and report
// truncated input as an error.
std::unique_ptr<InStream> make_copy_decoder(InStream& in, uint64_t unpack_size);
std::unique_ptr<InStream> make_lzma_decoder(std::span<const uint8_t> props, InStream& in, uint64_t unpack_size);
std::unique_ptr<InStream> make_lzma2_decoder(std::span<const uint8_t> props, InStream& in, uint64_t unpack_size);
std::unique_ptr<InStream> make_bcj_x86_decoder(InStream& in, uint64_t unpack_size);
// BCJ2: main stream, call stream, jump stream, range-coder stream (7z input order 0..3).
std::unique_ptr<InStream> make_bcj2_decoder(InStream& main, InStream& call, InStream& jump, InStream& rc,
                                            uint64_t unpack_size);
std::unique_ptr<InStream> make_deflate_decoder(InStream& in, uint64_t unpack_size);

}  // namespace qel::archive
