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

    int rc = 0;
    if (!Application()->Terminated()) {
        mainForm->show();
        rc = Application()->Run();
    }
    // Command windows go before the data module they query through.
    Application()->FreeOwned();
    mainForm.reset();
    MainForm = nullptr;
    AboutBox = nullptr;
    dmOracle = nullptr;
    return rc;
}
