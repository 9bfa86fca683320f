// The grid layer: row 0 headers, 1-based cells, emptying, redraw, growth past MaxRows.

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
            for (int c = 1; c <= 2; ++c) QVERIFY2(Get(g, r, c).isEmpty(), qPrintable(QString::number(r)));
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
        QVERIFY2(wide > g.fontMetrics().horizontalAdvance(QStringLiteral("서울 마포구 상암동")), qPrintable(QString::number(wide)));
        Put(g, 1, 1, QStringLiteral("x"));
        g.WidenColumnsToFit();
        QCOMPARE(g.columnWidth(0), wide);
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
