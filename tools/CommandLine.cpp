#include "tools/CommandLine.h"

#include <charconv>

#include "persistence/ObjStream.h"

int PositionArgument(const std::string& text) {
    int position = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), position);
    if (end != text.data() + text.size() || text.empty() ||
        (error != std::errc() && error != std::errc::result_out_of_range))
        throw EUsage("\"" + text + "\" is not a node position");
    return error == std::errc() ? position : 0;
}

void CheckArgumentCount(const std::vector<std::string>& args, std::size_t count) {
    if (args.size() != count) throw EUsage("wrong number of arguments for " + args[0]);
}

std::unique_ptr<TMathGraph> LoadGraph(const std::string& fileName) {
    std::unique_ptr<TObject> object(LoadObjectFromFile(fileName, true));
    auto* graph = As<TMathGraph>(object.get());  // on EInvalidCast the object goes with it
    object.release();
    return std::unique_ptr<TMathGraph>(graph);
}
