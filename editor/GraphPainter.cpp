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

// The longest weight text: "-1.23456789012345E-100".
constexpr std::size_t kLongestWeight = 22;

// A label of bytes bytes at (x, y): no character of the font is wider than its height,
// and the box leaves a line's room below.
TScreenBox LabelBox(std::int64_t x, std::int64_t y, std::size_t bytes) {
    return {x, y, x + std::int64_t(bytes + 1) * kLabelFontPixels, y + 2 * kLabelFontPixels};
}

TScreenBox Union(const TScreenBox& a, const TScreenBox& b) {
    return {std::min(a.X1, b.X1), std::min(a.Y1, b.Y1), std::max(a.X2, b.X2), std::max(a.Y2, b.Y2)};
}

TScreenBox Around(std::int64_t x, std::int64_t y, std::int64_t margin) {
    return {x - margin, y - margin, x + margin, y + margin};
}

// What the painter works out of the options and the zoom, shared by the boxes.
struct TSizes {
    explicit TSizes(const TViewTransform& transform)
        : radius(std::max(transform.Scale(kNodeRadius), 1)),
          arrowLength(kArrowLength * std::max(transform.Zoom(), 0.5)),
          thin(static_cast<int>(std::min<double>(std::nearbyint(transform.Zoom()), kMaxEdgeWidth))),
          coarse(transform.Zoom() * kNodeRadius < kFinestNodeRadius) {}
    int radius;
    double arrowLength;
    int thin;  // the pen of outlines and of edges without Adapt Edges
    bool coarse;
};

TScreenBox CaptionBoxAt(TScreenXY c, int radius, std::size_t bytes) {
    return LabelBox(std::int64_t{c.X} + radius + 2, std::int64_t{c.Y} - kLabelFontPixels / 2,
                    bytes);
}

TScreenBox WeightBoxAt(TScreenXY m) {
    return LabelBox(std::int64_t{m.X} + 3, std::int64_t{m.Y} + 2, kLongestWeight);
}

TScreenXY MiddleOf(TScreenXY a, TScreenXY b) {
    return {ToCanvas((std::int64_t{a.X} + b.X) / 2), ToCanvas((std::int64_t{a.Y} + b.Y) / 2)};
}

