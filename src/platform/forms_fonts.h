// Inside the forms runtime only: fonts. The faces the layouts name are
// mapped by our own alias table (loaded into fontconfig) to installed
// fonts; a text a face cannot show whole is drawn in a Japanese face that
// can, and where none can, drawing it is an error rather than tofu.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <string>

#include "platform/forms_internal.h"

namespace forms::fonts {

// Starts reading the font configuration (fontconfig's files and font
// list, and our alias table) on a thread of its own, so that it is done
// while the display connection is made.
void StartLoading();
// TTF_Init, and the font configuration read (waiting for StartLoading's
// thread, if there is one). Throws Error when either fails.
void Initialise();

// An installed font as fontconfig found it for a face and style.
struct Match {
    std::string file;
    int index = 0;
    std::string family;
    bool synth_bold = false, synth_italic = false;  // style to synthesise
};
// The font a face maps to, or false when the face is not installed (the
// match fontconfig falls back to is not the face or its alias).
bool Find(const std::string& face, bool bold, bool italic, Match* out);

// True when every character of text has a glyph in the matched font that
// draws something (white space needs only to be present).
bool Covers(const Match& match, const std::string& text);

// The opened font that draws text in choice, falling back to a Japanese face
// that covers it. Throws Error when no installed font can show the text.
TTF_Font* FontFor(const FontChoice& choice, const std::string& text);

// Size of one line of text in pixels (width, height).
SDL_Point Measure(const FontChoice& choice, const std::string& text);
int LineHeight(const FontChoice& choice);

// Draws one line of text with its top-left at (x, y), blended over target,
// within target's clip rectangle.
void Draw(SDL_Surface* target, int x, int y, const FontChoice& choice, const std::string& text,
          Color color);

// The characters of a UTF-8 string.
std::u32string Decode(const std::string& utf8);

}  // namespace forms::fonts
