// One analysis of the Calculate menu running on a thread of its own, so that the window
// goes on answering: a busy cursor from the start, and past half a second a progress
// dialog whose Cancel stops it. The dialog is not modal: a modal one would handle events
// inside its own updates, the end of the run among them.
#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "editor/GraphAnalysis.h"

class QProgressDialog;
class QTimer;
class QWidget;

class TAnalysisRun : public QObject {
    Q_OBJECT
public:
    /// Starts request on snapshot, which the run owns: the thread reads nothing else.
    /// The progress dialog, when it shows, stands over window.
    TAnalysisRun(std::unique_ptr<TGraphSnapshot> snapshot, const TAnalysisRequest& request,
                 QWidget* window);
    /// Stops the run and waits for its thread.
    ~TAnalysisRun() override;

    const TGraphSnapshot& Snapshot() const { return *snapshot_; }
    /// Stops the run as the dialog's Cancel does: it then ends as cancelled, even when the
    /// thread had already found its result.
    void Cancel();

    // What the run came to, once Ended: cancelled, or its findings, or the text of the
    // error that ended it.
    bool Cancelled() const { return cancelled_; }
    bool Found() const { return findings_.has_value(); }
    /// The findings, handed over: a large graph's overlay is not copied.
    TAnalysisFindings TakeFindings() { return *std::exchange(findings_, std::nullopt); }
    const std::string& Error() const { return error_; }

signals:
    /// Sent once, on the GUI thread, when the thread is done; the cursor is back by then.
    void Ended();

private:
    void Work(const TAnalysisRequest& request);
    void Finish();
    void Tick();

    std::unique_ptr<TGraphSnapshot> snapshot_;
    QPointer<QWidget> window_;
    QTimer* ticker_;
    QPointer<QProgressDialog> dialog_;
    std::atomic<bool> stop_{false};
    std::atomic<int> permille_{0};
    bool cancelled_ = false;
    bool busy_ = true;                           // the busy cursor is shown
    std::optional<TAnalysisFindings> findings_;  // written by the thread, read once it ended
    std::string error_;
    std::thread thread_;  // last: started once everything it uses exists
};
