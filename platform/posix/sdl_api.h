// SDL2 through a table filled the first time a window backend asks for it, so that a program that opens
// no window (a silent installation) never loads SDL and the forty-odd libraries it brings (loading
// them took about 10 ms of every start).
#pragma once

#include <SDL2/SDL.h>

namespace platform::sdl {

// Every SDL function the window backend calls.
#define VEL_SDL_FUNCTIONS(X) \
  X(SDL_CaptureMouse) \
  X(SDL_ConvertPixels) \
  X(SDL_CreateSystemCursor) \
  X(SDL_CreateWindow) \
  X(SDL_DestroyWindow) \
  X(SDL_FreeCursor) \
  X(SDL_GetClipboardText) \
  X(SDL_GetCurrentVideoDriver) \
  X(SDL_GetDisplayBounds) \
  X(SDL_GetError) \
  X(SDL_GetGlobalMouseState) \
  X(SDL_GetModState) \
  X(SDL_GetMouseState) \
  X(SDL_GetNumVideoDisplays) \
  X(SDL_GetWindowDisplayIndex) \
  X(SDL_GetWindowFlags) \
  X(SDL_GetWindowFromID) \
  X(SDL_GetWindowID) \
  X(SDL_GetWindowPosition) \
  X(SDL_GetWindowSize) \
  X(SDL_GetWindowSurface) \
  X(SDL_GetWindowTitle) \
  X(SDL_HideWindow) \
  X(SDL_InitSubSystem) \
  X(SDL_PollEvent) \
  X(SDL_PumpEvents) \
  X(SDL_QuitSubSystem) \
  X(SDL_RaiseWindow) \
  X(SDL_SetClipboardText) \
  X(SDL_SetCursor) \
  X(SDL_SetHint) \
  X(SDL_SetWindowAlwaysOnTop) \
  X(SDL_SetWindowBordered) \
  X(SDL_SetWindowHitTest) \
  X(SDL_SetWindowInputFocus) \
  X(SDL_SetWindowMaximumSize) \
  X(SDL_SetWindowMinimumSize) \
  X(SDL_SetWindowOpacity) \
  X(SDL_SetWindowPosition) \
  X(SDL_SetWindowResizable) \
  X(SDL_SetWindowSize) \
  X(SDL_SetWindowTitle) \
  X(SDL_ShowWindow) \
  X(SDL_StartTextInput) \
  X(SDL_UpdateWindowSurface) \
  X(SDL_free)

struct TApi {
#define VEL_SDL_MEMBER(name) decltype(&::name) name;
  VEL_SDL_FUNCTIONS(VEL_SDL_MEMBER)
#undef VEL_SDL_MEMBER
  // Declared by SDL_syswm.h, which brings Xlib's macros along; only the X11 helper includes it.
  SDL_bool (*SDL_GetWindowWMInfo)(SDL_Window*, struct SDL_SysWMinfo*);
};

// The table, loaded on first use; std::runtime_error naming the library when it cannot be loaded.
const TApi& Api();

}  // namespace platform::sdl

