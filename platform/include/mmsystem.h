// The part of the Windows multimedia library (winmm) that Kestrix uses: the millisecond
// clock and the periodic timer. As with the SDK, include <windows.h> first.
#pragma once

#include "windef.h"

typedef UINT MMRESULT;

typedef void(CALLBACK* LPTIMECALLBACK)(UINT uTimerID, UINT uMsg, DWORD_PTR dwUser, DWORD_PTR dw1, DWORD_PTR dw2);

#define MMSYSERR_NOERROR 0
#define MMSYSERR_INVALPARAM 11
#define TIMERR_NOERROR 0
#define TIMERR_NOCANDO 97

#define TIME_ONESHOT 0x0000
#define TIME_PERIODIC 0x0001
#define TIME_CALLBACK_FUNCTION 0x0000

#ifdef __cplusplus
extern "C" {
#endif

// Milliseconds on a monotonic clock; wraps around after about 49.7 days, as on Windows.
DWORD WINAPI timeGetTime(void);

// Runs fptc every uDelay milliseconds (TIME_PERIODIC) or once (TIME_ONESHOT), on a thread of
// the timer's own. Returns the timer id, or 0 when no timer could be made. uResolution is
// accepted and not needed: the schedule keeps to the millisecond or better.
MMRESULT WINAPI timeSetEvent(UINT uDelay, UINT uResolution, LPTIMECALLBACK fptc, DWORD_PTR dwUser, UINT fuEvent);
// Stops a timer: when it returns, its callback is not running and will not run again
// (unless called from that callback, which then finishes its current call).
MMRESULT WINAPI timeKillEvent(UINT uTimerID);

#ifdef __cplusplus
}
#endif
