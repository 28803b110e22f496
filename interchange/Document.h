// The graph as the interchange formats carry it: nodes with a caption and perhaps a
// position, directed weighted edges between them; what a conversion could not keep;
// and the error of a file that cannot be read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "containers/ObjType.h"
#include "values/Real48.h"

/// A node's centre in the view's pixels, y growing downward.
struct TPosition {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    friend bool operator==(const TPosition&, const TPosition&) = default;
};

struct TDocumentNode {
    std::string Id;                     // as the input names it; said in messages about the node
    std::string Caption;                // UTF-8; the id when the input gives no label
    std::optional<TPosition> Position;  // none when the input gives none
};

/// From and To are 0-based places in the document's Nodes.
struct TDocumentEdge {
    int From = 0;
    int To = 0;
    Real48 Weight;
};

/// Invariants kept by every reader: captions are valid UTF-8, every edge's ends are
/// places in Nodes.
struct TGraphDocument {
    std::vector<TDocumentNode> Nodes;
    std::vector<TDocumentEdge> Edges;
};

/// A file that is not what its format says, or a value in it that the graph cannot take:
/// the message says where ("line 12", "node \"a\"") and what.
class EFormatError : public Exception {
public:
    EFormatError(const std::string& where, const std::string& what)
        : Exception(where.empty() ? what : where + ": " + what) {}
};

/// Where an element is in the input, put into words only when a message needs it: a
/// reader that counted the lines of every element would take time quadratic in the size.
/// Holds a reference: lives no longer than the call it is passed to.
class TWhere {
public:
    TWhere(const std::string& text) : text_(&text) {}  // NOLINT: a place already in words
    template <class F, class = std::enable_if_t<std::is_invocable_r_v<std::string, const F&>>>
    TWhere(const F& words)  // NOLINT: a lambda that says it
        : words_(&words), call_([](const void* f) { return (*static_cast<const F*>(f))(); }) {}

    std::string Text() const { return text_ != nullptr ? *text_ : call_(words_); }

private:
    const std::string* text_ = nullptr;
    const void* words_ = nullptr;
    std::string (*call_)(const void*) = nullptr;
};

/// What a conversion could not keep, one line per kind of loss: how often and where
/// first, so that a large graph gives a few lines rather than thousands.
class TWarnings {
public:
    /// kind says what was lost ("captions cut to 255 bytes"), where the element.
    void Note(const std::string& kind, const std::string& where);

    bool Empty() const { return kinds_.empty(); }
    /// "captions cut to 255 bytes: 2 (first: node \"a\")", in the order first noted.
    std::vector<std::string> Lines() const;

private:
    struct TKind {
        std::string kind;
        std::string firstWhere;
        std::size_t count;
    };
    std::vector<TKind> kinds_;
};

/// "node \"id\"" for messages.
std::string NodePlace(const TDocumentNode& node);
/// "edge \"from\" -> \"to\"" for messages.
std::string EdgePlace(const TGraphDocument& document, const TDocumentEdge& edge);
/// name in double quotes for a one-line message: control characters shown as "?", cut
/// after 60 bytes.
std::string QuotedName(const std::string& name);
