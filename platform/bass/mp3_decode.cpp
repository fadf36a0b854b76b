#include "platform/bass/mp3_decode.h"

#include <mpg123.h>

#include <algorithm>
#include <memory>

namespace {

struct Mpg123Delete {
  void operator()(mpg123_handle* h) const { mpg123_delete(h); }
};

// libmpg123 hunts for frames anywhere and finds some in almost any data, so the bytes must
// open as MP3 files do: with an ID3v2 tag or directly with an MPEG audio frame header.
bool opensAsMp3(const std::vector<std::uint8_t>& b) {
  std::size_t at = 0;
  if (b.size() >= 10 && b[0] == 'I' && b[1] == 'D' && b[2] == '3') {
    const std::size_t size = (std::size_t{b[6]} & 0x7F) << 21 | (std::size_t{b[7]} & 0x7F) << 14 |
                             (std::size_t{b[8]} & 0x7F) << 7 | (std::size_t{b[9]} & 0x7F);
    at = 10 + size + ((b[5] & 0x10) != 0 ? 10 : 0);  // header, tag, footer
  }
  if (at + 4 > b.size()) return false;
  const bool sync = b[at] == 0xFF && (b[at + 1] & 0xE0) == 0xE0;
  const bool version = (b[at + 1] & 0x18) != 0x08;  // not the reserved version
  const bool layer = (b[at + 1] & 0x06) != 0;
  const bool bitrate = (b[at + 2] & 0xF0) != 0xF0;
  const bool sampleRate = (b[at + 2] & 0x0C) != 0x0C;
  return sync && version && layer && bitrate && sampleRate;
}

}  // namespace

std::optional<std::vector<std::int16_t>> decodeMp3(const std::vector<std::uint8_t>& bytes, long rate) {
  if (!opensAsMp3(bytes)) return std::nullopt;
  int error = MPG123_OK;
  std::unique_ptr<mpg123_handle, Mpg123Delete> mh(mpg123_new(nullptr, &error));
  if (!mh) return std::nullopt;
  mpg123_param(mh.get(), MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0);
  // Only the output's rate in 16-bit; libmpg123 resamples a file made at another rate.
  mpg123_format_none(mh.get());
  if (mpg123_format(mh.get(), rate, MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK) {
    return std::nullopt;
  }
  if (mpg123_open_feed(mh.get()) != MPG123_OK) return std::nullopt;

  // The bytes go in a piece at a time, as the decoder asks for them: it keeps no copy of
  // the whole file, and a file found too long is left undecoded from there on.
  std::size_t fed = 0;
  const auto feedMore = [&] {
    const std::size_t piece = std::min<std::size_t>(64 * 1024, bytes.size() - fed);
    if (piece == 0 || mpg123_feed(mh.get(), bytes.data() + fed, piece) != MPG123_OK) return false;
    fed += piece;
    return true;
  };
  const std::size_t maxFrames = static_cast<std::size_t>(maxDecodedSeconds) * static_cast<std::size_t>(rate);
  std::vector<std::int16_t> stereo;
  std::size_t endFrames = 0;  // the sound's own length, when its info frame gives it
  int channels = 0;
  std::int16_t buffer[8192];
  for (;;) {
    std::size_t done = 0;
    const int result = mpg123_read(mh.get(), buffer, sizeof buffer, &done);
    if (result == MPG123_NEW_FORMAT) {
      long fileRate = 0;
      int encoding = 0;
      mpg123_getformat(mh.get(), &fileRate, &channels, &encoding);
      if (fileRate != rate || encoding != MPG123_ENC_SIGNED_16 || channels < 1 || channels > 2) return std::nullopt;
      // Before the first sample only an info frame (Xing, LAME) tells the length. The sound
      // ends there: bytes after it (the next member of an archive) are no part of it.
      if (stereo.empty() && endFrames == 0) {
        const off_t length = mpg123_length(mh.get());
        if (length > 0) endFrames = static_cast<std::size_t>(length);
        if (endFrames > maxFrames) return std::nullopt;
      }
      continue;
    }
    const std::size_t samples = done / sizeof(std::int16_t);
    if (channels == 2) {
      stereo.insert(stereo.end(), buffer, buffer + samples);
    } else if (channels == 1) {
      for (std::size_t i = 0; i < samples; ++i) {
        stereo.push_back(buffer[i]);
        stereo.push_back(buffer[i]);
      }
    }
    if (stereo.size() / 2 > maxFrames) return std::nullopt;
    if (endFrames != 0 && stereo.size() / 2 >= endFrames) {
      stereo.resize(2 * endFrames);
      break;
    }
    if (result == MPG123_NEED_MORE && feedMore()) continue;
    if (result != MPG123_OK) break;  // all bytes used up, or an error
  }
  if (stereo.empty()) return std::nullopt;
  return stereo;
}
