#include "Grid.h"

#include <QEvent>
#include <QHeaderView>
#include <QSignalBlocker>
#include <algorithm>
#include <optional>

#include "Application.h"

namespace {
// Widths of texts already measured; a refresh mostly writes texts it wrote before.
constexpr int kWidthCacheLimit = 4096;

constexpr int kCellType = QTableWidgetItem::UserType + 1;

// A cell that keeps its text where a refresh compares it without copying it each time.
class TGridCell : public QTableWidgetItem {
public:
    explicit TGridCell(const QString& text) : QTableWidgetItem(text, kCellType), shown(text) {}
    void setData(int role, const QVariant& value) override {
        if (role == Qt::DisplayRole || role == Qt::EditRole) shown = value.toString();
        QTableWidgetItem::setData(role, value);
    }
    QTableWidgetItem* clone() const override { return new TGridCell(*this); }

    QString shown;
};

bool Shows(const QTableWidgetItem* cell, const QString& text) {
    if (!cell) return text.isEmpty();
    if (cell->type() == kCellType) return static_cast<const TGridCell*>(cell)->shown == text;
    return cell->text() == text;
}
}  // namespace

TfpSpread::TfpSpread(QWidget* parent) : QTableWidget(parent) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAlternatingRowColors(true);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            Guarded([this](int column, int oldSize, int newSize) {
                SectionResized(column, oldSize, newSize);
            }));
}

void TfpSpread::SetHeaders(const QStringList& headers) {
    Settle();
    setColumnCount(headers.size());
    setHorizontalHeaderLabels(headers);
    m_recheck = ~std::uint64_t{0};
}

void TfpSpread::SetMaxRows(int rows) {
    Settle();
    setRowCount(rows < 0 ? 0 : rows);
    m_filledRows = std::min(m_filledRows, rowCount());
}

QString TfpSpread::Text() const {
    const_cast<TfpSpread*>(this)->Settle();
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
        if (m_col <= kTrackedCols) m_recheck |= std::uint64_t{1} << (m_col - 1);
        return;
    }
    if (m_row > rowCount()) setRowCount(m_row);
    WriteCell(m_row - 1, m_col - 1, text);
}

// row and col from 0.
void TfpSpread::WriteCell(int row, int col, const QString& text) {
    QTableWidgetItem* cell = item(row, col);
    const int sinceEmptied = m_emptiedFrom > 0 ? row + 1 - m_emptiedFrom : -1;
    if (sinceEmptied >= 0 && sinceEmptied < static_cast<int>(m_writtenSince.size()))
        m_writtenSince[sinceEmptied] |= std::uint64_t{1} << col;
    if (!text.isEmpty()) m_filledRows = std::max(m_filledRows, row + 1);
    // The text the cell shows already fits its column.
    if (Shows(cell, text)) return;
    {
        std::optional<QSignalBlocker> quiet;
        if (!m_redraw) quiet.emplace(model());
        if (cell)
            cell->setText(text);
        else
            setItem(row, col, new TGridCell(text));
    }
    if (!m_redraw) NoteQuietChange(row, col);
    if (text.isEmpty()) return;
    if (static_cast<int>(m_wantedWidth.size()) < columnCount()) m_wantedWidth.resize(columnCount());
    m_wantedWidth[col] = std::max(m_wantedWidth[col], WidthFor(row, col, text));
}

void TfpSpread::NoteQuietChange(int row, int col) {
    if (m_quietTop < 0) {
        m_quietTop = m_quietBottom = row;
        m_quietLeft = m_quietRight = col;
        return;
    }
    m_quietTop = std::min(m_quietTop, row);
    m_quietBottom = std::max(m_quietBottom, row);
    m_quietLeft = std::min(m_quietLeft, col);
    m_quietRight = std::max(m_quietRight, col);
}

