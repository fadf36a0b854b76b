// The example game's entry: builds the running program in its fixed order, runs the
// message loop (messages first, a frame whenever the queue is empty and the window is
// active), and shuts down when the quit message arrives.
#include <windows.h>
#include <mmsystem.h>

#include <cstring>

#include "audio/audio_clip.h"
#include "display/display.h"
#include "display/fatal_error.h"
#include "display/resource.h"
#include "game/assets.h"
#include "game/game_state.h"

namespace {

MMRESULT tickTimer = 0;

char* heapCopy(const char* text) {
  const std::size_t size = std::strlen(text) + 1;
  char* copy = new char[size];
  std::memcpy(copy, text, size);
  return copy;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  archivePath = heapCopy("kestrix.pak");

  musicClip = new AudioClip;
  musicClip->loadModule("cagadon.it", GetForegroundWindow());
  jumpSound = new AudioClip;
  jumpSound->loadStream("saltito.mp3", GetForegroundWindow());

  MSG message{};
  {
    DisplayContext display("Ejemplo de Kestrix");
    display.createWindow(instance);
    if (display.initDisplay(backendDirect3D, 800, 600) == -1) display.initDisplay(backendDirectDraw, 320, 240);

    loadAssets();
    exitHook = releaseAssets;

    // One step by hand, before the timer's thread exists, with no key down yet.
    updateBubbles();
    player->updatePlayer();

    musicClip->playModule();

    tickTimer = timeSetEvent(tickPeriodMs, tickPeriodMs, gameTick, 0, TIME_PERIODIC);
    if (tickTimer == 0) fatalError("ERROR: no puedo crear el timer");

    for (;;) {
      if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
        if (GetMessageA(&message, nullptr, 0, 0) == 0) break;
        TranslateMessage(&message);
        DispatchMessageA(&message);
      } else if (displaySettings.active != 0) {
        display.presentFrame(composeFrame());
      } else {
        WaitMessage();
      }
    }

    // The tick uses the game state, the assets' player and the jump sound: stop it (the
    // call waits for a tick in progress) before any of them is given back.
    timeKillEvent(tickTimer);
    tickTimer = 0;
    releaseAssets();
    exitHook = [] {};
    // The display object's destructor gives back the display objects here.
  }

  delete jumpSound;
  jumpSound = nullptr;
  if (musicClip != nullptr) {
    // Only when the loop ended without the window's destruction, which frees the audio.
    musicClip->stopAll();
    musicClip->freeAll();
    delete musicClip;
    musicClip = nullptr;
  }
  delete[] archivePath;
  archivePath = nullptr;
  return static_cast<int>(message.wParam);
}
