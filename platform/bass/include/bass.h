// The eight calls of the BASS audio library that Kestrix makes, with the library's
// signatures and constant values. Handles are 32-bit; 0 is the failure value of the
// calls that return one, FALSE that of the others.
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#define BASSDEF(f) WINAPI f

typedef DWORD HMUSIC;   // module music handle
typedef DWORD HSTREAM;  // sample stream handle

// BASS_Init device and flags
#define BASS_DEVICE_DEFAULT (-1)
#define BASS_DEVICE_8BITS 1
#define BASS_DEVICE_MONO 2

// BASS_MusicLoad flags
#define BASS_MUSIC_RAMP 1
#define BASS_MUSIC_RAMPS 2
#define BASS_MUSIC_LOOP 4
#define BASS_MUSIC_FT2MOD 16
#define BASS_MUSIC_PT1MOD 32
#define BASS_MUSIC_MONO 64
#define BASS_MUSIC_POSRESET 256

// BASS_StreamCreateFile flags
#define BASS_SAMPLE_LOOP 4
#define BASS_SAMPLE_MONO 2

// Opens the output device (-1: the default) at freq Hz. A second call while the output
// is open changes nothing.
BOOL BASSDEF(BASS_Init)(int device, DWORD freq, DWORD flags, HWND win);
// Resumes the output after BASS_Stop.
BOOL BASSDEF(BASS_Start)(void);
// Stops all output at once.
BOOL BASSDEF(BASS_Stop)(void);
// Gives back the device and everything loaded; later calls do nothing until BASS_Init.
void BASSDEF(BASS_Free)(void);
// Loads a tracker module from a file (mem FALSE: file is its name) or from memory (mem TRUE:
// length bytes at file + offset).
HMUSIC BASSDEF(BASS_MusicLoad)(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags);
// Plays a module from order position pos; flags -1 keeps the load flags; reset clears the
// channels' state first.
BOOL BASSDEF(BASS_MusicPlayEx)(HMUSIC handle, DWORD pos, int flags, BOOL reset);
// Opens a compressed audio file (MP3) as a stream, from a file or from memory as
// BASS_MusicLoad does. A memory block stays the caller's, valid while the stream exists.
HSTREAM BASSDEF(BASS_StreamCreateFile)(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags);
// Plays a stream from its beginning, over whatever sounds already (earlier plays of the
// same stream included).
BOOL BASSDEF(BASS_StreamPlay)(HSTREAM handle, BOOL flush, DWORD flags);

#ifdef __cplusplus
}
#endif
