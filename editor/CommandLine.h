// The editor's command line as --help tells it, and the answers it gives without a window:
// its usage and its version.
#pragma once

#include <QString>

class QCoreApplication;
class QCommandLineParser;

/// Adds the editor's own arguments to parser: the optional graph file to open, and the
/// options that print the usage (-h, --help, and --help-all with the toolkit's options)
/// and the version (-v, --version).
void DescribeCommandLine(QCommandLineParser& parser);

/// When the command line asks for the usage or the version, prints it on standard output
/// and ends the process with status 0, and with status 1 and a message when it also holds
/// an unknown option; otherwise returns at once, having done nothing. Needs no display:
/// asked for either, the toolkit runs without one. Call it first in main().
void AnswerInformationOptions(int argc, char** argv);

/// The graph file the command line names, or empty: the first argument that is neither
/// one of the toolkit's options (the application has taken those out) nor an option of
/// ours. An argument after "--" counts as a file even when it starts with a dash.
QString GraphFileArgument(const QCoreApplication& application);
