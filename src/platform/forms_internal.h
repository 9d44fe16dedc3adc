// Inside the forms runtime only: the state its parts share — the list of
// windows, the modal stack, the queue of window events — and the inner
// records of windows, pictures, picture boxes and device contexts.
#pragma once

#include <SDL.h>

#include <cmath>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/forms.h"

namespace forms {

// Every surface of the runtime is 32-bit XRGB, so the raster operations
// work on whole pixels.
constexpr Uint32 kSurfaceFormat = SDL_PIXELFORMAT_RGB888;

// The standard scheme's button face: the background of windows and frames
// that give none.
constexpr Color kButtonFace = 0xC0C0C0;

// Window decorations of an ordinary border: the frame around the client
// area and the caption bar above it, in pixels.
constexpr int kFramePx = 3;
constexpr int kCaptionPx = 19;

// Twips to whole pixels, to the nearest (halves to even, as every position
// of the program is rounded). Far-off positions (a label that has risen
// for hours) stay far off without overflowing.
inline int ToPx(double twips) {
    const double px = std::nearbyint(twips / kTwipsPerPixel);
    if (!(px > -1e9)) return -1000000000;  // also NaN
    if (px > 1e9) return 1000000000;
    return static_cast<int>(px);
}

struct FontChoice {
    std::string face;  // as a layout writes it; empty: the default face
    double points = 9;
    bool bold = false, italic = false;
};

// The font drawn at the windows' scale: the same face at scale times the
// size, so text is drawn sharp rather than enlarged.
FontChoice ScaledFont(FontChoice font);

struct DeviceContext {
    Form* form = nullptr;              // a window's client area (its canvas)
    PictureBox::Impl* box = nullptr;   // a picture box's image
};

struct Picture::Data {
    SDL_Surface* surface = nullptr;  // kSurfaceFormat
    Data() = default;
    Data(const Data&) = delete;
    Data& operator=(const Data&) = delete;
    ~Data();
};

struct PictureBox::Impl {
    PictureBox* owner = nullptr;
    SDL_Surface* image = nullptr;  // follows the box's size, see Sync
    DeviceContext dc;
    ~Impl();
    // The image at the box's current size: content kept, new area white.
    SDL_Surface* Sync();
    void Free();
};

// The toolkit's record of one window; reset at every load.
struct Form::Impl {
    intptr_t hwnd = 0;
    SDL_Window* window = nullptr;
    SDL_Surface* canvas = nullptr;  // the persistent client area, at the windows' scale
    DeviceContext dc;
    float left = 0, top = 0;                // outer, twips
    float client_w = 4680, client_h = 3195;  // twips
    std::string caption;
    BorderStyle border = BorderStyle::Fixed;
    Color back = kButtonFace, fore = kBlack;
    Picture picture;
    FontChoice font;
    int print_y = 0;  // the desktop's pixels, in the canvas
    bool dirty = true;
    SDL_Surface* external = nullptr;  // the display layer's frame, while set
    // On a scaled Wayland output: the renderer the window is drawn with
    // (the display layer draws the play field with it too) and its texture.
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    bool focused = false, minimised = false;
    uint64_t focus_losses = 0;
    int modal_loops = 0;      // modal shows of this window still running
    bool unloading = false;   // Form_Unload is running
    uint64_t shown_serial = 0;  // stacking order among shown windows
};

// Private parts of Form and Control that the runtime's files use.
struct ToolkitAccess {
    static bool& Loaded(Form& f) { return f.loaded_; }
    static bool& Loading(Form& f) { return f.loading_; }
    static bool& Shown(Form& f) { return f.shown_; }
    static bool ClosesProgram(const Form& f) { return f.close_ends_program_; }
    static std::vector<Control*>& Controls(Form& f) { return f.controls_; }
};

// A window event waiting for the next pass.
struct PendingEvent {
    enum class Kind { Key, Close, Quit, ScreenToggle };
    Kind kind = Kind::Key;
    int16_t key = 0, shift = 0;
    intptr_t hwnd = 0;
};

struct Toolkit {
    bool initialised = false;
    bool headless = false;
    std::vector<Form*> forms;   // every window object, in construction order
    std::vector<Form*> modal;   // the modal stack, bottom first
    std::deque<PendingEvent> events;
    EndHandler end_handler;
    InputSource* input = nullptr;
    // The desktop in its own pixels, and the windows' scale on it: a
    // window's designed pixel is scale x scale pixels of the desktop.
    int desktop_w_px = 1024, desktop_h_px = 768;
    int scale = 1;
    // The player's choice for the display layer's window (Alt+Enter, F11),
    // and the window that has the screen now (0: none).
    bool windowed_play = false;
    intptr_t screen_holder = 0;
    // False where the compositor alone places windows (Wayland).
    bool places_windows = true;
    // Where the compositor scales windows by its output's scale (Wayland),
    // that scale: SDL's window sizes are then in units of it, and a window
    // is drawn through a renderer at the desktop's own pixels.
    int output_scale = 1;
    intptr_t last_hwnd = 0;
    uint64_t last_shown_serial = 0;
};
Toolkit& TK();

// --- forms_scale.cpp -----------------------------------------------------------
struct ScaleSettings {
    std::string roofrider_scale;  // the environment's ROOFRIDER_SCALE (empty: unset)
    std::string gdk_scale;        // the environment's GDK_SCALE
    int xft_dpi = 0;              // the X resource Xft.dpi; 0: not stated
    int output_scale = 0;         // a Wayland output's scale; 0: not stated
};
struct ScaleChoice {
    int scale = 1;
    std::string warning;  // a setting that could not be followed, for stderr
};
// The value of Xft.dpi in an X resource string (0: none).
int XftDpiOf(const std::string& resources);
ScaleChoice ChooseScale(int desktop_w_px, int desktop_h_px, const ScaleSettings& settings);
// The settings as this desktop states them (the video driver tells where
// to look).
ScaleSettings DesktopScaleSettings(const char* video_driver);
// Takes a desktop of w x h of its pixels and chooses the scale on it.
void ApplyDesktop(int desktop_w_px, int desktop_h_px, const ScaleSettings& settings);
int Scale();
// The desktop in designed pixels (its own pixels / scale).
int LogicalScreenWidthPx();
int LogicalScreenHeightPx();

// --- forms_window.cpp ----------------------------------------------------------
Form* FormByHwnd(intptr_t hwnd);
void MarkDirty(Form& form);
// A loaded window's canvas at the window's current client size (made anew,
// keeping what was drawn, when the size has changed); nullptr if not loaded.
SDL_Surface* Canvas(Form& form);
// The desktop's window of a loaded window, made on first need (a Show, or
// the display layer asking for it); throws Error when it cannot be made.
SDL_Window* NativeWindow(Form& form);
// Outer-to-client offsets of a window's border style, in pixels.
int DecorationLeftPx(BorderStyle style);
int DecorationTopPx(BorderStyle style);
// The client area's top-left on the desktop, in the windows' designed
// pixels, and in the desktop's own (times the scale).
SDL_Point ClientOriginPx(Form& form);
SDL_Point ClientOriginDevicePx(Form& form);
// Unloads without running Form_Unload (a window object going away).
void DestroyQuietly(Form& form);

// --- forms_surface.cpp ---------------------------------------------------------
SDL_Surface* NewSurface(int w, int h);  // throws Error when it cannot
Uint32 PixelOf(Color color);            // 0x00BBGGRR to the surface's 0x00RRGGBB
void Fill(SDL_Surface* s, const SDL_Rect* r, Color color);
// Copies src into dst at (x, y), clipped, without blending.
void CopyInto(SDL_Surface* dst, int x, int y, SDL_Surface* src);
// Stretches src over the rectangle r of dst (nearest pixel), clipped.
void StretchInto(SDL_Surface* dst, const SDL_Rect& r, SDL_Surface* src);
SDL_Surface* SurfaceOf(HDC dc);  // nullptr when it has none

// --- forms_paint.cpp -------------------------------------------------------------
// Paints the window's background colour and picture over all of target
// (its canvas, or a canvas about to replace it).
void PaintBackground(Form& form, SDL_Surface* target);
// Composes a window's client area (canvas, then its controls) into target
// at (x, y); target's clip rectangle is respected.
void ComposeClient(Form& form, SDL_Surface* target, int x, int y);
// The display layer's frame scaled to fit r, with black bars.
void ComposeExternal(SDL_Surface* frame, SDL_Surface* target, const SDL_Rect& r);
// Repaints every shown window that changed; at most once per pass.
void RepaintChanged();
// The size in pixels of a label's text as it would be drawn (AutoSize);
// a word-wrapped label breaks its lines at wrap_width pixels.
SDL_Point MeasureLabelText(const Label::Style& style, int wrap_width);

// --- forms_display_loss.cpp -------------------------------------------------------
// Once the display is open: a connection to the X server that fails ends
// the program at once (status 1, one line on standard error), with no
// exit handler or destructor reaching for the dead connection.
void WatchForLostDisplay();
// On a quit request: if the Wayland compositor's connection has failed,
// ends the program the same way; otherwise returns.
void EndIfDisplayLost();

// --- forms_placement.cpp --------------------------------------------------------
bool DesktopPlacesWindows();
// Where windows cannot place themselves: the window a borderless window
// lies over and is drawn in (nullptr: it is a desktop window of its own).
Form* HostOf(Form& guest);
// Draws the windows hosted by host over its client area, composed at (x, y).
void ComposeGuests(Form& host, SDL_Surface* target, int x, int y);
// A hosted window that changed repaints its host.
void PassGuestRepaints();
// Every shown window repaints (a hosted window went away).
void RepaintAllShown();

// --- forms_screen.cpp -----------------------------------------------------------
// Alt+Enter or F11: the keys that switch the play field's screen.
bool IsScreenToggle(const SDL_Keysym& key);
// Switches the choice between full screen and a window, and applies it to
// the window that has the screen.
void ToggleScreen();

// --- forms_loop.cpp ----------------------------------------------------------------
// Converts an SDL key press to a virtual-key code (0: none).
int16_t VirtualKeyOf(const SDL_Keysym& key);
int16_t ShiftStateOf(Uint16 mod);

}  // namespace forms
