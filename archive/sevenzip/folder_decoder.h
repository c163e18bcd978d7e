// Builds the decoder chain of one folder from its coder graph.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "archive/sevenzip/database.h"
#include "archive/stream.h"

namespace qel::archive {

// `pack_streams[k]` feeds the folder's k-th packed stream. The returned stream owns
// the decoders and pack streams and yields exactly folder.unpack_size() bytes.
// `password` is used by AES coders. Throws UnsupportedMethodError naming the method.
std::unique_ptr<InStream> make_folder_decoder(const Folder& folder,
                                              std::vector<std::unique_ptr<InStream>> pack_streams,
                                              const std::string& password);

// Throws UnsupportedMethodError when a coder of the folder is not supported, before
// anything is decoded.
void check_folder_methods(const Folder& folder);
bool folder_uses_aes(const Folder& folder);

}  // namespace qel::archive
