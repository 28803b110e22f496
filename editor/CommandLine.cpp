#include "editor/CommandLine.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdlib>
#include <string_view>

#include "ProjectVersion.h"

namespace {

bool AsksForInformation(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") return false;  // what follows are file names
        if (arg == "-h" || arg == "--help" || arg == "--help-all" || arg == "-v" ||
            arg == "--version")
            return true;
    }
    return false;
}

}  // namespace

void DescribeCommandLine(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Draws directed, weighted graphs and finds their shortest paths."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("A graph file (.stm) to open."),
                                 QStringLiteral("[file]"));
}

void AnswerInformationOptions(int argc, char** argv) {
    if (!AsksForInformation(argc, argv)) return;
    // The toolkit's own options are listed by a GUI application only; this one shows no
    // window, so it needs no display.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("grapheditor"));
    QApplication::setApplicationVersion(QString::fromLatin1(kProjectVersion));
    QCommandLineParser parser;
    DescribeCommandLine(parser);
    parser.process(application);  // prints what was asked and ends the process
    std::exit(EXIT_SUCCESS);      // not reached while the options above are asked for
}

QString GraphFileArgument(const QCoreApplication& application) {
    QCommandLineParser parser;
    DescribeCommandLine(parser);
    // Unknown options are not ours to refuse here: the information options already did.
    parser.parse(application.arguments());
    return parser.positionalArguments().value(0);
}
