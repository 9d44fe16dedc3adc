// The course: read from the readable course source, checked against the
// limits the game relies on, and written as the two level tables
// (data/biru.dat, data/item.dat) of 20-byte little-endian records.
#pragma once

#include <string>
#include <vector>

namespace pictures {

constexpr int kCourseScale = 3;        // world x = course x * 3
constexpr int kBuildingCount = 17;     // records the game reads
constexpr int kItemCount = 33;
constexpr int kItemSize = 32;          // the item sprite, in world pixels
constexpr double kCourseEnd = 5000;    // course x of the end of the course
constexpr double kLastBuildingFrom = 14200.0 / kCourseScale;  // where the view stops
constexpr double kLastBuildingTo = 14300.0 / kCourseScale;    // the hero's front at that moment

struct Building {
    double left = 0;   // course units
    double right = 0;  // course units
    double roof = 0;   // screen y of the roof line
    int line = 0;      // where it was written
};

enum class ItemKind { Life = 0, SpeedUp = 1, SlowDown = 2, Bonus = 3 };

struct Item {
    ItemKind kind = ItemKind::Bonus;
    double x = 0;  // course units, the sprite's left edge
    double y = 0;  // screen y of the sprite's top edge
    int line = 0;
};

struct Course {
    std::vector<Building> buildings;
    std::vector<Item> items;

    // World pixels (course units times the scale).
    static double World(double course_x) { return course_x * kCourseScale; }
};

// Parses the course source; throws std::runtime_error with "name:line: what"
// for a malformed line and for a course that breaks the game's limits.
Course ParseCourse(const std::string& text, const std::string& name);
Course ReadCourse(const std::string& path);

// The two level tables, exactly as the game reads them.
std::vector<unsigned char> BuildingTable(const Course& course);
std::vector<unsigned char> ItemTable(const Course& course);

}  // namespace pictures
