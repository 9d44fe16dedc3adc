// 初期処理 — the initialisation module: the level files and the new-game reset.
//
// Both run once, at start-up, before any window: LoadLevelFiles fills the
// level constants, the sine table and the two level tables; ResetGame gives
// every other field of G its start value and places the two windows that
// appear only after the play (the staff roll and the evaluation).
#include "game/level.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>

#include "core/game_state.h"
#include "platform/files.h"
#include "screens/ending.h"
#include "screens/hyouka.h"

namespace {

constexpr std::size_t kRecordLength = 20;

float FloatAt(const unsigned char* p) {
    const uint32_t bits = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                          static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

Integer IntegerAt(const unsigned char* p) {
    return static_cast<Integer>(static_cast<uint16_t>(p[0] | p[1] << 8));
}

// The values a course can hold. The rules compare the hero, the pads and
// the items with these fields every frame and turn them into table indices
// and pixel positions: a value that is not a number, a roof or item off
// the 600-pixel screen, a record whose right end lies left of its left
// end, or buildings out of course order would send a pad or the hero past
// every record of the table. Such a record stops the program with a
// message naming the file, the record and the field.
constexpr float kScreenHeight = 600;

std::string Number(float value) {
    if (std::isnan(value)) return "nan";
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

[[noreturn]] void Refuse(const std::string& relative_path, Integer n, const std::string& field, float value,
                         const std::string& why) {
    throw std::runtime_error(relative_path + " record " + std::to_string(n) + ": " + field + " is " +
                             Number(value) + ", " + why);
}

// Checks one record as the file holds it (x still in course units).
void CheckRecord(const std::string& relative_path, Integer n, const LevelRecord& r, bool is_item) {
    const std::pair<const char*, float> fields[] = {
        {"Left", r.Left}, {"Top", r.Top}, {"Right", r.Right}, {"Bottom", r.Bottom}};
    for (const auto& [field, value] : fields)
        if (!std::isfinite(value)) Refuse(relative_path, n, field, value, "not a finite number");
    // Scaled to world pixels the x fields must still be numbers.
    const float x_limit = std::numeric_limits<float>::max() / static_cast<float>(G.CourseScale);
    if (std::fabs(r.Left) > x_limit) Refuse(relative_path, n, "Left", r.Left, "beyond any course");
    if (std::fabs(r.Right) > x_limit) Refuse(relative_path, n, "Right", r.Right, "beyond any course");
    const std::string on_screen = "outside 0 to " + Number(kScreenHeight);
    if (!(r.Top >= 0 && r.Top <= kScreenHeight)) Refuse(relative_path, n, "Top", r.Top, on_screen);
    // A building's Bottom is not used; an item's is its lower edge.
    if (is_item && !(r.Bottom >= 0 && r.Bottom <= kScreenHeight))
        Refuse(relative_path, n, "Bottom", r.Bottom, on_screen);
    if (r.Right < r.Left)
        Refuse(relative_path, n, "Right", r.Right, "left of its Left " + Number(r.Left));
}

// Reads records 1..count of a level file into table(1..count), scaling the
// x fields to world pixels. A course built on zeroed records would put the
// hero on roofs that are not there, so a file that is missing or too short
// stops the program with a message that names it, as does a record no
// course can hold.
void ReadLevelTable(const std::string& relative_path, Integer count,
                    std::array<LevelRecord, kLevelTableSize>& table, bool is_item) {
    platform::files::RecordFile file(G.BasePath + relative_path, kRecordLength);
    if (!file.IsOpen())
        throw std::runtime_error(relative_path + ": cannot be opened (" + file.Error() + ")");
    if (count < 0 || count >= kLevelTableSize)
        throw std::runtime_error(relative_path + ": " + std::to_string(count) +
                                 " records do not fit the table");
    if (file.RecordCount() < static_cast<std::size_t>(count))
        throw std::runtime_error(relative_path + ": " + std::to_string(file.RecordCount()) +
                                 " records, " + std::to_string(count) + " needed");
    unsigned char bytes[kRecordLength];
    float right_before = 0;  // the Right of the record before, in the file's units
    for (Integer n = 1; n <= count; ++n) {
        file.Read(static_cast<std::size_t>(n), bytes);
        LevelRecord& r = table[static_cast<std::size_t>(n)];
        r.Left = FloatAt(bytes + 0);
        r.Top = FloatAt(bytes + 4);
        r.Right = FloatAt(bytes + 8);
        r.Bottom = FloatAt(bytes + 12);
        r.Kind = IntegerAt(bytes + 16);
        r.Taken = IntegerAt(bytes + 18);
        CheckRecord(relative_path, n, r, is_item);
        // Buildings stand left to right, each beginning where the one before
        // ends or further right: the scrolling steps from building n to n + 1.
        if (!is_item && n > 1 && r.Left < right_before)
            Refuse(relative_path, n, "Left", r.Left,
                   "left of the Right of record " + std::to_string(n - 1) + " (" + Number(right_before) + ")");
        right_before = r.Right;
        // The files count in course units; the world is CourseScale times wider.
        r.Left = static_cast<Single>(G.CourseScale) * r.Left;
        r.Right = static_cast<Single>(G.CourseScale) * r.Right;
        if (is_item) r.Taken = 0;
    }
}

// A product of two Integers as the language computed it: in 16 bits, an
// overflow being an error rather than a wrapped value.
Integer IntegerProduct(Integer a, Integer b) {
    const int32_t product = static_cast<int32_t>(a) * static_cast<int32_t>(b);
    if (product < INT16_MIN || product > INT16_MAX) throw std::overflow_error("Overflow");
    return static_cast<Integer>(product);
}

}  // namespace

void LoadLevelFiles() {
    G.BasePath = platform::files::ProgramDirectory();
    if (G.BasePath.empty() || G.BasePath.back() != '\\') G.BasePath += '\\';

    G.CourseScale = 3;
    G.Lives = 4;
    G.ScrollSpeed = 5.0;
    G.BuildingCount = 17;
    G.ItemCount = 33;

    // 3.141, not pi: the arcs were tuned on this table, whose last entry is
    // not quite 0.
    for (int d = 0; d <= 180; ++d)
        G.SineTable[static_cast<std::size_t>(d)] = static_cast<Single>(std::sin(d * 3.141 / 180));

    ReadLevelTable("data\\biru.dat", G.BuildingCount, G.Buildings, /*is_item=*/false);
    ReadLevelTable("data\\item.dat", G.ItemCount, G.Items, /*is_item=*/true);
}

void ResetGame() {
    G.PlayerHeight = 96;
    G.PlayerWidth = 96;
    G.BuildingIndex = 1;
    G.PlayerState = 0;
    G.PlayerFrame = 0;
    G.PlayerX = 100;
    G.PlayerY = G.Buildings[1].Top - 96;  // feet on the first roof
    G.PlayerFrameCount = 5;
    G.CourseHeight = 600;
    G.ScrollX = 0;
    G.CourseWidth = IntegerProduct(G.CourseScale, 5000);
    G.CloudHeight = 600;
    G.CloudWidth = 1800;
    G.CloudX = 0;
    G.PanelHeight = 100;
    G.PanelWidth = 800;
    G.PanelX = 0;
    G.PanelY = 500;
    G.ReadyGoHeight = 133;
    G.ReadyGoWidth = 540;
    for (Pad& pad : G.Pads) {
        pad.State = 0;
        pad.Height = 16;
        pad.Width = 16;
    }
    G.ItemKindCount = 4;
    G.ItemHeight = 32;
    G.ItemWidth = 32;
    G.DigitHeight = 24;
    G.DigitWidth = 12;
    G.Score = 0;
    for (Integer& digit : G.ScoreDigits) digit = 0;
    G.ClockMinutes = 0;
    G.ClockSeconds = 0;
    G.ClockCentis = 0;
    for (Integer& digit : G.ClockDigits) digit = 0;
    G.CloudSpeed = 1;
    G.JumpSoundFiles[0] = "jump1.wav";
    G.JumpSoundFiles[1] = "jump2.wav";
    G.JumpSoundFiles[2] = "jump3.wav";

    // The staff roll fills the screen; its twelve labels wait below its
    // bottom edge in pairs 3000 twips apart, ready to scroll up.
    Ending.SetHeight(forms::ScreenHeight());
    Ending.SetWidth(forms::ScreenWidth());
    Ending.SetTop(0);
    Ending.SetLeft(0);
    for (int j = 0; j <= 5; ++j) {
        forms::Label& name = Ending.Name1[j];
        forms::Label& role = Ending.Ob[j];
        name.SetLeft(static_cast<float>(Ending.Width() / 2.0 - name.Width() / 2.0));
        role.SetLeft(static_cast<float>(Ending.Width() / 2.0 - role.Width() / 2.0));
        name.SetTop(static_cast<float>(Ending.Height() + 750.0 + j * 3000.0));
        role.SetTop(static_cast<float>(Ending.Height() + 400.0 + j * 3000.0));
    }
    Ending.Label1.SetLeft(
        static_cast<float>(Ending.ScaleWidth() / 2.0 - Ending.Label1.Width() / 2.0));
    Ending.Label1.SetTop(
        static_cast<float>(Ending.ScaleHeight() / 2.0 - Ending.Label1.Height() / 2.0));

    // The evaluation window is centred on the screen by its outer size.
    Hyouka.SetLeft(static_cast<float>(forms::ScreenWidth() / 2.0 - Hyouka.Width() / 2.0));
    Hyouka.SetTop(static_cast<float>(forms::ScreenHeight() / 2.0 - Hyouka.Height() / 2.0));
}
