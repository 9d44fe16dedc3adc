// Finding the mutants of a source file.
//
// The file is read as tokens (comments, strings and preprocessor lines set
// aside) and walked once with a stack of braces, which tells the bodies of
// functions and blocks (whose statements may be removed or swapped) from
// namespaces, classes and brace initialisers. The operators are found by
// the way this code base is formatted: a binary operator has a blank on
// both sides, a template's angle brackets have none.
#include "source_mutants.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

namespace mutate {
namespace {

enum class Tok { Ident, Number, String, Punct };

struct Token {
    Tok kind;
    std::string text;
    size_t begin, end;  // [begin, end) in the text
    int line;
};

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::vector<Token> Tokenize(const std::string& s) {
    static const char* const kPuncts[] = {"<=>", "<<=", ">>=", "...", "::", "->", "<=", ">=", "==", "!=",
                                          "&&",  "||",  "+=",  "-=",  "*=", "/=", "%=", "|=", "&=", "^=",
                                          "++",  "--",  "<<",  ">>"};
    std::vector<Token> out;
    size_t i = 0;
    int line = 1;
    bool line_start = true;
    auto skip_to_eol = [&] {
        while (i < s.size() && s[i] != '\n') ++i;
    };
    while (i < s.size()) {
        const char c = s[i];
        const char next = i + 1 < s.size() ? s[i + 1] : '\0';
        if (c == '\n') {
            ++line;
            line_start = true;
            ++i;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        if (c == '#' && line_start) {  // a preprocessor line, with its continuations
            while (i < s.size() && s[i] != '\n') {
                if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == '\n') {
                    ++line;
                    ++i;
                }
                ++i;
            }
            continue;
        }
        line_start = false;
        if (c == '/' && next == '/') {
            skip_to_eol();
            continue;
        }
        if (c == '/' && next == '*') {
            i += 2;
            while (i + 1 < s.size() && !(s[i] == '*' && s[i + 1] == '/')) {
                if (s[i] == '\n') ++line;
                ++i;
            }
            i += 2;
            continue;
        }
        const size_t begin = i;
        if (c == '"' || c == '\'') {
            ++i;
            while (i < s.size() && s[i] != c) {
                if (s[i] == '\\') ++i;
                ++i;
            }
            ++i;
            out.push_back({Tok::String, s.substr(begin, i - begin), begin, i, line});
            continue;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) || (c == '.' && std::isdigit(static_cast<unsigned char>(next)))) {
            const bool hex = c == '0' && (next == 'x' || next == 'X');
            while (i < s.size()) {
                const char d = s[i];
                if (IsIdentChar(d) || d == '.' || d == '\'') {
                    ++i;
                } else if ((d == '+' || d == '-') && !hex && (s[i - 1] == 'e' || s[i - 1] == 'E')) {
                    ++i;
                } else {
                    break;
                }
            }
            out.push_back({Tok::Number, s.substr(begin, i - begin), begin, i, line});
            continue;
        }
        if (IsIdentStart(c)) {
            while (i < s.size() && IsIdentChar(s[i])) ++i;
            std::string word = s.substr(begin, i - begin);
            if (i < s.size() && s[i] == '"' && (word == "u8" || word == "u" || word == "U" || word == "L")) {
                ++i;  // a prefixed string
                while (i < s.size() && s[i] != '"') {
                    if (s[i] == '\\') ++i;
                    ++i;
                }
                ++i;
                out.push_back({Tok::String, s.substr(begin, i - begin), begin, i, line});
                continue;
            }
            out.push_back({Tok::Ident, word, begin, i, line});
            continue;
        }
        size_t length = 1;
        for (const char* p : kPuncts) {
            const size_t n = std::char_traits<char>::length(p);
            if (s.compare(i, n, p) == 0) {
                length = n;
                break;
            }
        }
        i += length;
        out.push_back({Tok::Punct, s.substr(begin, length), begin, i, line});
    }
    return out;
}

// The literal moved up by one, in its own base and with its own suffix.
std::string PlusOne(const std::string& literal) {
    std::string digits;
    for (char c : literal)
        if (c != '\'') digits += c;
    const bool hex = digits.size() > 1 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    size_t body = digits.size();
    const std::string suffix_chars = hex ? "uUlL" : "uUlLfF";
    while (body > 0 && suffix_chars.find(digits[body - 1]) != std::string::npos) --body;
    const std::string suffix = digits.substr(body);
    const std::string number = digits.substr(0, body);
    const bool floating = !hex && number.find_first_of(".eE") != std::string::npos;
    if (floating) {
        const double value = std::strtod(number.c_str(), nullptr) + 1.0;
        char buffer[64];
        for (int precision = 1; precision <= 17; ++precision) {
            std::snprintf(buffer, sizeof buffer, "%.*g", precision, value);
            if (std::strtod(buffer, nullptr) == value) break;
        }
        std::string text = buffer;
        if (text.find_first_of(".e") == std::string::npos) text += ".0";
        return text + suffix;
    }
    const unsigned long long value = std::strtoull(number.c_str(), nullptr, hex ? 16 : 10) + 1;
    char buffer[64];
    if (hex) {
        const bool upper = number.find_first_of("ABCDEF") != std::string::npos;
        std::snprintf(buffer, sizeof buffer, upper ? "0x%llX" : "0x%llx", value);
    } else {
        std::snprintf(buffer, sizeof buffer, "%llu", value);
    }
    return buffer + suffix;
}

// One line of text: runs of blanks made one blank, cut at 90 characters.
std::string OneLine(const std::string& text) {
    std::string out;
    for (char c : text) {
        const bool blank = std::isspace(static_cast<unsigned char>(c));
        if (blank && (out.empty() || out.back() == ' ')) continue;
        out += blank ? ' ' : c;
    }
    if (out.size() > 90) out = out.substr(0, 87) + "...";
    return out;
}

enum class Frame { Namespace, Class, Code, Init };
enum class Stmt { Expr, Decl, Jump };

// A statement of a function body; the parts a swap needs to judge whether
// the order of two statements matters.
struct Statement {
    size_t first = 0, last = 0;  // token indices, last is the ';'
    Stmt kind = Stmt::Expr;
    bool removable = false;
    std::set<std::string> writes, reads;
    bool effect = false;   // a call whose effects are unknown
    std::string callee;    // for a bare call: the function or method called
    std::string receiver;  // and the object it acts on, if that is a name
};

struct FrameState {
    Frame kind;
    int paren_base;
    long open = -1;           // token index where the open statement starts
    Stmt open_kind = Stmt::Expr;
    long previous = -1;       // the statement just before, if nothing came between
    bool after_default = false;
    int switch_line = 0;      // for the body of a switch: the line of its switch
};

const std::set<std::string> kDeclarationWords = {
    "const",   "constexpr", "static",  "auto",     "thread_local", "using",   "typedef",  "struct",
    "class",   "enum",      "union",   "unsigned", "signed",       "int",     "char",     "bool",
    "double",  "float",     "long",    "short",    "void",         "volatile", "extern",  "inline",
    "template", "typename", "friend",  "virtual",  "mutable",      "namespace"};
const std::set<std::string> kNotNames = {"static_cast", "reinterpret_cast", "const_cast", "sizeof",
                                          "true",        "false",            "nullptr",    "this"};

class Generator {
public:
    Generator(const std::string& file, const std::string& text)
        : file_(file), text_(text), t_(Tokenize(text)) {}

