#pragma once
// The spreadsheet grid of the windows: data rows 1..MaxRows and columns 1..MaxCols, row 0 the
// column headers. A cell is chosen by setting Row and Col, then written or read through Text.
// A grid written beyond MaxRows grows to hold the row, so no row of a result is dropped.
// Main thread only.

#include <QStringList>
#include <QTableWidget>

class TfpSpread;

// Keeps a grid's redraw off while it is filled and switches it on again however the fill ends.
class TReDrawOff {
public:
    explicit TReDrawOff(TfpSpread* grid);
    ~TReDrawOff();
    TReDrawOff(const TReDrawOff&) = delete;
    TReDrawOff& operator=(const TReDrawOff&) = delete;

private:
    TfpSpread* m_grid;
};

class TfpSpread : public QTableWidget {
    Q_OBJECT
public:
    explicit TfpSpread(QWidget* parent = nullptr);

    // Layout: the design-time column count, header texts and row count.
    void SetHeaders(const QStringList& headers);
    void SetMaxRows(int rows);

    int MaxRows() const { return rowCount(); }
    int MaxCols() const { return columnCount(); }

    int Row() const { return m_row; }
    int Col() const { return m_col; }
    void SetRow(int row) { m_row = row; }
    void SetCol(int col) { m_col = col; }

    // The current cell; row 0 is the header row.
    QString Text() const;
    void SetText(const QString& text);

    // Removes count rows from first on; the rows below move up and MaxRows stays as it was.
    void DeleteRows(int first, int count);

    bool ReDraw() const { return m_redraw; }
    void SetReDraw(bool on);

    // Widens every column to hold its longest text. Columns never narrow, so a grid refreshed
    // every second does not jump about.
    void WidenColumnsToFit();

    // The data row the operator last clicked or moved to; 1 before any choice.
    int ActiveRow() const;

private:
    int m_row = 0;
    int m_col = 0;
    bool m_redraw = true;
};
