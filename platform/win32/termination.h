// Termination requests (SIGTERM, SIGINT) over the whole run. The handlers go in before the
// program's own code runs, and a request is kept until someone acts on it: the message
// pump passes it on (a quit with code 1 before the message loop ran, WM_CLOSE to every
// window after), and a box about to wait for an answer is not shown. Five seconds after a
// request a process that has not ended ends with code 1, whatever holds it up.
#pragma once

namespace platform {

void catchTerminationRequests();
bool terminationRequested();
// True once for each request, which is then the caller's to act on.
bool takeTerminationRequest();

}  // namespace platform
