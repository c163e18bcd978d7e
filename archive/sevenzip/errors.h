// Error kinds of the 7z reader. All derive from ArchiveError, so callers that only
// need a message catch that; the DLL maps the kinds to its error numbers.
#pragma once

#include <string>

#include "archive/stream.h"

namespace qel::archive {

// The archive file does not exist or cannot be opened for reading.
class ArchiveNotFoundError : public ArchiveError {
 public:
  using ArchiveError::ArchiveError;
};

// A method id the reader does not implement; the message names it.
class UnsupportedMethodError : public ArchiveError {
 public:
  using ArchiveError::ArchiveError;
};

// Encrypted data that did not decode: no password, or a wrong one. 7z keeps no
// password check value, so corrupt encrypted data reports the same way.
class WrongPasswordError : public ArchiveError {
 public:
  using ArchiveError::ArchiveError;
};

// An entry name that would write outside the target folder or is not a valid
// Windows file name. Nothing is written when this is raised.
class UnsafePathError : public ArchiveError {
 public:
  using ArchiveError::ArchiveError;
};

// The target could not be written (folder creation, file open, short write).
class WriteError : public ArchiveError {
 public:
  using ArchiveError::ArchiveError;
};

// A callback asked to stop.
class StoppedError : public ArchiveError {
 public:
  using ArchiveError::ArchiveError;
};

// A selected entry name matches nothing in the archive.
class EntryNotFoundError : public ArchiveError {
 public:
  using ArchiveError::ArchiveError;
};

}  // namespace qel::archive
