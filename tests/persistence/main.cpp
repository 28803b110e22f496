#include <gtest/gtest.h>

#include "persistence/LibraryStartup.h"

int main(int argc, char** argv) {
    RegisterLibraryUnits();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
