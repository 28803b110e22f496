#include "graph/ObjGraph.h"

#include <algorithm>
#include <utility>

IMPLEMENT_CLASS(TStringObj, TObject)
IMPLEMENT_CLASS(TInteger, TObject)
IMPLEMENT_CLASS(TTypedList, TObject)
IMPLEMENT_CLASS(TEdgeList, TTypedList)
IMPLEMENT_CLASS(TNodeList, TUnorderedList)
IMPLEMENT_CLASS(TGraphNode, TObject)
IMPLEMENT_CLASS(TGraphEdge, TObject)
IMPLEMENT_CLASS(TMathGraph, TObject)

// A matrix being built starts with N * N zero cells: zero needs no narrowing.
TInteger::TInteger(std::int32_t value)
    : Value(value == 0 ? Real48() : Real48::FromExtended(value)) {}

// ----------------------------------------------------------------------------
// Reference lists

void TTypedList::Add(TObject* item) {
    if (item == nullptr || !item->InheritsFrom(ItemClass)) return;
    items_.push_back(item);
    NoteStructureChange();
}

int TTypedList::Remove(const TObject* item) {
    const auto found = std::find(items_.begin(), items_.end(), item);
    if (found == items_.end()) return -1;
    const auto index = found - items_.begin();
    items_.erase(found);
    NoteStructureChange();
    return static_cast<int>(index);
}

void TTypedList::Insert(int index, TObject* item) {
    if (index < 0 || index > Count()) throw EListError(index);
    if (item == nullptr || !item->InheritsFrom(ItemClass)) return;
    items_.insert(items_.begin() + index, item);
    NoteStructureChange();
}

void TTypedList::Delete(int index) {
    if (index < 0 || index >= Count()) throw EListError(index);
    items_.erase(items_.begin() + index);
    NoteStructureChange();
}

TEdgeList::TEdgeList() : TTypedList(TGraphEdge::StaticClass()) {}

TGraphEdge* TEdgeList::Get(int index) const {
    return static_cast<TGraphEdge*>(TTypedList::Get(index));
}

// ----------------------------------------------------------------------------
// Nodes and edges

TGraphNode::TGraphNode(std::unique_ptr<TStringObj> caption)
    : Caption(std::move(caption)), OutEdges(std::make_unique<TEdgeList>()) {}

void TGraphNode::Relaxed(TGraphNode* /*fromNode*/, Real48 /*weight*/) {}

TGraphEdge::TGraphEdge(TGraphNode* fromNode, TGraphNode* toNode)
    : FromNode(fromNode), ToNode(toNode), Weight(Real48::FromExtended(1.0L)) {}

void TGraphEdge::Scanned(TGraphNode* /*fromNode*/) {}

TCompareResult CompareNodes(TObject* a, TObject* b) { return a == b ? crEqual : crGreater; }

// ----------------------------------------------------------------------------
// The graph

TMathGraph::TMathGraph()
    : Nodes(std::make_unique<TNodeList>(TGraphNode::StaticClass(), CompareNodes)),
      Edges(std::make_unique<TEdgeList>()) {}

TMathGraph::~TMathGraph() {
    if (Edges == nullptr) return;
    for (int i = 0; i < Edges->Count(); ++i) delete Edges->Get(i);
    Edges->Clear();
}

bool TMathGraph::IsEdgeTarget(const TGraphNode* node) const {
    if (Edges == nullptr) return false;
    for (int i = 0; i < Edges->Count(); ++i)
        if (Edges->Get(i)->ToNode == node) return true;
    return false;
}

// ----------------------------------------------------------------------------
// Compare functions and node positions

namespace {

const TInteger& IntegerOf(TObject* object) {
    if (!IsA<TInteger>(object)) throw EInvalidCast();
    return *static_cast<const TInteger*>(object);
}

TArray& ArrayOf(TObject* object) {
    if (!IsA<TArray>(object)) throw EInvalidCast();
    return *static_cast<TArray*>(object);
}

}  // namespace

TCompareResult CompareInteger(TObject* a, TObject* b) {
    // Widened once each: a matrix being built compares every new cell with the one before.
    const double left = IntegerOf(a).Value.ToDouble();
    const double right = IntegerOf(b).Value.ToDouble();
    if (left < right) return crLess;
    if (left > right) return crGreater;
    return crEqual;
}

