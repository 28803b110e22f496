#include "interchange/DocumentBuilder.h"

#include <algorithm>
#include <functional>

namespace {

std::size_t HashOf(std::string_view id) { return std::hash<std::string_view>()(id); }

}  // namespace

int TDocumentBuilder::Find(std::string_view id, std::size_t hash, std::size_t& slot) const {
    if (slots_.empty()) return -1;
    const std::size_t mask = slots_.size() - 1;
    for (slot = hash & mask;; slot = (slot + 1) & mask) {
        const TSlot& at = slots_[slot];
        if (at.place < 0) return -1;
        if (at.hash != hash) continue;
        const bool same = at.length <= kShortId
                              ? std::string_view(at.id, at.length) == id
                              : document_.Nodes[static_cast<std::size_t>(at.place)].Id == id;
        if (same) return at.place;
    }
}

void TDocumentBuilder::Insert(std::size_t slot, std::size_t hash, int place, std::string_view id) {
    // At most half full, so that every search ends soon at a free slot.
    if (2 * (document_.Nodes.size() + 1) > slots_.size()) {
        std::vector<TSlot> old(std::max<std::size_t>(16, 2 * slots_.size()));
        old.swap(slots_);
        const std::size_t mask = slots_.size() - 1;
        for (const TSlot& moved : old) {
            if (moved.place < 0) continue;
            std::size_t to = moved.hash & mask;
            while (slots_[to].place >= 0) to = (to + 1) & mask;
            slots_[to] = moved;
        }
        slot = hash & mask;
        while (slots_[slot].place >= 0) slot = (slot + 1) & mask;
    }
    TSlot& at = slots_[slot];
    at.hash = hash;
    at.place = place;
    at.length = static_cast<std::uint8_t>(std::min(id.size(), kShortId + 1));
    if (id.size() <= kShortId) std::copy(id.begin(), id.end(), at.id);
}

void TDocumentBuilder::AddNode(std::string id, std::string caption,
                               std::optional<TPosition> position, TPlace place) {
    const std::size_t hash = HashOf(id);
    std::size_t slot = 0;
    if (Find(id, hash, slot) >= 0)
        throw EFormatError(placeText_(place), "node " + QuotedName(id) + " appears twice");
    const int added = static_cast<int>(document_.Nodes.size());
    Insert(slot, hash, added, id);
    document_.Nodes.push_back({std::move(id), std::move(caption), position});
}

int TDocumentBuilder::NodeNamed(std::string_view id) {
    const std::size_t hash = HashOf(id);
    std::size_t slot = 0;
    if (const int found = Find(id, hash, slot); found >= 0) return found;
    const int added = static_cast<int>(document_.Nodes.size());
    Insert(slot, hash, added, id);
    document_.Nodes.push_back({std::string(id), std::string(id), std::nullopt});
    return added;
}

void TDocumentBuilder::AddEdge(std::string from, std::string to, Real48 weight, bool directed,
                               TPlace place) {
    pending_.push_back({std::move(from), std::move(to), weight, directed, place});
}

int TDocumentBuilder::EndOf(const TPendingEdge& edge, const std::string& id) const {
    std::size_t slot = 0;
    const int found = Find(id, HashOf(id), slot);
    if (found < 0)
        throw EFormatError(placeText_(edge.place), "edge " + QuotedName(edge.from) + " -> " +
                                                       QuotedName(edge.to) + ": no node " +
                                                       QuotedName(id));
    return found;
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
    slots_.clear();
    return std::move(document_);
}
