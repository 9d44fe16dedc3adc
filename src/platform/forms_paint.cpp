// Forms runtime — painting: a window's client area is its canvas (the
// background, and whatever Print and BitBlt drew) with its controls over
// it. Controls stack as the windows runtime stacks them: the first control
// of a window's list lies on top, and frames and picture boxes, being
// windows of their own, lie over labels and images.
#include <algorithm>
#include <vector>

#include "platform/forms_fonts.h"
#include "platform/forms_internal.h"
#include "platform/measure.h"

namespace forms {

namespace {

FontChoice FontOf(const Label::Style& s) { return FontChoice{s.face, s.points, s.bold, s.italic}; }

std::vector<std::string> SplitParagraphs(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
        if (end == std::string::npos) return out;
        start = end + 1;
    }
}

size_t NextCharEnd(const std::string& s, size_t i) {
    ++i;
    while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
    return i;
}

// Breaks one paragraph into lines no wider than width: after the last
// blank that fits, or between two characters where there is none (as
// Japanese text breaks).
void Wrap(const std::string& para, const FontChoice& font, int width, std::vector<std::string>& out) {
    std::string rest = para;
    while (!rest.empty()) {
        size_t fit = 0, last_blank = std::string::npos;
        for (size_t i = 0; i < rest.size();) {
            size_t next = NextCharEnd(rest, i);
            if (fonts::Measure(font, rest.substr(0, next)).x > width && fit > 0) break;
            if (rest[i] == ' ') last_blank = i;
            fit = next;
            i = next;
        }
        if (fit >= rest.size()) {
            out.push_back(rest);
            return;
        }
        size_t cut = last_blank != std::string::npos && last_blank > 0 ? last_blank : fit;
        out.push_back(rest.substr(0, cut));
        rest = rest.substr(cut);
        if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
    }
}

std::vector<std::string> LabelLines(const Label::Style& style, int width) {
    std::vector<std::string> lines;
    for (const std::string& para : SplitParagraphs(style.caption)) {
        if (style.wordwrap && width > 0 && !para.empty())
            Wrap(para, FontOf(style), width, lines);
        else
            lines.push_back(para);
    }
    return lines;
}

// Sets target's clip to its current clip within r; returns the old one.
SDL_Rect ClipWithin(SDL_Surface* target, const SDL_Rect& r) {
    SDL_Rect old, inner;
    SDL_GetClipRect(target, &old);
    if (!SDL_IntersectRect(&old, &r, &inner)) inner = SDL_Rect{0, 0, 0, 0};
    SDL_SetClipRect(target, &inner);
    return old;
}

// A control's box in the desktop's pixels, from an origin in them.
SDL_Rect BoxOf(Control& c, int ox, int oy) {
    const int s = Scale();
    return SDL_Rect{ox + ToPx(c.Left()) * s, oy + ToPx(c.Top()) * s, ToPx(c.Width()) * s, ToPx(c.Height()) * s};
}

// A picture at the windows' scale with its top-left at (x, y).
void DrawScaled(SDL_Surface* target, int x, int y, SDL_Surface* picture) {
    if (!picture) return;
    StretchInto(target, SDL_Rect{x, y, picture->w * Scale(), picture->h * Scale()}, picture);
}

// The lines break where they break at the designed size (where AutoSize
// measured them); each is drawn in the font at the windows' scale.
void DrawLabel(Label& label, SDL_Surface* target, const SDL_Rect& box) {
    const Label::Style& style = label.style();
    if (!style.transparent) Fill(target, &box, style.back);
    const FontChoice font = ScaledFont(FontOf(style));
    int y = box.y;
    for (const std::string& line : LabelLines(style, box.w / Scale())) {
        int x = box.x;
        if (style.alignment != Alignment::Left) {
            const int w = fonts::Measure(font, line).x;
            x = style.alignment == Alignment::Center ? box.x + (box.w - w) / 2 : box.x + box.w - w;
        }
        fonts::Draw(target, x, y, font, line, style.fore);
        y += fonts::LineHeight(font);
    }
}

void DrawImage(Image& image, SDL_Surface* target, const SDL_Rect& box) {
    const Picture& p = image.GetPicture();
    if (p.IsEmpty()) return;
    if (image.Stretch())
        StretchInto(target, box, p.data()->surface);
    else
        DrawScaled(target, box.x, box.y, p.data()->surface);
}

void DrawControls(Form& form, Frame* container, SDL_Surface* target, int ox, int oy);

void DrawFrame(Form& form, Frame& frame, SDL_Surface* target, const SDL_Rect& box) {
    Fill(target, &box, frame.back_color());
    const int s = Scale();
    if (frame.border()) {
        // An etched line, as the desktop draws a frame's edge.
        const Color dark = RGB(128, 128, 128);
        SDL_Rect edges[4] = {{box.x, box.y, box.w, s}, {box.x, box.y, s, box.h},
                             {box.x, box.y + box.h - s, box.w, s}, {box.x + box.w - s, box.y, s, box.h}};
        for (const SDL_Rect& e : edges) Fill(target, &e, dark);
    }
    if (!frame.caption().empty())
        fonts::Draw(target, box.x + 8 * s, box.y, ScaledFont(FontChoice{}), frame.caption(), kBlack);
    DrawControls(form, &frame, target, box.x, box.y);
}

// Draws the controls held by container (nullptr: the window itself) with
// their origin at (ox, oy), bottom of the stack first.
void DrawControls(Form& form, Frame* container, SDL_Surface* target, int ox, int oy) {
    const std::vector<Control*> controls = ToolkitAccess::Controls(form);
    for (int pass = 0; pass < 2; ++pass) {
        for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
            Control* c = *it;
            if (c->Container() != container || !c->Visible()) continue;
            auto* label = dynamic_cast<Label*>(c);
            auto* image = dynamic_cast<Image*>(c);
            auto* frame = dynamic_cast<Frame*>(c);
            auto* box_control = dynamic_cast<PictureBox*>(c);
            const bool windowed = frame || box_control;
            if ((pass == 0) == windowed || !(label || image || windowed)) continue;
            const SDL_Rect box = BoxOf(*c, ox, oy);
            if (box.w <= 0 || box.h <= 0) continue;
            const SDL_Rect old = ClipWithin(target, box);
            SDL_Rect visible;
            SDL_GetClipRect(target, &visible);
            if (visible.w <= 0 || visible.h <= 0) {  // wholly outside: nothing to draw
                SDL_SetClipRect(target, &old);
                continue;
            }
            if (label) DrawLabel(*label, target, box);
            if (image) DrawImage(*image, target, box);
            if (frame) DrawFrame(form, *frame, target, box);
            if (box_control) DrawScaled(target, box.x, box.y, SurfaceOf(box_control->hDC()));
            SDL_SetClipRect(target, &old);
        }
    }
}

