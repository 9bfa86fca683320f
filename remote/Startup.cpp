#include "Startup.h"

#include <memory>

#include "Application.h"
#include "DebugFrm.h"
#include "OracleDM.h"
#include "about.h"
#include "main.h"

int RunMorsenda(const QStringList& args) {
    auto mainForm = std::make_unique<TMainForm>(args);
    MainForm = mainForm.get();
    auto aboutBox = std::make_unique<TAboutBox>();
    AboutBox = aboutBox.get();
    auto dm = std::make_unique<TdmOracle>();
    dmOracle = dm.get();
    SetFrmDebug(new TfrmDebug());  // hidden; freed with the application

    const int rc = Application()->RunMainWindow(mainForm.get());
    // Command windows go before the data module they query through.
    mainForm.reset();
    MainForm = nullptr;
    AboutBox = nullptr;
    dmOracle = nullptr;
    return rc;
}
