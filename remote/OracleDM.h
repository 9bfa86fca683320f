#pragma once
// The control program's data module: the connection and the four datasets every window of the
// program queries through. Created once at start-up, kept until exit. Main thread only.

#include "Db.h"

class TdmOracle {
public:
    TdmOracle();

    TSQLConnection vdsConnection;
    TSQLClientDataSet dsAxis{&vdsConnection};
    TSQLClientDataSet dsPoint{&vdsConnection};
    TSQLClientDataSet dsQuery{&vdsConnection};
    TSQLClientDataSet dsQuery2{&vdsConnection};

    // Takes the account from the main window's launch arguments 1 to 3 before every log-on.
    void vdsConnectionBeforeConnect();
};

extern TdmOracle* dmOracle;
