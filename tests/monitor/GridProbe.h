#pragma once
// Reading what a grid of the monitoring program shows, as an operator would read it.

#include <QHeaderView>
#include <QList>
#include <QStringList>

#include "Grid.h"

inline QString Cell(TfpSpread* grid, int row, int col) {
    grid->SetRow(row);
    grid->SetCol(col);
    return grid->Text();
}

inline QStringList RowCells(TfpSpread* grid, int row) {
    QStringList cells;
    for (int c = 1; c <= grid->MaxCols(); ++c) cells << Cell(grid, row, c);
    return cells;
}

// Data rows from row 1 up to the first row without any text.
inline QList<QStringList> FilledRows(TfpSpread* grid) {
    QList<QStringList> rows;
    for (int r = 1; r <= grid->MaxRows(); ++r) {
        const QStringList cells = RowCells(grid, r);
        if (cells.join(QString()).isEmpty()) break;
        rows << cells;
    }
    return rows;
}

// Rows with any text, wherever they stand: what an earlier fill may have left below a gap.
inline int RowsWithText(TfpSpread* grid) {
    int n = 0;
    for (int r = 1; r <= grid->MaxRows(); ++r)
        if (!RowCells(grid, r).join(QString()).isEmpty()) ++n;
    return n;
}

// The headers of row 0.
inline QStringList Headers(TfpSpread* grid) {
    return RowCells(grid, 0);
}

// Whether every text of a column (from 0), its header's too, fits the column's width.
inline bool HoldsItsTexts(TfpSpread* grid, int column) {
    const int width = grid->horizontalHeader()->sectionSize(column);
    for (int r = 0; r <= grid->MaxRows(); ++r)
        if (grid->fontMetrics().horizontalAdvance(Cell(grid, r, column + 1)) > width) return false;
    return true;
}
