#include "interchange/GraphJson.h"

#include <map>
#include <nlohmann/json.hpp>

#include "interchange/Fields.h"

namespace {

// Floats are parsed in extended precision, as typed weights are; a number beyond even
// that range is infinite, which narrowing refuses.
using TJson = nlohmann::basic_json<std::map, std::vector, std::string, bool, std::int64_t,
                                   std::uint64_t, long double>;

TJson Parse(std::string_view bytes) {
    try {
        return TJson::parse(bytes.begin(), bytes.end());
    } catch (const TJson::exception& e) {
        std::string message = e.what();
        const std::size_t bracket = message.find("] ");  // "[json.exception.parse_error.101] "
        if (bracket != std::string::npos) message.erase(0, bracket + 2);
        throw EFormatError("", "not JSON: " + message);
    }
}

const TJson& Member(const TJson& object, const char* key, const std::string& where) {
    const auto found = object.find(key);
    if (found == object.end())
        throw EFormatError(where, std::string("the member \"") + key + "\" is missing");
    return *found;
}

long double NumberOf(const TJson& value, const char* key, const std::string& where) {
    if (!value.is_number())
        throw EFormatError(where, std::string("\"") + key + "\" is not a number");
    return value.get<long double>();
}

int EndOf(const TJson& edge, const char* key, std::size_t nodeCount, const std::string& where) {
    const TJson& value = Member(edge, key, where);
    const bool fits = value.is_number_integer() && value.get<std::int64_t>() >= 1 &&
                      !(value.is_number_unsigned() && value.get<std::uint64_t>() > nodeCount) &&
                      value.get<std::int64_t>() <= static_cast<std::int64_t>(nodeCount);
    if (!fits) throw EFormatError(where, std::string("\"") + key + "\" is no node's place");
    return static_cast<int>(value.get<std::int64_t>() - 1);
}

TDocumentNode NodeOf(const TJson& item, std::size_t place) {
    const std::string where = "node " + std::to_string(place);
    if (!item.is_object()) throw EFormatError(where, "not an object");
    const TJson& caption = Member(item, "caption", where);
    if (!caption.is_string()) throw EFormatError(where, "\"caption\" is not a string");
    TDocumentNode node{"n" + std::to_string(place), caption.get<std::string>(), std::nullopt};
    const bool x = item.contains("x"), y = item.contains("y");
    if (x != y) throw EFormatError(where, x ? "x without y" : "y without x");
    if (x)
        node.Position = TPosition{
            RoundCoordinate(static_cast<double>(NumberOf(item["x"], "x", where)), "x", where),
            RoundCoordinate(static_cast<double>(NumberOf(item["y"], "y", where)), "y", where)};
    return node;
}

TDocumentEdge EdgeOf(const TJson& item, std::size_t place, std::size_t nodeCount) {
    const std::string where = "edge " + std::to_string(place);
    if (!item.is_object()) throw EFormatError(where, "not an object");
    TDocumentEdge edge{EndOf(item, "from", nodeCount, where), EndOf(item, "to", nodeCount, where),
                       Real48::FromExtended(1.0L)};
    if (item.contains("weight")) {
        try {
            edge.Weight = Real48::FromExtended(NumberOf(item["weight"], "weight", where));
        } catch (const EOverflow& e) {
            throw EFormatError(where, e.what());
        }
    }
    return edge;
}

const TJson& ArrayOf(const TJson& document, const char* key) {
    const TJson& array = Member(document, key, "");
    if (!array.is_array()) throw EFormatError("", std::string("\"") + key + "\" is not an array");
    return array;
}

}  // namespace

TGraphDocument ReadGraphJson(std::string_view bytes, TWarnings& /*warnings*/) {
    const TJson json = Parse(bytes);
    if (!json.is_object()) throw EFormatError("", "the JSON is not an object");
    TGraphDocument document;
    for (const TJson& item : ArrayOf(json, "nodes"))
        document.Nodes.push_back(NodeOf(item, document.Nodes.size() + 1));
    for (const TJson& item : ArrayOf(json, "edges"))
        document.Edges.push_back(EdgeOf(item, document.Edges.size() + 1, document.Nodes.size()));
    return document;
}

std::string WriteGraphJson(const TGraphDocument& document, TWarnings& /*warnings*/) {
    std::string out = "{\"nodes\": [";
    for (std::size_t i = 0; i < document.Nodes.size(); ++i) {
        const TDocumentNode& node = document.Nodes[i];
        out += (i > 0 ? ", " : "");
        out += "{\"caption\": " + TJson(node.Caption).dump();
        if (node.Position)
            out += ", \"x\": " + std::to_string(node.Position->X) +
                   ", \"y\": " + std::to_string(node.Position->Y);
        out += "}";
    }
    out += "], \"edges\": [";
    for (std::size_t k = 0; k < document.Edges.size(); ++k) {
        const TDocumentEdge& edge = document.Edges[k];
        out += (k > 0 ? ", " : "");
        out += "{\"from\": " + std::to_string(edge.From + 1) +
               ", \"to\": " + std::to_string(edge.To + 1) +
               ", \"weight\": " + WeightText(edge.Weight) + "}";
    }
    out += "]}\n";
    return out;
}
