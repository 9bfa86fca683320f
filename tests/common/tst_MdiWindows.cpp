// The MDI window commands and the child that shows a fixed-position form: sizes after cascade
// and tile, scrolling where a window is smaller than its form, and how the child and its form
// close together.

#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QtTest>

#include "MdiWindows.h"
#include "TestSupport.h"

namespace {

// A form laid out at fixed positions, as the command windows are, with a button in its far corner.
class TFixedForm : public QWidget {
public:
    explicit TFixedForm(const QSize& design, bool refuseClose = false) : m_refuse(refuseClose) {
        resize(design);
        corner = new QPushButton(QStringLiteral("DN"), this);
        corner->setGeometry(design.width() - 40, design.height() - 30, 33, 25);
    }
    QPushButton* corner;
    int closes = 0;

protected:
    void closeEvent(QCloseEvent* e) override {
        ++closes;
        e->setAccepted(!m_refuse);
    }

private:
    bool m_refuse;
};

// A window with a layout, as the monitoring program's are.
QWidget* LaidOutWindow() {
    auto* w = new QWidget;
    auto* layout = new QVBoxLayout(w);
    auto* label = new QLabel(QStringLiteral("교통상황 모니터링"));
    label->setMinimumSize(300, 200);
    layout->addWidget(label);
    return w;
}

QScrollArea* Scroller(QMdiSubWindow* sub) {
    return qobject_cast<QScrollArea*>(sub->widget());
}

// Lets the scroll areas settle their scroll bars, as the event loop does after an arrangement.
void Settle() {
    QTest::qWait(0);
}

// The corner button can be scrolled into view inside the window.
bool Reachable(QMdiSubWindow* sub, QWidget* target) {
    QScrollArea* s = Scroller(sub);
    s->ensureWidgetVisible(target, 0, 0);
    const QRect inViewport(target->mapTo(s->viewport(), QPoint(0, 0)), target->size());
    return s->viewport()->rect().contains(inViewport);
}

struct TArea {
    QMdiArea area;
    QList<QMdiSubWindow*> subs;
    QList<TFixedForm*> forms;
    explicit TArea(const QSize& size) {
        area.resize(size);
        area.show();
    }
    QSize Viewport() const { return area.viewport()->size(); }
    // Adds a form window of each design, shown maximised or not.
    void Open(const QList<QSize>& designs, bool maximised) {
        for (const QSize& d : designs) {
            forms << new TFixedForm(d);
            subs << AddMdiChild(&area, forms.last());
            maximised ? subs.last()->showMaximized() : subs.last()->show();
        }
    }
};

}  // namespace

class tst_MdiWindows : public QObject {
    Q_OBJECT
private slots:
    void cascadeGivesEachFormItsDesignedSize_data() {
        QTest::addColumn<QSize>("areaSize");
        QTest::addColumn<bool>("maximised");
        QTest::newRow("area larger than every design") << QSize(1400, 1000) << false;
        QTest::newRow("from the maximised state") << QSize(1400, 1000) << true;
    }
    void cascadeGivesEachFormItsDesignedSize() {
        QFETCH(QSize, areaSize);
        QFETCH(bool, maximised);
        TArea a(areaSize);
        const QList<QSize> designs = {{1008, 734}, {1008, 693}, {1012, 689}};
        a.Open(designs, maximised);
        const QList<QMdiSubWindow*>& subs = a.subs;
        const QList<TFixedForm*>& forms = a.forms;
        CascadeWindows(&a.area);
        Settle();
        const int step = subs[0]->geometry().topLeft() == QPoint(0, 0) ? subs[1]->y() : -1;
        QVERIFY2(step > 10, qPrintable(QString::number(step)));
        for (int i = 0; i < subs.size(); ++i) {
            QVERIFY(!subs[i]->isMaximized());
            QCOMPARE(subs[i]->pos(), QPoint(i * step, i * step));
            QCOMPARE(Scroller(subs[i])->viewport()->size(), designs[i]);
            QCOMPARE(forms[i]->size(), designs[i]);
            QVERIFY(!Scroller(subs[i])->verticalScrollBar()->isVisible());
        }
        QCOMPARE(a.area.subWindowList(QMdiArea::StackingOrder).last(), subs.last());
    }

