// An open 7z archive: its entries, and streaming decode of its folders.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/sevenzip/database.h"
#include "archive/sevenzip/random_access_file.h"
#include "archive/stream.h"

namespace qel::archive {

// Asked for a password whenever one is needed: first when an encrypted header or
// folder is met without one, again after a password failed. nullopt = give up.
using PasswordSource = std::function<std::optional<std::string>()>;

class SevenZipArchive {
 public:
  // Reads and checks the signature header and the (possibly packed or encrypted)
  // header. Throws ArchiveNotFoundError, WrongPasswordError, UnsupportedMethodError
  // or ArchiveError.
  static std::unique_ptr<SevenZipArchive> open(std::unique_ptr<RandomAccessFile> file,
                                               PasswordSource passwords = {});
  static std::unique_ptr<SevenZipArchive> open(const std::filesystem::path& path,
                                               PasswordSource passwords = {});

  const std::vector<Entry>& entries() const { return db_.entries; }
  const Database& database() const { return db_; }
  bool folder_is_encrypted(size_t folder) const;

  // The decoded output of one folder, exactly its unpack size long. A decoding
  // failure of an encrypted folder is raised as WrongPasswordError.
  std::unique_ptr<InStream> open_folder(size_t folder);

  // After a WrongPasswordError: asks the password source for another password.
  // False when it has none (or has been asked 64 times).
  bool next_password();

 private:
  SevenZipArchive(std::unique_ptr<RandomAccessFile> file, PasswordSource passwords);
  const std::string& password();
  void read_headers();

  std::unique_ptr<RandomAccessFile> file_;
  PasswordSource passwords_;
  std::optional<std::string> password_;
  bool password_asked_ = false;
  int password_requests_ = 0;
  Database db_;
};

}  // namespace qel::archive
