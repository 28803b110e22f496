#include "interchange/Csv.h"

#include <algorithm>
#include <deque>
#include <unordered_set>
#include <vector>

#include "interchange/DocumentBuilder.h"
#include "interchange/Fields.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

/// Splits the input into rows of fields, one row at a time. A field is a view of the
/// input, or, for a quoted field with quotes doubled inside, of its text undoubled.
class TCsvRows {
public:
    explicit TCsvRows(std::string_view bytes) : bytes_(bytes) {}

    /// The next row's fields, valid until the next call, or false at the end.
    /// EFormatError for a broken quote.
    bool Next(std::vector<std::string_view>& fields);
    /// The line on which the row last returned begins.
    std::size_t Line() const { return rowLine_; }

private:
    bool EndsRowAt(std::size_t at) const {
        return bytes_[at] == '\n' ||
               (bytes_[at] == '\r' && at + 1 < bytes_.size() && bytes_[at + 1] == '\n');
    }
    std::string_view PlainField();
    std::string_view QuotedField();

    std::string_view bytes_;
    std::size_t at_ = 0;
    std::size_t line_ = 1;
    std::size_t rowLine_ = 1;
    std::deque<std::string> undoubled_;  // a deque: adding one moves none of the others
};

bool TCsvRows::Next(std::vector<std::string_view>& fields) {
    fields.clear();
    undoubled_.clear();
    if (at_ >= bytes_.size()) return false;
    rowLine_ = line_;
    while (true) {
        fields.push_back(at_ < bytes_.size() && bytes_[at_] == '"' ? QuotedField() : PlainField());
        if (at_ >= bytes_.size()) return true;
        if (bytes_[at_] == ',') {
            ++at_;
            continue;
        }
        at_ += bytes_[at_] == '\r' ? 2 : 1;  // the row's end
        ++line_;
        return true;
    }
}

std::string_view TCsvRows::PlainField() {
    const std::size_t start = at_;
    while (at_ < bytes_.size() && bytes_[at_] != ',' && !EndsRowAt(at_)) ++at_;
    return bytes_.substr(start, at_ - start);
}

std::string_view TCsvRows::QuotedField() {
    const std::size_t opened = line_;
    const std::size_t start = ++at_;
    std::string* undoubled = nullptr;
    while (true) {
        const std::size_t quote = bytes_.find('"', at_);
        if (quote == std::string_view::npos)
            throw EFormatError("line " + std::to_string(opened), "a quoted field is not closed");
        line_ += static_cast<std::size_t>(
            std::count(bytes_.begin() + static_cast<std::ptrdiff_t>(at_),
                       bytes_.begin() + static_cast<std::ptrdiff_t>(quote), '\n'));
        const bool doubled = quote + 1 < bytes_.size() && bytes_[quote + 1] == '"';
        if (doubled && undoubled == nullptr) undoubled = &undoubled_.emplace_back();
        if (undoubled != nullptr) undoubled->append(bytes_.substr(at_, quote + doubled - at_));
        at_ = quote + 1 + doubled;
        if (!doubled) break;
    }
    if (at_ < bytes_.size() && bytes_[at_] != ',' && !EndsRowAt(at_))
        throw EFormatError("line " + std::to_string(line_), "text after a closing quote");
    return undoubled != nullptr ? std::string_view(*undoubled)
                                : bytes_.substr(start, at_ - 1 - start);
}

