#include "editor/GraphPainter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <string>
#include <unordered_map>

#include "editor/EdgeShape.h"
#include "editor/WeightText.h"
#include "values/CodePage.h"

namespace {

// Sums and differences of screen positions are formed in 64 bits and pinned to the
// canvas's range, so that positions from a file far outside still draw.
int ToCanvas(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

// Nearest integer, halves to even: nearbyint under the default rounding mode.
int RoundToCanvas(double v) {
    const double limit = static_cast<double>(std::numeric_limits<int>::max());
    return static_cast<int>(std::clamp(std::nearbyint(v), -limit - 1, limit));
}

const TGraphPoint& PointOf(const TGraphNode* node) {
    return *static_cast<const TGraphPoint*>(node);
}

// The two strokes of an arrowhead at m, leaving it in direction theta +- kArrowAngle.
void DrawArrowHead(TCanvas& canvas, std::int64_t mx, std::int64_t my, double theta, double length) {
    for (double side : {kArrowAngle, -kArrowAngle}) {
        canvas.MoveTo(ToCanvas(mx), ToCanvas(my));
        canvas.LineTo(RoundToCanvas(length * std::cos(theta + side) + double(mx)),
                      RoundToCanvas(length * std::sin(theta + side) + double(my)));
    }
}

// The strokes point back toward the source, so the head points along the direction.
double BackAngle(double dx, double dUp) {
    constexpr double twoPi = 2 * std::numbers::pi;
    double theta = EdgeAngle(dx, dUp) + std::numbers::pi;
    while (theta > twoPi) theta -= twoPi;
    return theta;
}

class TPainter {
public:
    TPainter(TCanvas& canvas, const TMathGraph& graph, const TPaintSelection& selection,
             const TOverlay& overlay, const TViewOptions& options, const TViewTransform& transform)
        : canvas_(canvas),
          graph_(graph),
          selection_(selection),
          overlay_(overlay),
          options_(options),
          transform_(transform),
          radius_(std::max(transform.Scale(kNodeRadius), 1)),
          arrowLength_(kArrowLength * std::max(transform.Zoom(), 0.5)) {
        if (options.SeparateOpposite) opposites_.emplace(*graph.Edges);
    }

    void Paint() {
        const int thin = PenWidth(1);
        if (thin != 1) canvas_.SetPenWidth(thin);  // node outlines grow with the zoom too
        for (int i = 1; i <= graph_.Nodes->Count(); ++i) {
            const auto& node = PointOf(static_cast<TGraphNode*>(graph_.Nodes->GoToIndex(i)));
            DrawNode(node, &node == selection_.Node ? clBlack : Colour(&node, clWhite));
        }
        canvas_.SetPenWidth(thin);
        for (int i = 0; i < graph_.Edges->Count(); ++i) {
            const TGraphEdge* edge = graph_.Edges->Get(i);
            DrawEdge(*edge, Colour(edge, clBlack));
        }
        if (selection_.Path != nullptr)
            for (int i = 0; i < selection_.Path->Count(); ++i)
                DrawEdge(*selection_.Path->Get(i), clYellow);
        if (selection_.Edge != nullptr) DrawEdge(*selection_.Edge, clRed);
        canvas_.SetPenColor(clBlack);
        canvas_.SetPenWidth(1);
        if (options_.ShowCaptions) DrawCaptions();
        if (options_.ShowWeights) DrawWeights();
    }

private:
    TColor Colour(const TObject* element, TColor plain) const {
        if (overlay_.Colours.empty()) return plain;
        const auto found = overlay_.Colours.find(element);
        return found == overlay_.Colours.end() ? plain : found->second;
    }

    // A width of 0 or more scaled with the zoom; a negative one, which keeps the pen, as -1.
    int PenWidth(long double width) const {
        if (width < 0) return -1;
        const double scaled = std::nearbyint(double(width) * transform_.Zoom());
        return static_cast<int>(std::min<double>(scaled, kMaxEdgeWidth));
    }

    TScreenXY Screen(const TGraphPoint& node) const { return transform_.ToScreen(node.X, node.Y); }
    TScreenXY Screen(TRealXY p) const { return transform_.ToScreen(p.X, p.Y); }

    void DrawNode(const TGraphPoint& node, TColor colour) {
        const TScreenXY c = Screen(node);
        canvas_.SetBrush(colour);
        canvas_.Ellipse(
            ToCanvas(std::int64_t{c.X} - radius_), ToCanvas(std::int64_t{c.Y} - radius_),
            ToCanvas(std::int64_t{c.X} + radius_), ToCanvas(std::int64_t{c.Y} + radius_));
    }

    void DrawEdge(const TGraphEdge& edge, TColor colour) {
        if (options_.AdaptEdges) {
            const long double rounded = std::nearbyint(edge.GetWeight().ToExtended());
            canvas_.SetPenWidth(PenWidth(std::clamp<long double>(rounded, -1, kMaxEdgeWidth)));
        }
        canvas_.SetPenColor(colour);
        if (!opposites_) {
            DrawArrowLine(canvas_, Screen(PointOf(edge.FromNode)), Screen(PointOf(edge.ToNode)),
                          arrowLength_);
            return;
        }
        const TEdgeShape shape = ShapeOf(edge, &*opposites_);
        if (!shape.Curved) {
            DrawArrowLine(canvas_, Screen(shape.Points[0]), Screen(shape.Points[3]), arrowLength_);
            return;
        }
        DrawCurve(shape);
    }

    void DrawCurve(const TEdgeShape& shape) {
        TScreenXY p[4];
        for (int i = 0; i < 4; ++i) p[i] = Screen(shape.Points[i]);
        canvas_.MoveTo(p[0].X, p[0].Y);
        canvas_.CurveTo(p[1].X, p[1].Y, p[2].X, p[2].Y, p[3].X, p[3].Y);
        const TScreenXY m = Screen(shape.Middle());
        const TRealXY d = shape.Direction();
        DrawArrowHead(canvas_, m.X, m.Y, BackAngle(d.X, -d.Y), arrowLength_);
    }

    // Whether a label of about bytes characters with its top left corner at (x, y) can
    // show in the visible area; all can while its size is not known.
    bool Shows(int x, int y, std::size_t bytes) const {
        if (transform_.Width() == 0 || transform_.Height() == 0) return true;
        const std::int64_t wide = std::int64_t(bytes) * kLabelFontPixels;
        return x < transform_.Width() && y < transform_.Height() &&
               std::int64_t{y} + 2 * kLabelFontPixels > 0 && x + wide > 0;
    }

    // ASCII is UTF-8 already, as most captions are: only others are converted.
    std::string_view Utf8(const std::string& bytes) {
        for (const char c : bytes)
            if (static_cast<unsigned char>(c) >= 0x80) return converted_ = Windows1252ToUtf8(bytes);
        return bytes;
    }

    void DrawCaptions() {
        for (int i = 1; i <= graph_.Nodes->Count(); ++i) {
            const auto& node = PointOf(static_cast<TGraphNode*>(graph_.Nodes->GoToIndex(i)));
            if (!node.Caption || node.Caption->Text.empty()) continue;
            const TScreenXY c = Screen(node);
            const int x = ToCanvas(std::int64_t{c.X} + radius_ + 2);
            const int y = ToCanvas(std::int64_t{c.Y} - kLabelFontPixels / 2);
            if (!Shows(x, y, node.Caption->Text.size())) continue;
            canvas_.TextOut(x, y, Utf8(node.Caption->Text));
        }
    }

    TScreenXY EdgeMiddle(const TGraphEdge& edge) const {
        if (opposites_) {
            const TEdgeShape shape = ShapeOf(edge, &*opposites_);
            if (shape.Curved) return Screen(shape.Middle());
        }
        // Where the arrowhead meets the line.
        const TScreenXY a = Screen(PointOf(edge.FromNode));
        const TScreenXY b = Screen(PointOf(edge.ToNode));
        return {ToCanvas((std::int64_t{a.X} + b.X) / 2), ToCanvas((std::int64_t{a.Y} + b.Y) / 2)};
    }

    void DrawWeights() {
        constexpr std::size_t longest = 22;  // "-1.23456789012345E-100"
        // Graphs hold few distinct weights: each is formatted once a paint.
        std::unordered_map<std::uint64_t, std::string> texts;
        for (int i = 0; i < graph_.Edges->Count(); ++i) {
            const TGraphEdge& edge = *graph_.Edges->Get(i);
            const TScreenXY m = EdgeMiddle(edge);
            const int x = ToCanvas(std::int64_t{m.X} + 3), y = ToCanvas(std::int64_t{m.Y} + 2);
            if (!Shows(x, y, longest)) continue;
            const Real48 weight = edge.GetWeight();
            std::uint64_t bits = 0;
            for (const std::uint8_t byte : weight.ToBytes()) bits = bits << 8 | byte;
            auto [text, made] = texts.try_emplace(bits);
            if (made) text->second = FormatWeight(weight.ToExtended(), options_.DecimalSeparator);
            canvas_.TextOut(x, y, text->second);
        }
    }

    TCanvas& canvas_;
    const TMathGraph& graph_;
    const TPaintSelection& selection_;
    const TOverlay& overlay_;
    const TViewOptions& options_;
    const TViewTransform& transform_;
    const int radius_;
    const double arrowLength_;
    std::optional<TOppositeEdges> opposites_;
    std::string converted_;
};

}  // namespace

double EdgeAngle(double dx, double dUp) {
    constexpr double pi = std::numbers::pi;
    if (dx > 0) return std::atan(-dUp / dx);
    if (dx < 0) return dUp > 0 ? std::atan(dUp / -dx) + pi : pi - std::atan(dUp / dx);
    return dUp < 0 ? pi / 2 : -pi / 2;
}

void DrawArrowLine(TCanvas& canvas, TScreenXY a, TScreenXY b, double length) {
    canvas.MoveTo(a.X, a.Y);
    canvas.LineTo(b.X, b.Y);
    const double theta = BackAngle(double(b.X) - a.X, double(a.Y) - b.Y);
    DrawArrowHead(canvas, (std::int64_t{a.X} + b.X) / 2, (std::int64_t{a.Y} + b.Y) / 2, theta,
                  length);
}

void PaintGraph(TCanvas& canvas, const TMathGraph& graph, const TPaintSelection& selection,
                const TOverlay& overlay, const TViewOptions& options,
                const TViewTransform& transform) {
    TPainter(canvas, graph, selection, overlay, options, transform).Paint();
}