    std::vector<Mutant> Run() {
        WalkStatements();
        TokenMutants();
        std::sort(out_.begin(), out_.end(), [](const Mutant& a, const Mutant& b) {
            return std::tie(a.line, a.begin, a.kind, a.end, a.replacement) <
                   std::tie(b.line, b.begin, b.kind, b.end, b.replacement);
        });
        int previous_line = -1, n = 0;
        for (Mutant& m : out_) {
            n = m.line == previous_line ? n + 1 : 1;
            previous_line = m.line;
            m.id = file_ + ":" + std::to_string(m.line) + ":" + std::to_string(n);
        }
        return out_;
    }

private:
    const Token& At(size_t k) const {
        static const Token kEnd{Tok::Punct, "", 0, 0, 0};
        return k < t_.size() ? t_[k] : kEnd;
    }
    bool Is(size_t k, const char* text) const { return k < t_.size() && t_[k].text == text; }
    bool BlankBefore(size_t k) const { return t_[k].begin > 0 && text_[t_[k].begin - 1] == ' '; }
    bool BlankAfter(size_t k) const { return t_[k].end < text_.size() && text_[t_[k].end] == ' '; }
    bool Spaced(size_t k) const { return BlankBefore(k) && BlankAfter(k); }

    // The index of the token that closes the bracket at k.
    size_t Matching(size_t k) const {
        const std::string open = t_[k].text;
        const std::string close = open == "(" ? ")" : open == "[" ? "]" : "}";
        int depth = 0;
        for (size_t j = k; j < t_.size(); ++j) {
            if (t_[j].kind != Tok::Punct) continue;
            if (t_[j].text == open) ++depth;
            if (t_[j].text == close && --depth == 0) return j;
        }
        return t_.size() - 1;
    }

    std::string Text(size_t first, size_t last) const {
        return text_.substr(t_[first].begin, t_[last].end - t_[first].begin);
    }

    Mutant& Add(const std::string& kind, size_t begin, size_t end, const std::string& replacement,
                const std::string& change, std::vector<int> lines) {
        const int first = lines.front();  // where the change is
        std::sort(lines.begin(), lines.end());
        lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
        Mutant m;
        m.file = file_;
        m.line = first;
        m.lines = lines;
        m.kind = kind;
        m.change = change;
        m.begin = begin;
        m.end = end;
        m.replacement = replacement;
        m.outer_begin = begin;
        m.outer_end = end;
        out_.push_back(m);
        return out_.back();
    }

