// The forms runtime: windows, labels, timers, picture boxes, images, frames,
// message boxes, Screen, End, DoEvents and BitBlt, over SDL2.
//
// Every window is a class derived from Form with one global instance. A
// window is loaded on first use: the toolkit calls Layout() (the designed
// values of the window and its controls) and then Form_Load(). Unload runs
// Form_Unload, destroys the window and puts the controls back to nothing; a
// later use loads it again, so the controls come back with their layout
// values while the derived class's own member variables keep theirs.
//
// Positions and sizes are in twips, 15 to a pixel. Colours are 0x00BBGGRR.
// One thread: window events, timer ticks and the play loop all run on it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace forms {

constexpr int kTwipsPerPixel = 15;

using Color = uint32_t;  // 0x00BBGGRR
constexpr Color RGB(int r, int g, int b) {
    return static_cast<Color>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr Color kWhite = 0xFFFFFF;
constexpr Color kBlack = 0x000000;
constexpr Color kRed = 0x0000FF;
// System colours of the standard scheme.
constexpr Color kHighlightText = kWhite;  // "highlight text"
constexpr Color kButtonText = kBlack;     // "button text"

// Virtual-key codes as Windows reports them.
namespace vk {
constexpr int16_t Return = 13, Escape = 27, Space = 32;
constexpr int16_t Left = 37, Up = 38, Right = 39, Down = 40;
constexpr int16_t Shift = 16, Control = 17;
// Letters are 65 ('A') to 90 ('Z').
}  // namespace vk

class Form;
class Frame;

// A picture held in memory (24-bit colour), loaded from a BMP file or from
// BMP bytes compiled into the program.
class Picture {
public:
    Picture();
    // Throws forms::Error naming the file and the problem when it cannot load.
    static Picture FromFile(const std::string& program_path);
    static Picture FromBmpBytes(std::span<const unsigned char> bytes, const std::string& name);
    bool IsEmpty() const;
    int WidthPx() const;
    int HeightPx() const;
    // Pixel (x, y) as 0x00BBGGRR; tests only.
    Color PixelAt(int x, int y) const;

    struct Data;
    explicit Picture(std::shared_ptr<Data> data) : data_(std::move(data)) {}
    const std::shared_ptr<Data>& data() const { return data_; }

private:
    std::shared_ptr<Data> data_;
};

// A drawing surface as GDI sees it: the client area of a window or the
// off-screen image of a picture box.
struct DeviceContext;
using HDC = DeviceContext*;

constexpr uint32_t SRCCOPY = 0x00CC0020;
constexpr uint32_t SRCPAINT = 0x00EE0086;  // target OR source
constexpr uint32_t SRCAND = 0x008800C6;    // target AND source

// Copies a rectangle between two device contexts with a raster operation,
// clipped to both. Sizes and positions in pixels.
bool BitBlt(HDC target, int x, int y, int width, int height, HDC source, int sx, int sy,
            uint32_t rop);

// An error raised by the platform (a picture that cannot be loaded, a font
// that cannot be found...). Its text names the file and what is wrong.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Base of every control: remembers its window so that a property used
// while the window is not loaded loads it first.
class Control {
public:
    explicit Control(Form* owner);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    Form* Owner() const { return owner_; }

    // Left, Top, Width, Height in twips; relative to the client area, or to
    // the corner of the frame that holds the control.
    float Left();
    float Top();
    float Width();
    float Height();
    void SetLeft(float twips);
    void SetTop(float twips);
    void SetWidth(float twips);
    void SetHeight(float twips);
    void Move(float left, float top);
    void Move(float left, float top, float width, float height);
    bool Visible();
    void SetVisible(bool visible);
    // The frame that holds this control (nullptr: the window itself).
    void SetContainer(Frame* frame);
    Frame* Container() const { return container_; }

    // Called by the toolkit when the window loads: back to nothing, before
    // Layout() gives the designed values.
    virtual void ResetToBlank();

protected:
    void Touch();  // loads the window if needed
    void Changed();  // the window must be repainted

    Form* owner_;
    Frame* container_ = nullptr;
    float left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
};

enum class Alignment { Left, Center, Right };

// A label: text in a box, transparent or opaque.
class Label : public Control {
public:
    Label(Form* owner);  // implicit, so arrays read `Label Label1[4]{this, this, this, this};`

    const std::string& Caption();
    void SetCaption(const std::string& text);
    Color ForeColor();
    void SetForeColor(Color color);
    Color BackColor();
    void SetBackColor(Color color);
    // True: only the text is drawn; false: the box is filled with BackColor.
    void SetTransparent(bool transparent);
    // Face name as the layout writes it ("ＭＳ Ｐゴシック", "Georgia", ...),
    // size in points (at 96 dpi), weight and slant.
    void SetFont(const std::string& face, double points, bool bold = false, bool italic = false);
    // Sized to text: width and height follow the caption whenever it changes.
    void SetAutoSize(bool autosize);
    void SetAlignment(Alignment alignment);
    void SetWordWrap(bool wrap);

    void ResetToBlank() override;

    // Read by the painter.
    struct Style {
        std::string caption;
        Color fore = kBlack, back = 0xC0C0C0;
        bool transparent = false;
        std::string face;
        double points = 9;
        bool bold = false, italic = false, autosize = false, wordwrap = false;
        Alignment alignment = Alignment::Left;
    };
    const Style& style() const { return style_; }

private:
    void Fit();  // applies AutoSize
    Style style_;
};

// A window timer: one tick per interval while the interval is above 0, in
// every modal loop and under message boxes. The handler is bound by the
// window (for example `Timer1.OnTick = [this] { Timer1_Timer(); };`).
class Timer : public Control {
public:
    Timer(Form* owner);
    int Interval();
    void SetInterval(int milliseconds);  // 0 stops it; a change restarts the count
    std::function<void()> OnTick;
    void ResetToBlank() override;

    // The toolkit's scheduling: when the next tick is due (microseconds on
    // the program clock), or nothing while stopped.
    std::optional<uint64_t> NextDueUs() const;
    void FireIfDue(uint64_t now_us);

private:
    int interval_ = 0;
    uint64_t next_due_us_ = 0;
};

// A hidden picture box: an off-screen image usable as a BitBlt source or
// target. A loaded picture sizes the box to itself; moving or sizing the
// box keeps what it holds and fills new area with white.
class PictureBox : public Control {
public:
    PictureBox(Form* owner);
    void LoadPicture(const std::string& program_path);  // throws forms::Error
    void SetPicture(const Picture& picture);
    HDC hDC();
    void ResetToBlank() override;
    ~PictureBox() override;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// An image control: shows its picture stretched to its box (when Stretch is
// on) or at its own size.
class Image : public Control {
public:
    Image(Form* owner);
    void SetPicture(const Picture& picture);
    const Picture& GetPicture() const { return picture_; }
    void SetStretch(bool stretch);
    bool Stretch() const { return stretch_; }
    void ResetToBlank() override;

private:
    Picture picture_;
    bool stretch_ = false;
};

// A frame: a panel whose child controls are placed from its own corner.
class Frame : public Control {
public:
    Frame(Form* owner);
    Color BackColor();
    void SetBackColor(Color color);
    void SetCaption(const std::string& caption);
    void SetBorder(bool border);
    void ResetToBlank() override;

    Color back_color() const { return back_; }
    bool border() const { return border_; }
    const std::string& caption() const { return caption_; }

private:
    Color back_ = 0xC0C0C0;
    std::string caption_;
    bool border_ = false;
};

enum class BorderStyle {
    None,   // no border, no caption bar
    Fixed,  // ordinary border and caption bar
};

// A window. Derive from it, give the controls `this`, set the designed
// values in Layout() and override the events the window handles.
// Controls stack in the order the window declares them: the first lies on
// top (a background image is declared last); frames and picture boxes lie
// over labels and images.
class Form {
public:
    explicit Form(std::string name);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& Name() const { return name_; }

    // Events.
    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_KeyDown(int16_t key_code, int16_t shift) { (void)key_code, (void)shift; }
    virtual void Form_Unload() {}

    // The designed layout: caption, border, client size, colours, fonts and
    // every control's designed values. Called at each load, before Form_Load.
    virtual void Layout() = 0;

    // Load (explicit "Load Form"), Show, Hide, Unload.
    void Load();
    // Modal: runs Form_Activate, then the window's event loop, and returns
    // once the window has been unloaded or hidden. Modeless: shows and returns.
    void Show(bool modal = true);
    void Hide();
    // Runs Form_Unload and destroys the window. Nothing if not loaded.
    void Unload();
    bool IsLoaded() const { return loaded_; }
    bool IsShown() const { return shown_; }
    void EnsureLoaded();  // what every property does first

    // Position and outer size in twips; client size in twips.
    float Left();
    float Top();
    float Width();
    float Height();
    void SetLeft(float twips);
    void SetTop(float twips);
    void SetWidth(float twips);
    void SetHeight(float twips);
    void Move(float left, float top);
    void Move(float left, float top, float width, float height);
    float ScaleWidth();
    float ScaleHeight();
    // Sets the outer size from a client size (layout helper).
    void SetClientSize(float width_twips, float height_twips);

    void SetCaption(const std::string& caption);
    const std::string& Caption();
    void SetBorderStyle(BorderStyle style);
    Color BackColor();
    void SetBackColor(Color color);
    Color ForeColor();
    void SetForeColor(Color color);
    void SetPicture(const Picture& picture);  // drawn unscaled at the client's corner
    void SetFont(const std::string& face, double points, bool bold = false, bool italic = false);

    // Cls clears printed text and puts the print position at the top-left;
    // Print draws a line of text there in ForeColor and the window's font.
    void Cls();
    void Print(const std::string& text);

    HDC hDC();
    intptr_t hWnd();  // 0 while not loaded

    // The toolkit's own state, for the platform layer.
    struct Impl;
    Impl& impl();

protected:
    // Windows the player may close with the window manager's close button
    // are unloaded; for those where that leads nowhere (the play field, the
    // evaluation, the staff roll) the window says so and it ends the program.
    void SetCloseEndsProgram(bool ends) { close_ends_program_ = ends; }

private:
    friend class Control;
    friend struct ToolkitAccess;
    std::string name_;
    bool loaded_ = false;
    bool loading_ = false;
    bool shown_ = false;
    bool close_ends_program_ = false;
    std::unique_ptr<Impl> impl_;
    std::vector<Control*> controls_;
};

// A modal message box of the toolkit's own (Japanese text, the title
// "Roof Rider", one OK button; Enter, Space or Esc closes it). Timers of
// other windows tick while it is open.
void MsgBox(const std::string& text);

// The desktop's size in twips, counted in the windows' designed pixels:
// on a desktop where windows are drawn at twice their size (WindowScale
// 2), a 3840 x 2160 desktop is 1920 x 1080 of them.
float ScreenWidth();
float ScreenHeight();
// The whole factor by which every window is drawn larger than designed
// (nearest pixel; text at the larger size): ROOFRIDER_SCALE if set, else
// the desktop's scale setting, else from the desktop's size; 1 on 1024 x
// 768 and 1920 x 1080.
int WindowScale();

// Ends the program at once; no Form_Unload runs. Tests and the runner
// replace what it does (typically by throwing a ProgramEnded), never its
// callers.
[[noreturn]] void End();
using EndHandler = std::function<void()>;
void SetEndHandler(EndHandler handler);  // empty: the default (exit the process)

// What a replaced End throws; deliberately not a std::exception, so that
// handlers which catch errors (frame composition) never swallow it.
struct ProgramEnded {
    std::string window;  // the topmost window when End was called
    int exit_code = 0;
};

// Runs pending window events: input, due timers, window-manager requests,
// repaints. Returns at once.
void DoEvents();

// Stops the timer of every loaded window (as an Interval of 0 does). For
// the error that ends the program: its message box must not be covered,
// or followed, by ticks of windows whose code has stopped half-way.
void StopAllTimers();

// Blocks until something is due (a timer, input, a scripted key), running
// it; the body of every modal loop. In virtual time it jumps the clock.
void WaitForEvents();

// Start-up and shut-down of the toolkit (SDL video, fonts).
// headless: SDL's dummy video driver, nothing shown on a desktop.
void Initialise(bool headless);
bool IsHeadless();

// --- Input for scripted runs --------------------------------------------
// Queues a key press for the topmost modal window; delivered by the next
// DoEvents, as a key typed by the player would be.
void PostKey(int16_t key_code);

// A source of scripted keys: the toolkit asks it when it would wait.
class InputSource {
public:
    virtual ~InputSource() = default;
    // Program-clock time (microseconds) of the next scripted event, if any.
    virtual std::optional<uint64_t> NextEventUs() = 0;
    // Posts (PostKey) every event due at or before now.
    virtual void DeliverDue(uint64_t now_us) = 0;
    // Called when the toolkit would wait with nothing left to wait for, or
    // when the source has no more events: the source may end the run
    // (throw) or return to let the wait go on.
    virtual void OnIdle(uint64_t now_us) = 0;
};
void SetInputSource(InputSource* source);

// Simulates the window manager or the desktop (tests, the runner).
// A desktop of w x h pixels under the dummy driver: the screen's size and
// the windows' scale follow as on a real desktop of that size (with the
// environment's ROOFRIDER_SCALE and GDK_SCALE). Windows loaded before keep
// their place until they are loaded again.
void SimulateDesktop(int width_px, int height_px);
// A desktop where windows cannot place themselves (as under Wayland): a
// borderless window over another of the program's is drawn inside it.
void SimulateUnplacedWindows(bool unplaced);
// Whether the play field shows in a window rather than full screen (the
// player's Alt+Enter or F11).
bool PlaysInWindow();
void SimulateFocus(Form& form, bool focused);
void SimulateMinimise(Form& form, bool minimised);
// Queued like the real button: acted on by the next DoEvents, and ignored
// while a modal window above this one has the keyboard.
void SimulateCloseButton(Form& form);

// --- Looking at what is shown ---------------------------------------------
// The topmost window that receives keys (modal stack top), or nullptr.
Form* TopmostWindow();
// Saves the whole desktop, every visible window composed at its place, as PNG.
bool SaveDesktopPng(const std::string& linux_path);
// Saves one window's client area as PNG.
bool SaveWindowPng(Form& form, const std::string& linux_path);
// The captions of the window's visible labels (in a visible frame, if in
// one), in control order; empty for a window that is not loaded. A message
// box gives its text.
std::vector<std::string> VisibleTexts(Form& form);

// --- Fonts ------------------------------------------------------------------
// The installed font file that a face of the layouts maps to (through the
// alias table and fontconfig), or an Error when none with the glyphs exists.
std::string FontFileFor(const std::string& face, bool bold, bool italic);
// True when every character of text has a non-blank glyph in the face.
bool FaceCovers(const std::string& face, const std::string& text);

}  // namespace forms
