// The editor's application object.
#pragma once

#include <QApplication>

/// A QApplication that shows an error escaping an event handler instead of
/// ending the program. The handlers guard themselves (RunGuarded); this is the
/// last net for anything that slips past them.
class TGraphApplication : public QApplication {
public:
    TGraphApplication(int& argc, char** argv);

    /// The event is then counted as not handled.
    bool notify(QObject* receiver, QEvent* event) override;
};
