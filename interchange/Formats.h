// The interchange formats by file: chosen by a file's extension, read from and written to
// files whole.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "interchange/Document.h"

/// GraphFile is the object stream's .stm, which the formats here do not read or write:
/// its nodes are the editor's.
enum class TFileFormat { GraphFile, GraphMl, Gexf, Dot, Csv, Json };

/// By the file name's extension, without regard to case: .stm, .graphml, .gexf, .dot or
/// .gv, .csv, .json. None for another, or for none.
std::optional<TFileFormat> FormatOfFileName(const std::string& fileName);

/// The file's graph. EFOpenError ("Cannot open file %s"), EReadError ("Stream read
/// error"), and the readers' EFormatError, its message begun by the file's name.
/// REQUIRES: format is not GraphFile.
TGraphDocument ReadDocumentFile(const std::string& fileName, TFileFormat format,
                                TWarnings& warnings);

/// The graph that bytes hold in format: the readers' EFormatError.
/// REQUIRES: format is not GraphFile.
TGraphDocument DecodeDocument(std::string_view bytes, TFileFormat format, TWarnings& warnings);

/// The document's bytes in format; what the format cannot hold is noted in warnings.
/// REQUIRES: format is not GraphFile.
std::string EncodeDocument(const TGraphDocument& document, TFileFormat format, TWarnings& warnings);

/// Writes bytes to the file so that it holds them or is left as it was, without a
/// temporary file left behind (WriteFileAtomically).
void WriteFileBytes(const std::string& fileName, std::string_view bytes);
