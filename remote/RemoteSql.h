#pragma once
// The SQL texts the control program runs, each built from its fixed pieces in their order with the
// values spliced in as quoted literals. Any thread.

#include <QString>

#include "StationSql.h"

// The controller tree: the axes, the survey-point groups and the VDS controllers under each.
QString AxisListSql();
QString AxisControllersSql(const QString& equpType, const QString& axleId);
QString ResrListSql();
QString ResrControllersSql(const QString& equpType, const QString& resrSpotId);
// The detail strip of a ticked controller (with OvdCountSql for each direction).
QString LoopDetCountSql(const QString& atcId);
QString AxisAndCtlNoSql(const QString& atcId);

// The newest stored value of one parameter index of a controller.
QString ParamGroupSql(const QString& atcId, int paraIndex);

// The remote-control window's read-backs: the version, and the newest management reply.
QString AtcVersionSql(const QString& atcId);
QString CtrlResultSql(const QString& atcId);

// The accumulated traffic, averaged by road, controller, location and detection time.
QString AccuTrafSql(const QString& atcId);
