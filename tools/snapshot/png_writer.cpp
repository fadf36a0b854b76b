#include "tools/snapshot/png_writer.h"

#include <png.h>

#include <new>
#include <stdexcept>
#include <string>

namespace {

[[noreturn]] void pngError(png_structp png, png_const_charp message) {
  *static_cast<std::string*>(png_get_error_ptr(png)) = message;
  png_longjmp(png, 1);
}

void appendBytes(png_structp png, png_bytep bytes, png_size_t count) {
  auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
  try {
    out->insert(out->end(), bytes, bytes + count);
  } catch (const std::bad_alloc&) {  // no exception may cross libpng's C code
    png_error(png, "out of memory");
  }
}

void flushNothing(png_structp) {}

}  // namespace

std::vector<unsigned char> encodePng(const std::uint32_t* pixels, int width, int height) {
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::vector<png_byte> rows(count * 3);
  for (std::size_t i = 0; i < count; ++i) {
    rows[3 * i] = static_cast<png_byte>(pixels[i] >> 16);
    rows[3 * i + 1] = static_cast<png_byte>(pixels[i] >> 8);
    rows[3 * i + 2] = static_cast<png_byte>(pixels[i]);
  }
  std::vector<png_bytep> rowPointers(static_cast<std::size_t>(height));
  for (std::size_t y = 0; y < rowPointers.size(); ++y) rowPointers[y] = &rows[y * static_cast<std::size_t>(width) * 3];

  std::vector<unsigned char> out;
  std::string error;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, pngError, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (png == nullptr || info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    throw std::runtime_error("cannot make a PNG picture: out of memory");
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("cannot make a PNG picture: " + error);
  }
  png_set_write_fn(png, &out, appendBytes, flushNothing);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rowPointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}
