// DirectDraw 7 as the play field uses it: DirectX7, DirectDraw7 and
// DirectDrawSurface7, over SDL2.
//
// Surfaces are 16-bit RGB565 in memory. "Exclusive full screen at
// 800 x 600 x 16" is the Game window in desktop full-screen mode showing
// the back buffer scaled to fit (aspect kept, black bars, sharp pixels).
// Every operation but BltFast raises a DDrawError on failure; BltFast
// returns its code and raises nothing, as its callers rely on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace ddraw {

// Result codes.
constexpr int32_t DD_OK = 0;
constexpr int32_t DDERR_GENERIC = static_cast<int32_t>(0x80004005);
constexpr int32_t DDERR_INVALIDPARAMS = static_cast<int32_t>(0x80070057);
constexpr int32_t DDERR_INVALIDRECT = static_cast<int32_t>(0x88760096);
constexpr int32_t DDERR_SURFACELOST = static_cast<int32_t>(0x887601C2);
constexpr int32_t DDERR_NOEXCLUSIVEMODE = static_cast<int32_t>(0x887601E1);
constexpr int32_t DDERR_WRONGMODE = static_cast<int32_t>(0x8876024B);
constexpr int32_t DDERR_NOTFOUND = static_cast<int32_t>(0x887600FF);
constexpr int32_t DDERR_NOCOLORKEY = static_cast<int32_t>(0x887600D7);
constexpr int32_t DDERR_INVALIDMODE = static_cast<int32_t>(0x88760078);

// Flags and capabilities.
constexpr int32_t DDSCL_FULLSCREEN = 1, DDSCL_NORMAL = 8, DDSCL_EXCLUSIVE = 16,
                  DDSCL_ALLOWMODEX = 64;
constexpr int32_t DDSD_CAPS = 1, DDSD_HEIGHT = 2, DDSD_WIDTH = 4, DDSD_BACKBUFFERCOUNT = 32;
constexpr int32_t DDSCAPS_BACKBUFFER = 4, DDSCAPS_COMPLEX = 8, DDSCAPS_FLIP = 16,
                  DDSCAPS_OFFSCREENPLAIN = 64, DDSCAPS_PRIMARYSURFACE = 512,
                  DDSCAPS_SYSTEMMEMORY = 2048;
constexpr int32_t DDCKEY_SRCBLT = 8;
constexpr int32_t DDBLTFAST_SRCCOLORKEY = 1, DDBLTFAST_WAIT = 16;
constexpr int32_t DDFLIP_WAIT = 1;

struct RECT {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;  // right, bottom exclusive
};

struct DDSCAPS2 {
    int32_t lCaps = 0;
};

struct DDSURFACEDESC2 {
    int32_t lFlags = 0;
    int32_t lWidth = 0;
    int32_t lHeight = 0;
    int32_t lBackBufferCount = 0;
    DDSCAPS2 ddsCaps;
};

struct DDCOLORKEY {
    int32_t low = 0;   // 0x00BBGGRR
    int32_t high = 0;
};

// A failed display operation. Its text says what failed (and which file).
class DDrawError : public std::runtime_error {
public:
    DDrawError(int32_t code, const std::string& what) : std::runtime_error(what), code_(code) {}
    int32_t code() const { return code_; }

private:
    int32_t code_;
};

class DirectDrawSurface7 {
public:
    struct Impl;
    explicit DirectDrawSurface7(std::unique_ptr<Impl> impl);
    ~DirectDrawSurface7();

    // Copies src_rect of source to (x, y). No clipping: a rectangle not
    // wholly inside both surfaces fails with DDERR_INVALIDRECT and copies
    // nothing. flags: DDBLTFAST_WAIT, optionally + DDBLTFAST_SRCCOLORKEY.
    int32_t BltFast(int32_t x, int32_t y, DirectDrawSurface7* source, const RECT* src_rect,
                    int32_t flags);
    // Primary surface: waits for the next tick of the steady 60 Hz pace,
    // then shows the back buffer (as a flip shows it at the next retrace).
    // Flags: DDFLIP_WAIT or 0. A lost surface raises DDERR_SURFACELOST after
    // the wait, so that a failed flip still takes its frame.
    void Flip(DirectDrawSurface7* target, int32_t flags);
    DirectDrawSurface7* GetAttachedSurface(const DDSCAPS2& caps);
    void SetColorKey(int32_t flags, const DDCOLORKEY& key);
    bool IsLost() const;
    void Restore();

