// The window layer on real X servers with no window manager (the test runs under Xvfb,
// 1024×768): a display that refuses connections at first (as an X server does while it
// resets itself, after its last client left) is asked again; a full-screen take-over
// makes the window cover the screen, whatever size it was made at.
#include <d3d8.h>
#include <ddraw.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace {

HWND makeWindow(const char* title, int width, int height) {
  static const bool registered = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "Kestrix take-over test";
    return RegisterClassA(&windowClass) != 0;
  }();
  if (!registered) return nullptr;
  return CreateWindowExA(0, "Kestrix take-over test", title, WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

// The window's size as the X server has it, "WxH"; waits (pumping messages) until it is
// the wanted one or five seconds have passed.
std::string waitForSize(const char* title, const std::string& wanted) {
  std::string size;
  for (const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
       size != wanted && std::chrono::steady_clock::now() < end;
       std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    const std::string command = std::string("xdotool search --name '^") + title +
                                "$' getwindowgeometry 2>/dev/null | awk '/Geometry:/ {print $2}'";
    size.clear();
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
      char buffer[64] = {};
      if (std::fgets(buffer, sizeof buffer, pipe) != nullptr) size = buffer;
      pclose(pipe);
    }
    while (!size.empty() && size.back() == '\n') size.pop_back();
  }
  return size;
}

std::string output(const std::string& command) {
  std::string text;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    for (int c; (c = std::fgetc(pipe)) != EOF;) text += static_cast<char>(c);
    pclose(pipe);
  }
  return text;
}

TEST(DisplayOnBareX, AScreenThatAnswersLateIsWaitedFor) {
  // A second X server, started a moment after the program that wants it.
  int number = 90 + static_cast<int>(getpid() % 100);
  while (access(("/tmp/.X11-unix/X" + std::to_string(number)).c_str(), F_OK) == 0) ++number;
  const std::string display = ":" + std::to_string(number);
  const pid_t server = fork();
  if (server == 0) {
    usleep(300'000);
    execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  const std::string size = output("DISPLAY=" + display + " '" KESTRIX_SCREEN_SIZE_PROBE "'");
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);
  EXPECT_EQ(size, "640x480\n");
}

TEST(FullScreenOnBareX, TakingAWindowOverMakesItCoverTheScreen) {
  // A window one pixel high, as one made while the screen's size could not be read.
  HWND window = makeWindow("Take-over by DirectDraw", 1024, 1);
  ASSERT_NE(window, nullptr);
  IDirectDraw7* directDraw = nullptr;
  ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr), DD_OK);
  ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
  EXPECT_EQ(waitForSize("Take-over by DirectDraw", "1024x768"), "1024x768");
  directDraw->Release();
  DestroyWindow(window);

  window = makeWindow("Take-over by Direct3D", 320, 240);
  ASSERT_NE(window, nullptr);
  IDirect3D8* direct3D = Direct3DCreate8(D3D_SDK_VERSION);
  ASSERT_NE(direct3D, nullptr);
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = 800;
  parameters.BackBufferHeight = 600;
  parameters.BackBufferFormat = D3DFMT_A8R8G8B8;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.hDeviceWindow = window;
  IDirect3DDevice8* device = nullptr;
  ASSERT_EQ(direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                   &parameters, &device),
            D3D_OK);
  EXPECT_EQ(waitForSize("Take-over by Direct3D", "1024x768"), "1024x768");
  device->Release();
  direct3D->Release();
  DestroyWindow(window);
}

}  // namespace
