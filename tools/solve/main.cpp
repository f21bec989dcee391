// marlipan-solve: solves sliding-tile boards of 3 x 3 to 7 x 7 (see solvetool.h and
// the manual page marlipan-solve(1)).
#include <iostream>
#include <string>
#include <vector>

#include "tools/solve/solvetool.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    return RunSolveTool(std::vector<std::string>(argv + 1, argv + argc), std::cin, std::cout, std::cerr);
}
