#include "OracleDM.h"

TdmOracle* dmOracle = nullptr;

namespace {
const QString kDbName = QStringLiteral("kelnor");
const QString kDbUser = QStringLiteral("kelnor");
const QString kDbPassword = QStringLiteral("wubrix");

void StoreParams(TSQLConnection& c, const QString& database, const QString& user,
                 const QString& password) {
    c.SetParam(QStringLiteral("DriverName"), QStringLiteral("Oracle"));
    c.SetParam(QStringLiteral("Database"), database);
    c.SetParam(QStringLiteral("User_Name"), user);
    c.SetParam(QStringLiteral("Password"), password);
    c.SetParam(QStringLiteral("RowsetSize"), QStringLiteral("20"));
    c.SetParam(QStringLiteral("BlobSize"), QStringLiteral("-1"));
    c.SetParam(QStringLiteral("ErrorResourceFile"), QString());
    c.SetParam(QStringLiteral("LocaleCode"), QStringLiteral("0000"));
    c.SetParam(QStringLiteral("Oracle TransIsolation"), QStringLiteral("ReadCommited"));
}
}  // namespace

TdmOracle::TdmOracle()
    : vdsConnection(QStringLiteral("OracleConnection")),
      vdsConnection2(QStringLiteral("OracleConnection")) {
    StoreParams(vdsConnection, QString(), QString(), QString());
    vdsConnection.BeforeConnect = [this] { vdsConnectionBeforeConnect(); };
    StoreParams(vdsConnection2, kDbName, kDbUser, kDbPassword);
}

void TdmOracle::vdsConnectionBeforeConnect() {
    vdsConnection.SetParam(QStringLiteral("Database"), kDbName);
    vdsConnection.SetParam(QStringLiteral("User_Name"), kDbUser);
    vdsConnection.SetParam(QStringLiteral("Password"), kDbPassword);
}
