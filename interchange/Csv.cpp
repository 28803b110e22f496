#include "interchange/Csv.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "interchange/DocumentBuilder.h"
#include "interchange/Fields.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

/// Splits the input into rows of fields, one row at a time.
class TCsvRows {
public:
    explicit TCsvRows(std::string_view bytes) : bytes_(bytes) {}

    /// The next row's fields, or false at the end. EFormatError for a broken quote.
    bool Next(std::vector<std::string>& fields);
    /// The line on which the row last returned begins.
    std::size_t Line() const { return rowLine_; }

private:
    void QuotedField(std::string& field);

    std::string_view bytes_;
    std::size_t at_ = 0;
    std::size_t line_ = 1;
    std::size_t rowLine_ = 1;
};

bool TCsvRows::Next(std::vector<std::string>& fields) {
    fields.clear();
    if (at_ >= bytes_.size()) return false;
    rowLine_ = line_;
    fields.emplace_back();
    while (at_ < bytes_.size()) {
        const char c = bytes_[at_++];
        if (c == ',') {
            fields.emplace_back();
        } else if (c == '\n') {
            ++line_;
            break;
        } else if (c == '\r' && at_ < bytes_.size() && bytes_[at_] == '\n') {
            continue;  // the line feed ends the row
        } else if (c == '"' && fields.back().empty()) {
            QuotedField(fields.back());
        } else {
            fields.back() += c;
        }
    }
    return true;
}

void TCsvRows::QuotedField(std::string& field) {
    const std::size_t opened = line_;
    while (true) {
        if (at_ >= bytes_.size())
            throw EFormatError("line " + std::to_string(opened), "a quoted field is not closed");
        const char c = bytes_[at_++];
        if (c == '\n') ++line_;
        if (c != '"') {
            field += c;
        } else if (at_ < bytes_.size() && bytes_[at_] == '"') {
            field += '"';
            ++at_;
        } else {
            break;
        }
    }
    const bool ends = at_ >= bytes_.size() || bytes_[at_] == ',' || bytes_[at_] == '\n' ||
                      (bytes_[at_] == '\r' && at_ + 1 < bytes_.size() && bytes_[at_ + 1] == '\n');
    if (!ends) throw EFormatError("line " + std::to_string(line_), "text after a closing quote");
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

TColumns ColumnsOf(const std::vector<std::string>& first) {
    TColumns columns;
    auto find = [&](std::string_view name) {
        const auto at = std::find_if(first.begin(), first.end(), [&](const std::string& field) {
            return SameWord(field, name);
        });
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

bool IsEmptyRow(const std::vector<std::string>& fields) {
    return fields.size() == 1 && fields[0].empty();
}

}  // namespace

TGraphDocument ReadCsv(std::string_view bytes, TWarnings& /*warnings*/) {
    if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
    CheckEncoding(bytes);
    TCsvRows rows(bytes);
    TDocumentBuilder builder(
        [](TDocumentBuilder::TPlace line) { return LineText(static_cast<std::size_t>(line)); });
    std::vector<std::string> fields;
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
