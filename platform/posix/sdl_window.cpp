// Real windows on Linux through SDL2 (X11 or Wayland): presenting pixel buffers and reporting input.
#include "sdl_api.h"
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <thread>
#include <vector>

#include "desktop_settings.h"
#include "platform/canvas.h"
#include "platform/memory.h"
#include "platform/window.h"

namespace platform {

// The X connection's descriptor behind an SDL window; -1 when the window is not on X11. Kept apart
// (x11_descriptor.cpp) because Xlib's macros clash with the toolkit's names.
int X11Descriptor(SDL_Window* window);
// Cuts the pixels of the picture that hold `key` out of the window (all of it back in when !enabled);
// false where the window is not on X11 or the server cannot shape windows.
bool X11ShapeOut(SDL_Window* window, const std::uint32_t* bits, int width, int height, int stride, bool enabled,
                 std::uint32_t key);

namespace {

class SdlBackend;

unsigned ShiftOf(SDL_Keymod mod) {
  return ((mod & KMOD_SHIFT) ? ShiftKey : 0u) | ((mod & KMOD_CTRL) ? CtrlKey : 0u) | ((mod & KMOD_ALT) ? AltKey : 0u);
}

// SDL's key symbols in the Windows numbering the toolkit speaks; 0 for keys it has no use for.
int KeyOf(SDL_Keycode k) {
  if (k >= SDLK_a && k <= SDLK_z) return 'A' + (k - SDLK_a);
  if (k >= SDLK_0 && k <= SDLK_9) return '0' + (k - SDLK_0);
  if (k >= SDLK_F1 && k <= SDLK_F12) return keys::F1 + (k - SDLK_F1);
  switch (k) {
    case SDLK_BACKSPACE: return keys::Back;
    case SDLK_TAB: return keys::Tab;
    case SDLK_RETURN: case SDLK_KP_ENTER: return keys::Return;
    case SDLK_ESCAPE: return keys::Escape;
    case SDLK_SPACE: return keys::Space;
    case SDLK_PAGEUP: return keys::Prior;
    case SDLK_PAGEDOWN: return keys::Next;
    case SDLK_END: return keys::End;
    case SDLK_HOME: return keys::Home;
    case SDLK_LEFT: return keys::Left;
    case SDLK_UP: return keys::Up;
    case SDLK_RIGHT: return keys::Right;
    case SDLK_DOWN: return keys::Down;
    case SDLK_DELETE: return keys::Delete;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return keys::Shift;
    case SDLK_LCTRL: case SDLK_RCTRL: return keys::Control;
    case SDLK_LALT: case SDLK_RALT: return keys::Menu;
    default: return 0;
  }
}

MouseButton ButtonOf(Uint8 b) {
  return b == SDL_BUTTON_RIGHT ? MouseButton::Right : b == SDL_BUTTON_MIDDLE ? MouseButton::Middle : MouseButton::Left;
}

std::runtime_error SdlError(const std::string& what) { return std::runtime_error(what + ": " + SDL_GetError()); }

// SDL's start asks libdbus for the session bus (for the screen saver and input methods). Where there
// is none, libdbus would launch one (dbus-launch), a bus that outlives the program, and the asking
// alone costs the first window a few milliseconds. An address of no known kind makes it give up at
// once; libdbus keeps that answer, and the variable is gone again before anything else is started.
//
// Where the display cannot be reached, SDL goes on to drivers that show nothing (its off-screen
// one): the program would run with windows nobody sees, a wizard waiting for clicks that never come.
// Only a desktop's own windows count, so anything else is no display at all.
bool TryStartSdl(std::string& failure) {
  const bool noBus = !SessionBusThere();
  if (noBus) setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
  const bool started = SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0;
  if (noBus) unsetenv("DBUS_SESSION_BUS_ADDRESS");
  if (!started) {
    failure = std::string("No display for windows: ") + SDL_GetError();
    return false;
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0)) return true;
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
  failure = std::string("No display for windows: the display cannot be reached (SDL has only its ") +
            (driver ? driver : "unknown") + " driver)";
  return false;
}

// An X server whose last client has just left starts over, and refuses connections for the few
// milliseconds that takes (an Xvfb with a script's tools coming and going, say): one more try a
// moment later tells that from a display that is not there.
void StartSdl() {
  std::string failure;
  if (TryStartSdl(failure)) return;
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  if (!TryStartSdl(failure)) throw std::runtime_error(failure);
}

class SdlWindow final : public Window {
 public:
  SdlWindow(SdlBackend& backend, WindowInput& input);
  ~SdlWindow() override;

