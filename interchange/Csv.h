// An edge list in CSV, as spreadsheets, Gephi's edge table and NetworkX write it.
#pragma once

#include <string>
#include <string_view>

#include "interchange/Document.h"

/// One edge a row: source, target and perhaps weight (RFC 4180: fields separated by
/// commas, quoted with "" inside quotes, rows ended by CRLF or LF; empty rows skipped).
/// A first row that names a "source" and a "target" column, without regard to case, is a
/// header: the columns are then found by name ("weight", and "type", where "undirected"
/// makes an edge each way), other columns ignored. Without one the columns are source,
/// target and weight. A missing or empty weight is 1. Nodes come in the order they first
/// appear, named and captioned by their text. UTF-8; a byte-order mark is skipped.
/// EFormatError at "line N": bytes that are not UTF-8, a quoted field not closed or
/// followed by more than a comma, a row of one field, or of more than three without a
/// header, a weight that is not a number or out of range.
TGraphDocument ReadCsv(std::string_view bytes, TWarnings& warnings);

/// A header "source,target,weight", then a row per edge: the captions of its ends and its
/// weight in the shortest text that reads back as it. Noted in warnings, as an edge list
/// cannot hold them: positions, nodes without edges, and nodes whose caption another node
/// has (they read back as one).
std::string WriteCsv(const TGraphDocument& document, TWarnings& warnings);
