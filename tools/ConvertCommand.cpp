#include "tools/ConvertCommand.h"

#include <ostream>

#include "editor/GraphDocument.h"
#include "tools/CommandLine.h"
#include "tools/StmTool.h"

namespace {

struct TConvertRequest {
    std::string in, out;
    TFileFormat inFormat = TFileFormat::GraphFile, outFormat = TFileFormat::GraphFile;
    std::optional<TLayoutEngine> engine;
    bool strict = false;
};

TFileFormat FormatArgument(const std::string& fileName) {
    const std::optional<TFileFormat> format = FormatOfFileName(fileName);
    if (!format)
        throw EUsage("\"" + fileName +
                     "\" has no extension of a format: .stm, .graphml, .gexf, .dot, .gv, .csv "
                     "or .json");
    return *format;
}

TLayoutEngine EngineArgument(const std::string& name) {
    const std::optional<TLayoutEngine> engine = LayoutEngineNamed(name);
    if (!engine)
        throw EUsage("\"" + name + "\" is not a layout engine: neato, sfdp, dot, circo or twopi");
    return *engine;
}

TConvertRequest RequestOf(const std::vector<std::string>& args) {
    TConvertRequest request;
    std::vector<std::string> files;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--strict") {
            request.strict = true;
        } else if (args[i] == "--layout") {
            if (++i == args.size()) throw EUsage("--layout wants an engine");
            request.engine = EngineArgument(args[i]);
        } else if (args[i].starts_with("--")) {
            throw EUsage("unknown option \"" + args[i] + "\" for convert");
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2) throw EUsage("wrong number of arguments for convert");
    request.in = files[0];
    request.out = files[1];
    request.inFormat = FormatArgument(request.in);
    request.outFormat = FormatArgument(request.out);
    return request;
}

}  // namespace

void RunConvert(const std::vector<std::string>& args, std::ostream& err) {
    const TConvertRequest request = RequestOf(args);
    TWarnings warnings;
    TGraphDocument document = ReadGraphDocument(request.in, request.inFormat, warnings);
    if (request.outFormat != TFileFormat::Csv) {
        try {
            PlaceNodes(document, request.engine, warnings);
        } catch (const ELayoutError& e) {
            const TLayoutEngine used =
                request.engine.value_or(DefaultLayoutEngine(document.Nodes.size()));
            throw ELayoutError(std::string(LayoutEngineName(used)) + ": " + e.what());
        }
    }
    WriteGraphDocument(document, request.out, request.outFormat, warnings, request.strict);
    for (const std::string& line : warnings.Lines()) err << "warning: " << line << "\n";
}
