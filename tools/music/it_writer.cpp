#include "tools/music/it_writer.h"

#include <stdexcept>

namespace {

constexpr std::size_t headerSize = 0xC0;
constexpr std::size_t sampleHeaderSize = 0x50;
constexpr int maxChannels = 64;
constexpr std::uint8_t orderEnd = 255;
constexpr std::uint8_t centrePan = 32;
constexpr std::uint8_t disabledChannel = 128;

// Little-endian byte output with patching of values whose place is known before them.
struct Bytes {
  std::vector<std::uint8_t> data;

  void u8(std::uint32_t v) { data.push_back(static_cast<std::uint8_t>(v)); }
  void u16(std::uint32_t v) {
    u8(v & 0xFF);
    u8((v >> 8) & 0xFF);
  }
  void u32(std::uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  }
  void tag(const char* four) {
    for (int i = 0; i < 4; ++i) u8(static_cast<std::uint8_t>(four[i]));
  }
  // text padded with zero bytes to exactly size bytes, the last one always zero
  void text(const std::string& s, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) u8(i + 1 < size && i < s.size() ? static_cast<std::uint8_t>(s[i]) : 0);
  }
  void patchU32(std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) data[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
  }
  std::uint32_t here() const { return static_cast<std::uint32_t>(data.size()); }
};

void require(bool ok, const char* what) {
  if (!ok) throw std::invalid_argument(what);
}

void checkCell(const ItCell& c, std::size_t sampleCount) {
  require(c.note == itNoNote || (c.note >= 0 && c.note <= 119) || c.note == itNoteCut || c.note == itNoteOff,
          "note out of range");
  require(c.sample <= sampleCount, "cell names a sample that does not exist");
  require(c.volume >= -1 && c.volume <= 64, "volume out of range");
  require(c.effect <= 26, "effect out of range");
}

// The data offset is left 0 here and patched when the data is placed.
void writeSampleHeader(Bytes& out, const ItSample& s) {
  const bool hasData = !s.pcm.empty();
  const std::size_t start = out.data.size();
  out.tag("IMPS");
  out.text(s.name.substr(0, 12), 13);  // DOS file name, then the 0 byte
  out.u8(64);                          // global volume
  out.u8((hasData ? 0x01 | 0x02 : 0) | (s.loop ? 0x10 : 0));  // has data, 16-bit, loop
  out.u8(s.volume);
  out.text(s.name, 26);
  out.u8(0x01);  // signed samples
  out.u8(0);     // default pan unused
  out.u32(static_cast<std::uint32_t>(s.pcm.size()));
  out.u32(s.loop ? s.loopBegin : 0);
  out.u32(s.loop ? s.loopEnd : 0);
  out.u32(s.c5Speed);
  out.u32(0);  // sustain loop
  out.u32(0);
  out.u32(0);  // data offset
  out.u32(0);  // no auto-vibrato
  if (out.data.size() - start != sampleHeaderSize) throw std::logic_error("sample header size");
}

}  // namespace

std::vector<std::uint8_t> packItPattern(const ItPattern& p) {
  require(p.rows >= 32 && p.rows <= 200, "pattern rows must be 32..200");
  require(p.channels >= 1 && p.channels <= maxChannels, "pattern channels must be 1..64");
  Bytes out;
  out.u16(0);  // packed length, patched below
  out.u16(static_cast<std::uint32_t>(p.rows));
  out.u32(0);
  for (int row = 0; row < p.rows; ++row) {
    for (int ch = 0; ch < p.channels; ++ch) {
      const ItCell& c = p.at(row, ch);
      // Every event carries its own mask: no "same as last" bits, so any reader agrees.
      const std::uint8_t mask = (c.note != itNoNote ? 1 : 0) | (c.sample != 0 ? 2 : 0) | (c.volume >= 0 ? 4 : 0) |
                                (c.effect != 0 ? 8 : 0);
      if (mask == 0) continue;
      out.u8(static_cast<std::uint32_t>(ch + 1) | 0x80);
      out.u8(mask);
      if (mask & 1) out.u8(static_cast<std::uint32_t>(c.note));
      if (mask & 2) out.u8(c.sample);
      if (mask & 4) out.u8(static_cast<std::uint32_t>(c.volume));
      if (mask & 8) {
        out.u8(c.effect);
        out.u8(c.param);
      }
    }
    out.u8(0);  // end of row
  }
  const std::size_t packed = out.data.size() - 8;
  require(packed < 65536, "pattern too large");
  out.data[0] = static_cast<std::uint8_t>(packed & 0xFF);
  out.data[1] = static_cast<std::uint8_t>(packed >> 8);
  return out.data;
}

