#include "platform/bass_record/bass_record.h"

#include <bass.h>

#include <array>
#include <atomic>
#include <mutex>

namespace bassrecord {
namespace {

std::array<std::atomic<std::uint64_t>, static_cast<std::size_t>(Function::Count)> counts{};
std::atomic<bool> logging{false};
std::atomic<std::uint32_t> nextMusic{1};
std::atomic<std::uint32_t> nextStream{2};
std::mutex logMutex;
std::vector<Call> log;
std::mutex hookMutex;
std::array<std::function<void()>, static_cast<std::size_t>(Function::Count)> hooks;

// A load's file as text: its name, or with mem the block's bytes.
std::string loaded(BOOL mem, const void* file, DWORD offset, DWORD length) {
  if (file == nullptr) return "";
  if (!mem) return static_cast<const char*>(file);
  return std::string(static_cast<const char*>(file) + offset, length);
}

void record(Function f, const char* name, std::vector<std::int64_t> args, std::string file = "") {
  counts[static_cast<std::size_t>(f)].fetch_add(1, std::memory_order_relaxed);
  std::function<void()> hook;
  {
    std::lock_guard<std::mutex> lock(hookMutex);
    hook = hooks[static_cast<std::size_t>(f)];
  }
  if (hook) hook();
  if (!logging.load(std::memory_order_relaxed)) return;
  std::lock_guard<std::mutex> lock(logMutex);
  log.push_back(Call{name, std::move(args), std::move(file)});
}

}  // namespace

std::uint64_t count(Function f) { return counts[static_cast<std::size_t>(f)].load(std::memory_order_relaxed); }

void setLogging(bool on) { logging.store(on); }

std::vector<Call> calls() {
  std::lock_guard<std::mutex> lock(logMutex);
  return log;
}

void onCall(Function f, std::function<void()> hook) {
  std::lock_guard<std::mutex> lock(hookMutex);
  hooks[static_cast<std::size_t>(f)] = std::move(hook);
}

void reset(std::uint32_t musicHandle, std::uint32_t streamHandle) {
  {
    std::lock_guard<std::mutex> lock(hookMutex);
    hooks.fill(nullptr);
  }
  for (auto& c : counts) c.store(0);
  logging.store(false);
  nextMusic.store(musicHandle);
  nextStream.store(streamHandle);
  std::lock_guard<std::mutex> lock(logMutex);
  log.clear();
}

}  // namespace bassrecord

using bassrecord::Function;
using bassrecord::record;

extern "C" {

BOOL WINAPI BASS_Init(int device, DWORD freq, DWORD flags, HWND win) {
  record(Function::Init, "BASS_Init", {device, freq, flags, static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(win))});
  return TRUE;
}

BOOL WINAPI BASS_Start(void) {
  record(Function::Start, "BASS_Start", {});
  return TRUE;
}

BOOL WINAPI BASS_Stop(void) {
  record(Function::Stop, "BASS_Stop", {});
  return TRUE;
}

void WINAPI BASS_Free(void) { record(Function::Free, "BASS_Free", {}); }

HMUSIC WINAPI BASS_MusicLoad(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags) {
  record(Function::MusicLoad, "BASS_MusicLoad", {mem, offset, length, flags}, bassrecord::loaded(mem, file, offset, length));
  return bassrecord::nextMusic.load();
}

BOOL WINAPI BASS_MusicPlayEx(HMUSIC handle, DWORD pos, int flags, BOOL reset) {
  record(Function::MusicPlayEx, "BASS_MusicPlayEx", {handle, pos, flags, reset});
  return TRUE;
}

HSTREAM WINAPI BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags) {
  record(Function::StreamCreateFile, "BASS_StreamCreateFile", {mem, offset, length, flags},
         bassrecord::loaded(mem, file, offset, length));
  return bassrecord::nextStream.load();
}

BOOL WINAPI BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags) {
  record(Function::StreamPlay, "BASS_StreamPlay", {handle, flush, flags});
  return TRUE;
}

}  // extern "C"
