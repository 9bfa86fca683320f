#pragma once
// What the control program's tests share: a fixture database with the main window and data module
// the windows query through (TProgramFixture), with a stand-in communication server on a free
// port as well (TCommandFixture), and the press-and-wait of a command button.

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "ControllerTree.h"
#include "Link.h"
#include "OracleDM.h"
#include "StandInServer.h"
#include "StatementTrace.h"
#include "TestSupport.h"
#include "UiHooks.h"
#include "main.h"

class TProgramFixture {
public:
    explicit TProgramFixture(const QString& fixtureSql = QString()) {
        if (!fixtureSql.isEmpty()) db.Load(fixtureSql);
        form = std::make_unique<TMainForm>(QStringList{"u", "p", db.Path(), "x", "y"});
        MainForm = form.get();
        dm = std::make_unique<TdmOracle>();
        dmOracle = dm.get();
    }
    ~TProgramFixture() {
        dmOracle = nullptr;
        MainForm = nullptr;
    }

    // Points the data module at another database.
    void UseDatabase(const QString& path) {
        form->LaunchArgs[2] = path;
        dm->vdsConnection.SetConnected(false);
    }

    TTempDatabase db;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TdmOracle> dm;
};

class TCommandFixture : public TProgramFixture {
public:
    explicit TCommandFixture(const QString& fixtureSql) : TProgramFixture(fixtureSql) {
        if (!server.Start()) qFatal("stand-in server: %s", server.Error().c_str());
        SetLinkSettings({"127.0.0.1", server.Port(), 2000, 2000});
    }
    ~TCommandFixture() { SetLinkSettings({}); }

    static PVirtualNode Leaf(TControllerTree& tree, const QString& atcId) {
        TVirtualStringTree* t = tree.LeafTree();
        for (PVirtualNode branch : {tree.pAxisBranch, tree.pResrBranch})
            for (PVirtualNode g = t->GetFirstChild(branch); g; g = t->GetNextSibling(g))
                for (PVirtualNode n = t->GetFirstChild(g); n; n = t->GetNextSibling(n))
                    if (t->GetNodeDataAs<data>(n)->strATC_ID == atcId) return n;
        return nullptr;
    }
    static void Select(TControllerTree& tree, const QString& atcId) {
        PVirtualNode leaf = Leaf(tree, atcId);
        QVERIFY2(leaf, qPrintable(atcId));
        tree.LeafTreeChecked(leaf);
    }

    static QByteArray Bytes(std::initializer_list<int> values) {
        QByteArray b;
        for (int v : values) b.append(static_cast<char>(v));
        return b;
    }
    // The 12-byte length field announcing n bytes.
    static QByteArray LengthField(int n) {
        QByteArray f = QByteArray::number(n);
        f.append('\0');
        return f.leftJustified(kLengthFieldSize, '\0');
    }

    TStandInServer server;
    TShortIntervals intervals;
};

inline QPushButton* Button(QWidget& w, const char* name) {
    return w.findChild<QPushButton*>(name);
}
// Clicks a command button and waits until its routine has shown messages boxes in all.
inline void PressAndWait(QWidget& w, const char* button, TMessageRecorder& boxes,
                         int messages = 1) {
    QTest::mouseClick(Button(w, button), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(boxes.messages.size(), messages, 5000);
}

// Makes the commands' waits real but short (a fifth of their length), and notes what each wait
// was asked for, whether one is running and how many have ended. Early in each wait something
// is posted to the main thread, as a repaint would be, and duringWait runs, as an operator's
// hand would.
class TShortWaits {
public:
    TShortWaits() {
        m_previous = SetSleepHook([this](int ms) {
            waits.append(ms);
            inside = true;
            QObject context;
            QTimer::singleShot(ms / 20, &context, [this] {
                QMetaObject::invokeMethod(
                    qApp, [] {}, Qt::QueuedConnection);
                if (duringWait) duringWait();
            });
            BusyWait(ms / 5);
            inside = false;
            ++ended;
        });
    }
    ~TShortWaits() { SetSleepHook(m_previous); }

    QVector<int> waits;
    bool inside = false;
    int ended = 0;
    std::function<void()> duringWait;

private:
    TSleepHook m_previous;
};

// What a test sees each time a message box opens: whether a wait is running, how many waits
// have ended, how often a statement has run, and what a control shows.
struct TBoxMoment {
    bool inWait;
    int waitsEnded;
    int reads;
    QString shown;
};
inline void NoteEachBox(TMessageRecorder& boxes, QList<TBoxMoment>& moments,
                        const TShortWaits& waits, const TStatementTrace& trace, const QString& sql,
                        std::function<QString()> shown) {
    boxes.whileOpen = [&moments, &waits, &trace, sql, shown](const QString&) {
        moments << TBoxMoment{waits.inside, waits.ended, trace.Count(sql), shown()};
    };
}

// Puts a value the controller can take into every edit of the parameter window.
inline void FillEveryGroup(QWidget& w) {
    for (QLineEdit* e : w.findChildren<QLineEdit*>()) e->setText("10");
    w.findChild<QLineEdit*>("edCarCatT01")->setText("550");
    w.findChild<QLineEdit*>("edCarCatT02")->setText("900");
    w.findChild<QLineEdit*>("edCarCatT03")->setText("1600");
}

// A fixture controller on one link of one axis, as the tree needs it.
inline QString ControllerRows(const QString& atcId, int atcNum = 1,
                              const QString& spot = QStringLiteral("S1")) {
    return QStringLiteral(
               "INSERT INTO ATC_INFO (ATC_ID, ATC_NUM, EQUP_TYPE, OPER_STAT, SET_SPOT_ID, ATC_VER, "
               "ATC_CRTE_DATE) VALUES ('%1', %2, '2', 'Y', '%3', 'V1.2', '20040615');"
               "INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES ('%1', 'L1', 1, "
               "'Y');")
        .arg(atcId)
        .arg(atcNum)
        .arg(spot);
}

inline QString BaseRows() {
    return QStringLiteral(
        "INSERT INTO AXLE_INFO VALUES ('A1', '경부선');"
        "INSERT INTO ROAD_LINK_INFO (LINK_ID, AXLE_ID, ROAD_NUM, IOFL_TYPE) VALUES ('L1', 'A1', "
        "'1', '1');"
        "INSERT INTO ROAD_LINK_INFO (LINK_ID, AXLE_ID, ROAD_NUM, IOFL_TYPE) VALUES ('L2', 'A1', "
        "'1', '2');"
        "INSERT INTO SPOT_INFO VALUES ('S1', '한남대교', '서울 용산구 한남동');");
}
