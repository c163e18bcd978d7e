#include "archive/sevenzip/archive_reader.h"

#include <algorithm>
#include <array>

#include "archive/sevenzip/byte_reader.h"
#include "archive/sevenzip/crc32.h"
#include "archive/sevenzip/errors.h"
#include "archive/sevenzip/folder_decoder.h"
#include "archive/sevenzip/header_parser.h"
#include "archive/sevenzip/pack_stream.h"

namespace qel::archive {
namespace {

// Packed headers are decoded into memory; real ones are far smaller.
constexpr uint64_t kMaxHeaderSize = uint64_t{256} << 20;
constexpr int kMaxHeaderNesting = 4;
constexpr int kMaxPasswordRequests = 64;

// Decoding errors of encrypted data surface as WrongPasswordError.
class EncryptedFolderStream : public InStream {
 public:
  explicit EncryptedFolderStream(std::unique_ptr<InStream> inner) : inner_(std::move(inner)) {}
  size_t read(uint8_t* buf, size_t n) override {
    try {
      return inner_->read(buf, n);
    } catch (const WrongPasswordError&) {
      throw;
    } catch (const UnsupportedMethodError&) {
      throw;
    } catch (const ArchiveError& e) {
      throw WrongPasswordError(std::string("Data error in encrypted data (wrong password?): ") + e.what());
    }
  }

