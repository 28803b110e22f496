// stmtool's entry: every unit registered, then one command.
#include <iostream>

#include "editor/Units.h"
#include "tools/StmTool.h"

int main(int argc, char** argv) {
    RegisterAllUnits();
    return RunStmTool(std::vector<std::string>(argv + 1, argv + argc), std::cin, std::cout,
                      std::cerr);
}