    std::vector<int> LinesOf(size_t first, size_t last) const {
        std::vector<int> lines;
        for (int l = t_[first].line; l <= t_[last].line; ++l) lines.push_back(l);
        return lines;
    }

    // --- Operators and constants ------------------------------------------

    void TokenMutants() {
        for (size_t k = 0; k < t_.size(); ++k) {
            const Token& tok = t_[k];
            std::vector<int> line{tok.line};
            if (auto s = switch_line_of_.find(k); s != switch_line_of_.end() && s->second > 0)
                line.push_back(s->second);
            if (tok.kind == Tok::Number) {
                if (array_sizes_.count(k)) continue;
                const std::string moved = PlusOne(tok.text);
                Mutant& m = Add("constant", tok.begin, tok.end, moved, "`" + tok.text + "` -> `" + moved + "`", line);
                // A literal in a brace initialiser would narrow once it is
                // no longer a constant.
                m.switchable = runtime_.at(k) && !in_braces_.at(k);
                continue;
            }
            if (tok.kind != Tok::Punct || !Spaced(k)) continue;
            auto add_operator = [&](const char* kind, const std::string& to) {
                Mutant& m = Add(kind, tok.begin, tok.end, to, "`" + tok.text + "` -> `" + to + "`", line);
                const auto [first, last] = ExpressionAround(k);
                m.outer_begin = t_[first].begin;
                m.outer_end = t_[last].end;
                m.switchable = runtime_.at(k);
            };
            static const std::pair<const char*, const char*> kCompare[] = {
                {"<", "<="}, {"<=", "<"}, {">", ">="}, {">=", ">"}};
            for (const auto& [from, to] : kCompare)
                if (tok.text == from) add_operator("compare", to);
            static const std::pair<const char*, const char*> kArith[] = {
                {"+", "-"}, {"-", "+"}, {"+=", "-="}, {"-=", "+="}};
            const bool beside_string = At(k - 1).kind == Tok::String || At(k + 1).kind == Tok::String;
            for (const auto& [from, to] : kArith)
                if (tok.text == from && !beside_string) add_operator("arith", to);
            if ((tok.text == "==" || tok.text == "!=") && !in_condition_.count(k))
                add_operator("negate", tok.text == "==" ? "!=" : "==");
        }
    }

    // --- The expression around a binary operator --------------------------

    // The precedence of a binary operator at k (higher binds tighter), or
    // -1. Binary operators are written with blanks around them; a `-`, `*`
    // or `&` without is unary, a `<` or `>` without a template bracket.
    int BinaryPrecedence(size_t k) const {
        const Token& tok = t_[k];
        if (tok.kind != Tok::Punct) return -1;
        static const std::map<std::string, int> kLevels = {
            {"*", 13},  {"/", 13},  {"%", 13},  {"+", 12},  {"-", 12},  {"<<", 11}, {">>", 11}, {"<", 9},
            {"<=", 9},  {">", 9},   {">=", 9},  {"==", 8},  {"!=", 8},  {"&", 7},   {"^", 6},   {"|", 5},
            {"&&", 4},  {"||", 3},  {"=", 2},   {"+=", 2},  {"-=", 2},  {"*=", 2},  {"/=", 2},  {"%=", 2},
            {"|=", 2},  {"&=", 2},  {"^=", 2},  {"<<=", 2}, {">>=", 2}};
        const auto level = kLevels.find(tok.text);
        if (level == kLevels.end() || !Spaced(k)) return -1;
        return level->second;
    }

    bool TemplateOpen(size_t k) const { return Is(k, "<") && !BlankBefore(k) && At(k - 1).kind == Tok::Ident; }
    bool TemplateClose(size_t k) const { return (Is(k, ">") || Is(k, ">>")) && !BlankBefore(k); }

    size_t MatchingBack(size_t k) const {
        const std::string close = t_[k].text;
        const std::string open = close == ")" ? "(" : close == "]" ? "[" : "{";
        int depth = 0;
        for (size_t j = k + 1; j-- > 0;) {
            if (t_[j].kind != Tok::Punct) continue;
            if (t_[j].text == close) ++depth;
            if (t_[j].text == open && --depth == 0) return j;
        }
        return 0;
    }
    size_t MatchingAngle(size_t k) const {
        int depth = 0;
        for (size_t j = k; j < t_.size(); ++j) {
            if (t_[j].text == "<") ++depth;
            if (t_[j].text == ">") --depth;
            if (t_[j].text == ">>") depth -= 2;
            if (depth <= 0) return j;
        }
        return t_.size() - 1;
    }
    size_t MatchingAngleBack(size_t k) const {
        int depth = 0;
        for (size_t j = k + 1; j-- > 0;) {
            if (t_[j].text == ">") ++depth;
            if (t_[j].text == ">>") depth += 2;
            if (t_[j].text == "<" && --depth <= 0) return j;
        }
        return 0;
    }

