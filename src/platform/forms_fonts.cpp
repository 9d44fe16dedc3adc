// Forms runtime — fonts: the alias table of the layouts' faces, fontconfig
// look-ups, glyph coverage, and a cache of opened fonts and drawn texts.
#include "platform/forms_fonts.h"

#include <fontconfig/fontconfig.h>

#include <cmath>
#include <future>
#include <map>
#include <tuple>
#include <unordered_map>

// Under AddressSanitizer: fontconfig (2.14) loses a few hundred bytes of
// its own while it parses the system's configuration files at start-up.
// That leak is the library's; LeakSanitizer is told so, and reports ours.
#if defined(__SANITIZE_ADDRESS__)
#define ROOFRIDER_LSAN_HOOK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ROOFRIDER_LSAN_HOOK 1
#endif
#endif
#ifdef ROOFRIDER_LSAN_HOOK
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif

namespace forms::fonts {
namespace {

// The faces the program's layouts name, and the installed family that
// stands in for each (same metrics class, full coverage of the texts).
struct Alias {
    const char* face;
    const char* family;
};
constexpr Alias kAliases[] = {
    {"ＭＳ Ｐゴシック", "IPAPGothic"},
    {"ＭＳ ゴシック", "IPAGothic"},
    {"ＭＳ Ｐ明朝", "IPAPMincho"},
    {"ＭＳ 明朝", "IPAMincho"},
    {"MS UI Gothic", "IPAPGothic"},
    {"HG行書体", "KouzanBrushFontGyousyo"},
    {"HG創英角ﾎﾟｯﾌﾟ体", "RocknRoll One"},
    {"HGS創英角ﾎﾟｯﾌﾟ体", "RocknRoll One"},
    {"Georgia", "DejaVu Serif"},
};
// The face of labels and windows that name none, and the Japanese face
// that draws a text another face cannot.
constexpr const char* kDefaultFace = "ＭＳ Ｐゴシック";
constexpr const char* kFallbackFamily = "IPAPGothic";

FcConfig* g_config = nullptr;

std::string AliasXml() {
    std::string xml =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>\n";
    for (const Alias& a : kAliases) {
        xml += "  <alias binding=\"same\"><family>";
        xml += a.face;
        xml += "</family><prefer><family>";
        xml += a.family;
        xml += "</family></prefer></alias>\n";
    }
    xml += "</fontconfig>\n";
    return xml;
}

const char* AliasOf(const std::string& face) {
    for (const Alias& a : kAliases)
        if (face == a.face) return a.family;
    return nullptr;
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool HasFamily(FcPattern* font, const std::string& wanted) {
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &name) == FcResultMatch; ++i)
        if (SameName(reinterpret_cast<const char*>(name), wanted)) return true;
    return false;
}

struct FindKey {
    std::string face;
    bool bold, italic;
    bool operator<(const FindKey& o) const {
        return std::tie(face, bold, italic) < std::tie(o.face, o.bold, o.italic);
    }
};

// Opened fonts by file, face index, pixel size and synthesised style.
using FontKey = std::tuple<std::string, int, int, int>;
std::map<FontKey, TTF_Font*>& OpenFonts() {
    static auto* fonts = new std::map<FontKey, TTF_Font*>;
    return *fonts;
}

TTF_Font* Open(const Match& m, int px) {
    int style = (m.synth_bold ? TTF_STYLE_BOLD : 0) | (m.synth_italic ? TTF_STYLE_ITALIC : 0);
    FontKey key{m.file, m.index, px, style};
    auto it = OpenFonts().find(key);
    if (it != OpenFonts().end()) return it->second;
    TTF_Font* font = TTF_OpenFontIndex(m.file.c_str(), px, m.index);
    if (!font) throw Error(m.file + ": the font cannot be opened (" + TTF_GetError() + ")");
    TTF_SetFontStyle(font, style);
    OpenFonts().emplace(key, font);
    return font;
}

bool IsSpace(char32_t c) {
    return c == U' ' || c == U'\t' || c == 0x3000 || c == 0xA0;
}

// The font a glyph's coverage is read from: unhinted, so that loading a
// glyph's outline runs none of the font's hinting program, and apart from
// the fonts that draw (no label's size or look depends on it).
TTF_Font* CoverageFont(const Match& m) {
    static auto* fonts = new std::map<std::pair<std::string, int>, TTF_Font*>;
    auto key = std::make_pair(m.file, m.index);
    if (auto it = fonts->find(key); it != fonts->end()) return it->second;
    TTF_Font* font = TTF_OpenFontIndex(m.file.c_str(), 32, m.index);
    if (!font) throw Error(m.file + ": the font cannot be opened (" + TTF_GetError() + ")");
    TTF_SetFontHinting(font, TTF_HINTING_NONE);
    fonts->emplace(std::move(key), font);
    return font;
}

// Whether the glyph of c in font draws at least one pixel: its outline
// has an extent. Read from the glyph's metrics, without drawing it (the
// captions measured at every new game ask this of every character).
bool DrawsSomething(TTF_Font* font, char32_t c) {
    int minx = 0, maxx = 0, miny = 0, maxy = 0, advance = 0;
    return TTF_GlyphMetrics32(font, static_cast<Uint32>(c), &minx, &maxx, &miny, &maxy, &advance) == 0 &&
           maxx > minx && maxy > miny;
}

bool GlyphOk(const Match& m, char32_t c) {
    if (c == U'\n' || c == U'\r') return true;
    static auto* known = new std::map<std::pair<std::string, char32_t>, bool>;
    auto key = std::make_pair(m.file + "#" + std::to_string(m.index), c);
    auto it = known->find(key);
    if (it != known->end()) return it->second;
    TTF_Font* font = CoverageFont(m);
    bool ok = TTF_GlyphIsProvided32(font, static_cast<Uint32>(c)) != 0 &&
              (IsSpace(c) || DrawsSomething(font, c));
    known->emplace(key, ok);
    return ok;
}

int PixelSize(double points) {
    int px = static_cast<int>(std::lround(points * 96.0 / 72.0));
    return px < 1 ? 1 : px;
}

// Drawn texts, kept while they are asked for again (labels repaint the
// same captions tick after tick).
struct TextKey {
    TTF_Font* font;
    std::string text;
    Color color;
    bool operator==(const TextKey& o) const {
        return font == o.font && color == o.color && text == o.text;
    }
};
struct TextKeyHash {
    size_t operator()(const TextKey& k) const {
        return std::hash<std::string>()(k.text) ^ (std::hash<const void*>()(k.font) * 31) ^ k.color;
    }
};
constexpr size_t kMaxDrawnTexts = 512;
std::unordered_map<TextKey, SDL_Surface*, TextKeyHash>& DrawnTexts() {
    static auto* texts = new std::unordered_map<TextKey, SDL_Surface*, TextKeyHash>;
    return *texts;
}

SDL_Surface* Rendered(TTF_Font* font, const std::string& text, Color color) {
    auto& cache = DrawnTexts();
    TextKey key{font, text, color};
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    if (cache.size() >= kMaxDrawnTexts) {
        for (auto& [k, s] : cache) SDL_FreeSurface(s);
        cache.clear();
    }
    SDL_Color c{static_cast<Uint8>(color & 0xFF), static_cast<Uint8>((color >> 8) & 0xFF),
                static_cast<Uint8>((color >> 16) & 0xFF), 255};
    SDL_Surface* s = TTF_RenderUTF8_Blended(font, text.c_str(), c);
    if (!s) throw Error("the text \"" + text + "\" cannot be drawn (" + TTF_GetError() + ")");
    SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_BLEND);
    cache.emplace(std::move(key), s);
    return s;
}

