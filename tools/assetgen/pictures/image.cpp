// The canvas and its drawing operations.
#include "image.h"

#include <algorithm>
#include <cmath>

namespace pictures {

Rgb Mix(Rgb a, Rgb b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto channel = [t](int u, int v) {
        return static_cast<int>(std::lround(u + (v - u) * t));
    };
    return MakeRgb(channel(Red(a), Red(b)), channel(Green(a), Green(b)),
                   channel(Blue(a), Blue(b)));
}

Image::Image(int width, int height, Rgb fill)
    : width_(width),
      height_(height),
      clip_x1_(width),
      clip_y1_(height),
      pixels_(static_cast<size_t>(width) * static_cast<size_t>(height), fill) {}

void Image::SetClip(int x, int y, int w, int h) {
    clip_x0_ = std::max(0, x);
    clip_y0_ = std::max(0, y);
    clip_x1_ = std::min(width_, x + w);
    clip_y1_ = std::min(height_, y + h);
}

void Image::ClearClip() { SetClip(0, 0, width_, height_); }

void FillRect(Image& img, int x, int y, int w, int h, Rgb c) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) img.Set(i, j, c);
}

void FillCircle(Image& img, double cx, double cy, double r, Rgb c) {
    FillEllipse(img, cx, cy, r, r, c);
}

void FillEllipse(Image& img, double cx, double cy, double rx, double ry, Rgb c) {
    if (rx <= 0 || ry <= 0) return;
    int x0 = static_cast<int>(std::floor(cx - rx)), x1 = static_cast<int>(std::ceil(cx + rx));
    int y0 = static_cast<int>(std::floor(cy - ry)), y1 = static_cast<int>(std::ceil(cy + ry));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
            if (dx * dx + dy * dy <= 1.0) img.Set(x, y, c);
        }
}

void FillPolygon(Image& img, const std::vector<Point>& points, Rgb c) {
    if (points.size() < 3) return;
    double min_y = points[0].y, max_y = points[0].y;
    for (const Point& p : points) {
        min_y = std::min(min_y, p.y);
        max_y = std::max(max_y, p.y);
    }
    std::vector<double> xs;
    for (int y = static_cast<int>(std::floor(min_y)); y <= static_cast<int>(std::ceil(max_y)); ++y) {
        double sy = y + 0.5;
        xs.clear();
        for (size_t i = 0; i < points.size(); ++i) {
            const Point& a = points[i];
            const Point& b = points[(i + 1) % points.size()];
            if ((a.y <= sy && b.y > sy) || (b.y <= sy && a.y > sy))
                xs.push_back(a.x + (sy - a.y) / (b.y - a.y) * (b.x - a.x));
        }
        std::sort(xs.begin(), xs.end());
        for (size_t i = 0; i + 1 < xs.size(); i += 2) {
            int from = static_cast<int>(std::ceil(xs[i] - 0.5));
            int to = static_cast<int>(std::floor(xs[i + 1] - 0.5));
            for (int x = from; x <= to; ++x) img.Set(x, y, c);
        }
    }
}

void FillCapsule(Image& img, Point a, Point b, double r, Rgb c) {
    int x0 = static_cast<int>(std::floor(std::min(a.x, b.x) - r)) - 1;
    int x1 = static_cast<int>(std::ceil(std::max(a.x, b.x) + r)) + 1;
    int y0 = static_cast<int>(std::floor(std::min(a.y, b.y) - r)) - 1;
    int y1 = static_cast<int>(std::ceil(std::max(a.y, b.y) + r)) + 1;
    double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            double px = x + 0.5 - a.x, py = y + 0.5 - a.y;
            double t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0, 1.0) : 0.0;
            double ex = px - t * dx, ey = py - t * dy;
            if (ex * ex + ey * ey <= r * r) img.Set(x, y, c);
        }
}

