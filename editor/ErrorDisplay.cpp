#include "editor/ErrorDisplay.h"

#include <QApplication>
#include <QMessageBox>
#include <utility>

namespace {

TErrorDisplay& CurrentDisplay() {
    static TErrorDisplay display;
    return display;
}

TErrorDisplay& CurrentWarningDisplay() {
    static TErrorDisplay display;
    return display;
}

}  // namespace

void ShowErrorMessage(const QString& message) {
    if (CurrentDisplay()) {
        CurrentDisplay()(message);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), message);
}

TErrorDisplay SetErrorDisplay(TErrorDisplay display) {
    return std::exchange(CurrentDisplay(), std::move(display));
}

void ShowWarningMessage(const QString& message) {
    if (CurrentWarningDisplay()) {
        CurrentWarningDisplay()(message);
        return;
    }
    QMessageBox::warning(QApplication::activeWindow(), QApplication::applicationName(), message);
}

TErrorDisplay SetWarningDisplay(TErrorDisplay display) {
    return std::exchange(CurrentWarningDisplay(), std::move(display));
}
