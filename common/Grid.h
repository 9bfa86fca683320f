#pragma once
// The spreadsheet grid of the windows: data rows 1..MaxRows and columns 1..MaxCols, row 0 the
// column headers. A cell is chosen by setting Row and Col, then written or read through Text.
// A grid written beyond MaxRows grows to hold the row, so no row of a result is dropped.
// Main thread only.
//
// A grid refreshed every second costs what it fills: emptying it empties its cells in place (the
// operator's selected row stays selected), only the rows that hold text are emptied, a cell
// written with the text it held before the emptying is left as it is, and the view is told of a
// fill once, when redraw goes on again. Emptied cells that the next fill does not write are
// cleared before anything reads or shows them: read cells through Text().

#include <QHash>
#include <QStringList>
#include <QTableWidget>
#include <cstdint>
#include <vector>

class TfpSpread;

// Keeps a grid's redraw off while it is filled and switches it on again however the fill ends.
class TReDrawOff {
public:
    explicit TReDrawOff(TfpSpread* grid);
    ~TReDrawOff();
    Q_DISABLE_COPY(TReDrawOff)

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
    // Rows from first to the end are emptied in place.
    void DeleteRows(int first, int count);

    bool ReDraw() const { return m_redraw; }
    void SetReDraw(bool on);

    // Widens each column that a text written since the last call does not fit, to fit it.
    // Columns never narrow, so a grid refreshed every second does not jump about; one the
    // operator narrowed by hand widens again to its texts.
    void WidenColumnsToFit();

    // The data row the operator last clicked or moved to; 1 before any choice.
    int ActiveRow() const;

protected:
    bool event(QEvent* e) override;
    bool viewportEvent(QEvent* e) override;

private:
    static constexpr int kTrackedCols = 64;

    void WriteCell(int row, int col, const QString& text);
    // Clears the emptied cells that no fill has written since, and tells the view of the
    // cells written without a notice.
    void Settle();
    void NoteQuietChange(int row, int col);
    int WidthFor(int row, int col, const QString& text);
    void SectionResized(int col, int oldSize, int newSize);

    int m_row = 0;
    int m_col = 0;
    bool m_redraw = true;
    // Rows from 1 to this may hold text; the rest are empty.
    int m_filledRows = 0;
    // Rows emptied but not yet cleared, from m_emptiedFrom on (0: none), each with the columns
    // written since.
    int m_emptiedFrom = 0;
    std::vector<std::uint64_t> m_writtenSince;
    // Cells written while redraw was off, not yet told to the view (rows and columns from 0).
    int m_quietTop = -1, m_quietBottom = -1, m_quietLeft = -1, m_quietRight = -1;
    // Widths the texts written since the last widening need, and columns to measure afresh.
    std::vector<int> m_wantedWidth;
    // The first widening measures every column, headers included, as resizing to contents does.
    std::uint64_t m_recheck = ~std::uint64_t{0};
    bool m_widening = false;
    QHash<QString, int> m_textWidths;
};