void TfpSpread::Settle() {
    if (m_emptiedFrom > 0) {
        const int first = m_emptiedFrom - 1;
        const int cols = columnCount();
        const int rows = std::min(static_cast<int>(m_writtenSince.size()), rowCount() - first);
        m_emptiedFrom = 0;
        {
            const QSignalBlocker quiet(model());
            for (int i = 0; i < rows; ++i) {
                for (int c = 0; c < cols; ++c) {
                    if (c < kTrackedCols && (m_writtenSince[i] >> c & 1)) continue;
                    QTableWidgetItem* cell = item(first + i, c);
                    if (Shows(cell, QString())) continue;
                    cell->setText(QString());
                    NoteQuietChange(first + i, c);
                }
            }
        }
        m_writtenSince.clear();
    }
    if (!m_redraw || m_quietTop < 0) return;
    QAbstractItemModel* m = model();
    emit m->dataChanged(m->index(m_quietTop, m_quietLeft), m->index(m_quietBottom, m_quietRight));
    m_quietTop = m_quietBottom = m_quietLeft = m_quietRight = -1;
}

void TfpSpread::DeleteRows(int first, int count) {
    const int rows = rowCount();
    if (first < 1 || count <= 0 || first > rows) return;
    const int last = std::min(rows, first + count - 1);
    Settle();
    if (last < m_filledRows) {
        model()->removeRows(first - 1, last - first + 1);
        setRowCount(rows);
        m_filledRows -= last - first + 1;
        return;
    }
    // Nothing below the range holds text, so the rows that move up are empty ones: the range is
    // emptied where it stands. Its cells are cleared once the next fill has had its say.
    if (first > m_filledRows) return;
    m_emptiedFrom = first;
    m_writtenSince.assign(m_filledRows - first + 1, 0);
    m_filledRows = first - 1;
    if (columnCount() > kTrackedCols) {
        Settle();
        return;
    }
    // A fill that never comes (its query failed) leaves them to the next pass of the event loop,
    // before anything can look at them there.
    QMetaObject::invokeMethod(this, Guarded([this] { Settle(); }), Qt::QueuedConnection);
}

void TfpSpread::SetReDraw(bool on) {
    m_redraw = on;
    if (on) Settle();
    viewport()->setUpdatesEnabled(on);
    if (on) viewport()->update();
}

// What resizing the column to its contents would give for a cell holding text.
int TfpSpread::WidthFor(int row, int col, const QString& text) {
    const auto known = m_textWidths.constFind(text);
    if (known != m_textWidths.constEnd()) return known.value();
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const int width =
        itemDelegate()->sizeHint(option, model()->index(row, col)).width() + (showGrid() ? 1 : 0);
    if (m_textWidths.size() >= kWidthCacheLimit) m_textWidths.clear();
    m_textWidths.insert(text, width);
    return width;
}

void TfpSpread::WidenColumnsToFit() {
    Settle();
    const int cols = columnCount();
    m_wantedWidth.resize(cols);
    for (int c = 0; c < cols; ++c) {
        int wanted = std::exchange(m_wantedWidth[c], 0);
        if (c < kTrackedCols && (m_recheck >> c & 1)) {
            for (int r = 0; r < m_filledRows; ++r) {
                const QTableWidgetItem* cell = item(r, c);
                if (cell && !cell->text().isEmpty())
                    wanted = std::max(wanted, WidthFor(r, c, cell->text()));
            }
            wanted = std::max(wanted, horizontalHeader()->sectionSizeHint(c));
        }
        if (wanted <= columnWidth(c)) continue;
        m_widening = true;
        setColumnWidth(c, wanted);
        m_widening = false;
    }
    m_recheck = 0;
}

void TfpSpread::SectionResized(int col, int oldSize, int newSize) {
    if (!m_widening && newSize < oldSize && col < kTrackedCols)
        m_recheck |= std::uint64_t{1} << col;
}

bool TfpSpread::event(QEvent* e) {
    if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange) {
        m_textWidths.clear();
        m_recheck = ~std::uint64_t{0};
    }
    if (m_emptiedFrom > 0) Settle();
    return QTableWidget::event(e);
}

bool TfpSpread::viewportEvent(QEvent* e) {
    if (m_emptiedFrom > 0) Settle();
    return QTableWidget::viewportEvent(e);
}

int TfpSpread::ActiveRow() const {
    const int r = currentRow();
    return r < 0 ? 1 : r + 1;
}

TReDrawOff::TReDrawOff(TfpSpread* grid) : m_grid(grid) {
    m_grid->SetReDraw(false);
}

TReDrawOff::~TReDrawOff() {
    m_grid->SetReDraw(true);
}
