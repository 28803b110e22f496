#include <gtest/gtest.h>

#include "editor/GraphPoint.h"
#include "editor/Units.h"
#include "persistence/ObjPerst.h"

namespace {

TEST(StartUp, RunsOnceAndRegistersTheEditorsNode) {
    RegisterAllUnits();
    RegisterAllUnits();  // a second registration would raise a duplicate
    EXPECT_EQ(GetStreamableClass("TGraphPoint"), TGraphPoint::StaticClass());
    EXPECT_EQ(GetStreamableClass("TMathGraph"), TMathGraph::StaticClass());
}

}  // namespace
