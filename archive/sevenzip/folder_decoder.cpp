#include "archive/sevenzip/folder_decoder.h"

#include "archive/sevenzip/aes_coder.h"
#include "archive/sevenzip/errors.h"
#include "archive/sevenzip/method_ids.h"

namespace qel::archive {
namespace {

struct Expected {
  uint32_t ins;
  uint32_t outs;
};

Expected expected_streams(Method m) {
  return m == Method::Bcj2 ? Expected{4, 1} : Expected{1, 1};
}

// Owns every stream of the chain; reads come from the folder's main output.
class FolderStream : public InStream {
 public:
  size_t read(uint8_t* buf, size_t n) override { return main_->read(buf, n); }

  std::vector<std::unique_ptr<InStream>> owned;  // sources before their users
  InStream* main_ = nullptr;

  ~FolderStream() override {
    // Users hold references to their sources: destroy users first.
    while (!owned.empty()) owned.pop_back();
  }
};

class GraphBuilder {
 public:
  GraphBuilder(const Folder& f, std::vector<std::unique_ptr<InStream>>& packs, const std::string& password,
               FolderStream& owner)
      : f_(f), packs_(packs), password_(password), owner_(owner), out_used_(f.total_out_streams(), false),
        pack_used_(packs.size(), false) {}

  InStream& build_out(uint32_t out_index) {
    if (out_index >= out_used_.size() || out_used_[out_index])
      throw ArchiveError("Corrupt archive header: coder graph reuses a stream");
    out_used_[out_index] = true;
    // Locate the coder owning this out-stream and its first in-stream.
    uint32_t out_base = 0, in_base = 0;
    size_t coder = 0;
    for (; coder < f_.coders.size(); ++coder) {
      if (out_index < out_base + f_.coders[coder].num_out_streams) break;
      out_base += f_.coders[coder].num_out_streams;
      in_base += f_.coders[coder].num_in_streams;
    }
    const Coder& c = f_.coders.at(coder);
    std::vector<InStream*> inputs;
    for (uint32_t i = 0; i < c.num_in_streams; ++i) inputs.push_back(&build_in(in_base + i));
    return add(make_decoder(c, inputs, f_.unpack_sizes.at(out_index)));
  }

 private:
  InStream& build_in(uint32_t in_index) {
    for (const auto& bp : f_.bind_pairs)
      if (bp.in_index == in_index) return build_out(bp.out_index);
    for (size_t k = 0; k < f_.packed_streams.size(); ++k) {
      if (f_.packed_streams[k] != in_index) continue;
      if (k >= packs_.size() || pack_used_[k]) throw ArchiveError("Corrupt archive header: pack stream reused");
      pack_used_[k] = true;
      return add(std::move(packs_[k]));
    }
    throw ArchiveError("Corrupt archive header: coder input without a source");
  }

  InStream& add(std::unique_ptr<InStream> s) {
    owner_.owned.push_back(std::move(s));
    return *owner_.owned.back();
  }

  std::unique_ptr<InStream> make_decoder(const Coder& c, const std::vector<InStream*>& in, uint64_t size) {
    switch (method_from_id(c.method_id)) {
      case Method::Copy:
        return make_copy_decoder(*in[0], size);
      case Method::Lzma:
        return make_lzma_decoder(c.props, *in[0], size);
      case Method::Lzma2:
        return make_lzma2_decoder(c.props, *in[0], size);
      case Method::BcjX86:
        return make_bcj_x86_decoder(*in[0], size);
      case Method::Bcj2:
        return make_bcj2_decoder(*in[0], *in[1], *in[2], *in[3], size);
      case Method::Deflate:
        return make_deflate_decoder(*in[0], size);
      case Method::Aes:
        return make_aes_decoder(c.props, password_, *in[0], size);
      case Method::Unknown:
        break;
    }
    throw UnsupportedMethodError("Unsupported compression method " + method_name(c.method_id) + " (" +
                                 method_id_hex(c.method_id) + ")");
  }

  const Folder& f_;
  std::vector<std::unique_ptr<InStream>>& packs_;
  const std::string& password_;
  FolderStream& owner_;
  std::vector<bool> out_used_;
  std::vector<bool> pack_used_;
};

}  // namespace

void check_folder_methods(const Folder& folder) {
  for (const auto& c : folder.coders) {
    const Method m = method_from_id(c.method_id);
    if (m == Method::Unknown)
      throw UnsupportedMethodError("Unsupported compression method " + method_name(c.method_id) + " (" +
                                   method_id_hex(c.method_id) + ")");
    const Expected e = expected_streams(m);
    if (c.num_in_streams != e.ins || c.num_out_streams != e.outs)
      throw ArchiveError("Corrupt archive header: wrong stream count for " + method_name(c.method_id));
  }
  if (folder.packed_streams.size() + folder.bind_pairs.size() != folder.total_in_streams())
    throw ArchiveError("Corrupt archive header: coder inputs");
}

bool folder_uses_aes(const Folder& folder) {
  for (const auto& c : folder.coders)
    if (method_from_id(c.method_id) == Method::Aes) return true;
  return false;
}

std::unique_ptr<InStream> make_folder_decoder(const Folder& folder,
                                              std::vector<std::unique_ptr<InStream>> pack_streams,
                                              const std::string& password) {
  check_folder_methods(folder);
  auto stream = std::make_unique<FolderStream>();
  GraphBuilder builder(folder, pack_streams, password, *stream);
  stream->main_ = &builder.build_out(folder.main_out_stream());
  return stream;
}

}  // namespace qel::archive
