#include "tools/RenderCommand.h"

#include <ostream>

#include "editor/GraphDocument.h"
#include "editor/GraphPainter.h"
#include "editor/SvgCanvas.h"
#include "tools/CommandLine.h"

namespace {

struct TRenderRequest {
    std::string in, out;
    TFileFormat inFormat = TFileFormat::GraphFile;
    TViewOptions options;
};

bool EndsWithSvg(const std::string& name) {
    if (name.size() <= 4) return false;
    std::string end = name.substr(name.size() - 4);
    for (char& c : end) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return end == ".svg";
}

// Whether arg is an option, which it then sets.
bool SetOption(const std::string& arg, TViewOptions& options) {
    bool* option = arg == "--captions"   ? &options.ShowCaptions
                   : arg == "--weights"  ? &options.ShowWeights
                   : arg == "--separate" ? &options.SeparateOpposite
                   : arg == "--adapt"    ? &options.AdaptEdges
                                         : nullptr;
    if (option != nullptr) *option = true;
    return option != nullptr;
}

TRenderRequest RequestOf(const std::vector<std::string>& args) {
    TRenderRequest request;
    std::vector<std::string> files;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (SetOption(args[i], request.options)) continue;
        if (args[i].starts_with("--"))
            throw EUsage("unknown option \"" + args[i] + "\" for render");
        files.push_back(args[i]);
    }
    if (files.size() != 2) throw EUsage("wrong number of arguments for render");
    request.in = files[0];
    request.out = files[1];
    const std::optional<TFileFormat> format = FormatOfFileName(request.in);
    if (!format)
        throw EUsage("\"" + request.in +
                     "\" has no extension of a format: .stm, .graphml, .gexf, .dot, .gv, .csv "
                     "or .json");
    if (!EndsWithSvg(request.out)) throw EUsage("\"" + request.out + "\" does not end in .svg");
    request.inFormat = *format;
    return request;
}

}  // namespace

void RunRender(const std::vector<std::string>& args, std::ostream& err) {
    const TRenderRequest request = RequestOf(args);
    TWarnings warnings;
    const TGraphDocument document = ReadPlacedDocument(request.in, request.inFormat, warnings);
    const std::unique_ptr<TMathGraph> graph = GraphOfDocument(document, warnings);
    TSvgCanvas canvas;
    PaintGraph(canvas, *graph, {}, {}, request.options, TViewTransform());
    WriteFileBytes(request.out, canvas.Document());
    for (const std::string& line : warnings.Lines()) err << "warning: " << line << "\n";
}
