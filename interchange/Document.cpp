#include "interchange/Document.h"

#include <algorithm>

namespace {

constexpr std::size_t kQuotedLimit = 60;  // bytes of a name said in a message

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

void TWarnings::Note(const std::string& kind, const std::string& where) {
    const auto found =
        std::find_if(kinds_.begin(), kinds_.end(), [&](const TKind& k) { return k.kind == kind; });
    if (found != kinds_.end()) {
        ++found->count;
        return;
    }
    kinds_.push_back({kind, where, 1});
}

std::vector<std::string> TWarnings::Lines() const {
    std::vector<std::string> lines;
    for (const TKind& k : kinds_)
        lines.push_back(k.kind + ": " + std::to_string(k.count) + " (first: " + k.firstWhere + ")");
    return lines;
}

std::string QuotedName(const std::string& name) {
    // A message is one line: control characters are shown as "?", a long name is cut.
    std::string quoted = "\"";
    std::size_t end = std::min(name.size(), kQuotedLimit);
    while (end < name.size() && end > 0 && IsContinuationByte(name[end])) --end;
    for (std::size_t i = 0; i < end; ++i)
        quoted += static_cast<unsigned char>(name[i]) < 0x20 ? '?' : name[i];
    return quoted + (end < name.size() ? "...\"" : "\"");
}

std::string NodePlace(const TDocumentNode& node) { return "node " + QuotedName(node.Id); }

std::string EdgePlace(const TGraphDocument& document, const TDocumentEdge& edge) {
    return "edge " + QuotedName(document.Nodes[static_cast<std::size_t>(edge.From)].Id) + " -> " +
           QuotedName(document.Nodes[static_cast<std::size_t>(edge.To)].Id);
}
