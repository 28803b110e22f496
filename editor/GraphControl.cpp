#include "editor/GraphControl.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStyle>
#include <QUndoStack>
#include <QWheelEvent>
#include <algorithm>
#include <cassert>
#include <cmath>
#include <optional>

#include "editor/ErrorDisplay.h"
#include "editor/GraphCommand.h"

namespace {

std::optional<TMouseButton> ViewButton(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return TMouseButton::mbLeft;
        case Qt::RightButton:
            return TMouseButton::mbRight;
        case Qt::MiddleButton:
            return TMouseButton::mbMiddle;
        default:
            return std::nullopt;  // extra buttons edit nothing
    }
}

// One notch of a mouse wheel, in eighths of a degree.
constexpr int kWheelNotch = 120;
constexpr int kScrollStep = 20;

QScrollBar* NewBar(Qt::Orientation orientation, QWidget* parent) {
    auto* bar = new QScrollBar(orientation, parent);
    bar->setSingleStep(kScrollStep);
    bar->hide();
    return bar;
}

}  // namespace

TGraphControl::TGraphControl(QWidget* parent)
    : QWidget(parent),
      undoStack_(new QUndoStack(this)),
      horizontalBar_(NewBar(Qt::Horizontal, this)),
      verticalBar_(NewBar(Qt::Vertical, this)) {
    setObjectName("GraphControl");
    setCursor(Qt::ArrowCursor);
    // A click gives the view the keys (Delete, Escape, undo); text typed goes on to the
    // boxes, see SetTypingTarget.
    setFocusPolicy(Qt::ClickFocus);
    horizontalBar_->setObjectName("HorizontalScrollBar");
    verticalBar_->setObjectName("VerticalScrollBar");
    for (QScrollBar* bar : {horizontalBar_, verticalBar_})
        connect(bar, &QScrollBar::valueChanged, this, [this] { ScrollBarMoved(); });
}

// The stack goes with the control's children, after the window it tells of its steps is
// already gone in part: it is not to tell anyone of the steps it drops then.
TGraphControl::~TGraphControl() { undoStack_->blockSignals(true); }

void TGraphControl::ShowChanges(TViewChanges changes) {
    if (changes.ReplacedGraph) undoStack_->clear();  // a new graph, a new history
    if (changes.Edit) {
        // A step pushed while one is taken back would drop the one under way.
        assert(!stepping_);
        undoStack_->push(new TGraphCommand(*this, std::move(changes.Edit)));
    }
    const Qt::CursorShape mode = view_.IsPathMode() ? Qt::CrossCursor : Qt::ArrowCursor;
    if (cursor().shape() != mode) setCursor(mode);
    if (changes.GraphChanged || changes.ViewMoved) UpdateScrollBars();
    if (changes.NeedsRepaint) {
        if (changes.DamagedAreas && !changes.ViewMoved && sceneMark_) {
            const QRegion changed = RedrawScene(*changes.DamagedAreas);
            if (!changed.isEmpty()) repaint(changed);
        } else {
            sceneMark_.reset();
            repaint();
        }
    }
    if (changes.GraphChanged) emit GraphChanged();
    if (changes.SearchedTarget != nullptr)
        emit PathSearched(changes.SearchedSource, changes.SearchedTarget);
    if (changes.PickedTarget != nullptr)
        emit TargetPicked(changes.PickedSource, changes.PickedTarget);
}

void TGraphControl::ShowStepped(TViewChanges changes) {
    stepping_ = true;
    const auto done = qScopeGuard([this] { stepping_ = false; });
    ShowChanges(std::move(changes));
    emit Stepped();
}

void TGraphControl::SetEditingLocked(bool locked) { locked_ = locked; }

void TGraphControl::UpdateScrollBars() {
    if (!isVisible()) {
        barsOutOfDate_ = true;
        return;
    }
    barsOutOfDate_ = false;
    const int thickness = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    bool across = false, down = false;
    TGraphView::TScrollRange range{};
    // Each bar takes room from the other's direction: settled within three rounds.
    for (int round = 0; round < 3; ++round) {
        view_.SetViewportSize(width() - (down ? thickness : 0),
                              height() - (across ? thickness : 0));
        range = view_.ScrollRange();
        const bool needAcross = range.MaxX - range.MinX >= 1;
        const bool needDown = range.MaxY - range.MinY >= 1;
        if (needAcross == across && needDown == down) break;
        across = needAcross;
        down = needDown;
    }
    const TViewTransform& shown = view_.Transform();
    updatingBars_ = true;
    PlaceBar(horizontalBar_, {0, shown.Height(), shown.Width(), thickness}, range.MinX, range.MaxX,
             shown.ScrollX(), across);
    PlaceBar(verticalBar_, {shown.Width(), 0, thickness, shown.Height()}, range.MinY, range.MaxY,
             shown.ScrollY(), down);
    updatingBars_ = false;
}

