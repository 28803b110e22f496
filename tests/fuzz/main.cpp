// The fuzz tests' main: every unit registered, as in the editor.
#include <gtest/gtest.h>

#include "editor/Units.h"

int main(int argc, char** argv) {
    RegisterAllUnits();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
