// Runs the fuzz target's check over files and reports what the worst of them cost:
//   graph_file_replay FILE...
// Prints how many loaded and how many were refused, and the most memory any one load,
// save and reload held at once (MemoryPeakDuring). Exits 1 when a file shows a fault.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "editor/Units.h"
#include "fuzz/GraphFileCheck.h"
#include "fuzz/MemoryPeak.h"

int main(int argc, char** argv) {
    RegisterAllUnits();
    int loaded = 0, refused = 0, faults = 0;
    std::size_t worst = 0;
    std::string worstFile;
    for (int i = 1; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
        TGraphFileCheck check;
        const std::size_t peak =
            MemoryPeakDuring([&] { check = CheckGraphFile(bytes.data(), bytes.size()); });
        if (!check.Fault.empty()) {
            std::printf("%s: %s\n", argv[i], check.Fault.c_str());
            ++faults;
        }
        (check.Refusal.empty() ? loaded : refused) += 1;
        if (peak > worst) worst = peak, worstFile = argv[i];
    }
    std::printf("%d files: %d loaded, %d refused, %d faults\n", argc - 1, loaded, refused, faults);
    std::printf("most memory held by one check: %zu bytes (%s)\n", worst, worstFile.c_str());
    return faults == 0 ? 0 : 1;
}
