#pragma once
// The traffic text-monitor window: the station tree of both equipment types, and the grid of the
// current mode that its timer refreshes once a second with the newest traffic and status of the
// ticked stations. An MDI child that frees itself when closed. Main thread only.

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "QueryGrid.h"
#include "SkippedRows.h"
#include "VirtualTree.h"

namespace Ui {
class TfrmTrafMonText;
}
class QTimer;
class TSQLClientDataSet;
class TfpSpread;
class TfrmDevStsMon;

// The record of one station-tree node.
struct data final : TNodeRecord {
    QString strID;  // "1" axis branch, "2" survey-point branch
    QString strName;
    QString strAXLE_NAME;
    QString strLINK_ID;
    QString strRESR_SPOT_ID;
    QString strRESR_NAME;
    QString strSPOT_ID;
    QString strSPOT_NAME;
    QString strATC_ID;
    QString strATC_NUM;
    QString strOVD_CNT;
};

class TfrmTrafMonText : public QWidget {
    Q_OBJECT
public:
    enum { kModeNewSignal = 1, kModeVds = 2 };

    explicit TfrmTrafMonText(QWidget* parent = nullptr);
    ~TfrmTrafMonText() override;

    QTimer* tmrQuery = nullptr;

    int GetMonitorMode() const { return nMode; }
    // The equipment-status window this window opened last and feeds at each tick; null before.
    TfrmDevStsMon* OwnDevStsMon() const;
    // Closes the window, which frees it.
    void Close();

    // The station tree.
    void InitStationTree();
    void LoadAxisBranch(int mode);
    void LoadResrBranch(int mode);
    QString CountOvd(const QString& atcId, int direction);
    // The ticked stations' ids as an SQL IN-list ('A','B'), axis branch first; empty when none.
    QString GetCheckedAtcList();
    // Add the ticked station records of one branch to list; the tree keeps owning them.
    void CollectCheckedAxis(PVirtualNode branchRoot, std::vector<const ::data*>& list) const;
    void CollectCheckedResr(PVirtualNode branchRoot, std::vector<const ::data*>& list) const;

    // The refresh.
    void FillVdsGrid(const QString& atcList);
    void FillNewSglGrid(const QString& atcList);

    // Handlers.
    void FormCreate();
    void FormActivate();
    void rdoVDSClick();
    void rdoNewSglClick();
    void btnCloseClick();
    void btnStartClick();
    void btnStopClick();
    void btnDevStsClick();
    void btnDevSrchClick();
    void tmrQueryTimer();

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormClose(QCloseEvent* event);
    void ConnectHandlers();
    void SetUpGrids();
    void RebuildStationTree();
    void LoadBranch(bool axis, int mode);
    void WatchSubWindowActivation();
    void CollectChecked(PVirtualNode branchRoot, std::vector<const ::data*>& list) const;
    void ShowColDate(int mode, const QString& atcList);
    void HandOffToDevStsMon(const QString& atcList);

    std::unique_ptr<Ui::TfrmTrafMonText> ui;
    int nMode = kModeVds;
    PVirtualNode pRootNode = nullptr;
    PVirtualNode pAxisNode = nullptr;
    PVirtualNode pResrNode = nullptr;
    PVirtualNode pAxisGroup = nullptr;
    PVirtualNode pResrGroup = nullptr;
    bool m_watchingSubWindow = false;
    QPointer<TfrmDevStsMon> pDevStsMon;
    TSkippedRows m_skippedRows;  // rows of the tree build with a NUL in a value
};