// A window's client area into its surface on the desktop. A desktop that
// gives the window another size than it asked for (a tiling window manager,
// such as sway, gives each window its tile) gets the client area centred on
// black, as the play field is shown in a larger window.
void PaintWindow(Form& form, SDL_Surface* ws) {
    SDL_Surface* canvas = Canvas(form);
    if (!canvas) return;
    if (ws->w == canvas->w && ws->h == canvas->h) {
        ComposeClient(form, ws, 0, 0);
        return;
    }
    Fill(ws, nullptr, kBlack);
    ComposeClient(form, ws, (ws->w - canvas->w) / 2, (ws->h - canvas->h) / 2);
}

std::string NoSurfaceMessage(Form& form) {
    const std::string why = *SDL_GetError() ? SDL_GetError() : "the video driver gives the window no surface";
    return "the window \"" + form.Name() + "\" cannot be shown on this desktop (" + why +
           "; SDL's video driver is \"" + (SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "none") +
           "\")";
}

// A window drawn through its renderer (a scaled Wayland output): its client
// area at the desktop's pixels into a texture of that size, shown pixel for
// pixel, centred on black where the window was given more room.
void PresentThroughRenderer(Form& form) {
    Form::Impl& im = form.impl();
    SDL_Surface* canvas = Canvas(form);
    int w = 0, h = 0;
    if (!canvas || SDL_GetRendererOutputSize(im.renderer, &w, &h) != 0) return;
    int tw = 0, th = 0;
    if (im.texture && (SDL_QueryTexture(im.texture, nullptr, nullptr, &tw, &th) != 0 || tw != canvas->w ||
                       th != canvas->h)) {
        SDL_DestroyTexture(im.texture);
        im.texture = nullptr;
    }
    if (!im.texture)
        im.texture = SDL_CreateTexture(im.renderer, kSurfaceFormat, SDL_TEXTUREACCESS_STREAMING, canvas->w, canvas->h);
    if (!im.texture) throw Error(NoSurfaceMessage(form));
    SDL_Surface* frame = NewSurface(canvas->w, canvas->h);
    ComposeClient(form, frame, 0, 0);
    SDL_UpdateTexture(im.texture, nullptr, frame->pixels, frame->pitch);
    SDL_FreeSurface(frame);
    const SDL_Rect at{(w - canvas->w) / 2, (h - canvas->h) / 2, canvas->w, canvas->h};
    SDL_SetRenderDrawColor(im.renderer, 0, 0, 0, 255);
    SDL_RenderClear(im.renderer);
    SDL_RenderCopy(im.renderer, im.texture, nullptr, &at);
    SDL_RenderPresent(im.renderer);
    platform::measure::Note(platform::measure::Mark::FirstWindowShown);
}

}  // namespace

