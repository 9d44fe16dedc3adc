// Inside the display layer only: what its surfaces and its display object
// share, and the copy loops BltFast runs on.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/big_buffer.h"
#include "platform/ddraw.h"

namespace ddraw {

// The largest surface made: the course picture is 15000 x 600; this leaves
// room for bigger courses without letting a wrong size eat the memory.
constexpr int kMaxSide = 32768;
constexpr int64_t kMaxPixels = 64ll * 1024 * 1024;  // 128 MiB of 565 pixels
constexpr int kScreenW = 800, kScreenH = 600;

// The display a DirectDraw7 stands for, shared with its surfaces so that a
// loss of the display reaches every surface made from it.
struct Display {
    intptr_t hwnd = 0;       // the Game window's handle; 0: no window, memory only
    bool exclusive = false;  // full screen, exclusive
    bool mode_set = false;   // 800 x 600 x 16 chosen

    // Loss bookkeeping: each loss of the window's focus seen while
    // exclusive moves loss_epoch on; a surface is lost while it has not been
    // restored since the latest loss.
    uint64_t loss_epoch = 0;
    uint64_t all_restored_epoch = 0;
    uint64_t seen_loss_count = 0;      // the toolkit's loss counter, last read
    uint64_t reported_loss_count = 0;  // the counter when the test last failed

    // Presentation through the window's renderer, where it has one.
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    SDL_Renderer* own_renderer = nullptr;  // made here for graphics hardware
    bool content_registered = false;
    // The window surface last painted whole (bars and all), and its size.
    SDL_Surface* painted_surface = nullptr;
    int painted_w = 0, painted_h = 0;

    ~Display();
    // Reads the toolkit's focus record and marks the surfaces lost after a
    // loss of focus while exclusive.
    void Sync();
};

struct DirectDrawSurface7::Impl {
    int w = 0, h = 0;
    uint16_t* pixels = nullptr;  // w per row
    platform::BigBuffer own;     // the pixels, unless they live elsewhere
    SDL_Surface* sdl = nullptr;  // an SDL view of the same pixels
    bool has_key = false;
    uint16_t key_lo = 0, key_hi = 0;
    // Where a large keyed sheet is not the key: per row, the runs of other
    // pixels, so a keyed copy reads and copies only those (two thirds of
    // the course picture is key). Made at the first keyed copy from the
    // sheet; any write to its pixels (MutablePixels, a copy onto it, a new
    // key) drops it.
    struct OpaqueRuns {
        bool valid = false;
        std::vector<uint32_t> row_start;  // h + 1 offsets into runs
        std::vector<uint16_t> runs;       // pairs: first, one past the last
    } opaque_runs;
    std::shared_ptr<Display> display;
    uint64_t restored_epoch = 0;
    bool primary = false;
    std::shared_ptr<DirectDrawSurface7> back;  // the primary's back buffer

