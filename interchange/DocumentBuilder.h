// What the readers share: nodes named by id, and edges named by the ids of their ends,
// which may come before the nodes they join.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
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
    int NodeNamed(std::string_view id);
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
    /// The place of the node of that id, or -1; slot is where the search for it ended.
    int Find(std::string_view id, std::size_t hash, std::size_t& slot) const;
    void Insert(std::size_t slot, std::size_t hash, int place, std::string_view id);

    TPlaceText placeText_;
    TGraphDocument document_;
    // The nodes by id: open addressing, so that each of the millions of look-ups of a
    // large edge list touches one slot, not a chain of heap nodes and then the string. A
    // slot holds the id's hash, its node's place (-1 when free) and a short id itself; a
    // longer one is compared where its node holds it.
    static constexpr std::size_t kShortId = 19;
    struct TSlot {
        std::size_t hash = 0;
        int place = -1;
        std::uint8_t length = 0;  // of a short id; kShortId + 1 for a longer one
        char id[kShortId] = {};
    };
    std::vector<TSlot> slots_;
    std::vector<TPendingEdge> pending_;
};
