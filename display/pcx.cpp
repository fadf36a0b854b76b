#include "display/pcx.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>

#include "display/fatal_error.h"
#include "display/resource.h"

namespace {

constexpr unsigned char pcxManufacturer = 10;
constexpr int paletteMarker = 0x0C;
constexpr unsigned runCode = 0xC0;  // codes from here on are runs; the low six bits count

int read16(const unsigned char* bytes) { return bytes[0] | bytes[1] << 8; }

[[noreturn]] void endsEarly(const char* name) { fatalError("EL FICHERO %s ESTA INCOMPLETO\n", name); }

// Reads a stream in blocks, so that one byte costs no library call. It may read ahead of
// the picture: the stream is closed after loading, and nothing after the picture is used
// but the palette.
class StreamBytes {
 public:
  explicit StreamBytes(std::FILE* stream) : stream_(stream) {}
  StreamBytes(const StreamBytes&) = delete;
  StreamBytes& operator=(const StreamBytes&) = delete;

  // The next byte, or -1 at the end of the stream.
  int next() {
    if (pos_ == end_ && !refill()) return -1;
    return *pos_++;
  }

  // Copies up to `count` bytes into out; returns how many there were.
  std::size_t read(unsigned char* out, std::size_t count) {
    std::size_t done = 0;
    while (done < count && (pos_ != end_ || refill())) {
      const std::size_t n = std::min(count - done, static_cast<std::size_t>(end_ - pos_));
      std::memcpy(out + done, pos_, n);
      pos_ += n;
      done += n;
    }
    return done;
  }

 private:
  bool refill() {
    pos_ = buffer_;
    end_ = buffer_ + std::fread(buffer_, 1, sizeof buffer_, stream_);
    return pos_ != end_;
  }

  std::FILE* stream_;
  unsigned char buffer_[4096];
  const unsigned char* pos_ = buffer_;
  const unsigned char* end_ = buffer_;
};

// Lays the decoded bytes of a picture out. They form plane rows of `stride` bytes, one after
// the other (for three planes: red, green and blue of image row 0, then of row 1, ...); the
// first `width` bytes of each are pixels, the rest is padding. A run may go on across plane
// rows and image rows for as long as it lasts; whatever comes after the last plane row is
// dropped, so nothing is written past width × height pixels.
template <int planes>
class PlaneRows {
  using Pixel = std::conditional_t<planes == 1, std::uint8_t, std::uint32_t>;

 public:
  PlaneRows(void* out, int width, int height, int stride)
      : row_(static_cast<Pixel*>(out)), width_(width), stride_(stride), rowsLeft_(height) {
    startImageRow();
  }

  bool complete() const { return rowsLeft_ == 0; }

  // Stores `count` copies of `value` from the current position on.
  void put(unsigned value, int count) {
    if (position_ + count < width_) {  // the common case: inside this plane row's pixels
      fill(value, position_, position_ + count);
      position_ += count;
      return;
    }
    while (count > 0 && rowsLeft_ > 0) {
      const int n = std::min(count, stride_ - position_);
      fill(value, position_, std::min(position_ + n, width_));
      position_ += n;
      count -= n;
      if (position_ == stride_) nextPlaneRow();
    }
  }

 private:
  void fill(unsigned value, int from, int to) {
    if constexpr (planes == 1) {
      if (from < to) std::memset(row_ + from, static_cast<int>(value), static_cast<std::size_t>(to - from));
    } else {
      // Red, green and blue are or-ed into the row, which starts out zeroed.
      const std::uint32_t shifted = value << shift_;
      for (int i = from; i < to; ++i) row_[i] |= shifted;
    }
  }

  void nextPlaneRow() {
    position_ = 0;
    shift_ -= 8;
    if (++plane_ < planes) return;
    plane_ = 0;
    row_ += width_;
    if (--rowsLeft_ > 0) startImageRow();
  }

  void startImageRow() {
    shift_ = 16;
    if constexpr (planes == 3) std::memset(row_, 0, static_cast<std::size_t>(width_) * sizeof(Pixel));
  }

