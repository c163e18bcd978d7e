// libFuzzer target: the 7z reader over arbitrary bytes. Opens the input as an
// archive, lists it, and decodes every folder into memory (nothing is written).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/sevenzip/archive_reader.h"
#include "archive/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qel::archive;
  try {
    auto archive = SevenZipArchive::open(memory_archive_file(std::vector<uint8_t>(data, data + size)),
                                         [] { return std::optional<std::string>("fuzz"); });
    std::vector<uint8_t> buf(1 << 16);
    const size_t folders = archive->database().streams.folders.size();
    for (size_t f = 0; f < folders && f < 16; ++f) {
      try {
        auto stream = archive->open_folder(f);
        // Bounded work per input: claimed sizes may be huge.
        for (size_t total = 0; total < (size_t{64} << 20);) {
          const size_t n = stream->read(buf.data(), buf.size());
          if (n == 0) break;
          total += n;
        }
      } catch (const ArchiveError&) {
      }
    }
  } catch (const ArchiveError&) {
  }
  return 0;
}
