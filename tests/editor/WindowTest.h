// The main window in a test, driven as a user drives it: presses on the graph and typing
// into its boxes, with every message it would show collected instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QStringList>
#include <QTest>

#include "editor/ErrorDisplay.h"
#include "editor/GraphControl.h"
#include "editor/uGraphForm.h"

class TWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.show();
        previous = SetErrorDisplay([this](const QString& m) { messages << m; });
    }
    void TearDown() override { SetErrorDisplay(previous); }

    TGraphControl& Control() { return *form.GetGraphControl(); }
    const TGraphView& View() { return Control().View(); }
    void Click(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(&Control(), button, {}, QPoint(x, y));
    }
    void Type(QLineEdit* box, const QString& text) {
        box->clear();
        QTest::keyClicks(box, text);
    }

    TGraphForm form;
    QStringList messages;  // what the window would have shown, in order
    TErrorDisplay previous;
};
