#include "StationSql.h"

#include "Text.h"

QString OvdCountSql(const QString& atcId, int ioflType) {
    return QStringLiteral("SELECT ") + QStringLiteral("COUNT(A.ATC_ID) OVD_CNT ") +
           QStringLiteral("FROM ATC_INFO A, ") + QStringLiteral("OVD_INFO O, ") +
           QStringLiteral("ROAD_LINK_INFO R ") + QStringLiteral("WHERE A.ATC_ID = O.ATC_ID ") +
           QStringLiteral("AND R.LINK_ID = O.LINK_ID ") + QStringLiteral("AND A.EQUP_TYPE = 2 ") +
           QStringLiteral("AND A.OPER_STAT = 'Y' ") + QStringLiteral("AND O.OPER_STAT = 'Y' ") +
           (ioflType == 1 ? QStringLiteral("AND R.IOFL_TYPE = 1 ")
                          : QStringLiteral("AND R.IOFL_TYPE = 2 ")) +
           QStringLiteral("AND A.ATC_ID = ") + SqlLiteral(atcId);
}
