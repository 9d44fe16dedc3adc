// The runner's trace: one CSV line of the game state per pass of the play
// loop, after a header line, and a reader that gives the rows back by
// column name.
//
// Columns, in this order: frame (the pass number from 1), StartFrames,
// PlayPhase, RespawnDelay, PadInFlight, ScrollX, ScrollSpeed, CloudX,
// CloudSpeed, PlayerX, PlayerY, PlayerState, PlayerFrame, BuildingIndex,
// JumpAngle, JumpStartY, JumpBoost, LastPadKind, DashTimer, DashUsed,
// DashFrame, Lives, Score, ClockMinutes, ClockSeconds, ClockCentis, then
// for each pad i = 0, 1, 2: Pad<i>State, Pad<i>X, Pad<i>Y, Pad<i>Angle,
// Pad<i>Kind, Pad<i>Building, and last ItemsTaken (one character 0 or 1
// per item, in record order). Floats carry nine significant digits, so
// they read back as the very float that was written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/game_state.h"

namespace demo {

// The column names, in order.
const std::vector<std::string>& TraceColumns();
// The header line (no line end).
std::string TraceHeader();
// One row for pass `frame` of the state g (no line end).
std::string TraceRow(int64_t frame, const GameState& g);

// A trace read back: the header's names and every row's fields as text.
class TraceTable {
public:
    const std::vector<std::string>& Columns() const { return columns_; }
    std::size_t RowCount() const { return rows_.size(); }
    // Index of a column, or nothing.
    std::optional<std::size_t> ColumnIndex(std::string_view name) const;
    // The field of a row; throws std::out_of_range for a row or a column
    // the trace does not have.
    const std::string& Text(std::size_t row, std::string_view column) const;
    // The field as a number (integers and floats alike, as double; a float
    // written with nine digits converts back exactly through float).
    double Number(std::size_t row, std::string_view column) const;
    float Float(std::size_t row, std::string_view column) const;
    long long Integer(std::size_t row, std::string_view column) const;
    // The first row whose frame column reads `frame`, or nothing.
    std::optional<std::size_t> RowOfFrame(long long frame) const;

    // Fills a table from CSV text; false with a message on a fault (a row
    // with the wrong number of fields, no header).
    bool Parse(std::string_view text, std::string* error);

private:
    std::vector<std::string> columns_;
    std::vector<std::vector<std::string>> rows_;
};

// Reads a trace file; nothing (and a message naming the file) on a fault.
std::optional<TraceTable> ReadTraceFile(const std::string& path, std::string* error);

}  // namespace demo
