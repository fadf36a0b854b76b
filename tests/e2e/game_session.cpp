#include "tests/e2e/game_session.h"

#include <signal.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace e2e {
namespace fs = std::filesystem;

namespace {

std::string run(const std::string& command) {
  std::string output;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    pclose(pipe);
  }
  while (!output.empty() && (output.back() == '\n' || output.back() == ' ')) output.pop_back();
  return output;
}

}  // namespace

double nowSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void sleepSeconds(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

std::vector<std::string> allDataFiles() { return {"kestrix.pak", "cagadon.it", "saltito.mp3"}; }

std::vector<std::string> pictureFiles() {
  return {"fondo.pcx",  "pacod1.pcx", "pacod2.pcx", "pacoi1.pcx", "pacoi2.pcx",
          "pacodf.pcx", "pacoif.pcx", "pompa.pcx",  "malo1.pcx",  "bloque.pcx"};
}

GameSession::GameSession(const SessionOptions& options) {
  char pattern[] = "/tmp/kestrix-e2e-XXXXXX";
  if (mkdtemp(pattern) == nullptr) throw std::runtime_error("no temporary folder");
  folder_ = pattern;
  for (const std::string& file : options.files) {
    fs::copy_file(fs::path(KESTRIX_ASSETS_DIR) / file, fs::path(folder_) / file);
  }
  const std::string errors = folder_ + "/stderr.txt";
  pid_ = fork();
  if (pid_ == 0) {
    if (chdir(folder_.c_str()) != 0) _exit(126);
    if (!std::freopen(errors.c_str(), "w", stderr)) _exit(126);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    for (const std::string& setting : options.settings) {
      if (setting[0] == '-') {
        unsetenv(setting.c_str() + 1);
      } else {
        putenv(const_cast<char*>(setting.c_str()));
      }
    }
    execl(KESTRIX_GAME_PATH, KESTRIX_GAME_PATH, static_cast<char*>(nullptr));
    _exit(127);
  }
}

GameSession::~GameSession() {
  if (running()) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

bool GameSession::running() {
  if (pid_ <= 0 || exitCode_ != -1) return false;
  int status = 0;
  const pid_t done = waitpid(pid_, &status, WNOHANG);
  if (done == 0) return true;
  exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return false;
}

bool GameSession::waitForWindow(double seconds) {
  const double end = nowSeconds() + seconds;
  while (nowSeconds() < end && running()) {
    // The window is shown once the display is set up; only visible windows are wanted.
    window_ = run("xdotool search --onlyvisible --name '^Ejemplo de Kestrix$' 2>/dev/null | head -n1");
    if (!window_.empty()) return true;
    sleepSeconds(0.05);
  }
  return false;
}

int GameSession::waitForExit(double seconds) {
  const double end = nowSeconds() + seconds;
  while (running() && nowSeconds() < end) sleepSeconds(0.02);
  return running() ? -1 : exitCode_;
}

std::string GameSession::errorOutput() const {
  std::ifstream in(folder_ + "/stderr.txt");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void GameSession::xdotool(const std::string& arguments) {
  const std::string command = "xdotool " + arguments + " >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

void GameSession::key(const char* name) { xdotool(std::string("key --delay 0 ") + name); }
void GameSession::keyDown(const char* name) { xdotool(std::string("keydown ") + name); }
void GameSession::keyUp(const char* name) { xdotool(std::string("keyup ") + name); }
void GameSession::minimise() { xdotool("windowunmap --sync " + window_); }
// Without a window manager nobody gives the mapped window the keyboard; a manager would.
void GameSession::restore() { xdotool("windowmap --sync " + window_ + " windowfocus --sync " + window_); }

std::int64_t GameSession::mainThreadCpuNs() const {
  // The first field of schedstat: nanoseconds on the CPU.
  std::ifstream in("/proc/" + std::to_string(pid_) + "/task/" + std::to_string(pid_) + "/schedstat");
  std::int64_t ns = -1;
  in >> ns;
  return ns;
}

Screen takeScreenshot() {
  // One GetImage request on the root window: the X server answers it whole, so the picture
  // is never half of two frames. In-process, it takes milliseconds even on a busy machine.
  static Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) throw std::runtime_error("no X display");
  const Window root = DefaultRootWindow(display);
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, root, &attributes) == 0) throw std::runtime_error("no X screen");
  XImage* image = XGetImage(display, root, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (image == nullptr) throw std::runtime_error("screenshot failed");
  Screen screen;
  screen.width = attributes.width;
  screen.height = attributes.height;
  screen.pixels.resize(static_cast<std::size_t>(screen.width) * screen.height);
  const bool rgb = image->bits_per_pixel == 32 && image->red_mask == 0xFF0000 && image->green_mask == 0x00FF00 &&
                   image->blue_mask == 0x0000FF;
  for (int y = 0; y < screen.height; ++y) {
    std::uint32_t* out = &screen.pixels[static_cast<std::size_t>(y) * screen.width];
    if (rgb) {
      std::memcpy(out, image->data + static_cast<std::ptrdiff_t>(y) * image->bytes_per_line,
                  static_cast<std::size_t>(screen.width) * 4);
      for (int x = 0; x < screen.width; ++x) out[x] &= 0x00FFFFFF;
    } else {
      for (int x = 0; x < screen.width; ++x) out[x] = static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0x00FFFFFF;
    }
  }
  XDestroyImage(image);
  return screen;
}

}  // namespace e2e
