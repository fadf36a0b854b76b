#include "tools/sound/mp3_encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <memory>

namespace {
struct LameClose {
  void operator()(lame_global_flags* gf) const { lame_close(gf); }
};
}  // namespace

std::vector<std::uint8_t> encodeMp3(const std::vector<std::int16_t>& mono, int rate, int kbps) {
  std::unique_ptr<lame_global_flags, LameClose> gf(lame_init());
  if (!gf) return {};
  lame_set_num_channels(gf.get(), 1);
  lame_set_in_samplerate(gf.get(), rate);
  lame_set_out_samplerate(gf.get(), rate);
  lame_set_mode(gf.get(), MONO);
  lame_set_VBR(gf.get(), vbr_off);
  lame_set_brate(gf.get(), kbps);
  lame_set_quality(gf.get(), 2);
  lame_set_write_id3tag_automatic(gf.get(), 0);
  lame_set_bWriteVbrTag(gf.get(), 1);  // the info frame with delay and padding
  if (lame_init_params(gf.get()) < 0) return {};

  // LAME's own bound for one call: 1.25 × samples + 7200 bytes.
  std::vector<unsigned char> out(mono.size() * 5 / 4 + 7200);
  const int n = lame_encode_buffer(gf.get(), mono.data(), mono.data(), static_cast<int>(mono.size()), out.data(),
                                   static_cast<int>(out.size()));
  if (n < 0) return {};
  std::vector<std::uint8_t> mp3(out.begin(), out.begin() + n);
  const int tail = lame_encode_flush(gf.get(), out.data(), static_cast<int>(out.size()));
  if (tail < 0) return {};
  mp3.insert(mp3.end(), out.begin(), out.begin() + tail);

  // The first frame so far is a placeholder of the info frame's size; fill it in.
  std::vector<unsigned char> info(mp3.size());
  const std::size_t infoSize = lame_get_lametag_frame(gf.get(), info.data(), info.size());
  if (infoSize == 0 || infoSize > mp3.size()) return {};
  std::copy(info.begin(), info.begin() + static_cast<std::ptrdiff_t>(infoSize), mp3.begin());
  return mp3;
}
