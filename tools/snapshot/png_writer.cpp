#include "tools/snapshot/png_writer.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

[[noreturn]] void pngError(png_structp png, png_const_charp message) {
  *static_cast<std::string*>(png_get_error_ptr(png)) = message;
  png_longjmp(png, 1);
}

}  // namespace

void writePng(const std::string& path, const std::uint32_t* pixels, int width, int height) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));

  std::vector<png_byte> rows(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  for (std::size_t i = 0; i < static_cast<std::size_t>(width) * static_cast<std::size_t>(height); ++i) {
    rows[3 * i] = static_cast<png_byte>(pixels[i] >> 16);
    rows[3 * i + 1] = static_cast<png_byte>(pixels[i] >> 8);
    rows[3 * i + 2] = static_cast<png_byte>(pixels[i]);
  }
  std::vector<png_bytep> rowPointers(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) rowPointers[static_cast<std::size_t>(y)] = &rows[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3];

  std::string error;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, pngError, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (png == nullptr || info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    throw std::runtime_error("cannot write " + path + ": out of memory");
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("cannot write " + path + ": " + error);
  }
  png_init_io(png, file.get());
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rowPointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fflush(file.get()) != 0) throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
}
