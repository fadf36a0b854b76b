// The clips make exactly the audio library's calls of the game, with its argument values,
// and never look at a result.
#include <gtest/gtest.h>

#include <mmsystem.h>

#include "audio/audio_clip.h"
#include "platform/bass_record/bass_record.h"

namespace {

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
  std::string calls;
  for (const bassrecord::Call& call : bassrecord::calls()) {
    calls += call.name;
    for (const std::int64_t arg : call.args) calls += " " + std::to_string(arg);
    calls += call.file.empty() ? "; " : " " + call.file + "; ";
  }
  EXPECT_EQ(calls, "BASS_Init -1 44100 0 4660; BASS_MusicLoad 0 0 0 1 cagadon.it; BASS_Init -1 44100 0 4660; "
                   "BASS_StreamCreateFile 0 0 0 0 saltito.mp3; BASS_Start; BASS_MusicPlayEx 41 0 -1 1; BASS_Start; "
                   "BASS_StreamPlay 0 0 0; ");
  bassrecord::reset();
}

}  // namespace
