#include "Grid.h"

#include <QHeaderView>

TfpSpread::TfpSpread(QWidget* parent) : QTableWidget(parent) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAlternatingRowColors(true);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
}

void TfpSpread::SetHeaders(const QStringList& headers) {
    setColumnCount(headers.size());
    setHorizontalHeaderLabels(headers);
}

void TfpSpread::SetMaxRows(int rows) { setRowCount(rows < 0 ? 0 : rows); }

QString TfpSpread::Text() const {
    if (m_col < 1 || m_col > columnCount() || m_row < 0) return {};
    if (m_row == 0) {
        const QTableWidgetItem* h = horizontalHeaderItem(m_col - 1);
        return h ? h->text() : QString();
    }
    if (m_row > rowCount()) return {};
    const QTableWidgetItem* cell = item(m_row - 1, m_col - 1);
    return cell ? cell->text() : QString();
}

void TfpSpread::SetText(const QString& text) {
    if (m_col < 1 || m_col > columnCount() || m_row < 0) return;
    if (m_row == 0) {
        QTableWidgetItem* h = horizontalHeaderItem(m_col - 1);
        if (h)
            h->setText(text);
        else
            setHorizontalHeaderItem(m_col - 1, new QTableWidgetItem(text));
        return;
    }
    if (m_row > rowCount()) setRowCount(m_row);
    QTableWidgetItem* cell = item(m_row - 1, m_col - 1);
    if (cell)
        cell->setText(text);
    else
        setItem(m_row - 1, m_col - 1, new QTableWidgetItem(text));
}

void TfpSpread::DeleteRows(int first, int count) {
    const int rows = rowCount();
    if (first < 1 || count <= 0 || first > rows) return;
    const int last = qMin(rows, first + count - 1);
    for (int r = last; r >= first; --r) removeRow(r - 1);
    setRowCount(rows);
}

void TfpSpread::SetReDraw(bool on) {
    m_redraw = on;
    viewport()->setUpdatesEnabled(on);
    if (on) viewport()->update();
}

void TfpSpread::WidenColumnsToFit() {
    for (int c = 0; c < columnCount(); ++c) {
        const int before = columnWidth(c);
        resizeColumnToContents(c);
        if (columnWidth(c) < before) setColumnWidth(c, before);
    }
}

int TfpSpread::ActiveRow() const {
    const int r = currentRow();
    return r < 0 ? 1 : r + 1;
}

TReDrawOff::TReDrawOff(TfpSpread* grid) : m_grid(grid) { m_grid->SetReDraw(false); }

TReDrawOff::~TReDrawOff() { m_grid->SetReDraw(true); }
