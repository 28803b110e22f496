// What the readers share: nodes named by id, and edges named by the ids of their ends,
// which may come before the nodes they join.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "interchange/Document.h"

class TDocumentBuilder {
public:
    /// Where an element stands in the input, as the reader counts it (a byte offset, a
    /// line): turned into words only for a message.
    using TPlace = std::int64_t;
    using TPlaceText = std::function<std::string(TPlace)>;

    explicit TDocumentBuilder(TPlaceText placeText) : placeText_(std::move(placeText)) {}

    /// Appends a node. EFormatError at place when a node of that id is already there.
    void AddNode(std::string id, std::string caption, std::optional<TPosition> position,
                 TPlace place);
    /// The node of that id, appended first (with the id as caption) when there is none.
    int NodeNamed(const std::string& id);
    /// An edge from the node of id from to the node of id to, or, when not directed, one
    /// each way (one for a loop). The ends are looked up by Finish.
    void AddEdge(std::string from, std::string to, Real48 weight, bool directed, TPlace place);
    /// An edge between nodes already there.
    void AddEdge(int from, int to, Real48 weight) { document_.Edges.push_back({from, to, weight}); }

    /// The document, edges in the order added. EFormatError at the edge's place when an
    /// end names no node.
    TGraphDocument Finish();

private:
    struct TPendingEdge {
        std::string from;
        std::string to;
        Real48 weight;
        bool directed;
        TPlace place;
    };
    int EndOf(const TPendingEdge& edge, const std::string& id) const;

    TPlaceText placeText_;
    TGraphDocument document_;
    std::unordered_map<std::string, int> places_;
    std::vector<TPendingEdge> pending_;
};