 private:
  std::unique_ptr<InStream> inner_;
};

std::vector<uint8_t> read_all(InStream& in, uint64_t size) {
  std::vector<uint8_t> out(static_cast<size_t>(size));
  size_t pos = 0;
  while (pos < out.size()) {
    const size_t got = in.read(out.data() + pos, out.size() - pos);
    if (got == 0) throw ArchiveError("Unexpected end of packed header");
    pos += got;
  }
  return out;
}

}  // namespace

SevenZipArchive::SevenZipArchive(std::unique_ptr<RandomAccessFile> file, PasswordSource passwords)
    : file_(std::move(file)), passwords_(std::move(passwords)) {}

std::unique_ptr<SevenZipArchive> SevenZipArchive::open(std::unique_ptr<RandomAccessFile> file,
                                                       PasswordSource passwords) {
  std::unique_ptr<SevenZipArchive> archive(new SevenZipArchive(std::move(file), std::move(passwords)));
  archive->read_headers();
  return archive;
}

std::unique_ptr<SevenZipArchive> SevenZipArchive::open(const std::filesystem::path& path, PasswordSource passwords) {
  return open(open_archive_file(path), std::move(passwords));
}

const std::string& SevenZipArchive::password() {
  if (!password_) {
    if (password_asked_ || !next_password()) throw WrongPasswordError("A password is required for this archive");
  }
  return *password_;
}

bool SevenZipArchive::next_password() {
  // A source that keeps answering must not keep us decoding forever.
  if (++password_requests_ > kMaxPasswordRequests) return false;
  password_asked_ = true;
  std::optional<std::string> next = passwords_ ? passwords_() : std::nullopt;
  if (!next) return false;
  password_ = std::move(next);
  return true;
}

bool SevenZipArchive::folder_is_encrypted(size_t folder) const {
  return folder_uses_aes(db_.streams.folders.at(folder));
}

void SevenZipArchive::read_headers() {
  if (file_->size() < kSignatureHeaderSize) throw ArchiveError("Not a 7z archive");
  std::array<uint8_t, kSignatureHeaderSize> sig{};
  file_->read_at(0, sig.data(), sig.size());
  const SignatureHeader sh = parse_signature_header(sig);
  if (sh.next_header_size == 0) return;  // empty archive
  const uint64_t available = file_->size() - kSignatureHeaderSize;
  if (sh.next_header_offset > available || sh.next_header_size > available - sh.next_header_offset)
    throw ArchiveError("Unexpected end of archive (truncated?)");
  if (sh.next_header_size > kMaxHeaderSize) throw ArchiveError("Archive header too large");

  std::vector<uint8_t> header(static_cast<size_t>(sh.next_header_size));
  file_->read_at(kSignatureHeaderSize + sh.next_header_offset, header.data(), header.size());
  if (crc32(header.data(), header.size()) != sh.next_header_crc)
    throw ArchiveError("Corrupt archive: header CRC mismatch");

  bool header_encrypted = false;
  for (int nesting = 0;; ++nesting) {
    ByteReader in(header);
    const uint8_t id = in.read_byte();
    if (id == nid::kHeader) {
      try {
        parse_header(in, db_);
      } catch (const UnsupportedMethodError&) {
        throw;
      } catch (const ArchiveError& e) {
        // Without a CRC on the packed header a wrong password shows only here.
        if (header_encrypted) throw WrongPasswordError(std::string("Cannot open encrypted archive (wrong password?): ") + e.what());
        throw;
      }
      db_.pack_offsets = pack_stream_offsets(db_.streams, file_->size());
      return;
    }
    if (id != nid::kEncodedHeader || nesting >= kMaxHeaderNesting) {
      if (header_encrypted) throw WrongPasswordError("Cannot open encrypted archive (wrong password?)");
      throw ArchiveError("Corrupt archive header: unknown header record");
    }

    // A packed (maybe encrypted) header: decode its folders, one after the other.
    const StreamsInfo packed = parse_streams_info(in);
    const auto offsets = pack_stream_offsets(packed, file_->size());
    uint64_t total = 0;
    for (const auto& f : packed.folders) total += f.unpack_size();
    if (total > kMaxHeaderSize) throw ArchiveError("Archive header too large");
    std::vector<uint8_t> decoded;
    for (const auto& f : packed.folders) {
      check_folder_methods(f);
      const bool encrypted = folder_uses_aes(f);
      for (;;) {
        try {
          std::vector<std::unique_ptr<InStream>> packs;
          for (size_t k = 0; k < f.packed_streams.size(); ++k)
            packs.push_back(std::make_unique<PackStream>(*file_, offsets.at(f.first_pack_stream + k),
                                                         packed.pack_sizes.at(f.first_pack_stream + k)));
          static const std::string kNoPassword;
          auto stream = make_folder_decoder(f, std::move(packs), encrypted ? password() : kNoPassword);
          auto bytes = read_all(*stream, f.unpack_size());
          if (f.crc && crc32(bytes.data(), bytes.size()) != *f.crc)
            throw ArchiveError("Corrupt archive: packed header CRC mismatch");
          decoded.insert(decoded.end(), bytes.begin(), bytes.end());
          break;
        } catch (const WrongPasswordError&) {
          throw;
        } catch (const UnsupportedMethodError&) {
          throw;
        } catch (const ArchiveError& e) {
          if (!encrypted) throw;
          if (!next_password()) throw WrongPasswordError(std::string("Cannot open encrypted archive (wrong password?): ") + e.what());
        }
      }
    }
    header = std::move(decoded);
    header_encrypted = header_encrypted || std::any_of(packed.folders.begin(), packed.folders.end(), folder_uses_aes);
  }
}

std::unique_ptr<InStream> SevenZipArchive::open_folder(size_t folder_index) {
  const Folder& f = db_.streams.folders.at(folder_index);
  check_folder_methods(f);
  const bool encrypted = folder_uses_aes(f);
  std::vector<std::unique_ptr<InStream>> packs;
  for (size_t k = 0; k < f.packed_streams.size(); ++k)
    packs.push_back(std::make_unique<PackStream>(*file_, db_.pack_offsets.at(f.first_pack_stream + k),
                                                 db_.streams.pack_sizes.at(f.first_pack_stream + k)));
  if (!encrypted) return make_folder_decoder(f, std::move(packs), std::string());
  try {
    return std::make_unique<EncryptedFolderStream>(make_folder_decoder(f, std::move(packs), password()));
  } catch (const UnsupportedMethodError&) {
    throw;
  } catch (const WrongPasswordError&) {
    throw;
  } catch (const ArchiveError& e) {
    // LZMA decoders check their first bytes as they are created.
    throw WrongPasswordError(std::string("Data error in encrypted data (wrong password?): ") + e.what());
  }
}

}  // namespace qel::archive
