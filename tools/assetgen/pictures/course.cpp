// Reading and checking the course source, and writing the level tables.
#include "course.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace pictures {
namespace {

[[noreturn]] void Fail(const std::string& name, int line, const std::string& what) {
    throw std::runtime_error(name + ":" + std::to_string(line) + ": " + what);
}

double Number(const std::string& word, const std::string& name, int line, const char* what) {
    size_t used = 0;
    double v = 0;
    try {
        v = std::stod(word, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != word.size() || !std::isfinite(v))
        Fail(name, line, std::string(what) + " \"" + word + "\" is not a number");
    return v;
}

void PutFloat(std::vector<unsigned char>& out, double v) {
    float f = static_cast<float>(v);
    uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(bits >> (8 * i)));
}

void PutShort(std::vector<unsigned char>& out, int v) {
    uint16_t bits = static_cast<uint16_t>(static_cast<int16_t>(v));
    out.push_back(static_cast<unsigned char>(bits & 0xFF));
    out.push_back(static_cast<unsigned char>(bits >> 8));
}

void Check(const Course& c, const std::string& name) {
    int end_line = c.items.empty() ? 0 : c.items.back().line;
    if (static_cast<int>(c.buildings.size()) != kBuildingCount)
        Fail(name, end_line, "the course has " + std::to_string(c.buildings.size()) +
                                 " buildings; the game reads exactly " +
                                 std::to_string(kBuildingCount));
    if (static_cast<int>(c.items.size()) != kItemCount)
        Fail(name, end_line, "the course has " + std::to_string(c.items.size()) +
                                 " items; the game reads exactly " + std::to_string(kItemCount));
    for (size_t i = 0; i < c.buildings.size(); ++i) {
        const Building& b = c.buildings[i];
        if (b.right <= b.left) Fail(name, b.line, "the building ends before it starts");
        if (b.roof < 100 || b.roof > 480)
            Fail(name, b.line, "the roof line must lie between y 100 and 480 (the panel starts at 500)");
        if (i > 0 && b.left < c.buildings[i - 1].right)
            Fail(name, b.line, "the building overlaps the one before it (buildings go left to right)");
        bool last = i + 1 == c.buildings.size();
        if (!last && b.left >= kLastBuildingFrom)
            Fail(name, b.line, "only the last building may start at or after course x " +
                                   std::to_string(kLastBuildingFrom) + " (world 14200)");
        if (last && (b.left < kLastBuildingFrom || b.left > kLastBuildingTo))
            Fail(name, b.line, "the last building must start between world x 14200 and 14300, "
                               "under the hero when the view stops");
        if (last && b.right < kCourseEnd)
            Fail(name, b.line, "the last building must reach the end of the course (course x 5000)");
    }
    if (c.buildings.front().left > 100.0 / kCourseScale)
        Fail(name, c.buildings.front().line, "the first building must be under the hero at world x 100");
    for (const Item& it : c.items) {
        if (it.x < 0 || it.x + static_cast<double>(kItemSize) / kCourseScale > kCourseEnd)
            Fail(name, it.line, "the item lies outside course x 0 to 5000");
        if (it.y < 0 || it.y + kItemSize > 500)
            Fail(name, it.line, "the item must lie above the panel (y 0 to 468)");
    }
}

}  // namespace

Course ParseCourse(const std::string& text, const std::string& name) {
    Course course;
    std::istringstream in(text);
    std::string raw;
    int line = 0;
    while (std::getline(in, raw)) {
        ++line;
        std::string content = raw.substr(0, raw.find('#'));
        std::istringstream words(content);
        std::vector<std::string> w;
        for (std::string s; words >> s;) w.push_back(s);
        if (w.empty()) continue;
        if (w[0] == "building") {
            if (w.size() != 4) Fail(name, line, "expected: building LEFT RIGHT ROOF");
            Building b;
            b.left = Number(w[1], name, line, "LEFT");
            b.right = Number(w[2], name, line, "RIGHT");
            b.roof = Number(w[3], name, line, "ROOF");
            b.line = line;
            course.buildings.push_back(b);
        } else if (w[0] == "item") {
            if (w.size() != 4) Fail(name, line, "expected: item KIND X Y");
            Item it;
            if (w[1] == "life") it.kind = ItemKind::Life;
            else if (w[1] == "speed") it.kind = ItemKind::SpeedUp;
            else if (w[1] == "slow") it.kind = ItemKind::SlowDown;
            else if (w[1] == "bonus") it.kind = ItemKind::Bonus;
            else Fail(name, line, "unknown item kind \"" + w[1] + "\" (life, speed, slow or bonus)");
            it.x = Number(w[2], name, line, "X");
            it.y = Number(w[3], name, line, "Y");
            it.line = line;
            course.items.push_back(it);
        } else {
            Fail(name, line, "unknown entry \"" + w[0] + "\" (building or item)");
        }
    }
    Check(course, name);
    return course;
}

Course ReadCourse(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) throw std::runtime_error(path + ": the course source cannot be read");
    std::ostringstream text;
    text << f.rdbuf();
    return ParseCourse(text.str(), path);
}

std::vector<unsigned char> BuildingTable(const Course& course) {
    std::vector<unsigned char> out;
    for (const Building& b : course.buildings) {
        PutFloat(out, b.left);
        PutFloat(out, b.roof);
        PutFloat(out, b.right);
        PutFloat(out, 600);  // Bottom: down to the foot of the picture
        PutShort(out, 0);
        PutShort(out, 0);
    }
    return out;
}

std::vector<unsigned char> ItemTable(const Course& course) {
    std::vector<unsigned char> out;
    for (const Item& it : course.items) {
        PutFloat(out, it.x);
        PutFloat(out, it.y);
        PutFloat(out, it.x + static_cast<double>(kItemSize) / kCourseScale);
        PutFloat(out, it.y + kItemSize);
        PutShort(out, static_cast<int>(it.kind));
        PutShort(out, 0);
    }
    return out;
}

}  // namespace pictures