  WindowRect Bounds() const override {
    WindowRect r;
    SDL_GetWindowPosition(window_, &r.x, &r.y);
    SDL_GetWindowSize(window_, &r.width, &r.height);
    return r;
  }
  void SetBounds(const WindowRect& b) override {
    SDL_SetWindowPosition(window_, b.x, b.y);
    SDL_SetWindowSize(window_, std::max(b.width, 1), std::max(b.height, 1));
  }
  void SetCaption(const std::string& caption) override { SDL_SetWindowTitle(window_, caption.c_str()); }
  void SetVisible(bool visible) override { visible ? SDL_ShowWindow(window_) : SDL_HideWindow(window_); }
  bool Visible() const override { return SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN; }
  // Window opacity needs a compositor; without one the window stays opaque, as the system decides.
  void SetAlpha(std::uint8_t alpha) override { SDL_SetWindowOpacity(window_, alpha / 255.0f); }
  void SetStayOnTop(bool onTop) override { SDL_SetWindowAlwaysOnTop(window_, onTop ? SDL_TRUE : SDL_FALSE); }
  void Activate() override {
    SDL_RaiseWindow(window_);
    // A menu asks for the keys itself: without a window manager nobody would hand them over.
    if (menu_ && Visible()) SDL_SetWindowInputFocus(window_);
  }
  void Present(const PixelBuffer& image) override {
    if (image.width <= 0 || image.height <= 0) return;
    // The picture goes straight into the window's own shared image: no texture and no renderer in
    // between, each of which cost a picture-sized buffer and a pass over it.
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (!surface) throw SdlError("The window cannot show a picture of this size");
    // A new image (the first, or one after a change of size) is memory shared with the X server that
    // this process has not touched yet.
    if (surface != prepared_) {
      PrepareMemory(surface->pixels, static_cast<std::size_t>(surface->pitch) * surface->h);
      prepared_ = surface;
    }
    const int width = std::min(image.width, surface->w), height = std::min(image.height, surface->h);
    const Uint32 format = surface->format->format;
    // The buffer's 0xAARRGGBB words are already the X server's pixels; its alpha byte goes unread.
    if (format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888) {
      CopyPixelRows(image, surface->pixels, static_cast<std::size_t>(surface->pitch), width, height);
    } else {
      SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_ARGB8888, image.bits, image.stride, format, surface->pixels,
                        surface->pitch);
    }
    lost_ = false;
    if (colorKey_) ShapeFrom(image);
    SDL_UpdateWindowSurface(window_);
  }
  void SetCapture(bool captured) override { SDL_CaptureMouse(captured ? SDL_TRUE : SDL_FALSE); }
  void SetCursor(Cursor cursor) override;
  void SetDecorated(bool decorated) override { SDL_SetWindowBordered(window_, decorated ? SDL_TRUE : SDL_FALSE); }
  void SetResizable(bool resizable) override { SDL_SetWindowResizable(window_, resizable ? SDL_TRUE : SDL_FALSE); }
  void SetSizeLimits(int minWidth, int minHeight, int maxWidth, int maxHeight) override {
    SDL_SetWindowMinimumSize(window_, std::max(minWidth, 1), std::max(minHeight, 1));
    SDL_SetWindowMaximumSize(window_, maxWidth > 0 ? maxWidth : 16384, maxHeight > 0 ? maxHeight : 16384);
  }
  // Shadows under X11 and Wayland are the compositor's; there is nothing to ask of it per window.
  void SetShadow(bool) override {}
  void SetPopup(bool popup) override;
  void SetMenu(bool menu) override;
  bool SetTransparentColor(bool enabled, std::uint32_t color) override;
  WindowRect MonitorBounds() const override {
    SDL_Rect r{0, 0, 0, 0};
    int display = SDL_GetWindowDisplayIndex(window_);
    if (SDL_GetDisplayBounds(display < 0 ? 0 : display, &r) != 0) return {};
    return {r.x, r.y, r.w, r.h};
  }

  // The system lost the window's content (exposed again): the window's image still holds the last
  // picture, unless a new size took the image away; then the picture is asked for again.
  void Redraw() {
    if (lost_ || SDL_UpdateWindowSurface(window_) != 0) input_.InputExposed();
  }
  // SDL drops the window's image at every change of size, also one the toolkit already painted for.
  void Resized(int width, int height) {
    lost_ = true;
    input_.InputResize(width, height);
    if (lost_) input_.InputExposed();
  }
  WindowInput& Input() { return input_; }

