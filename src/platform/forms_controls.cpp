// Forms runtime — the controls: what every control shares (place, size,
// visibility, container, loading its window on first use), labels,
// timers, images and frames. Picture boxes live with BitBlt.
#include <algorithm>

#include "platform/clock.h"
#include "platform/forms_internal.h"

namespace forms {

// --- Control ---------------------------------------------------------------------------

Control::Control(Form* owner) : owner_(owner) {
    if (owner_) owner_->controls_.push_back(this);
}

Control::~Control() {
    if (!owner_) return;
    auto& list = owner_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void Control::Touch() {
    if (owner_) owner_->EnsureLoaded();
}

void Control::Changed() {
    if (owner_) MarkDirty(*owner_);
}

float Control::Left() {
    Touch();
    return left_;
}
float Control::Top() {
    Touch();
    return top_;
}
float Control::Width() {
    Touch();
    return width_;
}
float Control::Height() {
    Touch();
    return height_;
}
void Control::SetLeft(float twips) { Move(twips, Top()); }
void Control::SetTop(float twips) { Move(Left(), twips); }
void Control::SetWidth(float twips) { Move(Left(), Top(), twips, Height()); }
void Control::SetHeight(float twips) { Move(Left(), Top(), Width(), twips); }

void Control::Move(float left, float top) {
    Touch();
    left_ = left;
    top_ = top;
    Changed();
}

void Control::Move(float left, float top, float width, float height) {
    Touch();
    left_ = left;
    top_ = top;
    width_ = std::max(width, 0.0f);
    height_ = std::max(height, 0.0f);
    Changed();
}

bool Control::Visible() {
    Touch();
    return visible_;
}

void Control::SetVisible(bool visible) {
    Touch();
    visible_ = visible;
    Changed();
}

void Control::SetContainer(Frame* frame) {
    Touch();
    container_ = frame;
    Changed();
}

void Control::ResetToBlank() {
    left_ = top_ = width_ = height_ = 0;
    visible_ = true;
    container_ = nullptr;
}

// --- Label -------------------------------------------------------------------------------

Label::Label(Form* owner) : Control(owner) {}

const std::string& Label::Caption() {
    Touch();
    return style_.caption;
}

void Label::SetCaption(const std::string& text) {
    Touch();
    style_.caption = text;
    Fit();
    Changed();
}

Color Label::ForeColor() {
    Touch();
    return style_.fore;
}

void Label::SetForeColor(Color color) {
    Touch();
    style_.fore = color;
    Changed();
}

Color Label::BackColor() {
    Touch();
    return style_.back;
}

void Label::SetBackColor(Color color) {
    Touch();
    style_.back = color;
    Changed();
}

void Label::SetTransparent(bool transparent) {
    Touch();
    style_.transparent = transparent;
    Changed();
}

void Label::SetFont(const std::string& face, double points, bool bold, bool italic) {
    Touch();
    style_.face = face;
    style_.points = points;
    style_.bold = bold;
    style_.italic = italic;
    Fit();
    Changed();
}

void Label::SetAutoSize(bool autosize) {
    Touch();
    style_.autosize = autosize;
    Fit();
    Changed();
}

void Label::SetAlignment(Alignment alignment) {
    Touch();
    style_.alignment = alignment;
    Changed();
}

void Label::SetWordWrap(bool wrap) {
    Touch();
    style_.wordwrap = wrap;
    Fit();
    Changed();
}

void Label::ResetToBlank() {
    Control::ResetToBlank();
    style_ = Style{};
}

void Label::Fit() {
    if (!style_.autosize) return;
    const SDL_Point size = MeasureLabelText(style_, ToPx(width_));
    if (!style_.wordwrap) width_ = static_cast<float>(size.x * kTwipsPerPixel);
    height_ = static_cast<float>(size.y * kTwipsPerPixel);
}

// --- Timer --------------------------------------------------------------------------------

Timer::Timer(Form* owner) : Control(owner) {}

int Timer::Interval() {
    Touch();
    return interval_;
}

void Timer::SetInterval(int milliseconds) {
    Touch();
    interval_ = std::max(milliseconds, 0);
    if (interval_ > 0) next_due_us_ = platform::clock::NowUs() + static_cast<uint64_t>(interval_) * 1000;
}

void Timer::ResetToBlank() {
    Control::ResetToBlank();
    interval_ = 0;
    next_due_us_ = 0;
}

std::optional<uint64_t> Timer::NextDueUs() const {
    if (interval_ <= 0 || !owner_ || !owner_->IsLoaded()) return std::nullopt;
    return next_due_us_;
}

void Timer::FireIfDue(uint64_t now_us) {
    if (interval_ <= 0 || !owner_ || !owner_->IsLoaded() || now_us < next_due_us_) return;
    // The next tick is one interval on; a loop that fell more than an
    // interval behind gets one tick, not a burst of the missed ones.
    const uint64_t step = static_cast<uint64_t>(interval_) * 1000;
    next_due_us_ += step;
    if (next_due_us_ <= now_us) next_due_us_ = now_us + step;
    if (OnTick) OnTick();
}

// --- Image --------------------------------------------------------------------------------

Image::Image(Form* owner) : Control(owner) {}

void Image::SetPicture(const Picture& picture) {
    Touch();
    picture_ = picture;
    Changed();
}

void Image::SetStretch(bool stretch) {
    Touch();
    stretch_ = stretch;
    Changed();
}

void Image::ResetToBlank() {
    Control::ResetToBlank();
    picture_ = Picture();
    stretch_ = false;
}

// --- Frame ---------------------------------------------------------------------------------

Frame::Frame(Form* owner) : Control(owner) {}

Color Frame::BackColor() {
    Touch();
    return back_;
}

void Frame::SetBackColor(Color color) {
    Touch();
    back_ = color;
    Changed();
}

void Frame::SetCaption(const std::string& caption) {
    Touch();
    caption_ = caption;
    Changed();
}

void Frame::SetBorder(bool border) {
    Touch();
    border_ = border;
    Changed();
}

void Frame::ResetToBlank() {
    Control::ResetToBlank();
    back_ = kButtonFace;
    caption_.clear();
    border_ = false;
}

}  // namespace forms
