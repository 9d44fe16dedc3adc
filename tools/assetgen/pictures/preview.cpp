// The contact sheet and the mock play-field frames.
#include "preview.h"

#include <algorithm>
#include <cmath>

#include "palette.h"

namespace pictures {
namespace {

constexpr Rgb kSheetBack = 0x26262E;
constexpr Rgb kLabel = 0xE8E8F0;

int Round(double v) { return static_cast<int>(std::nearbyint(v)); }

// The largest integer scale (up to 3) that keeps a picture readable, or a
// reduction for the wide ones.
Image Fit(const Image& img, int max_width) {
    if (img.Width() > max_width) {
        int factor = (img.Width() + max_width - 1) / max_width;
        return Shrink(img, factor);
    }
    int factor = std::clamp(std::min(max_width / img.Width(), 600 / img.Height()), 1, 3);
    return factor > 1 ? Enlarge(img, factor) : img;
}

}  // namespace

Image MakeContactSheet(Fonts& fonts, const std::vector<NamedPicture>& pictures) {
    const int width = 1640, margin = 16, gap = 20;
    struct Placed {
        Image view;
        Mask label;
        int x, y;
    };
    std::vector<Placed> placed;
    int x = margin, y = margin, row_height = 0;
    for (const NamedPicture& p : pictures) {
        if (p.name == "bmp/biru.bmp") {
            // The course: five strips of 3000 pixels, at a third of their size.
            for (int strip = 0; strip < 5; ++strip) {
                Image part(3000, 600);
                Blit(part, *p.image, strip * 3000, 0, 3000, 600, 0, 0);
                Image view = Shrink(part, 2);
                Image half(1500, 300);
                Blit(half, view, 0, 0, 1500, 300, 0, 0);
                std::string name = p.name + "  world x " + std::to_string(strip * 3000) + ".." +
                                   std::to_string(strip * 3000 + 3000) + "  (1/2)";
                if (x > margin) {
                    x = margin;
                    y += row_height + gap;
                    row_height = 0;
                }
                Mask label = fonts.Render(Face::Sans, 12, name);
                placed.push_back({half, label, x, y});
                y += half.Height() + label.height + 6 + gap;
            }
            continue;
        }
        Image view = Fit(*p.image, width - 2 * margin);
        std::string name = p.name + "  " + std::to_string(p.image->Width()) + " x " +
                           std::to_string(p.image->Height());
        if (view.Width() != p.image->Width())
            name += view.Width() > p.image->Width() ? "  (enlarged)" : "  (reduced)";
        Mask label = fonts.Render(Face::Sans, 12, name);
        int w = std::max(view.Width(), label.width);
        if (x + w > width - margin && x > margin) {
            x = margin;
            y += row_height + gap;
            row_height = 0;
        }
        placed.push_back({view, label, x, y});
        x += w + gap;
        row_height = std::max(row_height, view.Height() + label.height + 6);
    }
    int height = y + row_height + margin;
    Image sheet(width, height, kSheetBack);
    for (const Placed& p : placed) {
        Stamp(sheet, p.label, p.x, p.y, kLabel);
        Blit(sheet, p.view, 0, 0, p.view.Width(), p.view.Height(), p.x, p.y + p.label.height + 6);
    }
    return sheet;
}

Image ComposeFrame(const PlayFieldSheets& s, const Course& course, const MockFrame& f) {
    Image frame(800, 600, 0);
    Blit(frame, s.sky, Round(f.cloud_x), 0, 800, 600, 0, 0);
    Blit(frame, s.course_picture, Round(f.scroll_x), 0, 800, 600, 0, 0, true);
    Blit(frame, s.panel, 0, 0, 800, 100, 0, 500, true);
    for (auto [kind, at] : f.pads)
        Blit(frame, s.pads, kind * 16, 0, 16, 16, Round(at.first), Round(at.second), true);
    if (f.blast_cell >= 0)
        Blit(frame, s.blast, (f.blast_cell % 8) * 96, (f.blast_cell / 8) * 96, 96, 96,
             Round(f.player_x - 3 * f.blast_cell - 10), Round(f.player_y), true, kKeyBlack);
    Blit(frame, s.hero, f.player_frame * 96, 0, 96, 96, Round(f.player_x), Round(f.player_y), true);
    if (f.ready_go >= 0) Blit(frame, s.ready_go, f.ready_go * 540, 0, 540, 133, 100, 100, true);
    for (const Item& it : course.items) {
        double left = Course::World(it.x) - f.scroll_x;
        if (left + 32 < 0 || left > 800) continue;
        Blit(frame, s.items, static_cast<int>(it.kind) * 32, 0, 32, 32, Round(left), Round(it.y), true);
    }
    auto glyph = [&](int g, int cell, int y) {
        Blit(frame, s.digits, 0, g * 24, 12, 24, 13 * (7 - cell) + 100, y, true);
    };
    long n = f.score;
    for (int i = 0; i < 8; ++i) {
        glyph(static_cast<int>(n % 10), i, 557);
        n /= 10;
        if (n < 1) break;
    }
    int digits[8] = {f.centis % 10, f.centis / 10, 11, f.seconds % 10, f.seconds / 10, 11,
                     f.minutes % 10, f.minutes / 10};
    for (int i = 0; i < (f.minutes ? 8 : 6); ++i) glyph(digits[i], i, 536);
    Blit(frame, s.digits, 0, f.lives * 24, 12, 24, 180, 575, true);
    return frame;
}

}  // namespace pictures
