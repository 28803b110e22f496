// libFuzzer target: arbitrary bytes loaded as a graph file, as the editor loads one.
// Anything but a library error or a graph that survives a save and a load is a crash.
#include <cstdio>
#include <cstdlib>

#include "editor/Units.h"
#include "fuzz/GraphFileCheck.h"

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    RegisterAllUnits();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const TGraphFileCheck check = CheckGraphFile(data, size);
    if (!check.Fault.empty()) {
        std::fprintf(stderr, "graph file fault: %s\n", check.Fault.c_str());
        std::abort();
    }
    return 0;
}