TCompareResult CompareArray(TObject* a, TObject* b) {
    if (IsA<TInteger>(a)) return CompareInteger(a, b);
    TArray& left = ArrayOf(a);
    TArray& right = ArrayOf(b);
    if (left.Count() != right.Count()) return left.Count() > right.Count() ? crGreater : crLess;
    const TCompareFunc compare = left.GetCompareFunction();
    for (int i = 1; i <= left.Count(); ++i) {
        const TCompareResult result = compare(left.GetItem(i), right.GetItem(i));
        if (result != crEqual) return result;
    }
    return crEqual;
}

int IndexOfNode(TNodeContainer* list, const TObject* node) {
    int position = 1;
    for (bool more = list->First(); more; more = list->Next(), ++position)
        if (list->GetCurrent() == node) return position;
    return 0;
}

// ----------------------------------------------------------------------------
// The weight matrix

namespace {

/// Edges made but not yet handed to the graph: destroyed with the list unless released.
class TNewEdges {
public:
    TNewEdges() : list_(std::make_unique<TEdgeList>()) {}
    ~TNewEdges() {
        if (list_ == nullptr) return;
        for (int i = 0; i < list_->Count(); ++i) delete list_->Get(i);
    }
    TNewEdges(const TNewEdges&) = delete;
    TNewEdges& operator=(const TNewEdges&) = delete;

    void Add(std::unique_ptr<TGraphEdge> edge) {
        list_->Add(edge.get());
        edge.release();  // the list holds it now
    }
    std::unique_ptr<TEdgeList> Release() { return std::move(list_); }

private:
    std::unique_ptr<TEdgeList> list_;
};

std::unique_ptr<TArray> MakeZeroMatrix(int size) {
    auto matrix = std::make_unique<TArray>(TArray::StaticClass(), CompareArray, size, 0);
    for (int i = 0; i < size; ++i) {
        auto row = std::make_unique<TArray>(TInteger::StaticClass(), CompareInteger, size, 0);
        matrix->Add(row.get());
        row.release();
    }
    // Rows are filled only once all are in: compared while empty, they all count as equal,
    // and so do cells that are all 0, which makes every Sorted flag written true.
    for (int i = 1; i <= size; ++i) {
        TArray& row = ArrayOf(matrix->GetItem(i));
        for (int j = 0; j < size; ++j) {
            auto cell = std::make_unique<TInteger>(0);
            row.Add(cell.get());
            cell.release();
        }
    }
    return matrix;
}

}  // namespace

void TMathGraph::BuildMatrix() {
    Matrix.reset();
    const TNodeIndex index(*Nodes);
    auto matrix = MakeZeroMatrix(index.Count());
    for (int k = 0; k < Edges->Count(); ++k) {
        const TGraphEdge* edge = Edges->Get(k);
        const int from = index.PositionOf(edge->FromNode);
        const int to = index.PositionOf(edge->ToNode);
        TArray& row = ArrayOf(matrix->GetItem(from));
        // Changed in place, not replaced: the row's Sorted flag is not looked at again.
        static_cast<TInteger*>(row.GetItem(to))->Value = edge->GetWeight();
    }
    Matrix = std::move(matrix);
}

void TMathGraph::BuildEdgesFromMatrix() {
    const TNodeIndex index(*Nodes);
    TNewEdges edges;
    for (int i = 1; i <= Matrix->Count(); ++i) {
        TArray& row = ArrayOf(Matrix->GetItem(i));
        for (int j = 1; j <= row.Count(); ++j) {
            const Real48 weight = IntegerOf(row.GetItem(j)).Value;
            if (weight == Real48()) continue;
            auto edge = std::make_unique<TGraphEdge>(index.NodeAt(i), index.NodeAt(j));
            edge->Weight = weight;
            edges.Add(std::move(edge));
        }
    }
    std::unique_ptr<TEdgeList> old = std::exchange(Edges, edges.Release());
    if (old != nullptr)
        for (int k = 0; k < old->Count(); ++k) delete old->Get(k);
}
