// Forms runtime — windows: loading on first use, showing (modal loops),
// hiding and unloading, the window's properties, and what the display
// layer asks of a window by its handle.
#include <algorithm>

#include "platform/forms_fonts.h"
#include "platform/forms_internal.h"
#include "platform/window_access.h"

namespace forms {

Toolkit& TK() {
    // Never destroyed: windows are global objects whose destructors may
    // run after any other static of this file.
    static Toolkit* toolkit = new Toolkit;
    return *toolkit;
}

int DecorationLeftPx(BorderStyle style) { return style == BorderStyle::None ? 0 : kFramePx; }
int DecorationTopPx(BorderStyle style) { return style == BorderStyle::None ? 0 : kFramePx + kCaptionPx; }

namespace {

int DecorationWidthPx(BorderStyle style) { return 2 * DecorationLeftPx(style); }
int DecorationHeightPx(BorderStyle style) { return style == BorderStyle::None ? 0 : 2 * kFramePx + kCaptionPx; }

SDL_Point ClientSizePx(const Form::Impl& im) {
    return SDL_Point{std::max(ToPx(im.client_w), 1), std::max(ToPx(im.client_h), 1)};
}

// The client area in the desktop's pixels: the canvas.
SDL_Point DeviceSizePx(const Form::Impl& im) {
    const SDL_Point size = ClientSizePx(im);
    return SDL_Point{size.x * Scale(), size.y * Scale()};
}

// A place or size in the desktop's pixels in SDL's window units: the same,
// but where the compositor scales windows by its output's scale.
SDL_Point InWindowUnits(SDL_Point px) {
    const int k = TK().output_scale;
    return SDL_Point{(px.x + k - 1) / k, (px.y + k - 1) / k};
}

// Frees what a loaded window holds: its SDL window and its canvas.
void ReleaseWindow(Form::Impl& im) {
    if (im.window && SDL_WasInit(SDL_INIT_VIDEO)) {
        if (im.renderer) SDL_DestroyRenderer(im.renderer);  // its texture with it
        SDL_DestroyWindow(im.window);
    }
    im.renderer = nullptr;
    im.texture = nullptr;
    im.window = nullptr;
    if (im.canvas) SDL_FreeSurface(im.canvas);
    im.canvas = nullptr;
    im.external = nullptr;
}

// Brings the SDL window to the window's current place and size; the
// canvas follows when it is next used (Canvas), so a layout that sets the
// width and the height one after the other makes one new canvas, not two.
void ApplyGeometry(Form& form) {
    Form::Impl& im = form.impl();
    const SDL_Point size = InWindowUnits(DeviceSizePx(im));
    if (im.window) {
        const SDL_Point at = InWindowUnits(ClientOriginDevicePx(form));
        if (!(SDL_GetWindowFlags(im.window) & SDL_WINDOW_FULLSCREEN)) {
            SDL_SetWindowSize(im.window, size.x, size.y);
            SDL_SetWindowPosition(im.window, at.x, at.y);
        }
    }
    MarkDirty(form);
}

// A loaded window starts as its canvas alone: the desktop's window comes
// with the first Show (NativeWindow). Windows that are loaded long before
// they are shown (the evaluation and the staff roll, placed at every new
// game) then cost no round trips to the display server while the program
// starts.
void CreateCanvas(Form& form) {
    Form::Impl& im = form.impl();
    const SDL_Point size = DeviceSizePx(im);
    im.canvas = NewSurface(size.x, size.y);
    PaintBackground(form, im.canvas);
}

// The pop of a modal show, however it ends (an unload, a hide, or an end
// of the program unwinding through it).
class ModalEntry {
public:
    explicit ModalEntry(Form& form) : form_(form), hwnd_(form.impl().hwnd) {
        TK().modal.push_back(&form);
        ++form.impl().modal_loops;
    }
    ~ModalEntry() {
        auto& stack = TK().modal;
        auto it = std::find(stack.rbegin(), stack.rend(), &form_);
        if (it != stack.rend()) stack.erase(std::next(it).base());
        if (form_.impl().hwnd == hwnd_ && form_.impl().modal_loops > 0) --form_.impl().modal_loops;
    }
    ModalEntry(const ModalEntry&) = delete;
    ModalEntry& operator=(const ModalEntry&) = delete;

private:
    Form& form_;
    intptr_t hwnd_;
};

void ResetControls(Form& form) {
    for (Control* c : ToolkitAccess::Controls(form)) c->ResetToBlank();
}

}  // namespace

Form* FormByHwnd(intptr_t hwnd) {
    if (hwnd == 0) return nullptr;
    for (Form* f : TK().forms)
        if ((f->IsLoaded() || ToolkitAccess::Loading(*f)) && f->impl().hwnd == hwnd) return f;
    return nullptr;
}

void MarkDirty(Form& form) { form.impl().dirty = true; }

SDL_Surface* Canvas(Form& form) {
    Form::Impl& im = form.impl();
    if (!im.canvas) return nullptr;
    const SDL_Point size = DeviceSizePx(im);
    if (im.canvas->w != size.x || im.canvas->h != size.y) {
        SDL_Surface* resized = NewSurface(size.x, size.y);
        PaintBackground(form, resized);
        CopyInto(resized, 0, 0, im.canvas);
        SDL_FreeSurface(im.canvas);
        im.canvas = resized;
    }
    return im.canvas;
}

SDL_Window* NativeWindow(Form& form) {
    Form::Impl& im = form.impl();
    if (im.window) return im.window;
    const SDL_Point size = InWindowUnits(DeviceSizePx(im));
    const SDL_Point at = InWindowUnits(ClientOriginDevicePx(form));
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (im.border == BorderStyle::None) flags |= SDL_WINDOW_BORDERLESS;
    if (TK().output_scale > 1) flags |= SDL_WINDOW_ALLOW_HIGHDPI;
    im.window = SDL_CreateWindow(im.caption.c_str(), at.x, at.y, size.x, size.y, flags);
    if (!im.window)
        throw Error("the window \"" + form.Name() + "\" cannot be created (" + SDL_GetError() + ")");
    // SDL's window surface has the size in the compositor's units there, so
    // the window is drawn with a renderer at its pixels.
    if (TK().output_scale > 1 && !(im.renderer = SDL_CreateRenderer(im.window, -1, 0))) {
        const std::string why = SDL_GetError();
        ReleaseWindow(im);
        throw Error("the window \"" + form.Name() + "\" cannot be drawn on this scaled output (" + why + ")");
    }
    return im.window;
}

SDL_Point ClientOriginPx(Form& form) {
    const Form::Impl& im = form.impl();
    return SDL_Point{ToPx(im.left) + DecorationLeftPx(im.border), ToPx(im.top) + DecorationTopPx(im.border)};
}

SDL_Point ClientOriginDevicePx(Form& form) {
    const SDL_Point at = ClientOriginPx(form);
    return SDL_Point{at.x * Scale(), at.y * Scale()};
}

void DestroyQuietly(Form& form) {
    if (!DesktopPlacesWindows() && form.IsShown()) RepaintAllShown();
    ReleaseWindow(form.impl());
    form.impl().hwnd = 0;
    ToolkitAccess::Loaded(form) = false;
    ToolkitAccess::Shown(form) = false;
}

// --- Life of a window -----------------------------------------------------------------

Form::Form(std::string name) : name_(std::move(name)), impl_(std::make_unique<Impl>()) {
    impl_->dc.form = this;
    TK().forms.push_back(this);
}

Form::~Form() {
    DestroyQuietly(*this);
    auto& forms = TK().forms;
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    auto& modal = TK().modal;
    modal.erase(std::remove(modal.begin(), modal.end(), this), modal.end());
}

Form::Impl& Form::impl() { return *impl_; }

void Form::EnsureLoaded() {
    if (loaded_ || loading_) return;
    if (!TK().initialised)
        throw Error("the window \"" + name_ + "\" cannot be loaded: the windows toolkit has not been started");
    loading_ = true;
    try {
        ReleaseWindow(*impl_);
        *impl_ = Impl{};
        impl_->dc.form = this;
        impl_->hwnd = ++TK().last_hwnd;
        CreateCanvas(*this);
        ResetControls(*this);
        Layout();
    } catch (...) {
        ReleaseWindow(*impl_);
        impl_->hwnd = 0;
        loading_ = false;
        throw;
    }
    loading_ = false;
    loaded_ = true;
    Form_Load();
}

void Form::Load() { EnsureLoaded(); }

void Form::Show(bool modal) {
    EnsureLoaded();
    if (!loaded_) return;  // its Form_Load unloaded it again
    Impl& im = *impl_;
    const bool was_shown = shown_;
    shown_ = true;
    im.shown_serial = ++TK().last_shown_serial;
    if (!was_shown) im.focused = true;
    if (!HostOf(*this)) {
        SDL_Window* window = NativeWindow(*this);
        SDL_ShowWindow(window);
        SDL_RaiseWindow(window);
    }
    MarkDirty(*this);
    if (!modal) {
        if (!was_shown) Form_Activate();
        return;
    }
    // Already shown modally further down the stack: it is only brought
    // forward; a second loop of the same window would have nowhere to
    // return to.
    if (im.modal_loops > 0) return;
    const intptr_t hwnd = im.hwnd;
    ModalEntry entry(*this);
    Form_Activate();
    while (loaded_ && shown_ && impl_->hwnd == hwnd) WaitForEvents();
}

void Form::Hide() {
    EnsureLoaded();
    if (!shown_) return;
    shown_ = false;
    if (impl_->window) SDL_HideWindow(impl_->window);
    if (!DesktopPlacesWindows()) RepaintAllShown();
}

void Form::Unload() {
    if (!loaded_ || impl_->unloading) return;
    impl_->unloading = true;
    try {
        Form_Unload();
    } catch (...) {
        impl_->unloading = false;
        throw;
    }
    DestroyQuietly(*this);
    ResetControls(*this);
    impl_->unloading = false;
}

// --- Place and size ---------------------------------------------------------------------

float Form::Left() {
    EnsureLoaded();
    return impl_->left;
}
float Form::Top() {
    EnsureLoaded();
    return impl_->top;
}
float Form::Width() {
    EnsureLoaded();
    return impl_->client_w + static_cast<float>(DecorationWidthPx(impl_->border) * kTwipsPerPixel);
}
float Form::Height() {
    EnsureLoaded();
    return impl_->client_h + static_cast<float>(DecorationHeightPx(impl_->border) * kTwipsPerPixel);
}
float Form::ScaleWidth() {
    EnsureLoaded();
    return impl_->client_w;
}
float Form::ScaleHeight() {
    EnsureLoaded();
    return impl_->client_h;
}

void Form::SetLeft(float twips) { Move(twips, Top()); }
void Form::SetTop(float twips) { Move(Left(), twips); }
void Form::SetWidth(float twips) { Move(Left(), Top(), twips, Height()); }
void Form::SetHeight(float twips) { Move(Left(), Top(), Width(), twips); }

void Form::Move(float left, float top) {
    EnsureLoaded();
    impl_->left = left;
    impl_->top = top;
    ApplyGeometry(*this);
}

void Form::Move(float left, float top, float width, float height) {
    EnsureLoaded();
    impl_->left = left;
    impl_->top = top;
    const float dw = static_cast<float>(DecorationWidthPx(impl_->border) * kTwipsPerPixel);
    const float dh = static_cast<float>(DecorationHeightPx(impl_->border) * kTwipsPerPixel);
    impl_->client_w = std::max(width - dw, 0.0f);
    impl_->client_h = std::max(height - dh, 0.0f);
    ApplyGeometry(*this);
}

void Form::SetClientSize(float width_twips, float height_twips) {
    EnsureLoaded();
    impl_->client_w = std::max(width_twips, 0.0f);
    impl_->client_h = std::max(height_twips, 0.0f);
    ApplyGeometry(*this);
}

// --- Looks ---------------------------------------------------------------------------------

void Form::SetCaption(const std::string& caption) {
    EnsureLoaded();
    impl_->caption = caption;
    if (impl_->window) SDL_SetWindowTitle(impl_->window, caption.c_str());
}

const std::string& Form::Caption() {
    EnsureLoaded();
    return impl_->caption;
}

void Form::SetBorderStyle(BorderStyle style) {
    EnsureLoaded();
    // The layouts give client sizes, so the client area keeps its size and
    // the outer size follows the border.
    impl_->border = style;
    if (impl_->window) SDL_SetWindowBordered(impl_->window, style == BorderStyle::None ? SDL_FALSE : SDL_TRUE);
    ApplyGeometry(*this);
}

Color Form::BackColor() {
    EnsureLoaded();
    return impl_->back;
}

void Form::SetBackColor(Color color) {
    EnsureLoaded();
    // A new background clears the window, as it does on the desktop.
    impl_->back = color;
    Cls();
}

Color Form::ForeColor() {
    EnsureLoaded();
    return impl_->fore;
}

void Form::SetForeColor(Color color) {
    EnsureLoaded();
    impl_->fore = color;
}

void Form::SetPicture(const Picture& picture) {
    EnsureLoaded();
    impl_->picture = picture;
    PaintBackground(*this, Canvas(*this));
    MarkDirty(*this);
}

void Form::SetFont(const std::string& face, double points, bool bold, bool italic) {
    EnsureLoaded();
    impl_->font = FontChoice{face, points, bold, italic};
}

// --- Drawing into the client area -------------------------------------------------------------

void Form::Cls() {
    EnsureLoaded();
    PaintBackground(*this, Canvas(*this));
    impl_->print_y = 0;
    MarkDirty(*this);
}

void Form::Print(const std::string& text) {
    EnsureLoaded();
    // One line per Print; a caption with line breaks prints several.
    size_t start = 0;
    do {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const FontChoice font = ScaledFont(impl_->font);
        fonts::Draw(Canvas(*this), 0, impl_->print_y, font, line, impl_->fore);
        impl_->print_y += fonts::LineHeight(font);
        start = end == std::string::npos ? std::string::npos : end + 1;
    } while (start != std::string::npos);
    MarkDirty(*this);
}

HDC Form::hDC() {
    EnsureLoaded();
    return &impl_->dc;
}

intptr_t Form::hWnd() { return loaded_ || loading_ ? impl_->hwnd : 0; }

// --- The display layer's view of a window ----------------------------------------------------

namespace internal {

Form* FormOf(intptr_t hwnd) { return FormByHwnd(hwnd); }

SDL_Window* WindowOf(intptr_t hwnd) {
    Form* f = FormByHwnd(hwnd);
    if (!f) return nullptr;
    try {
        return NativeWindow(*f);
    } catch (const Error&) {
        return nullptr;  // the display layer reports a window it cannot use
    }
}

void SetExternalContent(intptr_t hwnd, SDL_Surface* frame) {
    if (Form* f = FormByHwnd(hwnd)) {
        f->impl().external = frame;
        MarkDirty(*f);
    }
}

bool HasFocus(intptr_t hwnd) {
    Form* f = FormByHwnd(hwnd);
    return f && f->impl().focused;
}

bool IsMinimised(intptr_t hwnd) {
    Form* f = FormByHwnd(hwnd);
    return f && f->impl().minimised;
}

uint64_t FocusLossCount(intptr_t hwnd) {
    Form* f = FormByHwnd(hwnd);
    return f ? f->impl().focus_losses : 0;
}

bool TakeRepaintRequest(intptr_t hwnd) {
    // The toolkit does not paint a window whose content the display layer
    // owns, so its repaint flag waits here for the display layer.
    Form* f = FormByHwnd(hwnd);
    if (!f || !f->impl().external || !f->impl().dirty) return false;
    f->impl().dirty = false;
    return true;
}

}  // namespace internal

}  // namespace forms