// The installed Japanese faces, closest to the face asked for first, for
// a machine without the faces of the alias table: the first that shows the
// whole text draws it, with the style synthesised where it lacks it.
bool FindJapaneseCovering(const FontChoice& choice, const std::string& text, Match* out) {
    FcPattern* pattern = FcPatternCreate();
    const std::string face = choice.face.empty() ? kDefaultFace : choice.face;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcConfigSubstitute(g_config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcFontSet* fonts = FcFontSort(g_config, pattern, FcFalse, nullptr, &result);
    FcPatternDestroy(pattern);
    bool ok = false;
    for (int i = 0; fonts && i < fonts->nfont && !ok; ++i) {
        FcPattern* font = fonts->fonts[i];
        FcLangSet* langs = nullptr;
        FcChar8* file = nullptr;
        if (FcPatternGetLangSet(font, FC_LANG, 0, &langs) != FcResultMatch ||
            FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("ja")) != FcLangEqual ||
            FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch)
            continue;
        Match m;
        m.file = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(font, FC_INDEX, 0, &m.index);
        FcChar8* family = nullptr;
        if (FcPatternGetString(font, FC_FAMILY, 0, &family) == FcResultMatch)
            m.family = reinterpret_cast<const char*>(family);
        int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
        FcPatternGetInteger(font, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(font, FC_SLANT, 0, &slant);
        m.synth_bold = choice.bold && weight < FC_WEIGHT_DEMIBOLD;
        m.synth_italic = choice.italic && slant == FC_SLANT_ROMAN;
        if (Covers(m, text)) {
            *out = m;
            ok = true;
        }
    }
    if (fonts) FcFontSetDestroy(fonts);
    return ok;
}

}  // namespace

