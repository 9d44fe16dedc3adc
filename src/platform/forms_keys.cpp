// Forms runtime — keys: SDL's key presses as the desktop's virtual-key
// codes. Letters and digits follow the character the key types in the
// keyboard layout (SDL's key code, not the key's position), so M is M on
// an AZERTY keyboard too; keys of other scripts fall back to position.
#include "platform/forms_internal.h"

namespace forms {

namespace {

struct KeyPair {
    SDL_Keycode sdl;
    int16_t vk;
};

constexpr KeyPair kNamedKeys[] = {
    {SDLK_RETURN, 13},     {SDLK_KP_ENTER, 13},    {SDLK_ESCAPE, 27},       {SDLK_SPACE, 32},
    {SDLK_LEFT, 37},       {SDLK_UP, 38},          {SDLK_RIGHT, 39},        {SDLK_DOWN, 40},
    {SDLK_LSHIFT, 16},     {SDLK_RSHIFT, 16},      {SDLK_LCTRL, 17},        {SDLK_RCTRL, 17},
    {SDLK_LALT, 18},       {SDLK_RALT, 18},        {SDLK_BACKSPACE, 8},     {SDLK_TAB, 9},
    {SDLK_CLEAR, 12},      {SDLK_PAUSE, 19},       {SDLK_CAPSLOCK, 20},     {SDLK_PAGEUP, 33},
    {SDLK_PAGEDOWN, 34},   {SDLK_END, 35},         {SDLK_HOME, 36},         {SDLK_PRINTSCREEN, 44},
    {SDLK_INSERT, 45},     {SDLK_DELETE, 46},      {SDLK_LGUI, 91},         {SDLK_RGUI, 92},
    {SDLK_APPLICATION, 93}, {SDLK_KP_MULTIPLY, 106}, {SDLK_KP_PLUS, 107},   {SDLK_KP_MINUS, 109},
    {SDLK_KP_PERIOD, 110}, {SDLK_KP_DIVIDE, 111},  {SDLK_NUMLOCKCLEAR, 144}, {SDLK_SCROLLLOCK, 145},
    {SDLK_SEMICOLON, 186}, {SDLK_EQUALS, 187},     {SDLK_COMMA, 188},       {SDLK_MINUS, 189},
    {SDLK_PERIOD, 190},    {SDLK_SLASH, 191},      {SDLK_BACKQUOTE, 192},   {SDLK_LEFTBRACKET, 219},
    {SDLK_BACKSLASH, 220}, {SDLK_RIGHTBRACKET, 221}, {SDLK_QUOTE, 222},
};

int16_t ByPosition(SDL_Scancode sc) {
    if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return static_cast<int16_t>('A' + (sc - SDL_SCANCODE_A));
    if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return static_cast<int16_t>('1' + (sc - SDL_SCANCODE_1));
    if (sc == SDL_SCANCODE_0) return '0';
    return 0;
}

}  // namespace

int16_t VirtualKeyOf(const SDL_Keysym& key) {
    const SDL_Keycode k = key.sym;
    if (k >= 'a' && k <= 'z') return static_cast<int16_t>(k - 'a' + 'A');
    if (k >= '0' && k <= '9') return static_cast<int16_t>(k);
    if (k >= SDLK_F1 && k <= SDLK_F12) return static_cast<int16_t>(112 + (k - SDLK_F1));
    if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return static_cast<int16_t>(97 + (k - SDLK_KP_1));
    if (k == SDLK_KP_0) return 96;
    for (const KeyPair& p : kNamedKeys)
        if (p.sdl == k) return p.vk;
    return ByPosition(key.scancode);
}

int16_t ShiftStateOf(Uint16 mod) {
    int16_t shift = 0;
    if (mod & KMOD_SHIFT) shift |= 1;
    if (mod & KMOD_CTRL) shift |= 2;
    if (mod & KMOD_ALT) shift |= 4;
    return shift;
}

}  // namespace forms