    ~Impl();
    bool Lost() const;
};

struct DirectDraw7::Impl {
    std::shared_ptr<Display> display = std::make_shared<Display>();
};

// A new off-screen surface of w x h black pixels (w, h > 0 and checked).
std::shared_ptr<DirectDrawSurface7> NewSurface(int w, int h, std::shared_ptr<Display> display);

// Shows the 800 x 600 565 frame in a window (ddraw_present.cpp): through
// its framebuffer (our own nearest scaler into SDL_GetWindowSurface) or
// through a renderer (a streaming 565 texture). Benchmarks time them
// against each other.
namespace present {
// Where the frame goes in a w x h window: the largest fit with the aspect
// kept; a whole multiple instead when that still fills at least four
// fifths of the fit (sharp, even pixels at little cost in size).
SDL_Rect FitRect(int w, int h);
// The frame scaled (nearest pixel) into the rectangle r of a 32-bit window
// surface with 8-bit channels, or of a 565 one.
void ScaleInto(SDL_Surface* surface, const SDL_Rect& r, const uint16_t* frame);
// A present in two steps, so that the scaling is done before the flip's
// wait and only the hand-over after it. whole_window: the black bars too,
// and the whole window sent to the screen; otherwise only the frame's
// rectangle (*frame_rect). False when there is nothing to send.
bool PrepareWindowSurface(SDL_Window* window, const uint16_t* frame, bool whole_window, SDL_Rect* frame_rect);
void SendWindowSurface(SDL_Window* window, bool whole_window, const SDL_Rect& frame_rect);
bool PrepareRenderer(Display& display, SDL_Renderer* renderer, const uint16_t* frame);
// Both steps at once (SDL_RenderPresent after PrepareRenderer).
void ToWindowSurface(SDL_Window* window, const uint16_t* frame, bool whole_window);
void WithRenderer(Display& display, SDL_Renderer* renderer, const uint16_t* frame);
// A renderer for the window when graphics hardware would scale the frame
// (an accelerated renderer that is not a software one, on a machine with
// a 3D-capable graphics driver), or the one SDL_RENDER_DRIVER names;
// nullptr: the framebuffer.
SDL_Renderer* HardwareRendererFor(SDL_Window* window);
// Whether a renderer (SDL's name, and the OpenGL renderer string where
// there is one) draws in software.
bool IsSoftwareRenderer(const std::string& renderer_name, const std::string& gl_renderer);
}  // namespace present

// Frame-cost bookkeeping (ddraw_costs.cpp), fed by BltFast, the display
// test and the flip.
namespace costs {
extern bool g_recording;
extern std::vector<CopyRecord>* g_copy_log;
// The frame's composition starts at its first display call.
void BeginFrame();
inline void NoteFrameCall() {
    if (g_recording) BeginFrame();
}
// A frame that ended without a flip: its composition is not counted.
void FrameCutShort();

// One flip's cost, while costs are recorded: made as the flip begins (which
// ends the frame's composition), paused for the wait for the tick, and
// recorded once the frame is on the screen. A flip that fails records
// nothing.
class FlipMeter {
public:
    FlipMeter();
    void Pause();
    void Resume();
    void Shown(uint64_t shown_us);

private:
    bool measuring_;
    int64_t cpu_start_ = 0, wall_start_ = 0;
    int64_t cpu_paused_ = 0, wall_paused_ = 0;
    int64_t cpu_waited_ = 0, wall_waited_ = 0;
    FrameCost cost_;
};
}  // namespace costs

namespace blit {
// Rows of w pixels from src to dst (strides in pixels). The opaque copy
// moves whole rows; the keyed copies leave the destination where the
// source pixel is the key (or, for a range, every channel within the
// range's channels).
void Opaque(uint16_t* dst, std::ptrdiff_t dst_stride, const uint16_t* src,
            std::ptrdiff_t src_stride, int w, int h);
void Keyed(uint16_t* dst, std::ptrdiff_t dst_stride, const uint16_t* src, std::ptrdiff_t src_stride,
           int w, int h, uint16_t key);
// Rows of the keyed copy of the rectangle [left, left + w) x [top, top + h)
// of a sheet whose opaque runs are known: only the runs are copied.
void KeyedRuns(uint16_t* dst, std::ptrdiff_t dst_stride, const uint16_t* sheet, std::ptrdiff_t sheet_stride,
               const DirectDrawSurface7::Impl::OpaqueRuns& runs, int left, int top, int w, int h);
// The runs of a whole w x h sheet (pixels other than key).
void FindOpaqueRuns(const uint16_t* sheet, int w, int h, uint16_t key, DirectDrawSurface7::Impl::OpaqueRuns* runs);
void KeyRange(uint16_t* dst, std::ptrdiff_t dst_stride, const uint16_t* src,
              std::ptrdiff_t src_stride, int w, int h, uint16_t lo, uint16_t hi);
// Nearest-neighbour scaling of a whole 565 picture into another size.
void Scale(const uint16_t* src, int sw, int sh, std::ptrdiff_t src_stride, uint16_t* dst, int dw,
           int dh);
}  // namespace blit

}  // namespace ddraw
