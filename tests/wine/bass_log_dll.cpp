// A stand-in "bass.dll" for the Wine check: the eight BASS_* calls, each written as one
// line to "bass-calls.log" in the working folder, answering success. It shows that the
// Windows program finds the DLL beside it and makes its calls through it.
#include <bass.h>
#include <windows.h>

#include <cstdio>
#include <mutex>

#define BASS_EXPORT extern "C" __declspec(dllexport)  // declared by bass.h, exported here

namespace {

std::mutex logMutex;  // the tick's thread plays the jump sound while the main thread runs

template <typename... Args>
DWORD logCall(DWORD result, const char* format, Args... args) {
  const std::lock_guard lock(logMutex);
  if (std::FILE* log = std::fopen("bass-calls.log", "ab")) {
    std::fprintf(log, format, args...);
    std::fputc('\n', log);
    std::fclose(log);
  }
  return result;
}

const char* fileName(BOOL mem, const void* file) { return mem ? "(memory)" : static_cast<const char*>(file); }

}  // namespace

BASS_EXPORT BOOL WINAPI BASS_Init(int device, DWORD freq, DWORD flags, HWND) {
  return logCall(TRUE, "BASS_Init %d %lu %lu", device, freq, flags);
}
BASS_EXPORT BOOL WINAPI BASS_Start() { return logCall(TRUE, "BASS_Start"); }
BASS_EXPORT BOOL WINAPI BASS_Stop() { return logCall(TRUE, "BASS_Stop"); }
BASS_EXPORT void WINAPI BASS_Free() { logCall(TRUE, "BASS_Free"); }
BASS_EXPORT HMUSIC WINAPI BASS_MusicLoad(BOOL mem, const void* file, DWORD, DWORD, DWORD flags) {
  return logCall(1, "BASS_MusicLoad %s %lu", fileName(mem, file), flags);
}
BASS_EXPORT BOOL WINAPI BASS_MusicPlayEx(HMUSIC handle, DWORD pos, int flags, BOOL reset) {
  return logCall(TRUE, "BASS_MusicPlayEx %lu %lu %d %d", handle, pos, flags, reset);
}
BASS_EXPORT HSTREAM WINAPI BASS_StreamCreateFile(BOOL mem, const void* file, DWORD, DWORD, DWORD flags) {
  return logCall(2, "BASS_StreamCreateFile %s %lu", fileName(mem, file), flags);
}
BASS_EXPORT BOOL WINAPI BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags) {
  return logCall(TRUE, "BASS_StreamPlay %lu %d %lu", handle, flush, flags);
}
