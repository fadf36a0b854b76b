// The audio library's cost and speed: CPU time of the audio work per second of output
// (module rendering and mixing; target under 2 % of one core), and the delay from
// BASS_StreamPlay to the sound in the output (target 30 ms at most), in output frames.
#include <benchmark/benchmark.h>
#include <bass.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/bass/bass_output.h"
#include "platform/bass/file_bytes.h"
#include "platform/bass/mixer.h"
#include "platform/bass/module_music.h"
#include "platform/bass/mp3_decode.h"
#include "platform/bass/output_capture.h"

namespace {

constexpr int rate = 44100;
const std::string musicPath = std::string(KESTRIX_ASSETS_DIR) + "/cagadon.it";
const std::string jumpPath = std::string(KESTRIX_ASSETS_DIR) + "/saltito.mp3";

// "Percent of one core" from CPU seconds per iteration, each iteration being one second of output.
benchmark::Counter corePercent() {
  return benchmark::Counter(0.01, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

std::vector<std::int16_t> jumpSamples() {
  const auto bytes = readAudioFile(jumpPath.c_str(), 0, 0);
  const auto pcm = bytes ? decodeMp3(*bytes, rate) : std::nullopt;
  return pcm ? *pcm : std::vector<std::int16_t>{};
}

// One second of output as the output callback makes it, in buffers of `buffer` frames:
// the music playing, and a jump every half second (as often as the game can jump).
void BM_AudioWorkPerSecondOfOutput(benchmark::State& state) {
  const int buffer = static_cast<int>(state.range(0));
  const bool withMusic = state.range(1) != 0;
  const bool withJumps = state.range(2) != 0;
  const auto bytes = readAudioFile(musicPath.c_str(), 0, 0);
  openmpt_module* module = bytes ? loadModule(*bytes) : nullptr;
  if (module == nullptr) return state.SkipWithError("no music");
  StreamSound jump{jumpSamples()};
  MusicTrack track{module, withMusic};
  Mixer mixer;
  mixer.tracks.push_back(&track);
  std::vector<std::int16_t> out(2 * static_cast<std::size_t>(buffer));
  for (auto _ : state) {
    for (int done = 0; done < rate; done += buffer) {
      if (withJumps && done % (rate / 2) < buffer) mixer.startVoice(jump);
      mixer.mix(out.data(), std::min(buffer, rate - done));
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["core_%"] = corePercent();
  destroyModule(module);
}
BENCHMARK(BM_AudioWorkPerSecondOfOutput)
    ->ArgNames({"buffer", "music", "jumps"})
    ->Args({512, 1, 1})
    ->Args({256, 1, 1})
    ->Args({1024, 1, 1})
    ->Args({512, 1, 0})
    ->Args({512, 0, 1})
    ->Unit(benchmark::kMillisecond);

double processCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The whole library at work on SDL's dummy driver (paced like a sound card): the process's
// CPU time per second of output, output thread and SDL included.
void BM_LibraryCpuPerSecondOfOutput(benchmark::State& state) {
  outputcapture::useDriver("dummy");
  BASS_Init(-1, rate, 0, nullptr);
  const HMUSIC music = BASS_MusicLoad(FALSE, musicPath.c_str(), 0, 0, BASS_MUSIC_RAMP);
  const HSTREAM jump = BASS_StreamCreateFile(FALSE, jumpPath.c_str(), 0, 0, 0);
  if (music == 0 || jump == 0 || !bassoutput::hasDevice()) {
    BASS_Free();
    return state.SkipWithError("no output");
  }
  BASS_MusicPlayEx(music, 0, -1, TRUE);
  double cpu = 0.0;
  std::uint64_t frames = 0;
  for (auto _ : state) {
    const double cpu0 = processCpuSeconds();
    const std::uint64_t frames0 = bassoutput::framesOutput();
    for (int i = 0; i < 6; ++i) {  // three seconds, a jump every half second
      BASS_StreamPlay(jump, FALSE, 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    cpu += processCpuSeconds() - cpu0;
    frames += bassoutput::framesOutput() - frames0;
  }
  BASS_Free();
  state.counters["core_%"] = 100.0 * cpu / (static_cast<double>(frames) / rate);
  state.counters["output_s"] = static_cast<double>(frames) / rate;
}
BENCHMARK(BM_LibraryCpuPerSecondOfOutput)->Iterations(1)->Unit(benchmark::kSecond);

// Jumps from the tick's own thread at scattered moments; each one's delay is the frames
// from the call to its first frame in the output, plus the buffer the device is playing
// meanwhile.
void BM_PlayToOutputLatency(benchmark::State& state) {
  const std::string path = "/tmp/kestrix_bench_output_" + std::to_string(getpid()) + ".raw";
  outputcapture::useDiskOutput(path);
  BASS_Init(-1, rate, 0, nullptr);
  const HSTREAM jump = BASS_StreamCreateFile(FALSE, jumpPath.c_str(), 0, 0, 0);
  const auto sound = jumpSamples();
  if (jump == 0 || sound.empty() || !bassoutput::hasDevice()) {
    BASS_Free();
    return state.SkipWithError("no output");
  }
  std::vector<std::uint64_t> calledAt;
  std::uint32_t jitter = 12345;
  for (auto _ : state) {
    jitter = jitter * 1664525u + 1013904223u;
    std::this_thread::sleep_for(std::chrono::microseconds(300'000 + (jitter >> 8) % 40'000));
    std::thread tick([&] {
      calledAt.push_back(bassoutput::framesOutput());
      BASS_StreamPlay(jump, FALSE, 0);
    });
    tick.join();
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  BASS_Free();
  long lead = 0;
  const auto out = outputcapture::readOutput(path, bassoutput::framesOutput(), lead);
  std::remove(path.c_str());

  std::vector<double> ms;
  for (std::uint64_t at : calledAt) {
    const long found = outputcapture::findSound(out, sound, at, at + 8 * bassoutput::bufferFrames);
    if (found < 0) return state.SkipWithError("a jump is missing from the output");
    ms.push_back(1000.0 * static_cast<double>(found - static_cast<long>(at) + bassoutput::bufferFrames) / rate);
  }
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["max_ms"] = ms.back();
  state.counters["min_ms"] = ms.front();
  state.counters["buffer_frames"] = bassoutput::bufferFrames;
  state.counters["buffer_ms"] = 1000.0 * bassoutput::bufferFrames / rate;
}
BENCHMARK(BM_PlayToOutputLatency)->Iterations(40)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