std::vector<std::uint8_t> writeIt(const ItModule& m) {
  require(m.channels >= 1 && m.channels <= maxChannels, "channels must be 1..64");
  require(!m.orders.empty() && m.orders.size() < 256, "orders must be 1..255");
  require(m.samples.size() < 100 && m.patterns.size() < 200, "too many samples or patterns");
  require(m.speed >= 1 && m.tempo >= 32 && m.globalVolume <= 128 && m.mixVolume <= 128, "bad speed, tempo or volume");
  for (std::uint8_t o : m.orders) require(o < m.patterns.size(), "order names a pattern that does not exist");
  for (const ItSample& s : m.samples) {
    require(s.volume <= 64, "sample volume out of range");
    require(!s.loop || (s.loopBegin < s.loopEnd && s.loopEnd <= s.pcm.size()), "bad sample loop");
  }
  for (const ItPattern& p : m.patterns) {
    require(p.channels == m.channels, "pattern channel count differs from the module's");
    for (const ItCell& c : p.cells) checkCell(c, m.samples.size());
  }

  const auto orderCount = static_cast<std::uint32_t>(m.orders.size() + 1);  // with the end mark
  const auto sampleCount = static_cast<std::uint32_t>(m.samples.size());
  const auto patternCount = static_cast<std::uint32_t>(m.patterns.size());

  Bytes out;
  out.tag("IMPM");
  out.text(m.name, 26);
  out.u8(4);   // row highlight: beat
  out.u8(16);  // and bar
  out.u16(orderCount);
  out.u16(0);  // no instruments
  out.u16(sampleCount);
  out.u16(patternCount);
  out.u16(0x0214);  // created with
  out.u16(0x0200);  // compatible with
  out.u16(0x01 | 0x08);  // stereo, linear slides, sample mode
  out.u16(0);            // no message
  out.u8(m.globalVolume);
  out.u8(m.mixVolume);
  out.u8(m.speed);
  out.u8(m.tempo);
  out.u8(128);  // full stereo separation
  out.u8(0);    // pitch wheel depth
  out.u16(0);   // message length
  out.u32(0);   // message offset
  out.u32(0);   // reserved
  for (int ch = 0; ch < maxChannels; ++ch) {
    const auto i = static_cast<std::size_t>(ch);
    if (ch >= m.channels) {
      out.u8(centrePan + disabledChannel);
    } else {
      out.u8(i < m.channelPan.size() ? m.channelPan[i] : centrePan);
    }
  }
  for (int ch = 0; ch < maxChannels; ++ch) {
    const auto i = static_cast<std::size_t>(ch);
    out.u8(ch < m.channels && i < m.channelVolume.size() ? m.channelVolume[i] : 64);
  }
  if (out.data.size() != headerSize) throw std::logic_error("header size");
  for (std::uint8_t o : m.orders) out.u8(o);
  out.u8(orderEnd);

  const std::size_t sampleTable = out.data.size();
  for (std::uint32_t i = 0; i < sampleCount + patternCount; ++i) out.u32(0);
  const std::size_t patternTable = sampleTable + 4 * sampleCount;

  // Sample headers first, their data offsets patched once the data's place is known.
  std::vector<std::size_t> headerAt;
  for (std::uint32_t i = 0; i < sampleCount; ++i) {
    out.patchU32(sampleTable + 4 * i, out.here());
    headerAt.push_back(out.data.size());
    writeSampleHeader(out, m.samples[i]);
  }
  for (std::uint32_t i = 0; i < patternCount; ++i) {
    out.patchU32(patternTable + 4 * i, out.here());
    const std::vector<std::uint8_t> packed = packItPattern(m.patterns[i]);
    out.data.insert(out.data.end(), packed.begin(), packed.end());
  }
  for (std::uint32_t i = 0; i < sampleCount; ++i) {
    const ItSample& s = m.samples[i];
    if (s.pcm.empty()) continue;
    out.patchU32(headerAt[i] + 0x48, out.here());
    for (std::int16_t v : s.pcm) out.u16(static_cast<std::uint16_t>(v));
  }
  return out.data;
}