    // The first and last token of the expression whose operator is at k:
    // its left operand runs back over operators that bind at least as
    // tightly, its right one forward over those that bind more tightly
    // (an assignment takes everything to its right).
    std::pair<size_t, size_t> ExpressionAround(size_t k) const {
        const int p = BinaryPrecedence(k);
        static const std::set<std::string> kStops = {"(", "[", "{", ",", ";", "?", ":"};
        static const std::set<std::string> kStopWords = {"return", "case", "throw", "else", "do"};
        size_t first = k;
        while (first > 0) {
            const size_t i = first - 1;
            const Token& tok = t_[i];
            if (tok.kind == Tok::Ident && kStopWords.count(tok.text)) break;
            if (tok.kind == Tok::Punct) {
                if (tok.text == ")" || tok.text == "]" || tok.text == "}") {
                    // A bracket just before a name ends what came before
                    // (an if's condition, a block), not an operand.
                    if (t_[first].kind != Tok::Punct) break;
                    first = MatchingBack(i);
                    continue;
                }
                if (TemplateClose(i)) {
                    first = MatchingAngleBack(i);
                    continue;
                }
                if (kStops.count(tok.text)) break;
                const int q = BinaryPrecedence(i);
                if (q >= 0 && (p == 2 || q < p || q == 2)) break;
            }
            first = i;
        }
        size_t last = k;
        while (last + 1 < t_.size()) {
            const size_t i = last + 1;
            const Token& tok = t_[i];
            if (tok.kind == Tok::Punct) {
                if (tok.text == "(" || tok.text == "[" || tok.text == "{") {
                    last = Matching(i);
                    continue;
                }
                if (TemplateOpen(i)) {
                    last = MatchingAngle(i);
                    continue;
                }
                if (tok.text == ")" || tok.text == "]" || tok.text == "}" || tok.text == "," || tok.text == ";") break;
                if ((tok.text == "?" || tok.text == ":") && p != 2) break;
                const int q = BinaryPrecedence(i);
                if (q >= 0 && !(q > p || (p == 2 && q >= 2))) break;
            }
            last = i;
        }
        return {first, last};
    }

    // --- Statements ---------------------------------------------------------

    Frame KindOfBrace(size_t k, const FrameState& top, int depth) const {
        if (top.kind == Frame::Init) return Frame::Init;
        const Token& prev = At(k - 1);
        const bool in_parens = depth > top.paren_base;
        if (prev.text == "]" || prev.text == "mutable") return Frame::Code;  // a lambda
        if (prev.text == ")" || prev.text == "const" || prev.text == "override" || prev.text == "noexcept" ||
            prev.text == "final")
            return Frame::Code;
        if (in_parens) return Frame::Init;
        if (prev.text == "namespace" || At(k - 2).text == "namespace" || prev.kind == Tok::String)
            return Frame::Namespace;
        for (size_t j = k; j-- > 0;) {
            const std::string& w = t_[j].text;
            if (w == ";" || w == "{" || w == "}") break;
            if (w == "struct" || w == "class" || w == "enum" || w == "union") return Frame::Class;
        }
        if (top.kind == Frame::Code &&
            (prev.text == "else" || prev.text == "do" || prev.text == "try" || prev.text == ";" || prev.text == "{" ||
             prev.text == "}" || prev.text == ":"))
            return Frame::Code;
        return Frame::Init;
    }

    bool IsDeclaration(size_t k) const {
        if (t_[k].kind != Tok::Ident) return false;
        if (kDeclarationWords.count(t_[k].text)) return true;
        size_t j = k;
        while (j < t_.size() && t_[j].kind == Tok::Ident) {
            ++j;
            if (Is(j, "<") && !BlankBefore(j)) {  // template arguments
                int depth = 0;
                for (; j < t_.size(); ++j) {
                    if (t_[j].text == "<") ++depth;
                    if (t_[j].text == ">") --depth;
                    if (t_[j].text == ">>") depth -= 2;
                    if (depth <= 0) break;
                }
                ++j;
            }
            if (!Is(j, "::")) break;
            ++j;
        }
        while (Is(j, "*") || Is(j, "&") || Is(j, "&&") || Is(j, "const")) ++j;
        return j < t_.size() && t_[j].kind == Tok::Ident;
    }

