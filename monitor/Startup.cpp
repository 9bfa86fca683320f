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

    const int rc = Application()->RunMainWindow(mainForm.get());
    // The windows go before the data module they query through.
    mainForm.reset();
    MainForm = nullptr;
    dm.reset();
    dmOracle = nullptr;
    return rc;
}