namespace {

// fontconfig's configuration and font list with our aliases added.
FcConfig* LoadConfig() {
    if (!FcInit()) throw Error("fontconfig cannot start: no font configuration was found");
    FcConfig* config = FcConfigGetCurrent();
    const std::string xml = AliasXml();
    if (!FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(xml.c_str()), FcTrue))
        throw Error("fontconfig rejected the program's table of font aliases");
    return config;
}

// Destroyed at exit like any static, which waits for a reading that the
// program did not wait for (it ended before its first window).
std::future<FcConfig*>& Loading() {
    static std::future<FcConfig*> loading;
    return loading;
}

}  // namespace

void StartLoading() {
    if (!g_config && !Loading().valid()) Loading() = std::async(std::launch::async, LoadConfig);
}

void Initialise() {
    if (!TTF_WasInit() && TTF_Init() != 0)
        throw Error(std::string("the font renderer cannot start (") + TTF_GetError() + ")");
    if (g_config) return;
    StartLoading();
    g_config = Loading().get();
}

bool Find(const std::string& face, bool bold, bool italic, Match* out) {
    if (!g_config) Initialise();
    static auto* found = new std::map<FindKey, std::pair<bool, Match>>;
    FindKey key{face.empty() ? kDefaultFace : face, bold, italic};
    auto it = found->find(key);
    if (it != found->end()) {
        if (it->second.first) *out = it->second.second;
        return it->second.first;
    }
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(key.face.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(g_config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* font = FcFontMatch(g_config, pattern, &result);
    FcPatternDestroy(pattern);

    Match m;
    bool ok = false;
    const char* alias = AliasOf(key.face);
    const std::string wanted = alias ? alias : key.face;
    FcChar8* file = nullptr;
    if (font && HasFamily(font, wanted) && FcPatternGetString(font, FC_FILE, 0, &file) == FcResultMatch) {
        ok = true;
        m.file = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(font, FC_INDEX, 0, &m.index);
        m.family = wanted;
        // A family without the style: fontconfig's own synthesis rules (if
        // the system has them) say so by emboldening or slanting the match;
        // otherwise its weight and slant do. SDL_ttf then draws the style.
        int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
        FcBool embolden = FcFalse;
        FcMatrix* matrix = nullptr;
        FcPatternGetInteger(font, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(font, FC_SLANT, 0, &slant);
        FcPatternGetBool(font, FC_EMBOLDEN, 0, &embolden);
        const bool slanted = FcPatternGetMatrix(font, FC_MATRIX, 0, &matrix) == FcResultMatch && matrix &&
                             matrix->xy != 0;
        m.synth_bold = bold && (embolden || weight < FC_WEIGHT_DEMIBOLD);
        m.synth_italic = italic && (slanted || slant == FC_SLANT_ROMAN);
    }
    if (font) FcPatternDestroy(font);
    found->emplace(key, std::make_pair(ok, m));
    if (ok) *out = m;
    return ok;
}

std::u32string Decode(const std::string& s) {
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + static_cast<size_t>(extra) >= s.size()) {
            out.push_back(0xFFFD);  // a stray byte: shown as the replacement mark
            ++i;
            continue;
        }
        char32_t cp = extra == 0 ? c : (c & (0x3F >> extra));
        bool bad = false;
        for (int k = 1; k <= extra; ++k) {
            unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) bad = true;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (bad) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

bool Covers(const Match& match, const std::string& text) {
    for (char32_t c : Decode(text))
        if (!GlyphOk(match, c)) return false;
    return true;
}

TTF_Font* FontFor(const FontChoice& choice, const std::string& text) {
    // The same captions are drawn again at every repaint: remember the
    // font chosen for each.
    static auto* chosen = new std::unordered_map<std::string, TTF_Font*>;
    std::string key = choice.face + '\x1F' + std::to_string(choice.points) + (choice.bold ? 'B' : '-') +
                      (choice.italic ? 'I' : '-') + text;
    if (auto it = chosen->find(key); it != chosen->end()) return it->second;
    if (chosen->size() > 4096) chosen->clear();
    const int px = PixelSize(choice.points);
    Match m;
    TTF_Font* font = nullptr;
    if (Find(choice.face, choice.bold, choice.italic, &m) && Covers(m, text))
        font = Open(m, px);
    else if (Find(kFallbackFamily, choice.bold, choice.italic, &m) && Covers(m, text))
        font = Open(m, px);  // the Japanese stand-in, with the style synthesised
    else if (FindJapaneseCovering(choice, text, &m))
        font = Open(m, px);  // neither is installed: another Japanese face
    if (font) {
        chosen->emplace(std::move(key), font);
        return font;
    }
    throw Error("no installed font can show the text \"" + text + "\" (face \"" +
                (choice.face.empty() ? std::string(kDefaultFace) : choice.face) +
                "\"), nor any installed Japanese face; the Japanese fonts of fonts-ipafont-gothic are needed");
}

SDL_Point Measure(const FontChoice& choice, const std::string& text) {
    TTF_Font* font = FontFor(choice, text);
    int w = 0, h = 0;
    if (!text.empty() && TTF_SizeUTF8(font, text.c_str(), &w, &h) != 0)
        throw Error("the text \"" + text + "\" cannot be measured (" + TTF_GetError() + ")");
    return SDL_Point{w, TTF_FontHeight(font)};
}

int LineHeight(const FontChoice& choice) { return TTF_FontHeight(FontFor(choice, "")); }

void Draw(SDL_Surface* target, int x, int y, const FontChoice& choice, const std::string& text, Color color) {
    if (text.empty()) return;
    SDL_Surface* s = Rendered(FontFor(choice, text), text, color);
    SDL_Rect dst{x, y, s->w, s->h};
    SDL_BlitSurface(s, nullptr, target, &dst);
}

}  // namespace forms::fonts

namespace forms {

std::string FontFileFor(const std::string& face, bool bold, bool italic) {
    fonts::Match m;
    if (fonts::Find(face, bold, italic, &m) || fonts::Find(fonts::kFallbackFamily, bold, italic, &m))
        return m.file;
    throw Error("the font \"" + face + "\" is not installed, nor the Japanese face that stands in for it (" +
                fonts::kFallbackFamily + ", from fonts-ipafont-gothic)");
}

bool FaceCovers(const std::string& face, const std::string& text) {
    fonts::Match m;
    return fonts::Find(face, false, false, &m) && fonts::Covers(m, text);
}

}  // namespace forms
