// The mutants of one source file: small changes a test should notice,
// found by reading the file's tokens and statements. The same text always
// gives the same list, in the same order, with the same names.
#pragma once

#include <string>
#include <vector>

namespace mutate {

struct Mutant {
    std::string id;         // "file:line:n", n counting the mutants that start on that line
    std::string file;       // as given (relative to the source root)
    int line = 0;           // first line changed
    std::vector<int> lines; // every line the change touches (a swap: both statements)
    std::string kind;       // compare, arith, constant, negate, delete, swap
    std::string change;     // what was changed, on one line
    size_t begin = 0;       // the replaced span of the original text
    size_t end = 0;
    std::string replacement;

    // For building many mutants into one program, each switched on by
    // ROOFRIDER_MUTANT (see Schema).
    bool switchable = false;  // the change can be chosen at run time where it stands
    size_t outer_begin = 0;   // what the switch chooses between two versions of:
    size_t outer_end = 0;     // the expression around an operator, the literal, the statement
    std::vector<std::pair<size_t, size_t>> statements;  // a swap: the spans of its two statements
};

// The mutants of `text`, the contents of `file`.
std::vector<Mutant> MutantsOf(const std::string& file, const std::string& text);

// `text` with the mutant applied.
std::string Apply(const std::string& text, const Mutant& m);

// `text` with every switchable mutant of `mutants` (all of them from this
// text) not in `left_out` built in: mutant number n (its place in
// `mutants`, from 1) is on when the environment variable ROOFRIDER_MUTANT
// is n. Each switch is marked by comments that SchemaCulprits reads.
// `included` receives the numbers built in.
std::string Schema(const std::string& text, const std::vector<Mutant>& mutants, const std::vector<int>& left_out,
                   std::vector<int>& included);

// The numbers of the mutants whose switch holds (line, column) of a schema
// text, innermost first: what to leave out when a schema does not compile.
std::vector<int> SchemaCulprits(const std::string& schema, int line, int column);

}  // namespace mutate
