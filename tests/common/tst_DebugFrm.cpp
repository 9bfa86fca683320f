// The debug log window and the launch-argument getters.

#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include "DebugFrm.h"
#include "LaunchArgs.h"
#include "TestSupport.h"

class tst_DebugFrm : public QObject {
    Q_OBJECT
private slots:
    void createdHiddenWithItsLayout() {
        auto* w = new TfrmDebug;
        QVERIFY(!w->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("디버그 창"));
        QVERIFY(w->findChild<QPlainTextEdit*>(QStringLiteral("Memo1")));
        QCOMPARE(w->findChild<QPushButton*>(QStringLiteral("btnClose"))->text(),
                 QStringLiteral("Close"));
        delete w;
    }

    void setDebugTextReplaces() {
        TfrmDebug w;
        w.SetDebugText(QStringLiteral("SELECT 1"));
        w.SetDebugText(QStringLiteral("SELECT AXLE_ID FROM AXLE_INFO"));
        QCOMPARE(w.MemoText(), QStringLiteral("SELECT AXLE_ID FROM AXLE_INFO"));
        QVERIFY(!w.isVisible());
        w.AddLine(QStringLiteral("second"));
        QCOMPARE(w.MemoText(), QStringLiteral("SELECT AXLE_ID FROM AXLE_INFO\nsecond"));
    }

    // The memo gets a hidden window's text when the window is shown, also read past its getters.
    void hiddenTextAppearsWhenShown() {
        TfrmDebug w;
        w.SetDebugText(QStringLiteral("SELECT AXLE_ID FROM AXLE_INFO"));
        auto* memo = w.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(memo->toPlainText(), QStringLiteral("SELECT AXLE_ID FROM AXLE_INFO"));
        w.SetDebugText(QStringLiteral("SELECT 2"));
        QCOMPARE(memo->toPlainText(), QStringLiteral("SELECT 2"));
    }

    void closeButtonFreesTheWindow() {
        QPointer<TfrmDebug> w = new TfrmDebug;
        SetFrmDebug(w);
        w->show();
        QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("btnClose")), Qt::LeftButton);
        QTRY_VERIFY(w.isNull());
        QVERIFY(frmDebug() == nullptr);
    }

    void gettersReadArgumentsOneToThree() {
        QCOMPARE(GetDbUser(nullptr), QString());
        TLaunchArgsOwner owner;
        QCOMPARE(GetDbName(&owner), QString());
        owner.LaunchArgs = {QStringLiteral("user"), QStringLiteral("pw"), QStringLiteral("db"),
                            QStringLiteral("4"), QStringLiteral("5")};
        QCOMPARE(GetDbUser(&owner), QStringLiteral("user"));
        QCOMPARE(GetDbPassword(&owner), QStringLiteral("pw"));
        QCOMPARE(GetDbName(&owner), QStringLiteral("db"));
    }
};

VDS_TEST_MAIN(tst_DebugFrm)
#include "tst_DebugFrm.moc"
