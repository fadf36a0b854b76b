// The image loading: PCX pictures with 8 bits per pixel per plane, either one plane
// (palette indices, one byte a pixel, with an optional 256-colour palette) or three (red,
// green, blue, stored as 32-bit 0x00RRGGBB pixels), raw or run-length encoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

constexpr std::size_t pcxHeaderSize = 128;
constexpr std::size_t pcxPaletteSize = 768;  // 256 entries of red, green, blue

// The fields of the 128-byte header that the loader uses.
struct PcxHeader {
  int manufacturer = 0;  // 10 in every PCX file
  int encoding = 0;      // 0 raw; any other value run-length encoded
  int bitsPerPixel = 0;  // per plane; only 8 is read
  int width = 0;         // xmax - xmin + 1; zero or less for a broken header
  int height = 0;        // ymax - ymin + 1
  int planes = 0;        // 1 or 3 are read
  int bytesPerLine = 0;  // bytes of one stored plane row, padding included
};

PcxHeader decodePcxHeader(const unsigned char (&bytes)[pcxHeaderSize]);

// Bytes a picture takes in the caller's buffer: width × height, times 4 with three planes.
std::uint64_t pcxOutputBytes(const PcxHeader& header);

// A picture's size, as its header gives it.
struct PcxSize {
  int width = 0;
  int height = 0;
  int planes = 0;  // 1 or 3
};

// The size of the picture `name`, opened as loadPcx opens it (through openResource, which
// may upper-case `name` in place), read from its header alone: a program sizes its buffer
// with it before loadPcx. A missing file, or a header loadPcx refuses, ends the program
// through fatalError with loadPcx's message.
PcxSize loadPcxSize(char* name);
// The same for a name that cannot be written (a string literal), looked up through a copy.
PcxSize loadPcxSize(const char* name);

// Loads the picture `name`, opened through openResource (which may upper-case `name` in
// place), into outPixels: width × height bytes of palette indices for one plane, or
// width × height 0x00RRGGBB pixels (a buffer aligned for them) for three. outCapacity is
// the buffer's room in bytes. With one plane and a non-null outPalette, the 768-byte
// palette that follows the 0x0C marker after the image data is copied there. Returns 1;
// every failure (missing file, unsupported or broken file, a picture larger than the
// buffer) ends the program through fatalError, before anything is written past the buffer.
int loadPcx(char* name, void* outPixels, std::size_t outCapacity, unsigned char* outPalette);
// The same for a name that cannot be written (a string literal): the lookup upper-cases a
// copy, which the messages quote.
int loadPcx(const char* name, void* outPixels, std::size_t outCapacity, unsigned char* outPalette);

// The same from a stream already open at the picture's first byte, which stays open; the
// name is only quoted in messages.
int readPcx(std::FILE* stream, const char* name, void* outPixels, std::size_t outCapacity,
            unsigned char* outPalette);