    void cascadeInASmallerAreaTakesWhatTheStepLeavesAndScrolls() {
        TArea a(QSize(900, 600));
        a.Open(QList<QSize>(3, QSize(1008, 734)), true);
        const QList<QMdiSubWindow*>& subs = a.subs;
        const QList<TFixedForm*>& forms = a.forms;
        CascadeWindows(&a.area);
        Settle();
        const QSize vp = a.Viewport();
        const int step = subs[1]->y();
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(subs[i]->geometry(),
                     QRect(i * step, i * step, vp.width() - i * step, vp.height() - i * step));
            QVERIFY(Scroller(subs[i])->horizontalScrollBar()->isVisible());
            QVERIFY(Scroller(subs[i])->verticalScrollBar()->isVisible());
            QCOMPARE(forms[i]->size(), QSize(1008, 734));  // never squeezed
            QVERIFY(Reachable(subs[i], forms[i]->corner));
        }
    }

    void cascadeOfLaidOutWindowsUsesWhatTheirLayoutAsks() {
        TArea a(QSize(1000, 800));
        QMdiSubWindow* first = a.area.addSubWindow(LaidOutWindow());
        QMdiSubWindow* second = a.area.addSubWindow(LaidOutWindow());
        first->showMaximized();
        second->showMaximized();
        CascadeWindows(&a.area);
        Settle();
        for (QMdiSubWindow* w : {first, second}) {
            QVERIFY(!w->isMaximized());
            QCOMPARE(w->size(), w->sizeHint().expandedTo(w->minimumSize()));
        }
        QVERIFY(second->x() > first->x() && second->y() > first->y());
    }

    void laidOutWindowWithADesignedSizeCascadesToIt() {
        TArea a(QSize(1000, 800));
        QMdiSubWindow* w = a.area.addSubWindow(LaidOutWindow());
        SetDesignedSize(w, QSize(600, 450));
        w->showMaximized();
        CascadeWindows(&a.area);
        Settle();
        QCOMPARE(w->widget()->size(), QSize(600, 450));
    }

    void tileSharesTheAreaAndScrollsWhatDoesNotFit_data() {
        QTest::addColumn<bool>("horizontal");
        QTest::newRow("one above the other") << true;
        QTest::newRow("side by side") << false;
    }
    void tileSharesTheAreaAndScrollsWhatDoesNotFit() {
        QFETCH(bool, horizontal);
        TArea a(QSize(1000, 701));
        a.Open(QList<QSize>(3, QSize(1008, 734)), true);
        const QList<QMdiSubWindow*>& subs = a.subs;
        const QList<TFixedForm*>& forms = a.forms;
        horizontal ? TileHorizontally(&a.area) : TileVertically(&a.area);
        Settle();
        const QSize vp = a.Viewport();
        int covered = 0;
        for (int i = 0; i < 3; ++i) {
            const QRect g = subs[i]->geometry();
            QVERIFY(!subs[i]->isMaximized());
            QVERIFY2(QRect(QPoint(0, 0), vp).contains(g),
                     qPrintable(QStringLiteral("%1 %2").arg(i).arg(g.bottom())));
            covered += horizontal ? g.height() : g.width();
            QVERIFY(Reachable(subs[i], forms[i]->corner));
        }
        QCOMPARE(covered, horizontal ? vp.height() : vp.width());  // the remainder is not lost
    }

    void tiledWindowWithALargeMinimumStaysInsideTheArea() {
        TArea a(QSize(800, 600));
        QList<QMdiSubWindow*> subs;
        for (int i = 0; i < 3; ++i) {
            subs << a.area.addSubWindow(LaidOutWindow());
            subs.last()->setMinimumSize(300, 260);  // more than a third of the height
            subs.last()->show();
        }
        TileHorizontally(&a.area);
        const QRect area(QPoint(0, 0), a.Viewport());
        for (QMdiSubWindow* w : subs)
            QVERIFY2(area.contains(w->geometry()), qPrintable(QString::number(w->y())));
        QCOMPARE(subs.last()->geometry().bottom(), area.bottom());
    }

    void closingTheChildClosesItsFormFirst() {
        TArea a(QSize(800, 600));
        QPointer<TFixedForm> form = new TFixedForm(QSize(400, 300));
        form->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<QMdiSubWindow> sub = AddMdiChild(&a.area, form);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->show();
        QVERIFY(sub->close());
        QCOMPARE(form->closes, 1);
        QVERIFY(a.area.subWindowList().isEmpty());
        QTRY_VERIFY(!sub && !form);
    }

    void aFormThatRefusesKeepsItsChild() {
        TArea a(QSize(800, 600));
        auto* form = new TFixedForm(QSize(400, 300), true);
        QMdiSubWindow* sub = AddMdiChild(&a.area, form);
        sub->show();
        QVERIFY(!sub->close());
        QCOMPARE(form->closes, 1);
        QVERIFY(sub->isVisible() && form->isVisible());
        QCOMPARE(a.area.subWindowList().size(), 1);
    }

    void closeFormWindowTakesTheFrameAtOnce_data() {
        QTest::addColumn<bool>("inArea");
        QTest::newRow("form in an MDI child") << true;
        QTest::newRow("form on its own") << false;
    }
    void closeFormWindowTakesTheFrameAtOnce() {
        QFETCH(bool, inArea);
        TArea a(QSize(800, 600));
        auto* form = new TFixedForm(QSize(400, 300));
        form->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<QMdiSubWindow> sub;
        if (inArea) {
            sub = AddMdiChild(&a.area, form);
            sub->setAttribute(Qt::WA_DeleteOnClose);
            sub->show();
        } else {
            form->show();
        }
        QVERIFY(CloseFormWindow(form->corner->parentWidget()));
        QCOMPARE(form->closes, 1);
        if (inArea) {
            QVERIFY(!sub->isVisible());
            QVERIFY(a.area.subWindowList().isEmpty());
        }
    }

    void formClosedOnItsOwnTakesItsChildAlong() {
        TArea a(QSize(800, 600));
        auto* form = new TFixedForm(QSize(400, 300));
        form->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<QMdiSubWindow> sub = AddMdiChild(&a.area, form);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->show();
        form->close();
        QTRY_VERIFY(!sub);
        QVERIFY(a.area.subWindowList().isEmpty());
    }

    void childCarriesTheFormsTitle() {
        TArea a(QSize(800, 600));
        auto* form = new TFixedForm(QSize(400, 300));
        form->setWindowTitle(QStringLiteral("제어기 원격 제어"));
        QMdiSubWindow* sub = AddMdiChild(&a.area, form);
        QCOMPARE(sub->windowTitle(), QStringLiteral("제어기 원격 제어"));
        QCOMPARE(FormOf(sub), static_cast<QWidget*>(form));
    }
};

VDS_TEST_MAIN(tst_MdiWindows)
#include "tst_MdiWindows.moc"