  Pixel* row_;
  int width_;
  int stride_;
  int rowsLeft_;
  int plane_ = 0;
  int shift_ = 16;  // of the current plane's byte in a pixel: 16 red, 8 green, 0 blue
  int position_ = 0;
};

unsigned nextByte(StreamBytes& in, const char* name) {
  const int byte = in.next();
  if (byte < 0) endsEarly(name);
  return static_cast<unsigned>(byte);
}

template <int planes>
void decodeImage(StreamBytes& in, const char* name, const PcxHeader& header, void* outPixels) {
  // Writers pad each plane row to bytesPerLine (an even length, as the format asks); a
  // smaller value cannot be right, and the rows are then taken as width bytes long.
  PlaneRows<planes> rows(outPixels, header.width, header.height, std::max(header.bytesPerLine, header.width));
  if (header.encoding == 0) {
    while (!rows.complete()) rows.put(nextByte(in, name), 1);
    return;
  }
  while (!rows.complete()) {
    const unsigned code = nextByte(in, name);
    if (code >= runCode) {
      rows.put(nextByte(in, name), static_cast<int>(code & 0x3F));
    } else {
      rows.put(code, 1);
    }
  }
}

// The palette follows the first 0x0C byte after the image data.
void readPalette(StreamBytes& in, const char* name, unsigned char* outPalette) {
  for (int byte = in.next(); byte != paletteMarker; byte = in.next()) {
    if (byte < 0) fatalError("EL FICHERO %s NO TIENE PALETA\n", name);
  }
  if (in.read(outPalette, pcxPaletteSize) != pcxPaletteSize) {
    fatalError("LA PALETA DEL FICHERO %s ESTA INCOMPLETA\n", name);
  }
}

// The header, with the loader's refusals of a file that is not a picture it reads.
PcxHeader readHeader(StreamBytes& in, const char* name) {
  unsigned char bytes[pcxHeaderSize];
  const std::size_t got = in.read(bytes, sizeof bytes);
  if (got < 1 || bytes[0] != pcxManufacturer) fatalError("EL FICHERO %s NO ES DE FORMATO PCX\n", name);
  if (got < sizeof bytes) endsEarly(name);

  const PcxHeader header = decodePcxHeader(bytes);
  if (header.bitsPerPixel != 8) fatalError("UNICAMENTE IMPLEMENTADO 8 BITS POR PIXEL Y PLANO.\n");
  if (header.planes != 1 && header.planes != 3) fatalError("UNICAMENTE IMPLEMENTADOS 1 Y 3 PLANOS.\n");
  if (header.width <= 0 || header.height <= 0) {
    fatalError("EL FICHERO %s TIENE DIMENSIONES NO VALIDAS (%d x %d)\n", name, header.width, header.height);
  }
  return header;
}

struct StreamCloser {
  void operator()(std::FILE* stream) const { std::fclose(stream); }
};
using Stream = std::unique_ptr<std::FILE, StreamCloser>;

Stream openPicture(char* name) {
  Stream stream(openResource(name, "rb"));
  if (!stream) fatalError("No encuentro el fichero \"%s\"", name);
  return stream;
}

}  // namespace

PcxHeader decodePcxHeader(const unsigned char (&bytes)[pcxHeaderSize]) {
  PcxHeader header;
  header.manufacturer = bytes[0];
  header.encoding = bytes[2];
  header.bitsPerPixel = bytes[3];
  header.width = read16(bytes + 8) - read16(bytes + 4) + 1;
  header.height = read16(bytes + 10) - read16(bytes + 6) + 1;
  header.planes = bytes[65];
  header.bytesPerLine = read16(bytes + 66);
  return header;
}

std::uint64_t pcxOutputBytes(const PcxHeader& header) {
  if (header.width <= 0 || header.height <= 0) return 0;
  return static_cast<std::uint64_t>(header.width) * static_cast<std::uint64_t>(header.height) *
         (header.planes == 3 ? 4u : 1u);
}

int readPcx(std::FILE* stream, const char* name, void* outPixels, std::size_t outCapacity,
            unsigned char* outPalette) {
  StreamBytes in(stream);
  const PcxHeader header = readHeader(in, name);
  if (pcxOutputBytes(header) > outCapacity) {
    fatalError("LA IMAGEN %s (%d x %d, %d PLANOS) NO CABE EN UN BUFFER DE %lu BYTES\n", name, header.width,
               header.height, header.planes, static_cast<unsigned long>(outCapacity));
  }

  if (header.planes == 1) {
    decodeImage<1>(in, name, header, outPixels);
    if (outPalette != nullptr) readPalette(in, name, outPalette);
  } else {
    decodeImage<3>(in, name, header, outPixels);
  }
  return 1;
}

PcxSize loadPcxSize(char* name) {
  const Stream stream = openPicture(name);
  StreamBytes in(stream.get());
  const PcxHeader header = readHeader(in, name);
  return {header.width, header.height, header.planes};
}

int loadPcx(char* name, void* outPixels, std::size_t outCapacity, unsigned char* outPalette) {
  return readPcx(openPicture(name).get(), name, outPixels, outCapacity, outPalette);
}

PcxSize loadPcxSize(const char* name) {
  std::string copy(name != nullptr ? name : "");
  return loadPcxSize(copy.data());
}

int loadPcx(const char* name, void* outPixels, std::size_t outCapacity, unsigned char* outPalette) {
  std::string copy(name != nullptr ? name : "");
  return loadPcx(copy.data(), outPixels, outCapacity, outPalette);
}
