// AudioClip: a music module or a sound-effect stream of the audio library, with the time
// of its last play. A thin wrapper: no result of the library is examined, so the game runs
// the same with or without sound.
#pragma once

#include <windows.h>

struct AudioClip {
  DWORD handle = 0;     // the library's handle, or its failure value
  DWORD startTime = 0;  // timeGetTime() at the last play; nothing reads it

  // Opens a compressed audio file (MP3) as a stream clip.
  void loadStream(const char* fileName, HWND window);
  // Opens a tracker module as a music clip.
  void loadModule(const char* fileName, HWND window);
  // The same for a file found as pictures are (display/resource.h: the archive's member of
  // that name, else the plain file), read into memory the clips hold until freeAll and
  // handed to the library's memory form. A member reads on into what follows it in the
  // archive; the sound's own format says where it ends (an MP3 needs its info frame).
  void loadStreamResource(const char* name, HWND window);
  void loadModuleResource(const char* name, HWND window);
  // The same from `bytes` bytes at `data`, through the library's memory form. The block
  // stays the program's, valid and unchanged until freeAll: the library may play from it.
  void loadStreamMemory(const void* data, DWORD bytes, HWND window);
  void loadModuleMemory(const void* data, DWORD bytes, HWND window);
  // Plays a stream clip from its start, over whatever else sounds.
  void playStream();
  // Plays a music clip from its start, looping.
  void playModule();
  // Silences all output.
  void stopAll();
  // Gives back everything the audio library holds, and the clips' bytes read for it.
  void freeAll();
};

// The game's two clips, made at start-up: the music ("cagadon.it") and the jump sound
// ("saltito.mp3"), both null until the program sets them.
// A clip stored in musicClip is handed over to the library: the program makes it with
// `new AudioClip` and never deletes it; on WM_DESTROY the window procedure frees the audio
// library, deletes the clip and sets musicClip back to null. A clip the program keeps
// itself (static, on the stack, a member) never goes there: it has a pointer of its own,
// and the program calls freeAll at its end. jumpSound stays the program's; the library
// never frees or deletes it.
extern AudioClip* musicClip;
extern AudioClip* jumpSound;
