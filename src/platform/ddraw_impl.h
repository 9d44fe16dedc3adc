// Inside the display layer only: what its surfaces and its display object
// share, and the copy loops BltFast runs on.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

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
    bool content_registered = false;

    ~Display();
    // Reads the toolkit's focus record and marks the surfaces lost after a
    // loss of focus while exclusive.
    void Sync();
};

struct DirectDrawSurface7::Impl {
    int w = 0, h = 0;
    uint16_t* pixels = nullptr;  // w per row
    std::vector<uint16_t> own;   // the pixels, unless they live elsewhere
    SDL_Surface* sdl = nullptr;  // an SDL view of the same pixels
    bool has_key = false;
    uint16_t key_lo = 0, key_hi = 0;
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

// Shows the shown frame in a window: through its framebuffer (our own
// nearest scaler into SDL_GetWindowSurface) or through a renderer (a
// streaming 565 texture). Benchmarks time them against each other.
namespace present {
void ToWindowSurface(SDL_Window* window);
void WithRenderer(Display& display, SDL_Renderer* renderer);
}  // namespace present

namespace blit {
// Rows of w pixels from src to dst (strides in pixels). The opaque copy
// moves whole rows; the keyed copies leave the destination where the
// source pixel is the key (or, for a range, every channel within the
// range's channels).
void Opaque(uint16_t* dst, std::ptrdiff_t dst_stride, const uint16_t* src,
            std::ptrdiff_t src_stride, int w, int h);
void Keyed(uint16_t* dst, std::ptrdiff_t dst_stride, const uint16_t* src, std::ptrdiff_t src_stride,
           int w, int h, uint16_t key);
void KeyRange(uint16_t* dst, std::ptrdiff_t dst_stride, const uint16_t* src,
              std::ptrdiff_t src_stride, int w, int h, uint16_t lo, uint16_t hi);
// Nearest-neighbour scaling of a whole 565 picture into another size.
void Scale(const uint16_t* src, int sw, int sh, std::ptrdiff_t src_stride, uint16_t* dst, int dw,
           int dh);
}  // namespace blit

}  // namespace ddraw
