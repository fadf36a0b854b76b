// Figures the page (and its tests) read from the running program, through functions it
// exports: how the tick timer kept time and what the audio output got.
#include <emscripten.h>

#include "platform/bass/bass_output.h"
#include "platform/web/tick_figures.h"

extern "C" {

// Timer callbacks run so far.
EMSCRIPTEN_KEEPALIVE double kestrix_ticks() { return static_cast<double>(platform::web::tickFigures().ticks); }

// Their mean period in ms (0 before the second).
EMSCRIPTEN_KEEPALIVE double kestrix_tick_mean_ms() {
  const platform::web::TickFigures f = platform::web::tickFigures();
  return f.ticks > 1 ? (f.lastMs - f.firstMs) / static_cast<double>(f.ticks - 1) : 0.0;
}

// Frames handed to the audio output since the library started.
EMSCRIPTEN_KEEPALIVE double kestrix_audio_frames() { return static_cast<double>(bassoutput::framesOutput()); }

// The largest sample magnitude mixed since the last call (0 to 32768).
EMSCRIPTEN_KEEPALIVE int kestrix_audio_peak() { return bassoutput::takePeak(); }

// Frames of sound-effect plays (the jump) mixed so far, summed over the plays.
EMSCRIPTEN_KEEPALIVE double kestrix_audio_sound_frames() {
  return static_cast<double>(bassoutput::soundFramesMixed());
}

}  // extern "C"
