#include "editor/AnalysisRun.h"

#include <QApplication>
#include <QProgressDialog>
#include <QTimer>

namespace {

constexpr int kDialogDelayMs = 500;
constexpr int kTickMs = 100;

}  // namespace

TAnalysisRun::TAnalysisRun(std::unique_ptr<TGraphSnapshot> snapshot,
                           const TAnalysisRequest& request, QWidget* window)
    : snapshot_(std::move(snapshot)), window_(window), ticker_(new QTimer(this)) {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    connect(ticker_, &QTimer::timeout, this, [this] { Tick(); });
    ticker_->start(kDialogDelayMs);
    thread_ = std::thread([this, request] { Work(request); });
}

TAnalysisRun::~TAnalysisRun() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (busy_) QApplication::restoreOverrideCursor();
    delete dialog_;
}

void TAnalysisRun::Cancel() {
    cancelled_ = true;
    stop_ = true;
}

// On the run's thread: touches only the snapshot, the atomics and the outcome, which the
// GUI thread reads only once the queued Finish arrives.
void TAnalysisRun::Work(const TAnalysisRequest& request) {
    const TRunControl control{&stop_, [this](double share) { permille_ = int(share * 1000); }};
    try {
        findings_ = RunAnalysis(*snapshot_, request, control);
    } catch (const ECancelled&) {
        findings_.reset();
    } catch (const std::exception& e) {
        error_ = e.what();
    }
    QMetaObject::invokeMethod(
        this, [this] { Finish(); }, Qt::QueuedConnection);
}

void TAnalysisRun::Finish() {
    if (thread_.joinable()) thread_.join();
    ticker_->stop();
    if (dialog_ != nullptr) dialog_->hide();
    QApplication::restoreOverrideCursor();
    busy_ = false;
    if (!findings_ && error_.empty()) cancelled_ = true;  // the thread saw the flag
    if (cancelled_) {
        findings_.reset();
        error_.clear();
    }
    emit Ended();
}

void TAnalysisRun::Tick() {
    if (dialog_ == nullptr) {
        dialog_ = new QProgressDialog(QObject::tr("Calculating\u2026"), QObject::tr("Cancel"), 0,
                                      1000, window_);
        dialog_->setObjectName("AnalysisProgress");
        dialog_->setMinimumDuration(0);
        connect(dialog_, &QProgressDialog::canceled, this, [this] { Cancel(); });
        ticker_->setInterval(kTickMs);
    }
    dialog_->setValue(permille_.load());
}
