// A stand-in "bass.dll" for the Wine check: the eight BASS_* calls, each written as one
// line to "bass-calls.log" in the working folder, answering success. It shows that the
// Windows program finds the DLL beside it and makes its calls through it.
#include <bass.h>
#include <windows.h>

#include <cstdio>
#include <mutex>

// Declared by bass.h; exported here.
#define BASS_EXPORT extern "C" __declspec(dllexport)

namespace {

std::mutex logMutex;  // the tick's thread plays the jump sound while the main thread runs

template <typename... Args>
void logCall(const char* format, Args... args) {
  const std::lock_guard lock(logMutex);
  if (std::FILE* log = std::fopen("bass-calls.log", "ab")) {
    std::fprintf(log, format, args...);
    std::fputc('\n', log);
    std::fclose(log);
  }
}

const char* fileName(BOOL mem, const void* file) { return mem ? "(memory)" : static_cast<const char*>(file); }

}  // namespace

BASS_EXPORT BOOL WINAPI BASS_Init(int device, DWORD freq, DWORD flags, HWND) {
  logCall("BASS_Init %d %lu %lu", device, freq, flags);
  return TRUE;
}

BASS_EXPORT BOOL WINAPI BASS_Start() {
  logCall("BASS_Start");
  return TRUE;
}

BASS_EXPORT BOOL WINAPI BASS_Stop() {
  logCall("BASS_Stop");
  return TRUE;
}

BASS_EXPORT void WINAPI BASS_Free() { logCall("BASS_Free"); }

BASS_EXPORT HMUSIC WINAPI BASS_MusicLoad(BOOL mem, const void* file, DWORD, DWORD, DWORD flags) {
  logCall("BASS_MusicLoad %s %lu", fileName(mem, file), flags);
  return 1;
}

BASS_EXPORT BOOL WINAPI BASS_MusicPlayEx(HMUSIC handle, DWORD pos, int flags, BOOL reset) {
  logCall("BASS_MusicPlayEx %lu %lu %d %d", handle, pos, flags, reset);
  return TRUE;
}

BASS_EXPORT HSTREAM WINAPI BASS_StreamCreateFile(BOOL mem, const void* file, DWORD, DWORD, DWORD flags) {
  logCall("BASS_StreamCreateFile %s %lu", fileName(mem, file), flags);
  return 2;
}

BASS_EXPORT BOOL WINAPI BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags) {
  logCall("BASS_StreamPlay %lu %d %lu", handle, flush, flags);
  return TRUE;
}
