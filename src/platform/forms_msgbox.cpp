// Forms runtime — the message box: a small modal window of the runtime's
// own, titled with the application's name, with the text and one OK
// button. Enter, Space or Esc closes it; timers of the other windows go on
// ticking while it is open.
#include <algorithm>
#include <cstdio>
#include <memory>

#include "platform/forms_internal.h"

namespace forms {

namespace {

constexpr const char* kAppTitle = "Roof Rider";
constexpr const char* kTextFace = "ＭＳ Ｐゴシック";
constexpr double kTextPoints = 9;
constexpr int kMarginPx = 16;
constexpr int kButtonW = 75, kButtonH = 23;
constexpr int kMinClientW = 180;

class MessageBoxWindow : public Form {
public:
    explicit MessageBoxWindow(std::string text) : Form("MsgBox"), text_(std::move(text)) {}

    void Layout() override {
        SetCaption(kAppTitle);
        SetBorderStyle(BorderStyle::Fixed);
        const int widest = std::max(LogicalScreenWidthPx() - 8 * kMarginPx, kMinClientW);
        text_label_.SetFont(kTextFace, kTextPoints);
        text_label_.SetTransparent(true);
        text_label_.SetCaption(text_);
        text_label_.SetAutoSize(true);
        if (text_label_.Width() > static_cast<float>((widest - 2 * kMarginPx) * kTwipsPerPixel)) {
            text_label_.SetWordWrap(true);
            text_label_.SetWidth(static_cast<float>((widest - 2 * kMarginPx) * kTwipsPerPixel));
            text_label_.SetCaption(text_);
        }
        const int text_w = ToPx(text_label_.Width()), text_h = ToPx(text_label_.Height());
        const int client_w = std::max(text_w + 2 * kMarginPx, kMinClientW);
        const int button_top = kMarginPx + text_h + kMarginPx;
        const int client_h = button_top + kButtonH + kMarginPx / 2 + 4;
        SetClientSize(static_cast<float>(client_w * kTwipsPerPixel), static_cast<float>(client_h * kTwipsPerPixel));
        text_label_.Move(static_cast<float>(kMarginPx * kTwipsPerPixel), static_cast<float>(kMarginPx * kTwipsPerPixel));

        button_.SetBorder(true);
        button_.SetBackColor(kButtonFace);
        button_.Move(static_cast<float>((client_w - kButtonW) / 2 * kTwipsPerPixel),
                     static_cast<float>(button_top * kTwipsPerPixel), static_cast<float>(kButtonW * kTwipsPerPixel),
                     static_cast<float>(kButtonH * kTwipsPerPixel));
        ok_.SetContainer(&button_);
        ok_.SetFont(kTextFace, kTextPoints);
        ok_.SetTransparent(true);
        ok_.SetAlignment(Alignment::Center);
        ok_.SetCaption("OK");
        ok_.Move(0, static_cast<float>(4 * kTwipsPerPixel), static_cast<float>(kButtonW * kTwipsPerPixel),
                 static_cast<float>((kButtonH - 4) * kTwipsPerPixel));
    }

    void Form_Load() override {
        Move(ScreenWidth() / 2 - Width() / 2, ScreenHeight() / 2 - Height() / 2);
    }

    void Form_KeyDown(int16_t key_code, int16_t /*shift*/) override {
        if (key_code == vk::Return || key_code == vk::Space || key_code == vk::Escape) Unload();
    }

private:
    std::string text_;
    // The first control lies on top: the button's face over the frame.
    Label ok_{this};
    Frame button_{this};
    Label text_label_{this};
};

}  // namespace

void MsgBox(const std::string& text) {
    if (!TK().initialised) {
        // No windows to show it in: the text still reaches the user.
        std::fprintf(stderr, "%s: %s\n", kAppTitle, text.c_str());
        return;
    }
    // A box of its own for each call: a timer may open another over it.
    auto box = std::make_unique<MessageBoxWindow>(text);
    box->Show(true);
}

}  // namespace forms