// The box of a line (or a curve's control points) from a to b with its arrowhead at m.
TScreenBox LineBox(const TScreenXY* points, int count, TScreenXY m, const TSizes& sizes,
                   int width) {
    TScreenBox box = Around(m.X, m.Y, std::int64_t(sizes.arrowLength) + 1);
    for (int i = 0; i < count; ++i) box = Union(box, Around(points[i].X, points[i].Y, 0));
    const std::int64_t margin = width + 2;
    return {box.X1 - margin, box.Y1 - margin, box.X2 + margin, box.Y2 + margin};
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
          sizes_(transform),
          radius_(sizes_.radius),
          arrowLength_(sizes_.arrowLength) {
        if (options.SeparateOpposite) opposites_.emplace(*graph.Edges);
        if (transform.Width() > 0 && transform.Height() > 0)
            areas_.push_back({0, 0, transform.Width() - 1, transform.Height() - 1});
    }

    /// Draws only what meets areas, which lie in the visible area.
    void LimitTo(const std::vector<TScreenBox>& areas) { areas_ = areas; }

    /// REQUIRES for each list given: in the order of the graph's, every element that
    /// meets the areas.
    void Paint(const std::vector<const TGraphPoint*>* nodes = nullptr,
               const std::vector<const TGraphEdge*>* edges = nullptr) {
        const int thin = PenWidth(1);
        if (thin != 1) canvas_.SetPenWidth(thin);  // node outlines grow with the zoom too
        ForEachNode(nodes, [&](const TGraphPoint& node) {
            DrawNode(node, &node == selection_.Node ? clBlack : Colour(&node, clWhite));
        });
        canvas_.SetPenWidth(thin);
        ForEachEdge(edges, [&](const TGraphEdge& edge) { DrawEdge(edge, Colour(&edge, clBlack)); });
        if (selection_.Path != nullptr)
            for (int i = 0; i < selection_.Path->Count(); ++i)
                DrawEdge(*selection_.Path->Get(i), clYellow);
        if (selection_.Edge != nullptr) DrawEdge(*selection_.Edge, clRed);
        canvas_.SetPenColor(clBlack);
        canvas_.SetPenWidth(1);
        if (sizes_.coarse) return;  // labels would only blot each other out
        if (options_.ShowCaptions) DrawCaptions(nodes);
        if (options_.ShowWeights) DrawWeights(edges);
    }

private:
    template <class Visit>
    void ForEachNode(const std::vector<const TGraphPoint*>* nodes, Visit visit) {
        if (nodes != nullptr) {
            for (const TGraphPoint* node : *nodes) visit(*node);
            return;
        }
        for (int i = 1; i <= graph_.Nodes->Count(); ++i)
            visit(PointOf(static_cast<TGraphNode*>(graph_.Nodes->GoToIndex(i))));
    }

    template <class Visit>
    void ForEachEdge(const std::vector<const TGraphEdge*>* edges, Visit visit) {
        if (edges != nullptr) {
            for (const TGraphEdge* edge : *edges) visit(*edge);
            return;
        }
        // The edges and their nodes lie all over the heap: each is asked for ahead of its
        // turn, or a large graph's paint waits for memory most of its time.
        constexpr int edgeAhead = 16, nodeAhead = 8;
        const int count = graph_.Edges->Count();
        for (int i = 0; i < count; ++i) {
            if (i + edgeAhead < count) __builtin_prefetch(graph_.Edges->Get(i + edgeAhead));
            if (i + nodeAhead < count) {
                const TGraphEdge* later = graph_.Edges->Get(i + nodeAhead);
                __builtin_prefetch(later->FromNode);
                __builtin_prefetch(later->ToNode);
            }
            visit(*graph_.Edges->Get(i));
        }
    }

    bool Shown(const TScreenBox& box) const {
        if (transform_.Width() == 0 || transform_.Height() == 0) return true;
        for (const TScreenBox& area : areas_)
            if (area.Meets(box)) return true;
        return false;
    }

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
        if (sizes_.coarse) {
            if (!Shown(Around(c.X, c.Y, 2))) return;
            // The outline is all that shows of a white node that small.
            canvas_.SetPenColor(colour == clWhite ? clBlack : colour);
            canvas_.Dot(c.X, c.Y);
            return;
        }
        if (!Shown(Around(c.X, c.Y, std::int64_t{radius_} + sizes_.thin + 1))) return;
        canvas_.SetBrush(colour);
        canvas_.Ellipse(
            ToCanvas(std::int64_t{c.X} - radius_), ToCanvas(std::int64_t{c.Y} - radius_),
            ToCanvas(std::int64_t{c.X} + radius_), ToCanvas(std::int64_t{c.Y} + radius_));
    }

    void DrawEdge(const TGraphEdge& edge, TColor colour) {
        int width = sizes_.thin;
        if (options_.AdaptEdges) {
            // Set even when the edge is not drawn: an edge of negative weight after it
            // keeps this width.
            const long double rounded = std::nearbyint(edge.GetWeight().ToExtended());
            width = PenWidth(std::clamp<long double>(rounded, -1, kMaxEdgeWidth));
            canvas_.SetPenWidth(width);
            if (width < 0) width = kMaxEdgeWidth;
        }
        const TScreenXY a = Screen(PointOf(edge.FromNode)), b = Screen(PointOf(edge.ToNode));
        if (sizes_.coarse) return DrawBareLine(a, b, colour);
        if (!opposites_) {
            const TScreenXY ends[] = {a, b};
            if (!Shown(LineBox(ends, 2, MiddleOf(a, b), sizes_, width))) return;
            canvas_.SetPenColor(colour);
            DrawArrowLine(canvas_, a, b, arrowLength_);
            return;
        }
        const TEdgeShape shape = ShapeOf(edge, &*opposites_);
        if (!shape.Curved) {
            const TScreenXY p = Screen(shape.Points[0]), q = Screen(shape.Points[3]);
            const TScreenXY ends[] = {p, q};
            if (!Shown(LineBox(ends, 2, MiddleOf(p, q), sizes_, width))) return;
            canvas_.SetPenColor(colour);
            DrawArrowLine(canvas_, p, q, arrowLength_);
            return;
        }
        TScreenXY points[4];
        for (int i = 0; i < 4; ++i) points[i] = Screen(shape.Points[i]);
        if (!Shown(LineBox(points, 4, Screen(shape.Middle()), sizes_, width))) return;
        canvas_.SetPenColor(colour);
        DrawCurve(shape);
    }

    // An edge too small for its arrowhead: its line, and nothing when it would cover no
    // more than its node's dot.
    void DrawBareLine(TScreenXY a, TScreenXY b, TColor colour) {
        if (std::abs(std::int64_t{a.X} - b.X) <= 1 && std::abs(std::int64_t{a.Y} - b.Y) <= 1)
            return;
        const TScreenXY ends[] = {a, b};
        if (!Shown(LineBox(ends, 2, a, sizes_, 1))) return;
        canvas_.SetPenColor(colour);
        canvas_.RoughLine(a.X, a.Y, b.X, b.Y);
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

    void DrawCaptions(const std::vector<const TGraphPoint*>* nodes) {
        ForEachNode(nodes, [&](const TGraphPoint& node) {
            if (!node.Caption || node.Caption->Text.empty()) return;
            const TScreenXY c = Screen(node);
            const int x = ToCanvas(std::int64_t{c.X} + radius_ + 2);
            const int y = ToCanvas(std::int64_t{c.Y} - kLabelFontPixels / 2);
            if (!Shows(x, y, node.Caption->Text.size())) return;
            if (!Shown(CaptionBoxAt(c, radius_, node.Caption->Text.size()))) return;
            canvas_.TextOut(x, y, Utf8(node.Caption->Text));
        });
    }

    TScreenXY EdgeMiddle(const TGraphEdge& edge) const {
        if (opposites_) {
            const TEdgeShape shape = ShapeOf(edge, &*opposites_);
            if (shape.Curved) return Screen(shape.Middle());
        }
        // Where the arrowhead meets the line.
        const TScreenXY a = Screen(PointOf(edge.FromNode));
        const TScreenXY b = Screen(PointOf(edge.ToNode));
        return MiddleOf(a, b);
    }

    void DrawWeights(const std::vector<const TGraphEdge*>* edges) {
        // Graphs hold few distinct weights: each is formatted once a paint.
        std::unordered_map<std::uint64_t, std::string> texts;
        ForEachEdge(edges, [&](const TGraphEdge& edge) {
            const TScreenXY m = EdgeMiddle(edge);
            const int x = ToCanvas(std::int64_t{m.X} + 3), y = ToCanvas(std::int64_t{m.Y} + 2);
            if (!Shows(x, y, kLongestWeight) || !Shown(WeightBoxAt(m))) return;
            const Real48 weight = edge.GetWeight();
            std::uint64_t bits = 0;
            for (const std::uint8_t byte : weight.ToBytes()) bits = bits << 8 | byte;
            auto [text, made] = texts.try_emplace(bits);
            if (made) text->second = FormatWeight(weight.ToExtended(), options_.DecimalSeparator);
            canvas_.TextOut(x, y, text->second);
        });
    }

    TCanvas& canvas_;
    const TMathGraph& graph_;
    const TPaintSelection& selection_;
    const TOverlay& overlay_;
    const TViewOptions& options_;
    const TViewTransform& transform_;
    const TSizes sizes_;
    const int radius_;
    const double arrowLength_;
    std::optional<TOppositeEdges> opposites_;
    std::vector<TScreenBox> areas_;  // none while the visible area is not known
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

TScreenBox NodeBox(const TGraphPoint& node, const TViewOptions& options,
                   const TViewTransform& transform) {
    const TSizes sizes(transform);
    const TScreenXY c = transform.ToScreen(node.X, node.Y);
    if (sizes.coarse) return Around(c.X, c.Y, 2);
    const TScreenBox circle = Around(c.X, c.Y, std::int64_t{sizes.radius} + sizes.thin + 1);
    if (!options.ShowCaptions || !node.Caption || node.Caption->Text.empty()) return circle;
    return Union(circle, CaptionBoxAt(c, sizes.radius, node.Caption->Text.size()));
}

TScreenBox EdgeBox(const TGraphEdge& edge, const TViewOptions& options,
                   const TViewTransform& transform) {
    const TSizes sizes(transform);
    const TScreenXY ends[] = {
        transform.ToScreen(PointOf(edge.FromNode).X, PointOf(edge.FromNode).Y),
        transform.ToScreen(PointOf(edge.ToNode).X, PointOf(edge.ToNode).Y)};
    const TScreenXY m = MiddleOf(ends[0], ends[1]);
    const TScreenBox line = LineBox(ends, 2, m, sizes, std::max(sizes.thin, 1));
    if (!options.ShowWeights || sizes.coarse) return line;
    return Union(line, WeightBoxAt(m));
}

void PaintGraphAreas(TCanvas& canvas, const TMathGraph& graph, const TPaintSelection& selection,
                     const TOverlay& overlay, const TViewOptions& options,
                     const TViewTransform& transform, TSceneIndex& index,
                     const std::vector<TScreenBox>& areas) {
    if (areas.empty()) return;
    // The elements whose centre or ends lie so near the areas that something of them may
    // show there: a caption reaches out to the right of its node, a weight to the right of
    // its edge's middle.
    const TSizes sizes(transform);
    std::int64_t nodeReach = std::int64_t{sizes.radius} + sizes.thin + 2;
    if (options.ShowCaptions && !sizes.coarse)
        nodeReach += 2 + std::int64_t(index.LongestCaption() + 2) * kLabelFontPixels;
    std::int64_t edgeReach = std::int64_t(sizes.arrowLength) + sizes.thin + 4;
    if (options.ShowWeights && !sizes.coarse)
        edgeReach += std::int64_t(kLongestWeight + 2) * kLabelFontPixels;
    const auto graphBox = [&](std::int64_t reach) {
        std::vector<TGraphBox> boxes;
        for (const TScreenBox& area : areas) {
            const TGraphXY from =
                transform.ToGraph(ToCanvas(area.X1 - reach), ToCanvas(area.Y1 - reach));
            const TGraphXY to =
                transform.ToGraph(ToCanvas(area.X2 + reach), ToCanvas(area.Y2 + reach));
            boxes.push_back({std::int64_t{from.X} - 1, std::int64_t{from.Y} - 1,
                             std::int64_t{to.X} + 1, std::int64_t{to.Y} + 1});
        }
        return boxes;
    };
    const std::vector<const TGraphPoint*> nodes = index.NodesWithin(graphBox(nodeReach));
    const std::vector<const TGraphEdge*> edges = index.EdgesMeeting(graphBox(edgeReach));
    TPainter painter(canvas, graph, selection, overlay, options, transform);
    painter.LimitTo(areas);
    painter.Paint(&nodes, &edges);
}

void PaintGraph(TCanvas& canvas, const TMathGraph& graph, const TPaintSelection& selection,
                const TOverlay& overlay, const TViewOptions& options,
                const TViewTransform& transform) {
    TPainter(canvas, graph, selection, overlay, options, transform).Paint();
}
