#pragma once
// The SQL texts the monitoring program runs, each built from its fixed pieces in their order with
// the ticked stations' IN-list or a typed value spliced in. mode is the monitor mode: 2 VDS, 1
// new signal, the values of EQUP_TYPE. Any thread.

#include <QString>
#include <QStringList>

#include "StationSql.h"

// The equipment-status flags in the order the status text joins them.
const QStringList& StatusFlagNames();
// The select pieces the traffic and status grids share: "R.ROAD_NUM ROAD_NUM, " to
// "S.SPOT_LOCA SPOT_LOCA, ", then the eleven flags "E.HRCL HRCL, " to "E.SACK SACK, ".
QString StationSelectPieces();
// The FROM and WHERE pieces the VDS traffic and the status query share, "FROM  " to
// "AND B.SYS_CODE = A.EQUP_TYPE ".
QString NewestTrafficFromWhere();

// The station tree's two branches.
QString AxisBranchSql(int mode);
QString ResrBranchSql(int mode);
// The traffic monitor's refresh of each mode, and the newest collection time of the list.
QString VdsGridSql(const QString& atcList);
QString NewSglGridSql(const QString& atcList);
QString ColDateSql(int mode, const QString& atcList);
// The equipment-status window's refresh.
QString StatusGridSql(int mode, const QString& atcList);
// The search: the base text, then one condition for each non-empty edit, in the edits' order
// (axis id and name, survey-point-group number and name, survey point id and name).
QString SearchSql(const QStringList& edits);
// The three pick lists.
QString AxisPickListSql();
QString ResrGroupPickListSql();
QString ResrPickListSql();
