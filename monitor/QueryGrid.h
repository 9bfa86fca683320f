#pragma once
// The query-into-grid fill every grid of the monitoring program uses, its column readers and the
// quoting of values spliced into its SQL texts. Main thread only.

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class TSQLClientDataSet;
class TfpSpread;

// A text as an SQL literal: between single quotes, each quote inside doubled.
QString SqlLiteral(const QString& value);

// The equipment-status flags in the order the status text joins them.
const QStringList& StatusFlagNames();

// One grid column of a query-into-grid fill: what it shows of the current row.
using TGridColumn = std::function<QString(const TSQLClientDataSet&)>;
TGridColumn FieldColumn(const QString& fieldName);
// The eleven equipment-status flags of the row joined without separators.
TGridColumn StatusColumn();

// Runs sql on dataset and writes its rows into grid from row 1, one column reader per grid column;
// connects if needed and disconnects at the end. whileConnected runs after the rows are in and the
// dataset is closed again, before the disconnect. On failure the dataset is closed and its
// connection disconnected before the error goes on, so the next fill can run.
void FillGridFromQuery(TfpSpread* grid, TSQLClientDataSet& dataset, const QString& sql,
                       const std::vector<TGridColumn>& columns,
                       const std::function<void()>& whileConnected = {});
