#include "QueryGrid.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <optional>

#include "Db.h"
#include "Grid.h"
#include "Text.h"

TGridColumn FieldColumn(const QString& fieldName) {
    return
        [fieldName](const TSQLClientDataSet& ds) { return ds.FieldByName(fieldName).AsString(); };
}

TGridColumn StatusColumn() {
    return [](const TSQLClientDataSet& ds) {
        QString text;
        text.reserve(StatusFlagNames().size());
        for (const QString& f : StatusFlagNames()) text += ds.FieldByName(f).AsString();
        return text;
    };
}

void FillGridFromQuery(TfpSpread* grid, TSQLClientDataSet& dataset, const QString& sql,
                       const std::vector<TGridColumn>& columns,
                       const std::function<void()>& whileConnected, const TRowFilter& takeRow) {
    // Redraw is on again once the rows are in, before whileConnected.
    std::optional<TReDrawOff> redraw(std::in_place, grid);
    int row = 1;
    RunQuery(
        dataset, sql, TLogOn::ForTheQuery,
        [&](const TSQLClientDataSet& ds) {
            if (takeRow && !takeRow(ds)) return;
            int col = 1;
            for (const TGridColumn& read : columns) {
                grid->SetRow(row);
                grid->SetCol(col++);
                grid->SetText(read(ds));
            }
            ++row;
        },
        [&] {
            redraw.reset();
            if (whileConnected) whileConnected();
        });
}

namespace {
const char* const kWideColumn = "vdsWideColumn";
const char* const kWideWidth = "vdsWideWidth";

// Shows the whole text of a cell that its column cuts short, where the pointer rests on it.
class TCutTextTips : public QObject {
public:
    explicit TCutTextTips(TfpSpread* grid) : QObject(grid), m_grid(grid) {}

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::ToolTip) return false;
        const QPoint pos = static_cast<QHelpEvent*>(e)->pos();
        const QTableWidgetItem* cell = m_grid->itemAt(pos);
        const QString text = cell ? cell->text() : QString();
        const int room = cell ? m_grid->visualItemRect(cell).width() - 6 : 0;
        if (!text.isEmpty() && m_grid->fontMetrics().horizontalAdvance(text) > room)
            QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), text, m_grid->viewport());
        else
            QToolTip::hideText();
        return true;
    }

private:
    TfpSpread* m_grid;
};
}  // namespace

void SetUpGrid(TfpSpread* grid, const std::vector<double>& widthsInChars, int wideColumn) {
    grid->verticalHeader()->setVisible(false);
    grid->horizontalHeader()->setHighlightSections(false);
    // A character unit of the grid: a digit of its font.
    const int unit = grid->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const int columns = std::min(grid->MaxCols(), static_cast<int>(widthsInChars.size()));
    for (int c = 0; c < columns; ++c) {
        const int stored = static_cast<int>(std::lround(widthsInChars[c] * unit));
        grid->setColumnWidth(c, std::max(stored, grid->horizontalHeader()->sectionSizeHint(c)));
    }
    grid->setProperty(kWideColumn, wideColumn);
    grid->viewport()->installEventFilter(new TCutTextTips(grid));
    FitColumns(grid);
}

void FitColumns(TfpSpread* grid) {
    const int wide = grid->property(kWideColumn).toInt() - 1;
    if (wide < 0 || wide >= grid->MaxCols()) {
        grid->WidenColumnsToFit();
        return;
    }
    const int before = grid->columnWidth(wide);
    const bool operatorsChoice =
        grid->property(kWideWidth).isValid() && before != grid->property(kWideWidth).toInt();
    grid->WidenColumnsToFit();
    int others = 0;
    for (int c = 0; c < grid->MaxCols(); ++c)
        if (c != wide) others += grid->columnWidth(c);
    const int room = grid->width() - 2 * grid->frameWidth() -
                     grid->verticalScrollBar()->sizeHint().width() - others;
    // A width the operator dragged the column to stays.
    const int width =
        operatorsChoice ? before : std::max(grid->horizontalHeader()->sectionSizeHint(wide), room);
    grid->setColumnWidth(wide, width);
    grid->setProperty(kWideWidth, width);
}