// Calls in the backend's sources read as plain SDL calls and go through the table.
#ifndef VEL_SDL_TABLE_ITSELF
#define SDL_CaptureMouse(...) ::platform::sdl::Api().SDL_CaptureMouse(__VA_ARGS__)
#define SDL_ConvertPixels(...) ::platform::sdl::Api().SDL_ConvertPixels(__VA_ARGS__)
#define SDL_CreateSystemCursor(...) ::platform::sdl::Api().SDL_CreateSystemCursor(__VA_ARGS__)
#define SDL_CreateWindow(...) ::platform::sdl::Api().SDL_CreateWindow(__VA_ARGS__)
#define SDL_DestroyWindow(...) ::platform::sdl::Api().SDL_DestroyWindow(__VA_ARGS__)
#define SDL_FreeCursor(...) ::platform::sdl::Api().SDL_FreeCursor(__VA_ARGS__)
#define SDL_GetClipboardText(...) ::platform::sdl::Api().SDL_GetClipboardText(__VA_ARGS__)
#define SDL_GetCurrentVideoDriver(...) ::platform::sdl::Api().SDL_GetCurrentVideoDriver(__VA_ARGS__)
#define SDL_GetDisplayBounds(...) ::platform::sdl::Api().SDL_GetDisplayBounds(__VA_ARGS__)
#define SDL_GetError(...) ::platform::sdl::Api().SDL_GetError(__VA_ARGS__)
#define SDL_GetGlobalMouseState(...) ::platform::sdl::Api().SDL_GetGlobalMouseState(__VA_ARGS__)
#define SDL_GetModState(...) ::platform::sdl::Api().SDL_GetModState(__VA_ARGS__)
#define SDL_GetMouseState(...) ::platform::sdl::Api().SDL_GetMouseState(__VA_ARGS__)
#define SDL_GetNumVideoDisplays(...) ::platform::sdl::Api().SDL_GetNumVideoDisplays(__VA_ARGS__)
#define SDL_GetWindowDisplayIndex(...) ::platform::sdl::Api().SDL_GetWindowDisplayIndex(__VA_ARGS__)
#define SDL_GetWindowFlags(...) ::platform::sdl::Api().SDL_GetWindowFlags(__VA_ARGS__)
#define SDL_GetWindowFromID(...) ::platform::sdl::Api().SDL_GetWindowFromID(__VA_ARGS__)
#define SDL_GetWindowID(...) ::platform::sdl::Api().SDL_GetWindowID(__VA_ARGS__)
#define SDL_GetWindowPosition(...) ::platform::sdl::Api().SDL_GetWindowPosition(__VA_ARGS__)
#define SDL_GetWindowSize(...) ::platform::sdl::Api().SDL_GetWindowSize(__VA_ARGS__)
#define SDL_GetWindowSurface(...) ::platform::sdl::Api().SDL_GetWindowSurface(__VA_ARGS__)
#define SDL_GetWindowTitle(...) ::platform::sdl::Api().SDL_GetWindowTitle(__VA_ARGS__)
#define SDL_GetWindowWMInfo(...) ::platform::sdl::Api().SDL_GetWindowWMInfo(__VA_ARGS__)
#define SDL_HideWindow(...) ::platform::sdl::Api().SDL_HideWindow(__VA_ARGS__)
#define SDL_InitSubSystem(...) ::platform::sdl::Api().SDL_InitSubSystem(__VA_ARGS__)
#define SDL_PollEvent(...) ::platform::sdl::Api().SDL_PollEvent(__VA_ARGS__)
#define SDL_PumpEvents(...) ::platform::sdl::Api().SDL_PumpEvents(__VA_ARGS__)
#define SDL_QuitSubSystem(...) ::platform::sdl::Api().SDL_QuitSubSystem(__VA_ARGS__)
#define SDL_RaiseWindow(...) ::platform::sdl::Api().SDL_RaiseWindow(__VA_ARGS__)
#define SDL_SetClipboardText(...) ::platform::sdl::Api().SDL_SetClipboardText(__VA_ARGS__)
#define SDL_SetCursor(...) ::platform::sdl::Api().SDL_SetCursor(__VA_ARGS__)
#define SDL_SetHint(...) ::platform::sdl::Api().SDL_SetHint(__VA_ARGS__)
#define SDL_SetWindowAlwaysOnTop(...) ::platform::sdl::Api().SDL_SetWindowAlwaysOnTop(__VA_ARGS__)
#define SDL_SetWindowBordered(...) ::platform::sdl::Api().SDL_SetWindowBordered(__VA_ARGS__)
#define SDL_SetWindowHitTest(...) ::platform::sdl::Api().SDL_SetWindowHitTest(__VA_ARGS__)
#define SDL_SetWindowInputFocus(...) ::platform::sdl::Api().SDL_SetWindowInputFocus(__VA_ARGS__)
#define SDL_SetWindowMaximumSize(...) ::platform::sdl::Api().SDL_SetWindowMaximumSize(__VA_ARGS__)
#define SDL_SetWindowMinimumSize(...) ::platform::sdl::Api().SDL_SetWindowMinimumSize(__VA_ARGS__)
#define SDL_SetWindowOpacity(...) ::platform::sdl::Api().SDL_SetWindowOpacity(__VA_ARGS__)
#define SDL_SetWindowPosition(...) ::platform::sdl::Api().SDL_SetWindowPosition(__VA_ARGS__)
#define SDL_SetWindowResizable(...) ::platform::sdl::Api().SDL_SetWindowResizable(__VA_ARGS__)
#define SDL_SetWindowSize(...) ::platform::sdl::Api().SDL_SetWindowSize(__VA_ARGS__)
#define SDL_SetWindowTitle(...) ::platform::sdl::Api().SDL_SetWindowTitle(__VA_ARGS__)
#define SDL_ShowWindow(...) ::platform::sdl::Api().SDL_ShowWindow(__VA_ARGS__)
#define SDL_StartTextInput(...) ::platform::sdl::Api().SDL_StartTextInput(__VA_ARGS__)
#define SDL_UpdateWindowSurface(...) ::platform::sdl::Api().SDL_UpdateWindowSurface(__VA_ARGS__)
#define SDL_free(...) ::platform::sdl::Api().SDL_free(__VA_ARGS__)
#endif
