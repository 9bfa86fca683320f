// The grid layer: row 0 headers, 1-based cells, emptying, redraw, growth past MaxRows, widening.

#include <QHeaderView>
#include <QtTest>

#include "Grid.h"
#include "TestSupport.h"

class tst_Grid : public QObject {
    Q_OBJECT
private:
    static void Put(TfpSpread& g, int row, int col, const QString& text) {
        g.SetRow(row);
        g.SetCol(col);
        g.SetText(text);
    }
    static QString Get(TfpSpread& g, int row, int col) {
        g.SetRow(row);
        g.SetCol(col);
        return g.Text();
    }
    // A refresh as the windows run it: empty the grid, then write rows with redraw off.
    static void Refresh(TfpSpread& g, const QStringList& rows) {
        g.DeleteRows(1, g.MaxRows());
        TReDrawOff redraw(&g);
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 1; c <= g.MaxCols(); ++c) Put(g, r + 1, c, rows[r] + QString::number(c));
    }
    static QStringList Rows(int n, const QString& prefix = QStringLiteral("r")) {
        QStringList rows;
        for (int r = 1; r <= n; ++r) rows << prefix + QString::number(r) + QLatin1Char('-');
        return rows;
    }
    // What the cells of rows 1 to last hold, row by row, cells joined by '|'.
    static QStringList Shown(TfpSpread& g, int last) {
        QStringList shown;
        for (int r = 1; r <= last; ++r) {
            QStringList cells;
            for (int c = 1; c <= g.MaxCols(); ++c) cells << Get(g, r, c);
            shown << cells.join(QLatin1Char('|'));
        }
        return shown;
    }
    static QStringList Expected(const QStringList& rows, int cols, int last) {
        QStringList shown;
        for (int r = 0; r < last; ++r) {
            QStringList cells;
            for (int c = 1; c <= cols; ++c)
                cells << (r < rows.size() ? rows[r] + QString::number(c) : QString());
            shown << cells.join(QLatin1Char('|'));
        }
        return shown;
    }

