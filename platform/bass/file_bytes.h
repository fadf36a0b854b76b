// The bytes of an audio file, from a path or from memory, as the audio library's load
// calls name them (an offset, and a length where 0 means "to the end").
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// Files larger than this are refused: no sound the game plays comes near it.
constexpr std::size_t maxAudioFileBytes = 64u << 20;

// The file's bytes from offset on, length of them (0: all the rest). Empty optional when
// the file is missing, unreadable or no regular file (a folder, a FIFO, a device: never
// waited on), holds fewer bytes than asked, or is larger than maxAudioFileBytes; an empty
// result never comes back as a success either.
std::optional<std::vector<std::uint8_t>> readAudioFile(const char* path, std::uint32_t offset, std::uint32_t length);

// The same from memory: length bytes at data + offset (length 0 is refused: the size of a
// memory block cannot be guessed).
std::optional<std::vector<std::uint8_t>> copyAudioMemory(const void* data, std::uint32_t offset, std::uint32_t length);
