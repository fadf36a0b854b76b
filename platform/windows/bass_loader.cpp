// The eight BASS_* calls on Windows, taken from bass.dll in the program's folder. Without
// that DLL (or with one that lacks any of them) every call answers its failure value, 0 or
// FALSE, and the game runs silent.
#include <bass.h>
#include <windows.h>

#include <cstring>

#include "platform/windows/dll_function.h"

namespace {

struct BassFunctions {
  BOOL(WINAPI* init)(int, DWORD, DWORD, HWND) = nullptr;
  BOOL(WINAPI* start)() = nullptr;
  BOOL(WINAPI* stop)() = nullptr;
  void(WINAPI* free)() = nullptr;
  HMUSIC(WINAPI* musicLoad)(BOOL, const void*, DWORD, DWORD, DWORD) = nullptr;
  BOOL(WINAPI* musicPlayEx)(HMUSIC, DWORD, int, BOOL) = nullptr;
  HSTREAM(WINAPI* streamCreateFile)(BOOL, const void*, DWORD, DWORD, DWORD) = nullptr;
  BOOL(WINAPI* streamPlay)(HSTREAM, BOOL, DWORD) = nullptr;

  bool complete() const {
    return init && start && stop && free && musicLoad && musicPlayEx && streamCreateFile && streamPlay;
  }
};

// Only the program's own folder is searched, not the system's, so the DLL the user put
// beside the game is the one used.
HMODULE loadBesideProgram(const char* fileName) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  char* folderEnd = std::strrchr(path, '\\');
  const std::size_t folderLength = folderEnd != nullptr ? static_cast<std::size_t>(folderEnd - path + 1) : 0;
  if (folderLength + std::strlen(fileName) >= MAX_PATH) return nullptr;
  std::strcpy(path + folderLength, fileName);
  return LoadLibraryA(path);
}

BassFunctions load() {
  BassFunctions bass;
  HMODULE library = loadBesideProgram("bass.dll");
  if (library == nullptr) return bass;
  bass.init = dllFunction<decltype(bass.init)>(library, "BASS_Init");
  bass.start = dllFunction<decltype(bass.start)>(library, "BASS_Start");
  bass.stop = dllFunction<decltype(bass.stop)>(library, "BASS_Stop");
  bass.free = dllFunction<decltype(bass.free)>(library, "BASS_Free");
  bass.musicLoad = dllFunction<decltype(bass.musicLoad)>(library, "BASS_MusicLoad");
  bass.musicPlayEx = dllFunction<decltype(bass.musicPlayEx)>(library, "BASS_MusicPlayEx");
  bass.streamCreateFile = dllFunction<decltype(bass.streamCreateFile)>(library, "BASS_StreamCreateFile");
  bass.streamPlay = dllFunction<decltype(bass.streamPlay)>(library, "BASS_StreamPlay");
  if (bass.complete()) return bass;  // the DLL stays loaded until the process ends
  FreeLibrary(library);
  return {};
}

// Loaded at the first call (the start-up's BASS_Init, on the main thread); the tick's
// thread only reads the table afterwards.
const BassFunctions& bass() {
  static const BassFunctions functions = load();
  return functions;
}

}  // namespace

extern "C" {

BOOL WINAPI BASS_Init(int device, DWORD freq, DWORD flags, HWND win) {
  return bass().init != nullptr ? bass().init(device, freq, flags, win) : FALSE;
}

BOOL WINAPI BASS_Start() { return bass().start != nullptr ? bass().start() : FALSE; }

BOOL WINAPI BASS_Stop() { return bass().stop != nullptr ? bass().stop() : FALSE; }

void WINAPI BASS_Free() {
  if (bass().free != nullptr) bass().free();
}

HMUSIC WINAPI BASS_MusicLoad(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags) {
  return bass().musicLoad != nullptr ? bass().musicLoad(mem, file, offset, length, flags) : 0;
}

BOOL WINAPI BASS_MusicPlayEx(HMUSIC handle, DWORD pos, int flags, BOOL reset) {
  return bass().musicPlayEx != nullptr ? bass().musicPlayEx(handle, pos, flags, reset) : FALSE;
}

HSTREAM WINAPI BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags) {
  return bass().streamCreateFile != nullptr ? bass().streamCreateFile(mem, file, offset, length, flags) : 0;
}

BOOL WINAPI BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags) {
  return bass().streamPlay != nullptr ? bass().streamPlay(handle, flush, flags) : FALSE;
}

}  // extern "C"
