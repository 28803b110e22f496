// The graph tests' main: the graph model's records registered, with the library's.
#include <gtest/gtest.h>

#include "graph/GraphRecords.h"

int main(int argc, char** argv) {
    ObjGraphStartup();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
