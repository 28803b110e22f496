// stmtool's entry: every unit registered, then one command.
#include <csignal>
#include <iostream>
#include <string_view>

#include "ProjectVersion.h"
#include "editor/Units.h"
#include "tools/StmTool.h"

int main(int argc, char** argv) {
    if (argc >= 2 && std::string_view(argv[1]) == "--version") {
        std::cout << "stmtool " << kProjectVersion << "\n";
        return 0;
    }
    // Past a file-size limit a save then fails with "Stream write error" and keeps the old
    // file, instead of the signal ending the tool without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    RegisterAllUnits();
    return RunStmTool(std::vector<std::string>(argv + 1, argv + argc), std::cin, std::cout,
                      std::cerr);
}
