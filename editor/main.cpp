// The editor program: start-up of every unit, the window (with the graph file named on
// the command line, if any), the event loop.
#include <csignal>

#include "editor/CommandLine.h"
#include "editor/GraphApplication.h"
#include "editor/Units.h"
#include "editor/uGraphForm.h"
#include "persistence/ObjPerst.h"

int main(int argc, char** argv) {
    AnswerInformationOptions(argc, argv);  // --help and --version end here
    // Past a file-size limit a save then fails with "Stream write error", shown like any
    // other, instead of the signal ending the editor with the graph unsaved.
    std::signal(SIGXFSZ, SIG_IGN);
    RegisterAllUnits();
    int result = 0;
    {
        TGraphApplication application(argc, argv);
        TGraphForm form;
        form.show();
        const QString file = GraphFileArgument(application);
        if (!file.isEmpty()) form.OpenOnStart(file);
        result = application.exec();
    }  // the window, then the application, go before the registries
    ShutdownRegistries();
    return result;
}
