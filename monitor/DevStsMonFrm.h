#pragma once
// The equipment-status window: once a second, the status flags and communication status of the
// stations its opener handed it, every row or only the faulty ones. Its query runs on the data
// module's second connection. A plain top-level window (see TopLevelForm.h). Main thread only.

#include <QPointer>
#include <QString>
#include <memory>

#include "TopLevelForm.h"

namespace Ui {
class TfrmDevStsMon;
}
class QTimer;
class TSQLClientDataSet;

class TfrmDevStsMon : public TTopLevelForm {
    Q_OBJECT
public:
    explicit TfrmDevStsMon(QWidget* owner = nullptr);
    ~TfrmDevStsMon() override;

    QTimer* tmrMon = nullptr;

    // mode: 2 VDS, 1 new signal; list: the IN-list of the stations ('A','B'), empty for none.
    void SetMonitorTarget(int mode, const QString& list);
    void SetMonitorMode(int mode);
    void SetMonitorTimer(bool on);
    bool GetMonitorTimer() const;
    int MonitorMode() const { return nMode; }
    QString MonitorList() const { return strAtcList; }

    void RefreshStatusGrid(int mode, const QString& list);
    // A row is faulty when a flag other than the door, or the communication status, is not "1".
    static bool IsFaultyRow(const TSQLClientDataSet& ds);

    // Handlers.
    void FormCreate();
    void FormActivate() override;
    void FormDeactivate() override;
    void FormDestroy();
    void tmrMonTimer();

private:
    std::unique_ptr<Ui::TfrmDevStsMon> ui;
    QString strAtcList;
    int nMode = 0;
    // Deactivation stopped a running refresh; activation starts it again.
    bool m_resumeOnActivate = false;
};

// The status window opened last.
extern QPointer<TfrmDevStsMon> frmDevStsMon;

// Opens a new status window for the stations of list, owned by the application object, with its
// timer as the opener's, and makes it the one in frmDevStsMon.
TfrmDevStsMon* OpenDevStsMon(int mode, const QString& list, bool timerOn);
