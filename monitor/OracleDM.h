#pragma once
// The monitoring program's data module: two connections with the fixed account and the four
// datasets every window of the program queries through. Created once at start-up, kept until
// exit. Main thread only.

#include "Db.h"

class TdmOracle {
public:
    TdmOracle();

    TSQLConnection vdsConnection;
    TSQLClientDataSet dsAxis{&vdsConnection};
    TSQLClientDataSet dsPoint{&vdsConnection};
    TSQLClientDataSet dsQuery{&vdsConnection};
    // The status refresh has a connection of its own, so it never waits on the traffic one.
    TSQLConnection vdsConnection2;
    TSQLClientDataSet dsQuery2{&vdsConnection2};

    // Puts the fixed account into vdsConnection before every log-on, whatever its parameters hold.
    void vdsConnectionBeforeConnect();
};

extern TdmOracle* dmOracle;