    // The names an expression statement reads and writes, and whether it
    // calls something whose effects are unknown.
    void Analyse(Statement& s) const {
        struct Path {
            std::string text;
            bool called;
        };
        std::vector<std::pair<Path, size_t>> paths;  // with the token that ends each
        long assignment = -1;
        int depth = 0;
        for (size_t k = s.first; k < s.last; ++k) {
            const Token& tok = t_[k];
            if (tok.text == "(" || tok.text == "[" || tok.text == "{") ++depth;
            if (tok.text == ")" || tok.text == "]" || tok.text == "}") --depth;
            static const std::set<std::string> kAssign = {"=", "+=", "-=", "*=", "/=", "%=", "|=", "&=", "^="};
            if (depth == 0 && assignment < 0 && tok.kind == Tok::Punct && kAssign.count(tok.text))
                assignment = static_cast<long>(k);
            const bool member = k > 0 && (At(k - 1).text == "." || At(k - 1).text == "->" || At(k - 1).text == "::");
            if (tok.kind != Tok::Ident || member || kNotNames.count(tok.text)) continue;
            std::string path = tok.text;
            size_t j = k + 1;
            while (j < s.last) {
                if ((Is(j, ".") || Is(j, "->") || Is(j, "::")) && At(j + 1).kind == Tok::Ident) {
                    path += "." + t_[j + 1].text;
                    j += 2;
                } else if (Is(j, "[")) {
                    path += "[]";
                    j = Matching(j) + 1;
                } else {
                    break;
                }
            }
            paths.push_back({{path, Is(j, "(")}, j});
        }
        const auto [first_path, after_first] = paths.empty() ? std::pair<Path, size_t>{{"", false}, 0} : paths.front();
        if (assignment >= 0) {
            s.writes.insert(first_path.text);
            for (size_t p = 1; p < paths.size(); ++p) s.reads.insert(paths[p].first.text);
            if (t_[static_cast<size_t>(assignment)].text != "=") s.reads.insert(first_path.text);
            return;
        }
        if (Is(s.first, "++") || Is(s.first, "--") || Is(s.last - 1, "++") || Is(s.last - 1, "--")) {
            s.writes.insert(first_path.text);
            return;
        }
        for (size_t p = 1; p < paths.size(); ++p) s.reads.insert(paths[p].first.text);
        if (first_path.called && Matching(after_first) + 1 == s.last) {
            // A bare call. A property setter of a control changes that
            // property only (Move changes all four of its edges); any other
            // call may do anything.
            // An unqualified setter sets a property of this window, or of
            // its first argument (SetKey(*surface, colour)).
            const size_t dot = first_path.text.rfind('.');
            const bool through_dot = dot != std::string::npos && Is(after_first - 2, ".");
            const bool unqualified = dot == std::string::npos;
            const std::string method = unqualified ? first_path.text : first_path.text.substr(dot + 1);
            std::string receiver = through_dot ? first_path.text.substr(0, dot) : "this";
            if (unqualified && paths.size() > 1 && paths[1].second <= Matching(after_first) &&
                (At(after_first + 1).kind == Tok::Ident || Is(after_first + 1, "*")))
                receiver = paths[1].first.text;
            if ((through_dot || unqualified) && method.rfind("Set", 0) == 0) {
                s.writes.insert(receiver + "." + method.substr(3));
            } else if ((through_dot || unqualified) && method == "Move") {
                s.writes.insert(receiver + ".*");
            } else {
                s.effect = true;
                s.callee = method;
                if (receiver != "this") s.receiver = receiver;
            }
            return;
        }
        s.effect = true;
    }

    static bool Overlap(const std::string& a, const std::string& b) {
        auto covers = [](const std::string& whole, const std::string& part) {
            if (whole.size() >= 2 && whole.compare(whole.size() - 2, 2, ".*") == 0) {
                const std::string base = whole.substr(0, whole.size() - 1);
                return part.rfind(base, 0) == 0 || part + "." == base;
            }
            if (part.rfind(whole, 0) != 0) return false;
            return part.size() == whole.size() || part[whole.size()] == '.' || part[whole.size()] == '[';
        };
        return covers(a, b) || covers(b, a);
    }

    static bool OrderMatters(const Statement& a, const Statement& b) {
        // The same call on two different objects (two labels laid out, two
        // pictures loaded) is taken to act on each alone.
        const bool separate = a.callee == b.callee && !a.receiver.empty() && !b.receiver.empty() &&
                              !Overlap(a.receiver, b.receiver);
        if (a.effect && b.effect && !separate) return true;
        for (const std::string& w : a.writes) {
            for (const std::string& x : b.writes)
                if (Overlap(w, x)) return true;
            for (const std::string& x : b.reads)
                if (Overlap(w, x)) return true;
        }
        for (const std::string& w : b.writes)
            for (const std::string& x : a.reads)
                if (Overlap(w, x)) return true;
        return false;
    }