 private:
  void Create(Uint32 flags);
  void Destroy();
  // SDL fixes a window's kind when it is made, so a window of another kind is made again.
  void Recreate();
  void ShapeFrom(const PixelBuffer& image);

  SdlBackend& backend_;
  WindowInput& input_;
  SDL_Window* window_ = nullptr;
  bool lost_ = false;
  const SDL_Surface* prepared_ = nullptr;
  bool popup_ = false;
  bool menu_ = false;
  bool colorKey_ = false;
  std::uint32_t colorKeyValue_ = 0;
  // The runs of see-through pixels the window was last cut to, so an unchanged picture costs nothing.
  std::vector<std::uint32_t> shapeKey_;
};

class SdlBackend final : public WindowBackend {
 public:
  SdlBackend() {
    // SDL would take any display driver it finds (a bare console's too); only a desktop session counts.
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!x11 || !*x11) && (!wayland || !*wayland)) throw std::runtime_error("No display for windows");
    // SDL would turn SIGINT and SIGTERM into a quit event nobody asked for; they end the program.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The pictures come painted: SDL would otherwise load OpenGL to show them, which costs every window
    // a good part of its start-up and gains nothing.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    StartSdl();
    // The first window will be painted, and loading the drawing libraries and reading the font
    // configuration would hold up its first frame. They are had on another thread while this one makes
    // the window and its contents. Not earlier: loading them beside SDL's own start only slows both
    // down (one loader lock, and a start that is mostly work for the processor).
    canvasReady_ = std::jthread([] { PrepareCanvas(); });
    if (pipe2(wakePipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
      SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
      throw std::runtime_error("No wake-up pipe for windows");
    }
    SDL_StartTextInput();
  }
  ~SdlBackend() override {
    for (auto& [kind, cursor] : cursors_) SDL_FreeCursor(cursor);
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    close(wakePipe_[0]);
    close(wakePipe_[1]);
  }
  const char* Name() const override { return "sdl"; }
  bool Pumps() const override { return true; }
  std::unique_ptr<Window> MakeWindow(WindowInput& input) override { return std::make_unique<SdlWindow>(*this, input); }

  // Workers rouse the waiting loop through a pipe, never through SDL: SDL wakes a waiting thread by
  // sending an X event to one of its windows from the worker's own connection, and a window the
  // user-interface thread destroys meanwhile turns that into an X error that ends the process.
  bool PumpEvents(int timeoutMs) override {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline =
        timeoutMs < 0 ? Clock::time_point::max() : Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      SDL_PumpEvents();
      SDL_Event event;
      bool delivered = false;
      while (SDL_PollEvent(&event)) {
        Dispatch(event);
        delivered = true;
      }
      if (DrainWakes() || delivered) return true;
      int wait = -1;
      if (deadline != Clock::time_point::max()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        wait = static_cast<int>(std::min<long long>(left, INT_MAX));
      }
      const int display = DisplayDescriptor();
      // Without the display's descriptor to wait on (Wayland), look at SDL's queue again soon.
      if (display < 0 && (wait < 0 || wait > 10)) wait = 10;
      pollfd fds[2] = {{wakePipe_[0], POLLIN, 0}, {display, POLLIN, 0}};
      poll(fds, display >= 0 ? 2 : 1, wait);
    }
  }
  void Wake() override {
    const char byte = 1;
    // A full pipe already holds a wake-up.
    [[maybe_unused]] const ssize_t written = write(wakePipe_[1], &byte, 1);
  }
  std::string ClipboardText() override {
    char* text = SDL_GetClipboardText();
    std::string result = text ? text : "";
    SDL_free(text);
    return result;
  }
  void SetClipboardText(const std::string& text) override {
    if (SDL_SetClipboardText(text.c_str()) != 0) throw SdlError("The clipboard cannot take the text");
  }
  // SDL answers these on Wayland too; the screen's pixels come from the system (X11 only).
  std::optional<ScreenPoint> PointerPosition() override {
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    return ScreenPoint{x, y};
  }
  std::optional<ScreenArea> VirtualDesktop() override {
    const int count = SDL_GetNumVideoDisplays();
    int left = 0, top = 0, right = 0, bottom = 0;
    bool any = false;
    for (int i = 0; i < count; ++i) {
      SDL_Rect r;
      if (SDL_GetDisplayBounds(i, &r) != 0) continue;
      left = any ? std::min(left, r.x) : r.x;
      top = any ? std::min(top, r.y) : r.y;
      right = any ? std::max(right, r.x + r.w) : r.x + r.w;
      bottom = any ? std::max(bottom, r.y + r.h) : r.y + r.h;
      any = true;
    }
    if (!any) return SystemVirtualDesktop();
    return ScreenArea{left, top, right - left, bottom - top};
  }

  void Add(Uint32 id, SdlWindow* window) { windows_[id] = window; }
  void Remove(Uint32 id) { windows_.erase(id); }
  SDL_Cursor* CursorFor(Cursor kind) {
    auto found = cursors_.find(kind);
    if (found != cursors_.end()) return found->second;
    static const std::map<Cursor, SDL_SystemCursor> system = {
        {Cursor::Arrow, SDL_SYSTEM_CURSOR_ARROW},     {Cursor::IBeam, SDL_SYSTEM_CURSOR_IBEAM},
        {Cursor::Wait, SDL_SYSTEM_CURSOR_WAIT},       {Cursor::Cross, SDL_SYSTEM_CURSOR_CROSSHAIR},
        {Cursor::Hand, SDL_SYSTEM_CURSOR_HAND},       {Cursor::SizeWE, SDL_SYSTEM_CURSOR_SIZEWE},
        {Cursor::SizeNS, SDL_SYSTEM_CURSOR_SIZENS},   {Cursor::SizeNWSE, SDL_SYSTEM_CURSOR_SIZENWSE},
        {Cursor::SizeNESW, SDL_SYSTEM_CURSOR_SIZENESW}, {Cursor::SizeAll, SDL_SYSTEM_CURSOR_SIZEALL},
        {Cursor::No, SDL_SYSTEM_CURSOR_NO}};
    SDL_Cursor* cursor = SDL_CreateSystemCursor(system.at(kind));
    cursors_[kind] = cursor;
    return cursor;
  }

 private:
  bool DrainWakes() {
    char bytes[64];
    bool woken = false;
    while (read(wakePipe_[0], bytes, sizeof bytes) > 0) woken = true;
    return woken;
  }
  // The X connection's descriptor, learnt from the first window; -1 until then and on Wayland.
  int DisplayDescriptor() {
    if (displayFd_ >= 0 || windows_.empty()) return displayFd_;
    if (SDL_Window* window = SDL_GetWindowFromID(windows_.begin()->first)) displayFd_ = X11Descriptor(window);
    return displayFd_;
  }
  SdlWindow* Find(Uint32 id) {
    auto found = windows_.find(id);
    return found == windows_.end() ? nullptr : found->second;
  }
  void Dispatch(const SDL_Event& e) {
    const unsigned shift = ShiftOf(SDL_GetModState());
    switch (e.type) {
      case SDL_MOUSEMOTION:
        if (SdlWindow* w = Find(e.motion.windowID)) w->Input().InputPointerMoved(e.motion.x, e.motion.y, shift);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        if (SdlWindow* w = Find(e.button.windowID))
          w->Input().InputButton(ButtonOf(e.button.button), e.type == SDL_MOUSEBUTTONDOWN, e.button.x, e.button.y, shift);
        break;
      case SDL_MOUSEWHEEL:
        if (SdlWindow* w = Find(e.wheel.windowID)) {
          int x = 0, y = 0;
          SDL_GetMouseState(&x, &y);
          // One notch is 120, as Windows counts it.
          w->Input().InputWheel(e.wheel.y * 120, x, y, shift);
        }
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (SdlWindow* w = Find(e.key.windowID))
          if (int key = KeyOf(e.key.keysym.sym)) {
            w->Input().InputKey(key, e.type == SDL_KEYDOWN, ShiftOf(SDL_Keymod(e.key.keysym.mod)));
            // SDL sends no text for Return, where Windows sends a carriage return the controls answer
            // (a focused button or check box clicks); the key's own handler may have closed the window.
            if (key == platform::keys::Return && e.type == SDL_KEYDOWN)
              if (SdlWindow* still = Find(e.key.windowID)) still->Input().InputCharacter("\r");
          }
        break;
      case SDL_TEXTINPUT:
        if (SdlWindow* w = Find(e.text.windowID)) w->Input().InputCharacter(e.text.text);
        break;
      case SDL_WINDOWEVENT:
        if (SdlWindow* w = Find(e.window.windowID)) {
          switch (e.window.event) {
            case SDL_WINDOWEVENT_FOCUS_GAINED: w->Input().InputFocus(true); break;
            case SDL_WINDOWEVENT_FOCUS_LOST: w->Input().InputFocus(false); break;
            case SDL_WINDOWEVENT_MOVED: w->Input().InputMoved(e.window.data1, e.window.data2); break;
            case SDL_WINDOWEVENT_SIZE_CHANGED: w->Resized(e.window.data1, e.window.data2); break;
            case SDL_WINDOWEVENT_CLOSE: w->Input().InputCloseRequest(); break;
            case SDL_WINDOWEVENT_LEAVE: w->Input().InputPointerLeft(); break;
            case SDL_WINDOWEVENT_EXPOSED: w->Redraw(); break;
            default: break;
          }
        }
        break;
      default:
        break;
    }
  }

  int wakePipe_[2] = {-1, -1};
  std::jthread canvasReady_;
  int displayFd_ = -1;
  std::map<Uint32, SdlWindow*> windows_;
  std::map<Cursor, SDL_Cursor*> cursors_;
};

