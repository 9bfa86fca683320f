#pragma once
// The query-into-grid fill every grid of the monitoring program uses, its column readers and the
// grids' stored layout. Main thread only.

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "MonitorSql.h"

class TSQLClientDataSet;
class TfpSpread;

// One grid column of a query-into-grid fill: what it shows of the current row.
using TGridColumn = std::function<QString(const TSQLClientDataSet&)>;
TGridColumn FieldColumn(const QString& fieldName);
// The eleven equipment-status flags of the row joined without separators.
TGridColumn StatusColumn();

// Whether the current result row gets a grid row; a refused row takes no grid row, so the
// rows taken fill the grid without gaps.
using TRowFilter = std::function<bool(const TSQLClientDataSet&)>;

// Runs sql on dataset and writes its rows into grid from row 1, one column reader per grid column;
// connects if needed and disconnects at the end. whileConnected runs after the rows are in and the
// dataset is closed again, before the disconnect. takeRow, when given, chooses the rows written.
// On failure the dataset is closed and its connection disconnected before the error goes on, so
// the next fill can run.
void FillGridFromQuery(TfpSpread* grid, TSQLClientDataSet& dataset, const QString& sql,
                       const std::vector<TGridColumn>& columns,
                       const std::function<void()>& whileConnected = {},
                       const TRowFilter& takeRow = {});

// The stored layout of a grid: no row numbers, and each column as wide as its width in the grid's
// character units, but never narrower than its header text. The wide column (from 1) takes the
// width the others leave; FitColumns keeps it so. A cell cut short shows its whole text as a tip.
void SetUpGrid(TfpSpread* grid, const std::vector<double>& widthsInChars, int wideColumn);
// After a fill: the columns widen to their longest text, all but the wide one, which takes the
// width the others leave (its header's at least) and elides what does not fit. So long locations
// do not push the status and the figures out of sight; once the operator drags that column, the
// width dragged to stays.
void FitColumns(TfpSpread* grid);
