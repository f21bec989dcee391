#pragma once
#include <iosfwd>
#include <string>
#include <vector>

namespace solver {
class TableStore;
}

// marlipan-solve: the solver on the command line, as a function so that tests drive the
// same code as the program. `args` are the arguments after the program's name; `tables`
// is the store to use (null: the store the options ask for, made here). Returns the exit
// status: 0, 1 when a board was bad, 2 for a usage error.
int RunSolveTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err,
                 solver::TableStore* tables = nullptr);
