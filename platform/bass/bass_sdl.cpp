// The eight calls of the audio library over SDL2's audio output, libopenmpt and libmpg123.
//
// Two locks. `api` makes the calls take turns and guards the lists of loaded things; the
// output callback never takes it. `mixLock` guards what the mixer shares: which modules
// play, the voices, running or stopped. Everyone takes it only for quick changes (order:
// api, then mixLock); the callback renders the modules between two such moments, without
// it, so a play from the tick thread never waits for a render. Loading and decoding run
// outside both, so it never waits for a file either.
#include <SDL.h>
#include <bass.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "platform/bass/bass_output.h"
#include "platform/bass/file_bytes.h"
#include "platform/bass/mixer.h"
#include "platform/bass/module_music.h"
#include "platform/bass/mp3_decode.h"

namespace {

constexpr DWORD minRate = 8000;
constexpr DWORD maxRate = 192000;

struct LoadedMusic {
  DWORD handle;
  std::unique_ptr<MusicTrack> track;
  int orders;  // read at load: the output may be rendering the module when a play comes
};

struct LoadedStream {
  DWORD handle;
  std::unique_ptr<StreamSound> sound;
};

struct Engine {
  std::mutex api;
  bool initialised = false;  // between BASS_Init and BASS_Free
  std::uint64_t session = 0;  // counts BASS_Init calls that initialised
  bool sdlAudio = false;     // we hold a reference on SDL's audio subsystem
  SDL_AudioDeviceID device = 0;
  int rate = 44100;
  DWORD lastHandle = 0;  // handles are never reused, so a stale one matches nothing
  std::vector<LoadedMusic> music;
  std::vector<LoadedStream> streams;

  std::mutex mixLock;
  Mixer mixer;

  std::atomic<std::uint64_t> framesOut{0};
  std::atomic<bool> deviceOpen{false};
};

// Never destroyed: the tick thread may still call in while the process exits.
Engine& engine() {
  static Engine* e = new Engine;
  return *e;
}

void SDLCALL fillOutput(void* user, Uint8* stream, int bytes) noexcept {
  auto& e = *static_cast<Engine*>(user);
  auto* out = reinterpret_cast<std::int16_t*>(stream);
  int frames = bytes / static_cast<int>(2 * sizeof(std::int16_t));
  while (frames > 0) {
    const int n = std::min(frames, Mixer::chunkFrames);
    bool running = false;
    {
      std::lock_guard<std::mutex> lock(e.mixLock);
      running = e.mixer.takeMusic();
    }
    if (running) e.mixer.renderMusic(n);  // the long part, unlocked
    std::lock_guard<std::mutex> lock(e.mixLock);
    if (running) {
      e.mixer.addVoices(out, n);
    } else {
      std::fill(out, out + 2 * n, std::int16_t{0});
    }
    // Counted under the lock: a count read after a call returns includes every piece
    // whose voices were mixed before the call took effect, and none after.
    e.framesOut.fetch_add(static_cast<std::uint64_t>(n), std::memory_order_release);
    out += 2 * n;
    frames -= n;
  }
}

// Opens SDL's default output for 16-bit stereo at `rate`; false leaves no trace.
bool openDevice(Engine& e, int rate) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  SDL_AudioSpec want{};
  want.freq = rate;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = bassoutput::bufferFrames;
  want.callback = fillOutput;
  want.userdata = &e;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts for the hardware, and the callback keeps its format
  // and buffer size.
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  e.sdlAudio = true;
  e.device = device;
  return true;
}

DWORD nextHandle(Engine& e) {
  if (++e.lastHandle == 0) ++e.lastHandle;  // 0 is the failure value
  return e.lastHandle;
}

std::optional<std::vector<std::uint8_t>> fileBytes(BOOL mem, const void* file, DWORD offset, DWORD length) {
  return mem ? copyAudioMemory(file, offset, length) : readAudioFile(static_cast<const char*>(file), offset, length);
}

}  // namespace

namespace bassoutput {

std::uint64_t framesOutput() { return engine().framesOut.load(std::memory_order_acquire); }

bool hasDevice() { return engine().deviceOpen.load(); }

int takePeak() {
  Engine& e = engine();
  std::lock_guard<std::mutex> lock(e.mixLock);
  return std::exchange(e.mixer.peak, 0);
}

std::uint64_t soundFramesMixed() {
  Engine& e = engine();
  std::lock_guard<std::mutex> lock(e.mixLock);
  return e.mixer.voiceFrames;
}

}  // namespace bassoutput

