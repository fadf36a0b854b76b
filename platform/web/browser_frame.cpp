// The program's loop gives the page its turn: suspended (asynchronous transform) until the
// browser's next animation frame, or 100 ms, whichever comes first, since a page that is
// not shown gets no animation frames and the program would otherwise stop there.
#include <emscripten.h>

#include "platform/web/page_loop.h"

namespace {

EM_ASYNC_JS(void, waitForAnimationFrame, (), {
  await new Promise(resolve => {
    const timeout = setTimeout(resolve, 100);
    requestAnimationFrame(() => { clearTimeout(timeout); resolve(); });
  });
});

}  // namespace

namespace platform::web {

bool waitForBrowserFrame() {
  waitForAnimationFrame();
  return true;
}

}  // namespace platform::web