void TGraphControl::PlaceBar(QScrollBar* bar, const QRect& place, double from, double to, double at,
                             bool shown) {
    bar->setGeometry(place);
    bar->setRange(int(std::floor(from)), int(std::ceil(to)));
    bar->setPageStep(bar->orientation() == Qt::Horizontal ? place.width() : place.height());
    bar->setValue(int(std::lround(at)));
    bar->setVisible(shown);
}

void TGraphControl::ScrollBarMoved() {
    if (updatingBars_) return;
    // A bar that is not shown keeps the scroll position the zoom gave.
    const double x =
        horizontalBar_->isVisible() ? horizontalBar_->value() : view_.Transform().ScrollX();
    const double y =
        verticalBar_->isVisible() ? verticalBar_->value() : view_.Transform().ScrollY();
    view_.ScrollTo(x, y);
    sceneMark_.reset();
    update();
}

TGraphControl::TSceneMark TGraphControl::SceneMark() const {
    const TMathGraph& graph = view_.Graph();
    const TViewTransform& shown = view_.Transform();
    const TViewOptions& options = view_.Options();
    const TEdgeList* path = view_.SelectedPath();
    const QSize pixels = size() * devicePixelRatio();
    return {&graph,
            graph.Nodes->Count(),
            graph.Edges->Count(),
            view_.SelectedNode(),
            view_.SelectedEdge(),
            path,
            path != nullptr ? path->Count() : 0,
            shown.Zoom(),
            shown.ScrollX(),
            shown.ScrollY(),
            shown.Width(),
            shown.Height(),
            pixels.width(),
            pixels.height(),
            options.AdaptEdges,
            options.ShowCaptions,
            options.ShowWeights,
            options.SeparateOpposite,
            options.DecimalSeparator,
            view_.Overlay().Colours.size()};
}

const QImage& TGraphControl::Scene() {
    const TSceneMark mark = SceneMark();
    if (sceneMark_ == mark) return scene_;
    sceneMark_.reset();
    const qreal ratio = devicePixelRatio();
    if (scene_.size() != QSize(mark.pixelWidth, mark.pixelHeight)) {
        scene_ = QImage(mark.pixelWidth, mark.pixelHeight, QImage::Format_ARGB32_Premultiplied);
        scene_.setDevicePixelRatio(ratio);
    }
    // Drawn on nothing, the drawing lays over the panel as a paint on the control would:
    // without antialiasing every pixel drawn is opaque.
    scene_.fill(Qt::transparent);
    {
        QPainter painter(&scene_);
        TQtCanvas canvas(painter, &labels_);
        view_.Paint(canvas);
    }
    sceneMark_ = mark;
    return scene_;
}

