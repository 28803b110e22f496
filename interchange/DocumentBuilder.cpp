#include "interchange/DocumentBuilder.h"

void TDocumentBuilder::AddNode(std::string id, std::string caption,
                               std::optional<TPosition> position, TPlace place) {
    const auto [at, added] = places_.emplace(id, static_cast<int>(document_.Nodes.size()));
    if (!added) throw EFormatError(placeText_(place), "node " + QuotedName(id) + " appears twice");
    document_.Nodes.push_back({std::move(id), std::move(caption), position});
}

int TDocumentBuilder::NodeNamed(const std::string& id) {
    if (const auto found = places_.find(id); found != places_.end()) return found->second;
    const int place = static_cast<int>(document_.Nodes.size());
    places_.emplace(id, place);
    document_.Nodes.push_back({id, id, std::nullopt});
    return place;
}

void TDocumentBuilder::AddEdge(std::string from, std::string to, Real48 weight, bool directed,
                               TPlace place) {
    pending_.push_back({std::move(from), std::move(to), weight, directed, place});
}

int TDocumentBuilder::EndOf(const TPendingEdge& edge, const std::string& id) const {
    const auto found = places_.find(id);
    if (found == places_.end())
        throw EFormatError(placeText_(edge.place), "edge " + QuotedName(edge.from) + " -> " +
                                                       QuotedName(edge.to) + ": no node " +
                                                       QuotedName(id));
    return found->second;
}

TGraphDocument TDocumentBuilder::Finish() {
    document_.Edges.reserve(document_.Edges.size() + pending_.size());
    for (const TPendingEdge& edge : pending_) {
        const int from = EndOf(edge, edge.from);
        const int to = EndOf(edge, edge.to);
        document_.Edges.push_back({from, to, edge.weight});
        if (!edge.directed && from != to) document_.Edges.push_back({to, from, edge.weight});
    }
    pending_.clear();
    return std::move(document_);
}