    void EndStatement(FrameState& top, size_t last) {
        Statement s;
        s.first = static_cast<size_t>(top.open);
        s.last = last;
        s.kind = top.open_kind;
        const bool bare_jump = s.kind == Stmt::Jump && last == s.first + 1 &&
                               (Is(s.first, "return") || Is(s.first, "break") || Is(s.first, "continue"));
        // A break that ends the last case, or the default's only one, changes nothing.
        const bool idle_break = Is(s.first, "break") &&
                                (top.after_default || Is(last + 1, "}") ||
                                 (Is(last + 1, "default") && (Is(last + 3, "break") || Is(last + 3, "}"))));
        s.removable = s.kind == Stmt::Expr || (bare_jump && !idle_break);
        if (s.kind == Stmt::Expr) Analyse(s);
        const long index = static_cast<long>(statements_.size());
        statements_.push_back(s);
        if (s.removable) {
            Add("delete", t_[s.first].begin, t_[last].end, "{}", "removed `" + OneLine(Text(s.first, last)) + "`",
                LinesOf(s.first, last))
                .switchable = true;
        }
        if (Is(s.first, "static") || Is(s.first, "constexpr"))
            for (size_t k = s.first; k <= last; ++k) runtime_.at(k) = false;
        if (top.previous >= 0 && s.kind == Stmt::Expr) {
            const Statement& p = statements_[static_cast<size_t>(top.previous)];
            if (p.kind == Stmt::Expr && OrderMatters(p, s)) {
                const size_t begin = t_[p.first].begin, end = t_[last].end;
                const std::string between = text_.substr(t_[p.last].end, t_[s.first].begin - t_[p.last].end);
                std::vector<int> lines = LinesOf(p.first, p.last);
                for (int l : LinesOf(s.first, last)) lines.push_back(l);
                Mutant& m =
                    Add("swap", begin, end, Text(s.first, last) + between + Text(p.first, p.last),
                        "swapped `" + OneLine(Text(p.first, p.last)) + "` and `" + OneLine(Text(s.first, last)) + "`",
                        lines);
                m.switchable = true;
                m.statements = {{t_[p.first].begin, t_[p.last].end}, {t_[s.first].begin, t_[last].end}};
            }
        }
        top.previous = index;
        top.open = -1;
    }

    void WalkStatements() {
        std::vector<FrameState> frames{{Frame::Namespace, 0}};
        int depth = 0;
        runtime_.assign(t_.size(), false);
        in_braces_.assign(t_.size(), false);
        for (size_t k = 0; k < t_.size(); ++k) {
            FrameState& top = frames.back();
            const Token& tok = t_[k];
            const bool in_code = std::any_of(frames.begin(), frames.end(),
                                             [](const FrameState& f) { return f.kind == Frame::Code; });
            runtime_[k] = in_code;
            in_braces_[k] = top.kind == Frame::Init;
            if (top.kind != Frame::Code && top.kind != Frame::Init && tok.kind == Tok::Number && Is(k - 1, "[") &&
                Is(k + 1, "]"))
                array_sizes_.insert(k);  // the size of a declared array
            if (top.kind == Frame::Code && depth == top.paren_base && top.open < 0) {
                const std::string& w = tok.text;
                if (w == "{" && tok.kind == Tok::Punct) {
                    top.previous = -1;
                    frames.push_back({Frame::Code, depth});
                    frames.back().switch_line = pending_switch_line;
                    pending_switch_line = 0;
                    continue;
                }
                if (w == ";" && tok.kind == Tok::Punct) continue;
                if (w == "if" || w == "while" || w == "for" || w == "switch" || w == "catch") {
                    size_t open = k + 1;
                    if (Is(open, "constexpr")) ++open;
                    const size_t close = Matching(open);
                    if ((w == "if" || w == "while") && open == k + 1) {
                        for (size_t j = open; j <= close; ++j) in_condition_.insert(j);
                        const std::string condition = Text(open + 1, close - 1);
                        Add("negate", t_[open].begin, t_[close].end, "(!(" + condition + "))",
                            "negated `" + w + " (" + OneLine(condition) + ")`", LinesOf(k, close))
                            .switchable = true;
                    }
                    top.previous = -1;
                    pending_switch_line = w == "switch" ? tok.line : 0;
                    for (size_t j = k; j <= close; ++j) runtime_[j] = in_code;
                    k = close;
                    continue;
                }
                if (w == "else" || w == "do" || w == "try") {
                    top.previous = -1;
                    continue;
                }
                if (w == "case" || w == "default") {
                    size_t j = k + 1;
                    while (j < t_.size() && !(t_[j].kind == Tok::Punct && t_[j].text == ":")) ++j;
                    // A label's value is used where the switch chooses.
                    for (size_t l = k; l <= j; ++l) {
                        switch_line_of_.emplace(l, top.switch_line);
                        runtime_[l] = false;
                    }
                    top.previous = -1;
                    top.after_default = w == "default";
                    k = j;
                    continue;
                }
                if (w != "}") {
                    top.open = static_cast<long>(k);
                    if (w == "return" || w == "break" || w == "continue" || w == "throw" || w == "goto")
                        top.open_kind = Stmt::Jump;
                    else
                        top.open_kind = IsDeclaration(k) ? Stmt::Decl : Stmt::Expr;
                }
            }
            if (tok.kind != Tok::Punct) continue;
            const std::string& p = tok.text;
            if (p == "(" || p == "[") ++depth;
            if (p == ")" || p == "]") --depth;
            if (p == "{") {
                frames.push_back({KindOfBrace(k, top, depth), depth});
            } else if (p == "}") {
                if (frames.size() > 1) frames.pop_back();
                FrameState& outer = frames.back();
                if (outer.open < 0) {
                    outer.previous = -1;
                    outer.after_default = false;
                }
            } else if (p == ";" && top.kind == Frame::Code && depth == top.paren_base && top.open >= 0) {
                EndStatement(top, k);
            }
        }
    }

