// The monitoring program.

#include "Application.h"
#include "Startup.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Talvero"));
    return RunTalvero();
}