    int Width() const;
    int Height() const;
    // The 565 pixels, row after row (Width() per row); tests and the runner.
    const uint16_t* Pixels() const;
    uint16_t* MutablePixels();

    Impl& impl() { return *impl_; }

private:
    std::unique_ptr<Impl> impl_;
};

class DirectDraw7 {
public:
    DirectDraw7();
    ~DirectDraw7();
    // 81 (FULLSCREEN + EXCLUSIVE + ALLOWMODEX): the window of hwnd goes to
    // desktop full screen and shows the flipped frames; 8 (NORMAL) gives it
    // back. hwnd 0, or a handle with no window, means no window at all: the
    // frames are presented into memory only (headless tests).
    void SetCooperativeLevel(intptr_t hwnd, int32_t flags);
    void SetDisplayMode(int32_t width, int32_t height, int32_t bpp, int32_t refresh, int32_t flags);
    void RestoreDisplayMode();
    std::shared_ptr<DirectDrawSurface7> CreateSurface(DDSURFACEDESC2& desc);
    // Loads a BMP into an off-screen surface of the description's size
    // (width and height 0: the picture's own), scaling a picture of another
    // size to fit. A missing or damaged file raises an error naming it.
    std::shared_ptr<DirectDrawSurface7> CreateSurfaceFromFile(const std::string& program_path,
                                                              DDSURFACEDESC2& desc);
    // 0 while the display may be drawn on; DDERR_NOEXCLUSIVEMODE while the
    // window has lost the focus or is minimised.
    int32_t TestCooperativeLevel();
    void RestoreAllSurfaces();

    struct Impl;
    Impl& impl() { return *impl_; }

private:
    std::unique_ptr<Impl> impl_;
};

class DirectX7 {
public:
    std::shared_ptr<DirectDraw7> DirectDrawCreate(const std::string& guid);
};

// Converts a 0x00BBGGRR colour to the 565 pixel it becomes.
uint16_t ColorTo565(int32_t bbggrr);

// --- Pacing and looking inside (the runner, benchmarks, tests) ----------------
// On by default: Flip waits for the next 60 Hz tick. Off: --timedemo.
void SetFramePacing(bool on);
bool FramePacing();
// Waits for the next tick of the pace as Flip does (nothing when pacing is
// off): for a pass of the play loop that ended its frame before the flip,
// so that it still takes its 60 Hz frame. Flip itself always takes its
// tick, also when it fails and raises.
void WaitForNextFrame();
// The last presented frame (800 x 600, 565) as PNG; false if none yet.
bool SaveShownFramePng(const std::string& linux_path);
// The last presented frame's pixels, or empty.
std::vector<uint16_t> ShownFrame();
// The presentation intervals seen so far (microseconds), for pacing figures.
const std::vector<uint64_t>& FlipTimesUs();

// What each flipped frame cost (the runner's --frame-stats). Composition
// runs from the frame's first display call (DrawFrame's display test) to
// its flip, presentation from the end of the flip's wait to the frame on
// the screen; CPU times are the calling thread's.
struct FrameCost {
    uint64_t shown_us = 0;  // program clock: the frame on the screen
    int64_t compose_cpu_ns = 0, compose_wall_ns = 0;
    int64_t present_cpu_ns = 0, present_wall_ns = 0;
    int64_t pass_cpu_ns = 0;  // the thread's CPU since the previous flip; 0 for the first
};
void RecordFrameCosts(bool on);
const std::vector<FrameCost>& FrameCosts();

// While a log is set, every rectangle BltFast copies and the flip's copy
// are appended to it (benchmarks replay them as plain memcpy).
struct CopyRecord {
    const uint16_t* from = nullptr;
    uint16_t* to = nullptr;
    std::ptrdiff_t from_stride = 0, to_stride = 0;  // pixels
    int w = 0, h = 0;
};
void SetCopyLog(std::vector<CopyRecord>* log);

}  // namespace ddraw
