// What the DirectDraw display and the Direct3D device share on SDL: taking a window over
// full screen, the renderer that draws on it, and where a picture goes on the screen.
#pragma once

#include <SDL.h>
#include <windows.h>

#include "platform/win32/client_area.h"  // placeByWholeFactor, placeKeepingAspect

namespace platform::directx {

// Makes a live window cover the screen (SDL's desktop full screen) and activates it, as a
// full-screen take-over does; with KESTRIX_WINDOW it becomes an ordinary window of the
// frame's size times the scale instead. False when the handle names no live window.
bool takeFullScreen(HWND window);
// The program's frame is width × height: a development window taken over becomes that
// size times its scale.
void frameSizeChosen(HWND window, int width, int height);
// Gives the screen back, when the window still exists.
void leaveFullScreen(HWND window);

// A renderer on the window with SDL's default driver (SDL_RENDER_DRIVER chooses another),
// able to draw into textures. With vsync, presents keep step with the display's refresh.
SDL_Renderer* makeRenderer(HWND window, bool vsync);

// Makes SDL give a window's surface the window's own framebuffer rather than one it backs
// with a renderer (on a software OpenGL that costs a quarter of a second to set up and
// buys a 2D copy nothing). SDL_FRAMEBUFFER_ACCELERATION in the environment still wins.
void useWindowFramebuffer();

// Clears the renderer's output to black, draws the texture at the rectangle and presents;
// false, and nothing presented, when the clear or the copy failed.
bool presentCentred(SDL_Renderer* renderer, SDL_Texture* picture, const SDL_Rect& where);

// Whether the renderer draws on the CPU: SDL's software renderer, or OpenGL on a software
// rasteriser (Mesa's llvmpipe, softpipe or swrast, Windows' GDI Generic, SwiftShader).
bool rendersInSoftware(SDL_Renderer* renderer);

}  // namespace platform::directx
