#include "interchange/Graphviz.h"

#include <graphviz/cgraph.h>
#include <graphviz/gvc.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string_view>

#if defined(__SANITIZE_ADDRESS__)
#define GRAPHVIZ_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GRAPHVIZ_UNDER_ASAN 1
#endif
#endif
#ifdef GRAPHVIZ_UNDER_ASAN
#include <sanitizer/lsan_interface.h>
#endif

namespace {

std::mutex& GraphvizMutex() {
    static std::mutex mutex;
    return mutex;
}

/// Everything Graphviz reported during the current use, as it sent it: in pieces, each
/// message begun by "Error" or "Warning" and ": ".
std::string& Reported() {
    static std::string text;
    return text;
}

int TakeMessage(char* piece) {
    Reported() += piece;
    return 0;
}

/// Set up once: messages come to us, and a node without a label in a DOT file has the
/// label Graphviz gives it, its name, so that it can be told from one labelled "".
void SetUpOnce() {
    static const bool done = [] {
        agseterrf(&TakeMessage);
        agseterr(AGWARN);
        agattr(nullptr, AGNODE, const_cast<char*>("label"), const_cast<char*>("\\N"));
        return true;
    }();
    (void)done;
}

}  // namespace

TGraphvizUse::TGraphvizUse() : lock_(GraphvizMutex()) {
    SetUpOnce();
    Reported().clear();
}

GVC_s* TGraphvizUse::Context() {
    static const std::unique_ptr<GVC_t, int (*)(GVC_t*)> context(
        [] {
#ifdef GRAPHVIZ_UNDER_ASAN
            // Graphviz keeps the text of its plugin configuration for the life of the
            // process, where its plugins point into it, with no pointer the leak checker
            // sees: not a leak of ours, and the only thing hidden from it.
            const __lsan::ScopedDisabler keptForGood;
#endif
            return gvContext();
        }(),
        &gvFreeContext);
    return context.get();
}

int TGraphvizUse::LayOut(Agraph_s* graph, const char* engine) {
    GVC_t* context = Context();
    std::srand(1);  // rand() and random() share their state; 1 is their state at start
    unsigned short start[3] = {0, 0, 0};  // drand48's state before any seeding
    seed48(start);
#ifdef GRAPHVIZ_UNDER_ASAN
    // Graphviz's dot engine loses the edges it makes to break a graph's cycles: a leak of
    // Graphviz's, not ours, kept from the leak checker. Every other engine is checked.
    std::optional<__lsan::ScopedDisabler> dotLeaks;
    if (std::string_view(engine) == "dot") dotLeaks.emplace();
#endif
    return gvLayout(context, graph, engine);
}

std::string TGraphvizUse::Errors() const {
    std::string errors;
    const std::string& text = Reported();
    bool inError = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.starts_with("Warning: ")) {
            inError = false;
        } else if (line.starts_with("Error: ")) {
            inError = true;
            errors += (errors.empty() ? "" : "; ") + line.substr(7);
        } else if (inError && !line.empty()) {
            errors += " " + line;  // a message that goes on over more than one line
        }
    }
    return errors;
}