void ComposeExternal(SDL_Surface* frame, SDL_Surface* target, const SDL_Rect& r) {
    Fill(target, &r, kBlack);
    if (!frame || frame->w <= 0 || frame->h <= 0) return;
    int w = r.w, h = static_cast<int>(static_cast<int64_t>(r.w) * frame->h / frame->w);
    if (h > r.h) {
        h = r.h;
        w = static_cast<int>(static_cast<int64_t>(r.h) * frame->w / frame->h);
    }
    StretchInto(target, SDL_Rect{r.x + (r.w - w) / 2, r.y + (r.h - h) / 2, w, h}, frame);
}

SDL_Point MeasureLabelText(const Label::Style& style, int wrap_width) {
    const FontChoice font = FontOf(style);
    int w = 0, h = 0;
    for (const std::string& line : LabelLines(style, wrap_width)) {
        w = std::max(w, fonts::Measure(font, line).x);
        h += fonts::LineHeight(font);
    }
    return SDL_Point{w, h};
}

void PaintBackground(Form& form, SDL_Surface* target) {
    if (!target) return;
    Form::Impl& im = form.impl();
    Fill(target, nullptr, im.back);
    if (!im.picture.IsEmpty()) DrawScaled(target, 0, 0, im.picture.data()->surface);
}

void ComposeClient(Form& form, SDL_Surface* target, int x, int y) {
    Form::Impl& im = form.impl();
    SDL_Surface* canvas = Canvas(form);
    if (!canvas) return;
    const SDL_Rect client{x, y, canvas->w, canvas->h};
    const SDL_Rect old = ClipWithin(target, client);
    if (im.external) {
        ComposeExternal(im.external, target, client);
    } else {
        CopyInto(target, x, y, canvas);
        DrawControls(form, nullptr, target, x, y);
        if (!DesktopPlacesWindows()) ComposeGuests(form, target, x, y);
    }
    SDL_SetClipRect(target, &old);
}

void RepaintChanged() {
    PassGuestRepaints();
    const std::vector<Form*> forms = TK().forms;
    for (Form* f : forms) {
        if (!f->IsLoaded() || !f->IsShown()) continue;
        Form::Impl& im = f->impl();
        if (!im.dirty || im.external || !im.window) continue;
        if (im.renderer) {
            im.dirty = false;
            PresentThroughRenderer(*f);
            continue;
        }
        SDL_ClearError();  // what SDL says next is about this surface
        SDL_Surface* ws = SDL_GetWindowSurface(im.window);
        // Without a surface the window stays empty, and a Wayland
        // compositor never maps it: the program would run unseen.
        if (!ws) throw Error(NoSurfaceMessage(*f));
        im.dirty = false;
        if (ws->format->format == kSurfaceFormat) {
            SDL_SetClipRect(ws, nullptr);
            PaintWindow(*f, ws);
        } else {
            SDL_Surface* frame = NewSurface(ws->w, ws->h);
            PaintWindow(*f, frame);
            SDL_BlitSurface(frame, nullptr, ws, nullptr);
            SDL_FreeSurface(frame);
        }
        SDL_UpdateWindowSurface(im.window);
        platform::measure::Note(platform::measure::Mark::FirstWindowShown);
    }
}

}  // namespace forms
