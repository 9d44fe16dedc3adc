// Forms runtime — the windows' scale: every window is drawn at a whole
// factor s of its designed size, nearest pixel, so that pixel art and text
// stay sharp on a high-density desktop. The program's own arithmetic stays
// in pixels of the designed size (15 twips each); only drawing and the
// desktop's windows are s times larger, and the screen's size is reported
// in those designed pixels.
//
// s is chosen once, at start-up: ROOFRIDER_SCALE when it is set, else the
// desktop's own scale setting (GDK_SCALE, the X resource Xft.dpi), else
// from the desktop's size. A Wayland output's scale is such a setting: SDL
// reports that desktop in units of it, so the desktop's own pixels are those
// units times the scale, and the windows are drawn at them (a window of
// ours at scale s is s / output scale of SDL's units, drawn through a
// renderer at its pixels).
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/forms_internal.h"

namespace forms {

namespace {

constexpr int kMaxScale = 8;
// The largest window of the program, the evaluation window, with its
// border and caption bar: the size-based choice keeps it below two thirds
// of the desktop, and a desktop's setting is never followed so far that it
// would not fit at all.
constexpr int kLargestWindowW = 760 + 2 * kFramePx;
constexpr int kLargestWindowH = 626 + 2 * kFramePx + kCaptionPx;

// A whole number from 1 to kMaxScale, or 0.
int WholeScale(const std::string& text) {
    if (text.empty() || text.size() > 2) return 0;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        v = v * 10 + (c - '0');
    }
    return v >= 1 && v <= kMaxScale ? v : 0;
}

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// The resource string the X server holds for this display (what xrdb
// loaded), through libX11 itself: SDL has loaded it already for its own
// connection, and nothing of X is needed to build the program.
std::string XResources() {
    void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
    if (!x11) return "";
    using Open = void* (*)(const char*);
    using Close = int (*)(void*);
    using Resources = char* (*)(void*);
    auto open = reinterpret_cast<Open>(dlsym(x11, "XOpenDisplay"));
    auto close = reinterpret_cast<Close>(dlsym(x11, "XCloseDisplay"));
    auto resources = reinterpret_cast<Resources>(dlsym(x11, "XResourceManagerString"));
    std::string out;
    if (open && close && resources) {
        if (void* display = open(nullptr)) {
            if (const char* text = resources(display)) out = text;
            close(display);
        }
    }
    dlclose(x11);
    return out;
}

}  // namespace

int XftDpiOf(const std::string& resources) {
    size_t at = 0;
    while (at < resources.size()) {
        size_t end = resources.find('\n', at);
        if (end == std::string::npos) end = resources.size();
        std::string line = resources.substr(at, end - at);
        at = end + 1;
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string name = line.substr(0, colon);
        name.erase(std::remove_if(name.begin(), name.end(), [](char c) { return c == ' ' || c == '\t'; }),
                   name.end());
        if (name != "Xft.dpi" && name != "*dpi") continue;
        const double dpi = std::atof(line.c_str() + colon + 1);
        if (dpi > 0 && dpi < 10000) return static_cast<int>(dpi + 0.5);
    }
    return 0;
}

ScaleChoice ChooseScale(int desktop_w, int desktop_h, const ScaleSettings& settings) {
    ScaleChoice choice;
    if (!settings.roofrider_scale.empty()) {
        if (int s = WholeScale(settings.roofrider_scale)) {
            choice.scale = s;
            return choice;
        }
        choice.warning = "ROOFRIDER_SCALE=\"" + settings.roofrider_scale + "\" is not a whole number from 1 to " +
                         std::to_string(kMaxScale) + "; the desktop's scale is used";
    }
    // The largest scale at which the largest window still fits at all.
    const int fits = std::clamp(std::min(desktop_w / kLargestWindowW, desktop_h / kLargestWindowH), 1, kMaxScale);
    int stated = WholeScale(settings.gdk_scale);
    if (!stated && settings.xft_dpi > 0) stated = std::clamp((settings.xft_dpi + 48) / 96, 1, kMaxScale);
    if (!stated && settings.output_scale > 0) stated = std::clamp(settings.output_scale, 1, kMaxScale);
    if (stated) {
        choice.scale = std::min(stated, fits);
        return choice;
    }
    // Nothing stated: the largest window stays below two thirds of the
    // desktop, so 1024 x 768 up to 2560 x 1440 keep the designed size.
    const int by_height = (2 * desktop_h) / (3 * kLargestWindowH);
    const int by_width = (2 * desktop_w) / (3 * kLargestWindowW);
    choice.scale = std::clamp(std::min(by_height, by_width), 1, kMaxScale);
    return choice;
}

ScaleSettings DesktopScaleSettings(const char* video_driver) {
    ScaleSettings settings;
    settings.roofrider_scale = Env("ROOFRIDER_SCALE");
    settings.gdk_scale = Env("GDK_SCALE");
    if (video_driver && std::strcmp(video_driver, "x11") == 0) settings.xft_dpi = XftDpiOf(XResources());
    if (TK().output_scale > 1) settings.output_scale = TK().output_scale;
    return settings;
}

void ApplyDesktop(int desktop_w, int desktop_h, const ScaleSettings& settings) {
    Toolkit& tk = TK();
    tk.desktop_w_px = std::max(desktop_w, 1);
    tk.desktop_h_px = std::max(desktop_h, 1);
    const ScaleChoice choice = ChooseScale(tk.desktop_w_px, tk.desktop_h_px, settings);
    if (!choice.warning.empty()) std::fprintf(stderr, "roofrider: %s\n", choice.warning.c_str());
    tk.scale = choice.scale;
}

int Scale() { return TK().scale; }

int LogicalScreenWidthPx() { return TK().desktop_w_px / TK().scale; }
int LogicalScreenHeightPx() { return TK().desktop_h_px / TK().scale; }

float ScreenWidth() { return static_cast<float>(LogicalScreenWidthPx() * kTwipsPerPixel); }
float ScreenHeight() { return static_cast<float>(LogicalScreenHeightPx() * kTwipsPerPixel); }

int WindowScale() { return Scale(); }

FontChoice ScaledFont(FontChoice font) {
    font.points *= Scale();
    return font;
}

void SimulateDesktop(int width_px, int height_px) {
    ApplyDesktop(width_px, height_px, DesktopScaleSettings(nullptr));
}

}  // namespace forms