SdlWindow::SdlWindow(SdlBackend& backend, WindowInput& input) : backend_(backend), input_(input) {
  Create(SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
}

SdlWindow::~SdlWindow() { Destroy(); }

void SdlWindow::Create(Uint32 flags) {
  window_ = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 320, 240, flags);
  if (!window_) throw SdlError("The window cannot be made");
  lost_ = false;
  // Undecorated windows that draw their own title bar are dragged by it.
  SDL_SetWindowHitTest(
      window_,
      [](SDL_Window*, const SDL_Point* area, void* data) {
        auto* self = static_cast<SdlWindow*>(data);
        return self->input_.InputIsCaption(area->x, area->y) ? SDL_HITTEST_DRAGGABLE : SDL_HITTEST_NORMAL;
      },
      this);
  backend_.Add(SDL_GetWindowID(window_), this);
}

void SdlWindow::Destroy() {
  backend_.Remove(SDL_GetWindowID(window_));
  SDL_DestroyWindow(window_);
}

void SdlWindow::Recreate() {
  const WindowRect bounds = Bounds();
  const std::string caption = SDL_GetWindowTitle(window_);
  const bool visible = Visible();
  Destroy();
  // A menu is an ordinary window without a frame, so the window manager gives it the focus; a popup
  // (a hint) is a tooltip, which never takes it.
  if (popup_)
    Create(SDL_WINDOW_HIDDEN | SDL_WINDOW_TOOLTIP | SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR);
  else if (menu_)
    Create(SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR);
  else
    Create(SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
  SDL_SetWindowTitle(window_, caption.c_str());
  SetBounds(bounds);
  shapeKey_.clear();
  if (visible) SDL_ShowWindow(window_);
}

void SdlWindow::SetPopup(bool popup) {
  if (popup == popup_) return;
  popup_ = popup;
  Recreate();
}

void SdlWindow::SetMenu(bool menu) {
  if (menu == menu_) return;
  menu_ = menu;
  Recreate();
}

bool SdlWindow::SetTransparentColor(bool enabled, std::uint32_t color) {
  if (!enabled) {
    if (colorKey_) X11ShapeOut(window_, nullptr, 0, 0, 0, false, 0);
    colorKey_ = false;
    shapeKey_.clear();
    return true;
  }
  // Only X11 cuts windows; elsewhere the key colour stays visible, and the caller is told so.
  if (!X11ShapeOut(window_, nullptr, 0, 0, 0, false, 0)) return false;
  colorKey_ = true;
  colorKeyValue_ = color;
  shapeKey_.clear();
  return true;
}

void SdlWindow::ShapeFrom(const PixelBuffer& image) {
  // The positions of the key pixels, as a fingerprint of the shape.
  std::vector<std::uint32_t> key;
  key.push_back(static_cast<std::uint32_t>(image.width));
  key.push_back(static_cast<std::uint32_t>(image.height));
  for (int y = 0; y < image.height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(image.bits + static_cast<std::size_t>(y) * image.stride);
    for (int x = 0; x < image.width; ++x)
      if (row[x] == colorKeyValue_) key.push_back(static_cast<std::uint32_t>(y) << 16 | static_cast<std::uint32_t>(x));
  }
  if (key == shapeKey_) return;
  shapeKey_ = std::move(key);
  X11ShapeOut(window_, reinterpret_cast<const std::uint32_t*>(image.bits), image.width, image.height, image.stride, true,
              colorKeyValue_);
}

void SdlWindow::SetCursor(Cursor cursor) { SDL_SetCursor(backend_.CursorFor(cursor)); }

}  // namespace

std::unique_ptr<WindowBackend> CreateSystemBackend() { return std::make_unique<SdlBackend>(); }

}  // namespace platform
