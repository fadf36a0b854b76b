#include "tools/pcx/ppm.h"

#include <stdexcept>
#include <string>

namespace {

class HeaderReader {
 public:
  explicit HeaderReader(const std::vector<unsigned char>& bytes) : bytes_(bytes) {}

  // The next decimal number, after blanks and comments.
  unsigned long number(const char* what) {
    skipBlanksAndComments();
    unsigned long value = 0;
    std::size_t digits = 0;
    for (; at_ < bytes_.size() && bytes_[at_] >= '0' && bytes_[at_] <= '9'; ++at_, ++digits) {
      value = value * 10 + (bytes_[at_] - '0');
      if (value > 0xFFFFFFFFul) throw std::runtime_error(std::string("PPM ") + what + " is too large");
    }
    if (digits == 0) throw std::runtime_error(std::string("PPM header lacks the ") + what);
    return value;
  }

  bool take(unsigned char byte) {
    if (at_ >= bytes_.size() || bytes_[at_] != byte) return false;
    ++at_;
    return true;
  }

  // The one blank between the header and the samples.
  void endOfHeader() {
    if (at_ >= bytes_.size() || !isBlank(bytes_[at_])) throw std::runtime_error("PPM header does not end in a blank");
    ++at_;
  }

  std::size_t position() const { return at_; }

 private:
  static bool isBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

  void skipBlanksAndComments() {
    while (at_ < bytes_.size()) {
      if (isBlank(bytes_[at_])) {
        ++at_;
      } else if (bytes_[at_] == '#') {
        while (at_ < bytes_.size() && bytes_[at_] != '\n' && bytes_[at_] != '\r') ++at_;
      } else {
        break;
      }
    }
  }

  const std::vector<unsigned char>& bytes_;
  std::size_t at_ = 0;
};

}  // namespace

RgbPicture decodePpm(const std::vector<unsigned char>& bytes) {
  HeaderReader header(bytes);
  if (!header.take('P') || !header.take('6')) throw std::runtime_error("not a binary PPM (P6) file");
  const unsigned long width = header.number("width");
  const unsigned long height = header.number("height");
  const unsigned long maxValue = header.number("maximum value");
  header.endOfHeader();
  if (width == 0 || height == 0) throw std::runtime_error("PPM picture has no pixels");
  if (maxValue == 0 || maxValue > 65535) throw std::runtime_error("PPM maximum value is not 1 to 65535");
  if (width > 65536 || height > 65536) throw std::runtime_error("PPM picture is larger than 65536 pixels a side");

  const std::size_t sampleBytes = maxValue > 255 ? 2 : 1;
  const std::size_t count = static_cast<std::size_t>(width) * height;
  if ((bytes.size() - header.position()) / (3 * sampleBytes) < count) {
    throw std::runtime_error("PPM file ends before its last pixel");
  }
  RgbPicture picture{static_cast<int>(width), static_cast<int>(height), std::vector<std::uint32_t>(count)};
  const unsigned char* sample = bytes.data() + header.position();
  const auto next = [&] {
    unsigned long value = *sample++;
    if (sampleBytes == 2) value = value << 8 | *sample++;
    // Above the maximum, a sample would scale past 255 and spill into the next colour.
    if (value > maxValue) throw std::runtime_error("PPM sample is above the maximum value");
    return static_cast<std::uint32_t>((value * 255 + maxValue / 2) / maxValue);
  };
  for (std::uint32_t& pixel : picture.pixels) {
    const std::uint32_t red = next();
    const std::uint32_t green = next();
    const std::uint32_t blue = next();
    pixel = red << 16 | green << 8 | blue;
  }
  return picture;
}

std::vector<unsigned char> encodePpm(const RgbPicture& picture) {
  const std::string header =
      "P6\n" + std::to_string(picture.width) + " " + std::to_string(picture.height) + "\n255\n";
  std::vector<unsigned char> out(header.begin(), header.end());
  out.reserve(out.size() + picture.pixels.size() * 3);
  for (const std::uint32_t pixel : picture.pixels) {
    out.push_back(static_cast<unsigned char>(pixel >> 16));
    out.push_back(static_cast<unsigned char>(pixel >> 8));
    out.push_back(static_cast<unsigned char>(pixel));
  }
  return out;
}
