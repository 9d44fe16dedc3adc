// roofrider-mutate: the program behind scripts/mutate.sh.
//
//   roofrider-mutate list ROOT FILE...              the mutants, one a line
//   roofrider-mutate apply ROOT ID                  writes mutant ID into its file
//   roofrider-mutate schema ROOT FILE [N...]        writes every mutant of FILE that can be
//                                                   switched at run time (ROOFRIDER_MUTANT=number)
//                                                   into it, but those numbered N; prints number, id
//   roofrider-mutate culprits ROOT FILE LINE COL    the switches around a compile error in a schema
//   roofrider-mutate covmap ROOT TESTS GCOVDIR OUT  the coverage map of every test
//   roofrider-mutate plan ROOT MAP FILE...          the tests to run for each mutant
//   roofrider-mutate report ROOT RESULTS            made, killed, survived, timed out, per file
//
// FILE and ID name files relative to ROOT. TESTS has one test a line:
// number, seconds, name; GCOVDIR/NUMBER.gcov is `gcov -t` of that test's
// run. RESULTS has one mutant a line: id, outcome, seconds, change.
#include <algorithm>
#include <stdexcept>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "source_mutants.h"

namespace {

using mutate::Mutant;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(path + ": cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Split(const std::string& line, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(line);
    while (std::getline(in, part, separator)) parts.push_back(part);
    return parts;
}

std::string Join(const std::vector<int>& values) {
    std::string out;
    for (int v : values) out += (out.empty() ? "" : ",") + std::to_string(v);
    return out;
}

int List(const std::string& root, const std::vector<std::string>& files) {
    for (const std::string& file : files)
        for (const Mutant& m : mutate::MutantsOf(file, ReadFile(root + "/" + file)))
            std::cout << m.id << '\t' << m.kind << '\t' << Join(m.lines) << '\t' << m.change << '\n';
    return 0;
}

int Apply(const std::string& root, const std::string& id) {
    const std::string file = id.substr(0, id.find(':'));
    const std::string path = root + "/" + file;
    const std::string text = ReadFile(path);
    for (const Mutant& m : mutate::MutantsOf(file, text)) {
        if (m.id != id) continue;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << mutate::Apply(text, m);
        return out ? 0 : 1;
    }
    std::cerr << "roofrider-mutate: no mutant " << id << "\n";
    return 1;
}

// Writes into FILE its mutants that can be switched at run time, but those
// numbered in left_out; prints "number<TAB>id" for each built in.
int Schema(const std::string& root, const std::string& file, const std::vector<std::string>& left_out) {
    const std::string path = root + "/" + file;
    const std::string text = ReadFile(path);
    const std::vector<Mutant> mutants = mutate::MutantsOf(file, text);
    std::vector<int> out, included;
    for (const std::string& n : left_out) out.push_back(std::stoi(n));
    const std::string schema = mutate::Schema(text, mutants, out, included);
    std::ofstream write(path, std::ios::binary | std::ios::trunc);
    write << schema;
    for (int n : included) std::cout << n << '\t' << mutants[static_cast<size_t>(n) - 1].id << '\n';
    return write ? 0 : 1;
}

int Culprits(const std::string& root, const std::string& file, int line, int column) {
    for (int n : mutate::SchemaCulprits(ReadFile(root + "/" + file), line, column)) std::cout << n << '\n';
    return 0;
}

// --- The coverage map --------------------------------------------------------
//
// Per source line: whether it holds code at all, and which tests ran it.

struct TestInfo {
    std::string name;
    double seconds = 0;
};

struct CoverageMap {
    std::vector<TestInfo> tests;
    std::map<std::string, std::map<int, std::set<int>>> ran;  // file -> line -> tests
    std::map<std::string, std::set<int>> code;                  // file -> lines with code
};

std::string Relative(const std::string& root, const std::string& path) {
    const std::string prefix = root + "/";
    return path.rfind(prefix, 0) == 0 ? path.substr(prefix.size()) : path;
}

// Reads `gcov -t` output: "count:line:source" rows under a "Source:" row,
// count being "-" (no code), "#####" or "=====" (never run), or a number.
void ReadGcov(const std::string& root, const std::string& text, int test, CoverageMap& map) {
    std::istringstream in(text);
    std::string file;
    for (std::string row; std::getline(in, row);) {
        const size_t c1 = row.find(':');
        if (c1 == std::string::npos) continue;
        const size_t c2 = row.find(':', c1 + 1);
        if (c2 == std::string::npos) continue;
        std::string count = row.substr(0, c1);
        count.erase(0, count.find_first_not_of(' '));
        const std::string number = row.substr(c1 + 1, c2 - c1 - 1);
        const int line = std::atoi(number.c_str());
        if (line == 0) {
            if (row.compare(c2 + 1, 7, "Source:") == 0) file = Relative(root, row.substr(c2 + 8));
            continue;
        }
        if (count.empty() || count == "-" || file.empty()) continue;
        map.code[file].insert(line);
        if (count[0] != '#' && count[0] != '=' && std::atoll(count.c_str()) > 0) map.ran[file][line].insert(test);
    }
}

int CovMap(const std::string& root, const std::string& tests_path, const std::string& gcov_dir,
           const std::string& out_path) {
    CoverageMap map;
    std::istringstream tests(ReadFile(tests_path));
    std::ofstream out(out_path);
    for (std::string row; std::getline(tests, row);) {
        const std::vector<std::string> f = Split(row, '\t');
        if (f.size() < 3) continue;
        const int test = std::stoi(f[0]);
        out << "test\t" << test << '\t' << f[1] << '\t' << f[2] << '\n';
        ReadGcov(root, ReadFile(gcov_dir + "/" + f[0] + ".gcov"), test, map);
    }
    for (const auto& [file, lines] : map.code) {
        for (int line : lines) {
            out << "line\t" << file << '\t' << line << '\t';
            const auto f = map.ran.find(file);
            std::string list;
            if (f != map.ran.end())
                if (const auto l = f->second.find(line); l != f->second.end())
                    for (int t : l->second) list += (list.empty() ? "" : ",") + std::to_string(t);
            out << list << '\n';
        }
    }
    return out ? 0 : 1;
}

CoverageMap ReadMap(const std::string& path) {
    CoverageMap map;
    std::istringstream in(ReadFile(path));
    for (std::string row; std::getline(in, row);) {
        const std::vector<std::string> f = Split(row, '\t');
        if (f.size() >= 4 && f[0] == "test") {
            const size_t n = static_cast<size_t>(std::stoi(f[1]));
            if (map.tests.size() <= n) map.tests.resize(n + 1);
            map.tests[n] = {f[3], std::stod(f[2])};
        } else if (f.size() >= 3 && f[0] == "line") {
            const int line = std::stoi(f[2]);
            map.code[f[1]].insert(line);
            auto& ran = map.ran[f[1]][line];
            if (f.size() >= 4)
                for (const std::string& t : Split(f[3], ',')) ran.insert(std::stoi(t));
        }
    }
    return map;
}

// The tests that run a mutant's lines. A line without code (a constant, a
// declaration) is used wherever its file uses it: then every test that
// runs any line of the file. A mutant on lines no test runs changes
// nothing any test sees.
std::set<int> TestsFor(const Mutant& m, const CoverageMap& map) {
    std::set<int> tests;
    const auto code = map.code.find(m.file);
    const auto ran = map.ran.find(m.file);
    if (code == map.code.end() || ran == map.ran.end()) return tests;
    bool any_code = false;
    for (int line : m.lines) {
        if (!code->second.count(line)) continue;
        any_code = true;
        if (const auto r = ran->second.find(line); r != ran->second.end())
            tests.insert(r->second.begin(), r->second.end());
    }
    if (!any_code)
        for (const auto& [line, by] : ran->second) tests.insert(by.begin(), by.end());
    return tests;
}

constexpr double kQuickSeconds = 0.5;

// One line a mutant: id, number of tests, then the quick tests' seconds and
// names (joined by ':', "-" for none), then the slow ones'.
int Plan(const std::string& root, const std::string& map_path, const std::vector<std::string>& files) {
    const CoverageMap map = ReadMap(map_path);
    for (const std::string& file : files) {
        for (const Mutant& m : mutate::MutantsOf(file, ReadFile(root + "/" + file))) {
            const std::set<int> covering = TestsFor(m, map);
            std::vector<int> tests(covering.begin(), covering.end());
            // The quickest first: a mutant is usually caught by a quick test.
            std::stable_sort(tests.begin(), tests.end(), [&](int a, int b) {
                return map.tests[static_cast<size_t>(a)].seconds < map.tests[static_cast<size_t>(b)].seconds;
            });
            // Two groups, each run in one process: the quick tests, and
            // only if they all pass, the slow ones.
            double seconds[2] = {0, 0};
            std::string names[2];
            for (int t : tests) {
                const TestInfo& info = map.tests[static_cast<size_t>(t)];
                const int slow = info.seconds >= kQuickSeconds ? 1 : 0;
                seconds[slow] += info.seconds;
                names[slow] += (names[slow].empty() ? "" : ":") + info.name;
            }
            std::printf("%s\t%zu\t%.2f\t%s\t%.2f\t%s\n", m.id.c_str(), tests.size(), seconds[0],
                        names[0].empty() ? "-" : names[0].c_str(), seconds[1], names[1].empty() ? "-" : names[1].c_str());
        }
    }
    return 0;
}

// --- The report --------------------------------------------------------------

struct Tally {
    int made = 0, killed = 0, survived = 0, timed_out = 0, unbuilt = 0;
    std::vector<std::string> survivors;
};

int Report(const std::string& root, const std::string& results_path) {
    std::map<std::string, Tally> by_file;
    std::map<std::string, std::vector<std::string>> sources;
    std::istringstream in(ReadFile(results_path));
    double seconds = 0;
    for (std::string row; std::getline(in, row);) {
        const std::vector<std::string> f = Split(row, '\t');
        if (f.size() < 4) continue;
        const std::string& id = f[0];
        const std::vector<std::string> where = Split(id, ':');
        Tally& t = by_file[where[0]];
        seconds += std::stod(f[2]);
        ++t.made;
        if (f[1] == "killed") ++t.killed;
        if (f[1] == "timeout") ++t.timed_out;
        if (f[1] == "unbuilt") ++t.unbuilt;
        if (f[1] == "survived" || f[1] == "uncovered") {
            ++t.survived;
            if (!sources.count(where[0])) sources[where[0]] = Split(ReadFile(root + "/" + where[0]), '\n');
            const std::vector<std::string>& lines = sources[where[0]];
            const size_t line = static_cast<size_t>(std::stoi(where[1]));
            std::string code = line - 1 < lines.size() ? lines[line - 1] : "";
            code.erase(0, code.find_first_not_of(' '));
            t.survivors.push_back("  " + id + (f[1] == "uncovered" ? " (no test runs it)" : "") + "  " + f[3] +
                                  "\n      " + code);
        }
    }
    Tally all;
    for (const auto& [file, t] : by_file) {
        std::printf("%s: %d made, %d killed, %d survived, %d timed out, %d not built\n", file.c_str(), t.made,
                    t.killed, t.survived, t.timed_out, t.unbuilt);
        for (const std::string& s : t.survivors) std::printf("%s\n", s.c_str());
        all.made += t.made;
        all.killed += t.killed;
        all.survived += t.survived;
        all.timed_out += t.timed_out;
        all.unbuilt += t.unbuilt;
    }
    const int built = all.made - all.unbuilt;
    std::printf("all: %d made, %d killed, %d survived, %d timed out, %d not built; "
                "%.1f %% of the %d built mutants killed (timeouts counted as killed); %.0f s of runs\n",
                all.made, all.killed, all.survived, all.timed_out, all.unbuilt,
                built > 0 ? 100.0 * (all.killed + all.timed_out) / built : 0.0, built, seconds);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() >= 2 && args[0] == "list") return List(args[1], {args.begin() + 2, args.end()});
        if (args.size() == 3 && args[0] == "apply") return Apply(args[1], args[2]);
        if (args.size() >= 3 && args[0] == "schema") return Schema(args[1], args[2], {args.begin() + 3, args.end()});
        if (args.size() == 5 && args[0] == "culprits")
            return Culprits(args[1], args[2], std::stoi(args[3]), std::stoi(args[4]));
        if (args.size() == 5 && args[0] == "covmap") return CovMap(args[1], args[2], args[3], args[4]);
        if (args.size() >= 3 && args[0] == "plan") return Plan(args[1], args[2], {args.begin() + 3, args.end()});
        if (args.size() == 3 && args[0] == "report") return Report(args[1], args[2]);
    } catch (const std::exception& e) {
        std::cerr << "roofrider-mutate: " << e.what() << "\n";
        return 1;
    }
    std::cerr << "usage: roofrider-mutate list|apply|covmap|plan|report ... (see tools/mutate/main.cpp)\n";
    return 2;
}