bool SameWord(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

/// Where each column is; npos for one that is not there.
struct TColumns {
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t source = 0, target = 1, weight = 2, type = kNone;
    bool header = false;
};

TColumns ColumnsOf(const std::vector<std::string_view>& first) {
    TColumns columns;
    auto find = [&](std::string_view name) {
        const auto at = std::find_if(first.begin(), first.end(),
                                     [&](std::string_view field) { return SameWord(field, name); });
        return at == first.end() ? TColumns::kNone : static_cast<std::size_t>(at - first.begin());
    };
    if (find("source") == TColumns::kNone || find("target") == TColumns::kNone) return columns;
    return {find("source"), find("target"), find("weight"), find("type"), true};
}

std::string LineText(std::size_t line) { return "line " + std::to_string(line); }

void CheckEncoding(std::string_view bytes) {
    const std::size_t valid = Utf8Prefix(bytes);
    if (valid == bytes.size()) return;
    const auto line =
        1 + std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(valid), '\n');
    throw EFormatError(LineText(static_cast<std::size_t>(line)), "the text is not UTF-8");
}

bool IsEmptyRow(const std::vector<std::string_view>& fields) {
    return fields.size() == 1 && fields[0].empty();
}

}  // namespace

TGraphDocument ReadCsv(std::string_view bytes, TWarnings& /*warnings*/) {
    if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
    CheckEncoding(bytes);
    TCsvRows rows(bytes);
    TDocumentBuilder builder(
        [](TDocumentBuilder::TPlace line) { return LineText(static_cast<std::size_t>(line)); });
    std::vector<std::string_view> fields;
    std::optional<TColumns> columns;
    const Real48 one = Real48::FromExtended(1.0L);
    while (rows.Next(fields)) {
        if (IsEmptyRow(fields)) continue;
        auto where = [&] { return LineText(rows.Line()); };
        if (!columns) {
            columns = ColumnsOf(fields);
            if (columns->header) continue;
        }
        const std::size_t needed = std::max(columns->source, columns->target) + 1;
        if (fields.size() < std::max<std::size_t>(needed, 2) ||
            (!columns->header && fields.size() > 3))
            throw EFormatError(where(),
                               std::to_string(fields.size()) +
                                   (fields.size() == 1 ? " field" : " fields") +
                                   ": a row holds a source, a target and perhaps a weight");
        const int from = builder.NodeNamed(fields[columns->source]);
        const int to = builder.NodeNamed(fields[columns->target]);
        const bool hasWeight = columns->weight < fields.size() && !fields[columns->weight].empty();
        const Real48 weight = hasWeight ? ReadWeight(fields[columns->weight], where) : one;
        builder.AddEdge(from, to, weight);
        if (columns->type < fields.size() && SameWord(fields[columns->type], "undirected") &&
            from != to)
            builder.AddEdge(to, from, weight);
    }
    return builder.Finish();
}

namespace {

void AppendField(std::string& out, const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        out += text;
        return;
    }
    out += '"';
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

/// What an edge list leaves out of this document, noted once per kind.
void NoteCsvLosses(const TGraphDocument& document, TWarnings& warnings) {
    std::vector<bool> joined(document.Nodes.size(), false);
    for (const TDocumentEdge& edge : document.Edges)
        joined[static_cast<std::size_t>(edge.From)] = joined[static_cast<std::size_t>(edge.To)] =
            true;
    std::unordered_set<std::string_view> captions;
    for (std::size_t i = 0; i < document.Nodes.size(); ++i) {
        const TDocumentNode& node = document.Nodes[i];
        if (node.Position) warnings.Note("positions left out", NodePlace(node));
        if (!joined[i]) warnings.Note("nodes without edges left out", NodePlace(node));
        if (joined[i] && !captions.insert(node.Caption).second)
            warnings.Note("nodes that share a caption, read back as one", NodePlace(node));
    }
}

}  // namespace

std::string WriteCsv(const TGraphDocument& document, TWarnings& warnings) {
    NoteCsvLosses(document, warnings);
    std::string out = "source,target,weight\r\n";
    for (const TDocumentEdge& edge : document.Edges) {
        AppendField(out, document.Nodes[static_cast<std::size_t>(edge.From)].Caption);
        out += ',';
        AppendField(out, document.Nodes[static_cast<std::size_t>(edge.To)].Caption);
        out += ',';
        out += WeightText(edge.Weight);
        out += "\r\n";
    }
    return out;
}