    const std::string& file_;
    const std::string& text_;
    std::vector<Token> t_;
    std::vector<Mutant> out_;
    std::vector<Statement> statements_;
    std::set<size_t> in_condition_;
    std::set<size_t> array_sizes_;
    std::map<size_t, int> switch_line_of_;  // tokens of case labels
    std::vector<bool> runtime_;    // tokens of code that runs (not a constant expression)
    std::vector<bool> in_braces_;  // tokens of a brace initialiser
    int pending_switch_line = 0;
};

}  // namespace

std::vector<Mutant> MutantsOf(const std::string& file, const std::string& text) {
    return Generator(file, text).Run();
}

std::string Apply(const std::string& text, const Mutant& m) {
    return text.substr(0, m.begin) + m.replacement + text.substr(m.end);
}

// --- Many mutants in one build -------------------------------------------------
//
// Each switch chooses between the original and the mutated version of the
// smallest thing around the change: `(RoofriderMutant(n) ? (a <= b) : (a < b))`
// for an operator or a literal, `{ if (!RoofriderMutant(n)) { s; } }` for a
// removed statement, and for statements swapped, the run of adjacent
// statements in each order. Switches nest: the two versions of an
// expression both carry the switches of its operands.

namespace {

struct Node {
    size_t begin = 0, end = 0;
    int number = 0;           // the mutant switched here (0 for a run of statements)
    const Mutant* mutant = nullptr;
    std::vector<std::pair<size_t, size_t>> statements;  // a run: its statements
    std::vector<int> swaps;   // a run: the mutant swapping statement i and i + 1
    std::vector<Node*> children;
    bool left_out = false;
};

class SchemaWriter {
public:
    explicit SchemaWriter(const std::string& text) : text_(text) {}

    std::string Render(size_t begin, size_t end, const std::vector<Node*>& children, const Mutant* change) const {
        std::string out;
        size_t at = begin;
        for (const Node* child : children) {
            out += Raw(at, child->begin, change);
            out += RenderNode(*child);
            at = child->end;
        }
        return out + Raw(at, end, change);
    }

private:
    // The original text, with the change's replacement if it lies inside.
    std::string Raw(size_t from, size_t to, const Mutant* change) const {
        if (change && change->begin >= from && change->end <= to)
            return text_.substr(from, change->begin - from) + change->replacement +
                   text_.substr(change->end, to - change->end);
        return text_.substr(from, to - from);
    }

    static std::string On(int n) { return "RoofriderMutant(" + std::to_string(n) + ")"; }

    std::string RenderNode(const Node& node) const {
        std::string numbers;
        for (int n : node.mutant ? std::vector<int>{node.number} : node.swaps)
            if (n > 0) numbers += (numbers.empty() ? "" : ",") + std::to_string(n);
        return "/*<" + numbers + "*/" + Body(node) + "/*>*/";
    }

    std::string Body(const Node& node) const {
        const std::string original = Render(node.begin, node.end, node.children, nullptr);
        if (!node.mutant) return Run(node);
        const Mutant& m = *node.mutant;
        if (m.kind == "delete") return "{ if (!" + On(node.number) + ") { " + original + " } }";
        if (m.kind == "negate" && m.replacement.rfind("(!(", 0) == 0)
            return "(" + On(node.number) + " ? !" + original + " : !!" + original + ")";
        const std::string changed = Render(node.begin, node.end, node.children, &m);
        return "(" + On(node.number) + " ? (" + changed + ") : (" + original + "))";
    }

