#include "Startup.h"

#include <memory>

#include "Application.h"
#include "OracleDM.h"
#include "main.h"

int RunTalvero() {
    auto mainForm = std::make_unique<TMainForm>();
    MainForm = mainForm.get();
    auto dm = std::make_unique<TdmOracle>();
    dmOracle = dm.get();

    int rc = 0;
    if (!Application()->Terminated()) {
        mainForm->show();
        rc = Application()->Run();
    }
    // The windows go before the data module they query through.
    Application()->FreeOwned();
    mainForm.reset();
    MainForm = nullptr;
    dm.reset();
    dmOracle = nullptr;
    return rc;
}
