#include "interchange/Formats.h"

#include <algorithm>
#include <array>

#include "interchange/Csv.h"
#include "interchange/Dot.h"
#include "interchange/Gexf.h"
#include "interchange/GraphJson.h"
#include "interchange/GraphMl.h"
#include "persistence/Streams.h"

namespace {

struct TExtension {
    const char* extension;
    TFileFormat format;
};
constexpr std::array<TExtension, 7> kExtensions{{{".stm", TFileFormat::GraphFile},
                                                 {".graphml", TFileFormat::GraphMl},
                                                 {".gexf", TFileFormat::Gexf},
                                                 {".dot", TFileFormat::Dot},
                                                 {".gv", TFileFormat::Dot},
                                                 {".csv", TFileFormat::Csv},
                                                 {".json", TFileFormat::Json}}};

std::string Lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return text;
}

}  // namespace

std::optional<TFileFormat> FormatOfFileName(const std::string& fileName) {
    const std::string name = Lowered(fileName);
    for (const TExtension& entry : kExtensions)
        if (name.ends_with(entry.extension) &&
            name.size() > std::string_view(entry.extension).size())
            return entry.format;
    return std::nullopt;
}

TGraphDocument DecodeDocument(std::string_view bytes, TFileFormat format, TWarnings& warnings) {
    switch (format) {
        case TFileFormat::GraphMl:
            return ReadGraphMl(bytes, warnings);
        case TFileFormat::Gexf:
            return ReadGexf(bytes, warnings);
        case TFileFormat::Dot:
            return ReadDot(bytes, warnings);
        case TFileFormat::Csv:
            return ReadCsv(bytes, warnings);
        case TFileFormat::Json:
            return ReadGraphJson(bytes, warnings);
        case TFileFormat::GraphFile:
            break;
    }
    throw EFormatError("", "a graph file is not read here");
}

TGraphDocument ReadDocumentFile(const std::string& fileName, TFileFormat format,
                                TWarnings& warnings) {
    TMemoryStream file;
    file.LoadFromFile(fileName);
    const std::string_view bytes(reinterpret_cast<const char*>(file.Memory()),
                                 static_cast<std::size_t>(file.Size()));
    try {
        return DecodeDocument(bytes, format, warnings);
    } catch (const EFormatError& e) {
        throw EFormatError(fileName, e.what());
    }
}

std::string EncodeDocument(const TGraphDocument& document, TFileFormat format,
                           TWarnings& warnings) {
    switch (format) {
        case TFileFormat::GraphMl:
            return WriteGraphMl(document, warnings);
        case TFileFormat::Gexf:
            return WriteGexf(document, warnings);
        case TFileFormat::Dot:
            return WriteDot(document, warnings);
        case TFileFormat::Csv:
            return WriteCsv(document, warnings);
        case TFileFormat::Json:
            return WriteGraphJson(document, warnings);
        case TFileFormat::GraphFile:
            break;
    }
    throw EFormatError("", "a graph file is not written here");
}

void WriteFileBytes(const std::string& fileName, std::string_view bytes) {
    WriteFileAtomically(fileName, bytes.data(), bytes.size());
}
