// Fonts through fontconfig and SDL_ttf, and the mask operations.
#include "text.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cctype>
#include <stdexcept>

namespace pictures {
namespace {

struct FaceInfo {
    Face face;
    const char* pattern;  // fontconfig pattern
    const char* family;   // the family the match must have
    const char* package;  // where it comes from, for the error message
};

constexpr FaceInfo kFaces[] = {
    {Face::Pop, "RocknRoll One", "RocknRoll One", "fonts-rocknroll"},
    {Face::Sans, "DejaVu Sans:style=Bold", "DejaVu Sans", "fonts-dejavu-core"},
    {Face::Gothic, "IPAGothic", "IPAGothic", "fonts-ipafont-gothic"},
};

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The file of the best match for pattern, if its family is the one asked for.
std::string FindFontFile(const FaceInfo& info) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(info.pattern));
    if (!pattern) throw std::runtime_error(std::string("bad font pattern ") + info.pattern);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    std::string file;
    bool family_ok = false;
    if (match) {
        FcChar8* value = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &value) == FcResultMatch)
            file = reinterpret_cast<const char*>(value);
        for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &value) == FcResultMatch; ++i)
            if (Lower(reinterpret_cast<const char*>(value)) == Lower(info.family)) family_ok = true;
        FcPatternDestroy(match);
    }
    if (file.empty() || !family_ok)
        throw std::runtime_error(std::string("the font \"") + info.family +
                                 "\" is not installed (fontconfig found no match; install the "
                                 "package " + info.package + ")");
    return file;
}

}  // namespace

Fonts::Fonts() {
    if (!FcInit()) throw std::runtime_error("fontconfig could not be initialised");
    for (const FaceInfo& info : kFaces) files_[info.face] = FindFontFile(info);
    if (TTF_Init() != 0)
        throw std::runtime_error(std::string("SDL_ttf could not start: ") + TTF_GetError());
}

Fonts::~Fonts() {
    for (auto& [key, font] : open_) TTF_CloseFont(font);
    TTF_Quit();
    FcFini();  // fontconfig's caches go too, so a leak check sees a clean exit
}

TTF_Font* Fonts::Open(Face face, int size) {
    auto key = std::make_pair(face, size);
    auto it = open_.find(key);
    if (it != open_.end()) return it->second;
    TTF_Font* font = TTF_OpenFont(files_[face].c_str(), size);
    if (!font)
        throw std::runtime_error(files_[face] + ": the font cannot be opened: " + TTF_GetError());
    TTF_SetFontHinting(font, TTF_HINTING_NORMAL);
    open_[key] = font;
    return font;
}

Mask Fonts::Render(Face face, int size, const std::string& utf8) {
    TTF_Font* font = Open(face, size);
    SDL_Color white{255, 255, 255, 255};
    SDL_Surface* s = TTF_RenderUTF8_Solid(font, utf8.c_str(), white);
    if (!s) throw std::runtime_error("cannot render \"" + utf8 + "\": " + TTF_GetError());
    // A solid rendering is 8-bit: index 0 is the background.
    int x0 = s->w, y0 = s->h, x1 = -1, y1 = -1;
    auto covered = [s](int x, int y) {
        return static_cast<const uint8_t*>(s->pixels)[y * s->pitch + x] != 0;
    };
    SDL_LockSurface(s);
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x)
            if (covered(x, y)) {
                x0 = std::min(x0, x);
                y0 = std::min(y0, y);
                x1 = std::max(x1, x);
                y1 = std::max(y1, y);
            }
    Mask m;
    if (x1 >= 0) {
        m = Mask(x1 - x0 + 1, y1 - y0 + 1);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                if (covered(x, y)) m.Put(x - x0, y - y0);
    }
    SDL_UnlockSurface(s);
    SDL_FreeSurface(s);
    return m;
}

Mask Slant(const Mask& m, double slope) {
    int extra = static_cast<int>(std::ceil((m.height - 1) * std::abs(slope)));
    Mask out(m.width + extra, m.height);
    for (int y = 0; y < m.height; ++y) {
        int shift = static_cast<int>(std::lround((m.height - 1 - y) * slope));
        for (int x = 0; x < m.width; ++x)
            if (m.At(x, y)) out.Put(x + shift, y);
    }
    return out;
}

Mask Pad(const Mask& m, int pad) {
    Mask out(m.width + 2 * pad, m.height + 2 * pad);
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x)
            if (m.At(x, y)) out.Put(x + pad, y + pad);
    return out;
}

Mask Grow(const Mask& m, int r) {
    Mask out(m.width, m.height);
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            if (!m.At(x, y)) continue;
            for (int j = -r; j <= r; ++j)
                for (int i = -r; i <= r; ++i)
                    if (i * i + j * j <= r * r + r / 2) out.Put(x + i, y + j);
        }
    return out;
}

Mask Scale(const Mask& m, int factor) {
    Mask out(m.width * factor, m.height * factor);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            if (m.At(x / factor, y / factor)) out.Put(x, y);
    return out;
}

void Stamp(Image& img, const Mask& m, int x, int y, Rgb c) {
    for (int j = 0; j < m.height; ++j)
        for (int i = 0; i < m.width; ++i)
            if (m.At(i, j)) img.Set(x + i, y + j, c);
}

void Stamp(Image& img, const Mask& m, int x, int y, const std::function<Rgb(int, int)>& color) {
    for (int j = 0; j < m.height; ++j)
        for (int i = 0; i < m.width; ++i)
            if (m.At(i, j)) img.Set(x + i, y + j, color(i, j));
}

}  // namespace pictures