QRegion TGraphControl::RedrawScene(const std::vector<TScreenBox>& areas) {
    // The areas are in the control's pixels: a finer screen redraws whole, and so does
    // a change that moved the view too (the scroll bars came or went).
    TSceneMark now = SceneMark();
    now.nodes = sceneMark_->nodes, now.edges = sceneMark_->edges;
    now.node = sceneMark_->node, now.edge = sceneMark_->edge;
    now.path = sceneMark_->path, now.pathCount = sceneMark_->pathCount;
    if (devicePixelRatio() != 1 || scene_.size() != size() || now != *sceneMark_) {
        sceneMark_.reset();
        return rect();
    }
    QRegion changed;
    std::vector<TScreenBox> shown;
    const QRect whole = rect();
    for (const TScreenBox& area : areas) {
        const QRect r =
            QRect(QPoint(int(std::clamp<std::int64_t>(area.X1, -1, whole.right() + 1)),
                         int(std::clamp<std::int64_t>(area.Y1, -1, whole.bottom() + 1))),
                  QPoint(int(std::clamp<std::int64_t>(area.X2, -1, whole.right() + 1)),
                         int(std::clamp<std::int64_t>(area.Y2, -1, whole.bottom() + 1))))
                .intersected(whole);
        if (r.isEmpty()) continue;
        changed += r;
        shown.push_back({r.left(), r.top(), r.right(), r.bottom()});
    }
    if (shown.empty()) {
        sceneMark_ = SceneMark();
        return changed;
    }
    if (scratch_.size() != scene_.size())
        scratch_ = QImage(scene_.size(), QImage::Format_ARGB32_Premultiplied);
    {
        // Each element that reaches into the areas is drawn whole, as a paint of everything
        // draws it, so that the pixels there are the same.
        QPainter painter(&scratch_);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        for (const QRect& r : changed) painter.fillRect(r, Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        TQtCanvas canvas(painter, &labels_);
        view_.PaintAreas(canvas, shown);
    }
    QPainter painter(&scene_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect& r : changed) painter.drawImage(r.topLeft(), scratch_, r);
    sceneMark_ = SceneMark();
    return changed;
}

void TGraphControl::paintEvent(QPaintEvent* event) {
    RunGuarded([&] {
        const QImage& scene = Scene();
        QPainter painter(this);
        if (scene.devicePixelRatio() != 1) {
            painter.drawImage(QPoint(0, 0), scene);
            return;
        }
        for (const QRect& r : event->region()) painter.drawImage(r.topLeft(), scene, r);
    });
}

void TGraphControl::mousePressEvent(QMouseEvent* event) {
    const std::optional<TMouseButton> button = ViewButton(event->button());
    if (!button || locked_) return;
    const QPoint at = event->position().toPoint();
    // A press that raises ends there: no repaint and no notification. The view leaves
    // path mode only once the search has returned, so the cursor still shows the mode.
    RunGuarded([&] {
        const TGraphXY point = view_.Transform().ToGraph(at.x(), at.y());
        ShowChanges(view_.GraphControlMouseDown(*button, point.X, point.Y));
        emit Click();
    });
}

void TGraphControl::mouseMoveEvent(QMouseEvent* event) {
    if (locked_) return;
    const QPoint at = event->position().toPoint();
    const bool leftHeld = event->buttons().testFlag(Qt::LeftButton);
    RunGuarded([&] {
        const TGraphXY point = view_.Transform().ToGraph(at.x(), at.y());
        ShowChanges(view_.GraphControlMouseMove(leftHeld, point.X, point.Y));
    });
}

void TGraphControl::wheelEvent(QWheelEvent* event) {
    const QPoint turn = event->angleDelta();
    RunGuarded([&] {
        if (event->modifiers().testFlag(Qt::ControlModifier)) {
            wheelZoom_ += turn.y();
            const int steps = wheelZoom_ / kWheelNotch;
            wheelZoom_ -= steps * kWheelNotch;
            const QPoint at = event->position().toPoint();
            if (steps != 0) ShowChanges(view_.ZoomBy(steps, at.x(), at.y()));
        } else if (event->modifiers().testFlag(Qt::ShiftModifier)) {
            Scroll(horizontalBar_, turn.x() != 0 ? turn.x() : turn.y());
        } else {
            Scroll(verticalBar_, turn.y());
        }
    });
    event->accept();
}

void TGraphControl::Scroll(QScrollBar* bar, int wheelDelta) {
    if (!bar->isVisible()) return;  // all of it is in view already
    const int pixels =
        wheelDelta * bar->singleStep() * QApplication::wheelScrollLines() / kWheelNotch;
    bar->setValue(bar->value() - pixels);
}

void TGraphControl::keyPressEvent(QKeyEvent* event) {
    if (locked_) return;
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    RunGuarded([&] {
        if (plain && (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace))
            ShowChanges(view_.DeleteSelection());
        else if (plain && event->key() == Qt::Key_Escape)
            ShowChanges(view_.CancelPathRequest());
        else if (!TypeIntoTarget(event))
            QWidget::keyPressEvent(event);
    });
}

bool TGraphControl::TypeIntoTarget(QKeyEvent* event) {
    const Qt::KeyboardModifiers commands = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    const QString text = event->text();
    if (typingTarget_ == nullptr || (event->modifiers() & commands) || text.isEmpty() ||
        !text.at(0).isPrint())
        return false;
    typingTarget_->setFocus(Qt::OtherFocusReason);
    QKeyEvent typed(event->type(), event->key(), event->modifiers(), text, event->isAutoRepeat(),
                    static_cast<ushort>(event->count()));
    QApplication::sendEvent(typingTarget_, &typed);
    return true;
}

void TGraphControl::resizeEvent(QResizeEvent*) {
    if (isVisible())
        UpdateScrollBars();
    else
        barsOutOfDate_ = true;
}

void TGraphControl::showEvent(QShowEvent*) {
    if (barsOutOfDate_) UpdateScrollBars();
}