void DrawLine(Image& img, int x0, int y0, int x1, int y1, Rgb c) {
    int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        img.Set(x0, y0, c);
        if (x0 == x1 && y0 == y1) break;
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

Rgb GradientAt(const std::vector<GradientStop>& stops, double t) {
    if (t <= stops.front().at) return stops.front().color;
    for (size_t i = 1; i < stops.size(); ++i)
        if (t <= stops[i].at) {
            double span = stops[i].at - stops[i - 1].at;
            return Mix(stops[i - 1].color, stops[i].color,
                       span > 0 ? (t - stops[i - 1].at) / span : 1.0);
        }
    return stops.back().color;
}

double DitherThreshold(int x, int y) {
    static const int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return (kBayer[y & 3][x & 3] + 0.5) / 16.0;
}

void FillVerticalGradient(Image& img, int x, int y, int w, int h,
                          const std::vector<GradientStop>& stops, int bands) {
    for (int j = 0; j < h; ++j) {
        double t = h > 1 ? static_cast<double>(j) / (h - 1) : 0.0;
        double level = t * bands;
        int band = static_cast<int>(std::floor(level));
        double frac = level - band;
        Rgb lo = GradientAt(stops, static_cast<double>(band) / bands);
        Rgb hi = GradientAt(stops, std::min(1.0, static_cast<double>(band + 1) / bands));
        for (int i = 0; i < w; ++i)
            img.Set(x + i, y + j, frac > DitherThreshold(x + i, y + j) ? hi : lo);
    }
}

void Outline(Image& img, int x, int y, int w, int h, Rgb key, Rgb c, bool diagonal) {
    std::vector<std::pair<int, int>> marks;
    auto solid = [&](int i, int j) {
        return i >= x && j >= y && i < x + w && j < y + h && img.At(i, j) != key &&
               img.At(i, j) != c;
    };
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) {
            if (!img.Inside(i, j) || img.At(i, j) != key) continue;
            bool near = solid(i - 1, j) || solid(i + 1, j) || solid(i, j - 1) || solid(i, j + 1);
            if (!near && diagonal)
                near = solid(i - 1, j - 1) || solid(i + 1, j - 1) || solid(i - 1, j + 1) ||
                       solid(i + 1, j + 1);
            if (near) marks.emplace_back(i, j);
        }
    for (auto [i, j] : marks) img.Set(i, j, c);
}

void FillPinholes(Image& img, int x, int y, int w, int h, Rgb key) {
    for (int j = y + 1; j < y + h - 1; ++j)
        for (int i = x + 1; i < x + w - 1; ++i)
            if (img.At(i, j) == key && img.At(i - 1, j) != key && img.At(i + 1, j) != key &&
                img.At(i, j - 1) != key && img.At(i, j + 1) != key)
                img.Set(i, j, img.At(i - 1, j));
}

void Blit(Image& dst, const Image& src, int sx, int sy, int w, int h, int dx, int dy,
          bool use_key, Rgb key) {
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            if (!src.Inside(sx + i, sy + j)) continue;
            Rgb c = src.At(sx + i, sy + j);
            if (use_key && c == key) continue;
            dst.Set(dx + i, dy + j, c);
        }
}

void Replace(Image& img, int x, int y, int w, int h, Rgb from, Rgb to) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            if (img.Inside(i, j) && img.At(i, j) == from) img.Set(i, j, to);
}

Image Shrink(const Image& src, int factor) {
    Image out(src.Width() / factor, src.Height() / factor);
    for (int y = 0; y < out.Height(); ++y)
        for (int x = 0; x < out.Width(); ++x) {
            int r = 0, g = 0, b = 0;
            for (int j = 0; j < factor; ++j)
                for (int i = 0; i < factor; ++i) {
                    Rgb c = src.At(x * factor + i, y * factor + j);
                    r += Red(c);
                    g += Green(c);
                    b += Blue(c);
                }
            int n = factor * factor;
            out.Set(x, y, MakeRgb(r / n, g / n, b / n));
        }
    return out;
}

Image Enlarge(const Image& src, int factor) {
    Image out(src.Width() * factor, src.Height() * factor);
    for (int y = 0; y < out.Height(); ++y)
        for (int x = 0; x < out.Width(); ++x) out.Set(x, y, src.At(x / factor, y / factor));
    return out;
}

}  // namespace pictures
