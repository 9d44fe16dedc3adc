// The runner's trace: the CSV writer and its reader.
#include "demo/trace.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace demo {

namespace {

std::vector<std::string> MakeColumns() {
    std::vector<std::string> c = {
        "frame",        "StartFrames",   "PlayPhase",   "RespawnDelay", "PadInFlight",
        "ScrollX",      "ScrollSpeed",   "CloudX",      "CloudSpeed",   "PlayerX",
        "PlayerY",      "PlayerState",   "PlayerFrame", "BuildingIndex", "JumpAngle",
        "JumpStartY",   "JumpBoost",     "LastPadKind", "DashTimer",    "DashUsed",
        "DashFrame",    "Lives",         "Score",       "ClockMinutes", "ClockSeconds",
        "ClockCentis",
    };
    for (int i = 0; i < 3; ++i) {
        const std::string p = "Pad" + std::to_string(i);
        for (const char* field : {"State", "X", "Y", "Angle", "Kind", "Building"}) {
            c.push_back(p + field);
        }
    }
    c.push_back("ItemsTaken");
    return c;
}

void AddInt(std::string& out, long long v) {
    out += ',';
    out += std::to_string(v);
}

void AddFloat(std::string& out, float v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(v));
    out += ',';
    out += buf;
}

std::vector<std::string> SplitFields(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) {
            fields.emplace_back(line.substr(start));
            return fields;
        }
        fields.emplace_back(line.substr(start, comma - start));
        start = comma + 1;
    }
}

}  // namespace

const std::vector<std::string>& TraceColumns() {
    static const std::vector<std::string> columns = MakeColumns();
    return columns;
}

std::string TraceHeader() {
    std::string out;
    for (const std::string& name : TraceColumns()) {
        if (!out.empty()) out += ',';
        out += name;
    }
    return out;
}

std::string TraceRow(int64_t frame, const GameState& g) {
    std::string out = std::to_string(frame);
    out.reserve(512);
    AddInt(out, g.StartFrames);
    AddInt(out, g.PlayPhase);
    AddInt(out, g.RespawnDelay);
    AddInt(out, g.PadInFlight);
    AddFloat(out, g.ScrollX);
    AddFloat(out, g.ScrollSpeed);
    AddFloat(out, g.CloudX);
    AddInt(out, g.CloudSpeed);
    AddFloat(out, g.PlayerX);
    AddFloat(out, g.PlayerY);
    AddInt(out, g.PlayerState);
    AddInt(out, g.PlayerFrame);
    AddInt(out, g.BuildingIndex);
    AddFloat(out, g.JumpAngle);
    AddFloat(out, g.JumpStartY);
    AddFloat(out, g.JumpBoost);
    AddInt(out, g.LastPadKind);
    AddInt(out, g.DashTimer);
    AddInt(out, g.DashUsed);
    AddInt(out, g.DashFrame);
    AddInt(out, g.Lives);
    AddInt(out, g.Score);
    AddInt(out, g.ClockMinutes);
    AddInt(out, g.ClockSeconds);
    AddInt(out, g.ClockCentis);
    for (const Pad& pad : g.Pads) {
        AddInt(out, pad.State);
        AddFloat(out, pad.X);
        AddFloat(out, pad.Y);
        AddFloat(out, pad.Angle);
        AddInt(out, pad.Kind);
        AddInt(out, pad.Building);
    }
    out += ',';
    // Items are records 1..ItemCount; a count outside the table shows as far
    // as the table goes.
    int count = g.ItemCount;
    if (count > kLevelTableSize - 1) count = kLevelTableSize - 1;
    for (int i = 1; i <= count; ++i) out += g.Items[static_cast<std::size_t>(i)].Taken ? '1' : '0';
    return out;
}

std::optional<std::size_t> TraceTable::ColumnIndex(std::string_view name) const {
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (columns_[i] == name) return i;
    }
    return std::nullopt;
}

const std::string& TraceTable::Text(std::size_t row, std::string_view column) const {
    std::optional<std::size_t> c = ColumnIndex(column);
    if (!c) throw std::out_of_range("the trace has no column " + std::string(column));
    if (row >= rows_.size()) {
        throw std::out_of_range("the trace has no row " + std::to_string(row) + " (" +
                                std::to_string(rows_.size()) + " rows)");
    }
    return rows_[row][*c];
}

double TraceTable::Number(std::size_t row, std::string_view column) const {
    const std::string& text = Text(row, column);
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0') {
        throw std::invalid_argument("trace column " + std::string(column) + " row " +
                                    std::to_string(row) + " is not a number: '" + text + "'");
    }
    return v;
}

float TraceTable::Float(std::size_t row, std::string_view column) const {
    return static_cast<float>(Number(row, column));
}

long long TraceTable::Integer(std::size_t row, std::string_view column) const {
    return static_cast<long long>(Number(row, column));
}

std::optional<std::size_t> TraceTable::RowOfFrame(long long frame) const {
    std::optional<std::size_t> c = ColumnIndex("frame");
    if (!c) return std::nullopt;
    const std::string wanted = std::to_string(frame);
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        if (rows_[r][*c] == wanted) return r;
    }
    return std::nullopt;
}

bool TraceTable::Parse(std::string_view text, std::string* error) {
    columns_.clear();
    rows_.clear();
    std::size_t pos = 0;
    std::size_t line_number = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++line_number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        std::vector<std::string> fields = SplitFields(line);
        if (columns_.empty()) {
            columns_ = std::move(fields);
            continue;
        }
        if (fields.size() != columns_.size()) {
            if (error) {
                *error = "line " + std::to_string(line_number) + " has " +
                         std::to_string(fields.size()) + " fields, the header " +
                         std::to_string(columns_.size());
            }
            return false;
        }
        rows_.push_back(std::move(fields));
    }
    if (columns_.empty()) {
        if (error) *error = "no header line";
        return false;
    }
    return true;
}

std::optional<TraceTable> ReadTraceFile(const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = path + ": cannot be opened";
        return std::nullopt;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    TraceTable table;
    std::string why;
    if (!table.Parse(buffer.str(), &why)) {
        if (error) *error = path + ": " + why;
        return std::nullopt;
    }
    return table;
}

}  // namespace demo