    // A run of statements, once in each order the swaps give.
    std::string Run(const Node& node) const {
        std::vector<std::string> statement, between;
        for (size_t i = 0; i < node.statements.size(); ++i) {
            const auto [b, e] = node.statements[i];
            std::vector<Node*> inside;
            for (Node* c : node.children)
                if (c->begin >= b && c->end <= e) inside.push_back(c);
            statement.push_back(Render(b, e, inside, nullptr));
            if (i + 1 < node.statements.size())
                between.push_back(text_.substr(e, node.statements[i + 1].first - e));
        }
        auto in_order = [&](size_t swapped) {  // swapped: the swap's first statement, or none
            std::vector<std::string> order = statement;
            if (swapped < order.size()) std::swap(order[swapped], order[swapped + 1]);
            std::string out = order[0];
            for (size_t i = 1; i < order.size(); ++i) out += between[i - 1] + order[i];
            return out;
        };
        std::string out = "{ ";
        for (size_t i = 0; i < node.swaps.size(); ++i) {
            if (node.swaps[i] <= 0) continue;
            out += "if (" + On(node.swaps[i]) + ") { " + in_order(i) + " } else ";
        }
        return out + "{ " + in_order(std::string::npos) + " } }";
    }

    const std::string& text_;
};

// Runs of statements linked by swaps.
std::vector<Node> Runs(const std::vector<Mutant>& mutants, const std::set<int>& left_out) {
    std::vector<std::pair<const Mutant*, int>> swaps;
    for (size_t i = 0; i < mutants.size(); ++i)
        if (mutants[i].kind == "swap" && mutants[i].switchable && !left_out.count(static_cast<int>(i) + 1))
            swaps.push_back({&mutants[i], static_cast<int>(i) + 1});
    std::sort(swaps.begin(), swaps.end(),
              [](const auto& a, const auto& b) { return a.first->statements[0] < b.first->statements[0]; });
    std::vector<Node> runs;
    for (const auto& [m, number] : swaps) {
        if (runs.empty() || runs.back().statements.back() != m->statements[0]) {
            runs.emplace_back();
            runs.back().statements.push_back(m->statements[0]);
        }
        Node& run = runs.back();
        run.swaps.push_back(number);
        run.statements.push_back(m->statements[1]);
        run.begin = run.statements.front().first;
        run.end = run.statements.back().second;
    }
    return runs;
}

}  // namespace

std::string Schema(const std::string& text, const std::vector<Mutant>& mutants, const std::vector<int>& left_out,
                   std::vector<int>& included) {
    const std::set<int> out(left_out.begin(), left_out.end());
    std::vector<Node> nodes = Runs(mutants, out);
    for (size_t i = 0; i < mutants.size(); ++i) {
        const Mutant& m = mutants[i];
        const int number = static_cast<int>(i) + 1;
        if (!m.switchable || m.kind == "swap" || out.count(number)) continue;
        Node node;
        node.begin = m.outer_begin;
        node.end = m.outer_end;
        node.number = number;
        node.mutant = &m;
        nodes.push_back(node);
    }
    // Outer before inner; a switch that overlaps another without holding
    // it or lying inside it is left out.
    std::vector<Node*> order;
    for (Node& n : nodes) order.push_back(&n);
    std::stable_sort(order.begin(), order.end(), [](const Node* a, const Node* b) {
        return a->begin != b->begin ? a->begin < b->begin : a->end > b->end;
    });
    std::vector<Node*> roots, open;
    for (Node* n : order) {
        while (!open.empty() && open.back()->end <= n->begin) open.pop_back();
        if (!open.empty() && n->end > open.back()->end) {
            n->left_out = true;
            continue;
        }
        (open.empty() ? roots : open.back()->children).push_back(n);
        open.push_back(n);
    }
    included.clear();
    for (const Node& n : nodes) {
        if (n.left_out) continue;
        if (n.mutant) included.push_back(n.number);
        for (int s : n.swaps) included.push_back(s);
    }
    std::sort(included.begin(), included.end());
    const std::string header =
        "#include <cstdlib>\n"
        "static bool RoofriderMutant(int n) { static const int on = [] { const char* v = "
        "std::getenv(\"ROOFRIDER_MUTANT\"); return v ? std::atoi(v) : 0; }(); return on == n; }\n";
    return header + SchemaWriter(text).Render(0, text.size(), roots, nullptr);
}

std::vector<int> SchemaCulprits(const std::string& schema, int line, int column) {
    size_t at = 0;
    for (int l = 1; l < line; ++l) {
        at = schema.find('\n', at);
        if (at == std::string::npos) return {};
        ++at;
    }
    at += static_cast<size_t>(std::max(column - 1, 0));
    std::vector<std::string> open;  // the numbers of the switches open at `at`
    for (size_t i = 0; i < at && i < schema.size(); ++i) {
        if (schema.compare(i, 3, "/*<") == 0) {
            open.push_back(schema.substr(i + 3, schema.find("*/", i) - i - 3));
        } else if (schema.compare(i, 5, "/*>*/") == 0 && !open.empty()) {
            open.pop_back();
        }
    }
    std::vector<int> culprits;
    for (auto it = open.rbegin(); it != open.rend(); ++it) {
        std::istringstream numbers(*it);
        for (std::string n; std::getline(numbers, n, ',');)
            if (!n.empty()) culprits.push_back(std::stoi(n));
    }
    return culprits;
}

}  // namespace mutate
