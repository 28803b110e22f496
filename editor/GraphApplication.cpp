#include "editor/GraphApplication.h"

#include "editor/ErrorDisplay.h"

TGraphApplication::TGraphApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TGraphApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    const bool finished = RunGuarded([&] { handled = QApplication::notify(receiver, event); });
    return finished && handled;
}
