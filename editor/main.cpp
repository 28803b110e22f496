// The editor program: start-up of every unit, the window, the event loop.
#include "editor/CommandLine.h"
#include "editor/GraphApplication.h"
#include "editor/Units.h"
#include "editor/uGraphForm.h"
#include "persistence/ObjPerst.h"

int main(int argc, char** argv) {
    AnswerInformationOptions(argc, argv);  // --help and --version end here
    RegisterAllUnits();
    int result = 0;
    {
        TGraphApplication application(argc, argv);
        TGraphForm form;
        form.show();
        result = application.exec();
    }  // the window, then the application, go before the registries
    ShutdownRegistries();
    return result;
}
