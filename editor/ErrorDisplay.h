// The editor's one way of showing an error that ends a command: its text in a
// message box, after which the program goes on with the next event.
#pragma once

#include <QString>
#include <exception>
#include <functional>

/// Shows message in a critical message box over the active window, or hands it
/// to the display set by SetErrorDisplay.
void ShowErrorMessage(const QString& message);

using TErrorDisplay = std::function<void(const QString& message)>;
/// Replaces the message box (tests watch the messages this way); an empty
/// display restores it. Returns the display that was set.
TErrorDisplay SetErrorDisplay(TErrorDisplay display);

/// Shows what a command could not keep (an import's or an export's losses) in a warning
/// message box, or hands it to the display set by SetWarningDisplay. The command itself
/// has succeeded.
void ShowWarningMessage(const QString& message);
/// As SetErrorDisplay, for the warnings.
TErrorDisplay SetWarningDisplay(TErrorDisplay display);

/// Runs body; an error it raises is shown and goes no further, so that no
/// exception crosses a Qt frame. True when body ran to its end.
template <class Body>
bool RunGuarded(Body&& body) noexcept {
    try {
        body();
        return true;
    } catch (const std::exception& error) {
        ShowErrorMessage(QString::fromUtf8(error.what()));
    }
    return false;
}
