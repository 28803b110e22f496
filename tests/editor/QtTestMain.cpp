// The main of the Qt tests: every unit started, one application on the
// offscreen platform, the C locale's decimal point.
#include <gtest/gtest.h>

#include <QLocale>

#include "editor/GraphApplication.h"
#include "editor/Units.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    RegisterAllUnits();
    QLocale::setDefault(QLocale::c());
    TGraphApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
