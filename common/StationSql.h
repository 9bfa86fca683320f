#pragma once
// The SQL texts both programs run alike. Any thread.

#include <QString>

// The count of a controller's operating loop detectors of one direction (1 inflow, 2 outflow),
// as the column OVD_CNT.
QString OvdCountSql(const QString& atcId, int ioflType);
