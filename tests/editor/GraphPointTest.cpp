#include <gtest/gtest.h>

#include "editor/GraphPoint.h"
#include "editor/Units.h"
#include "tests/persistence/StreamBytes.h"

namespace {

TEST(GraphPointRecord, CaptionFrameThenPositionAsTaggedIntegers) {
    RegisterAllUnits();
    TGraphPoint point(120, -5, "A");
    const TBytes frame = FrameOf(&point);
    EXPECT_EQ(frame, FrameHeader("TGraphPoint") + FrameHeader("TStringObj") + Bytes({1, 'A'}) +
                         Bytes({2, 0x78, 2, 0xFB}));
    const std::unique_ptr<TObject> back = ObjectFrom(frame);
    const auto* read = As<TGraphPoint>(back.get());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Caption->Text, "A");
    EXPECT_EQ(read->X, 120);
    EXPECT_EQ(read->Y, -5);
}

}  // namespace
