// The clips make exactly the game's audio library calls; archive and memory clips its memory form.
#include <gtest/gtest.h>

#include <mmsystem.h>

#include <functional>

#include "audio/audio_clip.h"
#include "platform/bass_record/bass_record.h"
#include "tests/support/archive_bytes.h"
#include "tests/support/temp_folder.h"

namespace {

std::string callText() {
  std::string calls;
  for (const bassrecord::Call& call : bassrecord::calls()) {
    calls += call.name;
    for (const std::int64_t arg : call.args) calls += " " + std::to_string(arg);
    calls += call.file.empty() ? "; " : " " + call.file + "; ";
  }
  return calls;
}

TEST(Clip, OpensAndPlaysWithTheGamesArgumentsAndStampsThePlay) {
  bassrecord::reset(41, 0);  // the stream fails to open: its failure value is played all the same
  bassrecord::setLogging(true);
  const HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1234));
  AudioClip music{0, 99};
  AudioClip jump{7, 99};
  music.loadModule("cagadon.it", window);
  jump.loadStream("saltito.mp3", window);
  EXPECT_TRUE(music.handle == 41 && jump.handle == 0 && music.startTime == 0 && jump.startTime == 0);

  const DWORD before = timeGetTime();
  music.playModule();
  jump.playStream();
  const DWORD after = timeGetTime();
  EXPECT_TRUE(before <= music.startTime && music.startTime <= jump.startTime && jump.startTime <= after);
  EXPECT_EQ(callText(), "BASS_Init -1 44100 0 4660; BASS_MusicLoad 0 0 0 1 cagadon.it; BASS_Init -1 44100 0 4660; "
                   "BASS_StreamCreateFile 0 0 0 0 saltito.mp3; BASS_Start; BASS_MusicPlayEx 41 0 -1 1; BASS_Start; "
                   "BASS_StreamPlay 0 0 0; ");
  bassrecord::reset();
}

using ClipFiles = TempFolderTest;

TEST_F(ClipFiles, FromTheArchiveThePlainFileOrMemoryThroughTheMemoryForm) {
  // A member reads on to the archive's end.
  writeBytes("data.pak", archiveBytes({{"BOING.MP3", 72}, {"TUNE.IT", 76}, {"", 0}}, "boinTUNE"));
  archivePath = "data.pak";
  const std::pair<std::function<void(AudioClip&)>, std::string> cases[] = {
      {[](AudioClip& c) { c.loadStreamResource("boing.mp3", nullptr); }, "BASS_StreamCreateFile 1 0 8 0 boinTUNE; "},
      {[](AudioClip& c) { c.loadModuleResource("tune.it", nullptr); }, "BASS_MusicLoad 1 0 4 1 TUNE; "},
      {[](AudioClip& c) { c.loadStreamMemory("abcd", 3, nullptr); }, "BASS_StreamCreateFile 1 0 3 0 abc; "},
      {[](AudioClip& c) { c.loadModuleMemory("xyz", 2, nullptr); }, "BASS_MusicLoad 1 0 2 1 xy; "},
      {[](AudioClip& c) { c.loadStreamResource("none.mp3", nullptr); }, ""},  // nothing to load
  };
  for (const auto& [load, calls] : cases) {
    bassrecord::reset(7, 8);
    bassrecord::setLogging(true);
    AudioClip clip{5, 99};
    load(clip);
    EXPECT_EQ(callText(), calls.empty() ? "" : "BASS_Init -1 44100 0 0; " + calls);
    EXPECT_EQ(clip.handle, calls.empty() ? 0u : calls[5] == 'M' ? 7u : 8u) << calls;
    clip.freeAll();  // gives back the bytes read (AddressSanitizer sees them go)
  }
  bassrecord::reset();
}

}  // namespace
