#include "OracleDM.h"

#include "LaunchArgs.h"
#include "main.h"

TdmOracle* dmOracle = nullptr;

TdmOracle::TdmOracle() : vdsConnection(QStringLiteral("OracleConnection")) {
    vdsConnection.SetParam(QStringLiteral("DriverName"), QStringLiteral("Oracle"));
    vdsConnection.SetParam(QStringLiteral("Database"), QString());
    vdsConnection.SetParam(QStringLiteral("User_Name"), QString());
    vdsConnection.SetParam(QStringLiteral("Password"), QString());
    vdsConnection.SetParam(QStringLiteral("RowsetSize"), QStringLiteral("20"));
    vdsConnection.SetParam(QStringLiteral("BlobSize"), QStringLiteral("-1"));
    vdsConnection.SetParam(QStringLiteral("ErrorResourceFile"), QString());
    vdsConnection.SetParam(QStringLiteral("LocaleCode"), QStringLiteral("0000"));
    vdsConnection.SetParam(QStringLiteral("Oracle TransIsolation"), QStringLiteral("ReadCommited"));
    vdsConnection.BeforeConnect = [this] { vdsConnectionBeforeConnect(); };
}

void TdmOracle::vdsConnectionBeforeConnect() {
    vdsConnection.SetParam(QStringLiteral("Database"), GetDbName(MainForm));
    vdsConnection.SetParam(QStringLiteral("User_Name"), GetDbUser(MainForm));
    vdsConnection.SetParam(QStringLiteral("Password"), GetDbPassword(MainForm));
}
