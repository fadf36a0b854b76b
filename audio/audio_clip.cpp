#include "audio/audio_clip.h"

#include "audio/clip_bytes.h"

#include <bass.h>
#include <mmsystem.h>

AudioClip* musicClip = nullptr;
AudioClip* jumpSound = nullptr;

namespace {
constexpr int outputDevice = -1;  // the default device
constexpr DWORD outputRate = 44100;
}  // namespace

void AudioClip::loadStream(const char* fileName, HWND window) {
  BASS_Init(outputDevice, outputRate, 0, window);
  handle = BASS_StreamCreateFile(FALSE, fileName, 0, 0, 0);
  startTime = 0;
}

void AudioClip::loadModule(const char* fileName, HWND window) {
  BASS_Init(outputDevice, outputRate, 0, window);
  handle = BASS_MusicLoad(FALSE, fileName, 0, 0, BASS_MUSIC_RAMP);
  startTime = 0;
}

void AudioClip::loadStreamMemory(const void* data, DWORD bytes, HWND window) {
  BASS_Init(outputDevice, outputRate, 0, window);
  handle = BASS_StreamCreateFile(TRUE, data, 0, bytes, 0);
  startTime = 0;
}

void AudioClip::loadModuleMemory(const void* data, DWORD bytes, HWND window) {
  BASS_Init(outputDevice, outputRate, 0, window);
  handle = BASS_MusicLoad(TRUE, data, 0, bytes, BASS_MUSIC_RAMP);
  startTime = 0;
}

void AudioClip::playStream() {
  BASS_Start();
  BASS_StreamPlay(handle, FALSE, 0);
  startTime = timeGetTime();
}

void AudioClip::playModule() {
  BASS_Start();
  BASS_MusicPlayEx(handle, 0, -1, TRUE);
  startTime = timeGetTime();
}

void AudioClip::stopAll() { BASS_Stop(); }

void AudioClip::freeAll() {
  BASS_Free();
  releaseClipBytes();  // no handle of the library plays from them any more
}