extern "C" {

BOOL WINAPI BASS_Init(int device, DWORD freq, DWORD /*flags*/, HWND /*win*/) {
  Engine& e = engine();
  std::lock_guard<std::mutex> api(e.api);
  if (e.initialised) return e.device != 0 ? TRUE : FALSE;
  if (freq < minRate || freq > maxRate) return FALSE;
  e.rate = static_cast<int>(freq);
  {
    std::lock_guard<std::mutex> lock(e.mixLock);
    e.mixer.sampleRate = e.rate;
    e.mixer.running = true;
  }
  e.initialised = true;
  ++e.session;
  e.framesOut.store(0);
  // Device 0 asks for no sound; any other number means the default output. Without an
  // output the library still runs: loads and plays work, and nothing is heard.
  if (device == 0 || !openDevice(e, e.rate)) return FALSE;
  e.deviceOpen.store(true);
  SDL_PauseAudioDevice(e.device, 0);
  return TRUE;
}

BOOL WINAPI BASS_Start(void) {
  Engine& e = engine();
  std::lock_guard<std::mutex> api(e.api);
  if (!e.initialised) return FALSE;
  std::lock_guard<std::mutex> lock(e.mixLock);
  e.mixer.running = true;
  return TRUE;
}

BOOL WINAPI BASS_Stop(void) {
  Engine& e = engine();
  std::lock_guard<std::mutex> api(e.api);
  if (!e.initialised) return FALSE;
  // The next buffer is silence; modules and plays hold their place until BASS_Start.
  std::lock_guard<std::mutex> lock(e.mixLock);
  e.mixer.running = false;
  return TRUE;
}

void WINAPI BASS_Free(void) {
  Engine& e = engine();
  std::lock_guard<std::mutex> api(e.api);
  if (!e.initialised) return;
  if (e.device != 0) {
    SDL_CloseAudioDevice(e.device);  // returns once the callback has run for the last time
    e.device = 0;
    e.deviceOpen.store(false);
  }
  if (e.sdlAudio) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    e.sdlAudio = false;
  }
  {
    std::lock_guard<std::mutex> lock(e.mixLock);
    e.mixer.clear();
  }
  for (LoadedMusic& m : e.music) destroyModule(m.track->module);
  e.music.clear();
  e.streams.clear();
  e.initialised = false;
}

HMUSIC WINAPI BASS_MusicLoad(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD /*flags*/) {
  const auto bytes = fileBytes(mem, file, offset, length);
  if (!bytes) return 0;
  auto track = std::make_unique<MusicTrack>();
  track->module = loadModule(*bytes);
  if (track->module == nullptr) return 0;
  const int orders = moduleOrders(track->module);

  Engine& e = engine();
  std::lock_guard<std::mutex> api(e.api);
  if (!e.initialised) {
    destroyModule(track->module);
    return 0;
  }
  const DWORD handle = nextHandle(e);
  {
    std::lock_guard<std::mutex> lock(e.mixLock);
    e.mixer.tracks.push_back(track.get());
  }
  e.music.push_back(LoadedMusic{handle, std::move(track), orders});
  return handle;
}

BOOL WINAPI BASS_MusicPlayEx(HMUSIC handle, DWORD pos, int /*flags*/, BOOL /*reset*/) {
  Engine& e = engine();
  std::lock_guard<std::mutex> api(e.api);
  if (!e.initialised) return FALSE;
  const auto it = std::find_if(e.music.begin(), e.music.end(), [&](const LoadedMusic& m) { return m.handle == handle; });
  if (it == e.music.end()) return FALSE;
  // The position: order in the low word, row in the high word. Moving there resets the
  // channels whatever `reset` says, and a module loops whatever the flags say: the game's
  // music is meant to play round and round. The output moves it before its next render.
  if (LOWORD(pos) >= it->orders) return FALSE;
  std::lock_guard<std::mutex> lock(e.mixLock);
  Mixer::playTrack(*it->track, LOWORD(pos), HIWORD(pos));
  return TRUE;
}

HSTREAM WINAPI BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD /*flags*/) {
  Engine& e = engine();
  int rate = 0;
  std::uint64_t session = 0;
  {
    std::lock_guard<std::mutex> api(e.api);
    if (!e.initialised) return 0;
    rate = e.rate;
    session = e.session;
  }
  const auto bytes = fileBytes(mem, file, offset, length);
  if (!bytes) return 0;
  auto pcm = decodeMp3(*bytes, rate);
  if (!pcm) return 0;

  std::lock_guard<std::mutex> api(e.api);
  if (!e.initialised || e.session != session) return 0;  // freed (and maybe re-opened) meanwhile
  auto sound = std::make_unique<StreamSound>();
  sound->samples = std::move(*pcm);
  const DWORD handle = nextHandle(e);
  e.streams.push_back(LoadedStream{handle, std::move(sound)});
  return handle;
}

BOOL WINAPI BASS_StreamPlay(HSTREAM handle, BOOL /*flush*/, DWORD /*flags*/) {
  Engine& e = engine();
  std::lock_guard<std::mutex> api(e.api);
  if (!e.initialised) return FALSE;
  const auto it =
      std::find_if(e.streams.begin(), e.streams.end(), [&](const LoadedStream& s) { return s.handle == handle; });
  if (it == e.streams.end()) return FALSE;
  // Every play starts from the beginning, over the earlier ones still sounding.
  std::lock_guard<std::mutex> lock(e.mixLock);
  e.mixer.startVoice(*it->sound);
  return TRUE;
}

}  // extern "C"