private slots:
    void headersAndCells() {
        TfpSpread g;
        g.SetHeaders({QStringLiteral("도로번호"), QStringLiteral("제어기번호")});
        g.SetMaxRows(500);
        QCOMPARE(g.MaxRows(), 500);
        QCOMPARE(g.MaxCols(), 2);
        QCOMPARE(Get(g, 0, 2), QStringLiteral("제어기번호"));
        Put(g, 1, 1, QStringLiteral("a"));
        Put(g, 500, 2, QStringLiteral("z"));
        QCOMPARE(Get(g, 1, 1), QStringLiteral("a"));
        QCOMPARE(Get(g, 500, 2), QStringLiteral("z"));
        QCOMPARE(Get(g, 2, 1), QString());
        QCOMPARE(g.MaxRows(), 500);
    }

    void deleteAllRowsKeepsHeaders() {
        TfpSpread g;
        g.SetHeaders({QStringLiteral("A"), QStringLiteral("B")});
        g.SetMaxRows(500);
        for (int r = 1; r <= 500; r += 7) {
            Put(g, r, 1, QString::number(r));
            Put(g, r, 2, QStringLiteral("x"));
        }
        g.DeleteRows(1, g.MaxRows());
        QCOMPARE(g.MaxRows(), 500);
        for (int r = 1; r <= 500; ++r)
            for (int c = 1; c <= 2; ++c)
                QVERIFY2(Get(g, r, c).isEmpty(), qPrintable(QString::number(r)));
        QCOMPARE(Get(g, 0, 1), QStringLiteral("A"));
        QCOMPARE(Get(g, 0, 2), QStringLiteral("B"));
    }

    void deleteRowsMovesLaterRowsUp() {
        TfpSpread g;
        g.SetHeaders({QStringLiteral("A")});
        g.SetMaxRows(5);
        for (int r = 1; r <= 5; ++r) Put(g, r, 1, QString::number(r));
        g.DeleteRows(2, 2);
        QCOMPARE(Get(g, 1, 1), QStringLiteral("1"));
        QCOMPARE(Get(g, 2, 1), QStringLiteral("4"));
        QCOMPARE(Get(g, 3, 1), QStringLiteral("5"));
        QCOMPARE(Get(g, 4, 1), QString());
        QCOMPARE(g.MaxRows(), 5);
    }

    void cellsWrittenWithRedrawOffAppearWhenOn() {
        TfpSpread g;
        g.SetHeaders({QStringLiteral("A")});
        g.SetMaxRows(3);
        g.resize(200, 150);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        g.SetReDraw(false);
        QVERIFY(!g.viewport()->updatesEnabled());
        Put(g, 1, 1, QStringLiteral("later"));
        g.SetReDraw(true);
        QVERIFY(g.viewport()->updatesEnabled());
        QCOMPARE(Get(g, 1, 1), QStringLiteral("later"));
        QCOMPARE(g.item(0, 0)->text(), QStringLiteral("later"));
    }

    void growsInsteadOfDroppingRows() {
        TfpSpread g;
        g.SetHeaders({QStringLiteral("A")});
        g.SetMaxRows(500);
        for (int r = 1; r <= 520; ++r) Put(g, r, 1, QString::number(r));
        QCOMPARE(g.MaxRows(), 520);
        QCOMPARE(Get(g, 520, 1), QStringLiteral("520"));
        QCOMPARE(Get(g, 500, 1), QStringLiteral("500"));
    }

    void columnsWidenToTheirTextAndNeverNarrow() {
        TfpSpread g;
        g.SetHeaders({QStringLiteral("A")});
        g.SetMaxRows(2);
        g.setColumnWidth(0, 30);
        Put(g, 1, 1, QStringLiteral("서울 마포구 상암동 월드컵북로 400"));
        g.WidenColumnsToFit();
        const int wide = g.columnWidth(0);
        QVERIFY2(wide > g.fontMetrics().horizontalAdvance(QStringLiteral("서울 마포구 상암동")),
                 qPrintable(QString::number(wide)));
        Put(g, 1, 1, QStringLiteral("x"));
        g.WidenColumnsToFit();
        QCOMPARE(g.columnWidth(0), wide);
    }

    // Every refresh empties the grid first; what a refresh did not write must not be left over
    // from an earlier one, however the two compare.
    void refreshLeavesNoStaleRows_data() {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("fewer rows") << Rows(8) << Rows(3);
        QTest::newRow("no rows") << Rows(8) << QStringList();
        QTest::newRow("more rows") << Rows(3) << Rows(8);
        QTest::newRow("same rows") << Rows(8) << Rows(8);
        QTest::newRow("other texts, fewer rows") << Rows(8) << Rows(5, QStringLiteral("n"));
        QTest::newRow("past MaxRows, then within") << Rows(14) << Rows(2);
        QTest::newRow("within, then past MaxRows") << Rows(2) << Rows(14);
        QTest::newRow("texts shifted by one row") << Rows(6) << Rows(7).mid(1);
    }
    void refreshLeavesNoStaleRows() {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        TfpSpread g;
        g.SetHeaders({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        g.SetMaxRows(10);
        Refresh(g, before);
        Refresh(g, after);
        const int rows = g.MaxRows();
        QCOMPARE(rows, std::max<int>({10, int(before.size()), int(after.size())}));
        QCOMPARE(Shown(g, rows), Expected(after, 3, rows));
        QCOMPARE(Get(g, 0, 2), QStringLiteral("B"));
        // A third refresh after a partial one still starts from what the second left.
        Refresh(g, Rows(1, QStringLiteral("x")));
        QCOMPARE(Shown(g, rows), Expected(Rows(1, QStringLiteral("x")), 3, rows));
    }

    // An emptied grid reads and shows empty even when no fill follows (a refresh whose query
    // failed), also through Qt's own view of the cells.
    void emptiedGridIsEmptyWithoutAFill() {
        TfpSpread g;
        g.SetHeaders({QStringLiteral("A"), QStringLiteral("B")});
        g.SetMaxRows(5);
        g.resize(200, 200);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        Refresh(g, Rows(4));
        g.DeleteRows(1, g.MaxRows());
        QCoreApplication::processEvents();
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 2; ++c)
                QVERIFY2(!g.item(r, c) || g.item(r, c)->text().isEmpty(),
                         qPrintable(QString::number(r)));
        Refresh(g, Rows(4));
        g.DeleteRows(1, g.MaxRows());
        QCOMPARE(Shown(g, 5), Expected({}, 2, 5));
    }

    void selectedRowStaysSelectedAcrossRefreshes() {
        TfpSpread g;
        g.SetHeaders({QStringLiteral("A"), QStringLiteral("B")});
        g.SetMaxRows(500);
        g.resize(300, 300);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        Refresh(g, Rows(6));
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {},
                          g.visualItemRect(g.item(3, 1)).center());
        QCOMPARE(g.ActiveRow(), 4);
        for (const QStringList& rows : {Rows(6), Rows(6, QStringLiteral("n")), Rows(9)}) {
            Refresh(g, rows);
            QCOMPARE(g.ActiveRow(), 4);
            QCOMPARE(g.selectionModel()->selectedRows().size(), 1);
            QCOMPARE(g.selectionModel()->selectedRows().first().row(), 3);
        }
        QCOMPARE(Get(g, 4, 2), QStringLiteral("r4-2"));
    }

    // A text that the cell held before the emptying is kept as it was; a new one is shown.
    void cellsChangedByARefreshAreShown() {
        TfpSpread g;
        g.SetHeaders({QStringLiteral("A")});
        g.SetMaxRows(3);
        g.resize(200, 150);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        Refresh(g, {QStringLiteral("a"), QStringLiteral("b")});
        QSignalSpy changes(g.model(), &QAbstractItemModel::dataChanged);
        Refresh(g, {QStringLiteral("a"), QStringLiteral("c")});
        QCOMPARE(g.item(0, 0)->text(), QStringLiteral("a1"));
        QCOMPARE(g.item(1, 0)->text(), QStringLiteral("c1"));
        // The view is told once, over the cells the refresh changed.
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes[0][0].toModelIndex().row(), 1);
        QCOMPARE(changes[0][1].toModelIndex().row(), 1);
    }

    void widening_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("widerAfterSecond");
        const QString shortText = QStringLiteral("12");
        const QString longText = QStringLiteral("서울 마포구 상암동 월드컵북로 400");
        QTest::newRow("a wider text widens") << shortText << longText << true;
        QTest::newRow("a narrower text keeps the width") << longText << shortText << false;
        QTest::newRow("the same text again keeps the width") << longText << longText << false;
    }
    void widening() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, widerAfterSecond);
        TfpSpread g;
        g.SetHeaders({QStringLiteral("A"), QStringLiteral("B")});
        g.SetMaxRows(3);
        g.setColumnWidth(0, 10);
        g.setColumnWidth(1, 10);
        Refresh(g, {first});
        g.WidenColumnsToFit();
        const int afterFirst = g.columnWidth(0);
        QVERIFY(afterFirst >= g.fontMetrics().horizontalAdvance(first + QLatin1Char('1')));
        Refresh(g, {second});
        g.WidenColumnsToFit();
        QCOMPARE(g.columnWidth(0) > afterFirst, widerAfterSecond);
        QVERIFY(g.columnWidth(0) >= g.fontMetrics().horizontalAdvance(second + QLatin1Char('1')));
        // Both columns hold texts of one length and have the same width.
        QCOMPARE(g.columnWidth(1), g.columnWidth(0));
    }

    // As resizing to contents did: the header counts, and a column the operator narrowed by hand
    // widens again to its texts at the next widening, without a new text.
    void wideningMeasuresHeadersAndHandNarrowedColumns() {
        TfpSpread g;
        g.SetHeaders({QStringLiteral("유입교통량상황"), QStringLiteral("B")});
        g.SetMaxRows(3);
        g.setColumnWidth(0, 5);
        g.setColumnWidth(1, 5);
        Put(g, 1, 2, QStringLiteral("서울 마포구 상암동"));
        g.WidenColumnsToFit();
        QVERIFY(g.columnWidth(0) >= g.horizontalHeader()->sectionSizeHint(0));
        const int fitted = g.columnWidth(1);
        QVERIFY(fitted > 5);
        g.horizontalHeader()->resizeSection(1, 8);
        g.WidenColumnsToFit();
        QCOMPARE(g.columnWidth(1), fitted);
    }

    void activeRowFollowsTheOperator() {
        TfpSpread g;
        g.SetHeaders({QStringLiteral("A"), QStringLiteral("B")});
        g.SetMaxRows(10);
        QCOMPARE(g.ActiveRow(), 1);
        g.setCurrentCell(3, 1);
        QCOMPARE(g.ActiveRow(), 4);
    }
};

VDS_TEST_MAIN(tst_Grid)
#include "tst_Grid.moc"
