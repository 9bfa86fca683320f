#include "DevStsMonFrm.h"

#include <QTimer>

#include "Application.h"
#include "Db.h"
#include "Grid.h"
#include "OracleDM.h"
#include "QueryGrid.h"
#include "ui_DevStsMonFrm.h"

QPointer<TfrmDevStsMon> frmDevStsMon;

namespace {
constexpr int kLeft = 478;
constexpr int kTop = 263;
const QString kNormal = QStringLiteral("1");
}  // namespace

TfrmDevStsMon::TfrmDevStsMon(QWidget* owner) : TTopLevelForm(owner), ui(new Ui::TfrmDevStsMon) {
    ui->setupUi(this);
    move(kLeft, kTop);
    SetUpGrid(ui->fpSpread1, {5, 13.5, 5.75, 14.62, 15.87, 4.62}, 4);
    tmrMon = new QTimer(this);
    tmrMon->setObjectName(QStringLiteral("tmrMon"));
    tmrMon->setInterval(1000);
    connect(tmrMon, &QTimer::timeout, this, Guarded([this] { tmrMonTimer(); }));
    FormCreate();
}

TfrmDevStsMon::~TfrmDevStsMon() {
    FormDestroy();
}

void TfrmDevStsMon::FormCreate() {
    tmrMon->stop();
}

void TfrmDevStsMon::FormDestroy() {
    tmrMon->stop();
    if (!dmOracle) return;
    dmOracle->vdsConnection2.SetConnected(false);
    dmOracle->dsQuery2.Close();
}

void TfrmDevStsMon::FormActivate() {
    if (m_resumeOnActivate) tmrMon->start();
    m_resumeOnActivate = false;
}

void TfrmDevStsMon::FormDeactivate() {
    m_resumeOnActivate = tmrMon->isActive();
    tmrMon->stop();
}

void TfrmDevStsMon::SetMonitorTarget(int mode, const QString& list) {
    nMode = mode;
    strAtcList = list;
}

void TfrmDevStsMon::SetMonitorMode(int mode) {
    nMode = mode;
}

void TfrmDevStsMon::SetMonitorTimer(bool on) {
    // The opener's word is the newest; an earlier deactivation no longer decides.
    m_resumeOnActivate = false;
    if (!on) {
        tmrMon->stop();
        return;
    }
    // Restarting a running timer at every hand-off would put its tick off for ever.
    if (!tmrMon->isActive()) tmrMon->start();
}

bool TfrmDevStsMon::GetMonitorTimer() const {
    return tmrMon->isActive();
}

void TfrmDevStsMon::tmrMonTimer() {
    TfpSpread* grid = ui->fpSpread1;
    if (grid->MaxRows() > 0) grid->DeleteRows(1, grid->MaxRows());
    if (!strAtcList.isEmpty()) RefreshStatusGrid(nMode, strAtcList);
}

bool TfrmDevStsMon::IsFaultyRow(const TSQLClientDataSet& ds) {
    static const QStringList tested = [] {
        QStringList names = StatusFlagNames();
        names.removeAll(QStringLiteral("SDOO"));
        names << QStringLiteral("COM_ERR_STAT");
        return names;
    }();
    for (const QString& f : tested)
        if (ds.FieldByName(f).AsString() != kNormal) return true;
    return false;
}

void TfrmDevStsMon::RefreshStatusGrid(int mode, const QString& list) {
    const std::vector<TGridColumn> columns = {FieldColumn(QStringLiteral("ROAD_NUM")),
                                              FieldColumn(QStringLiteral("SPOT_NAME")),
                                              FieldColumn(QStringLiteral("ATC_NUM")),
                                              FieldColumn(QStringLiteral("SPOT_LOCA")),
                                              StatusColumn(),
                                              FieldColumn(QStringLiteral("COM_ERR_STAT"))};
    // The choice is read for each row, as the operator may change it at any moment.
    const TRowFilter shown = [this](const TSQLClientDataSet& ds) {
        return !ui->rdoErrDev->isChecked() || IsFaultyRow(ds);
    };
    FillGridFromQuery(ui->fpSpread1, dmOracle->dsQuery2, StatusGridSql(mode, list), columns, {},
                      shown);
    FitColumns(ui->fpSpread1);
}

TfrmDevStsMon* OpenDevStsMon(int mode, const QString& list, bool timerOn) {
    auto* window = new TfrmDevStsMon();
    frmDevStsMon = window;
    window->SetMonitorTarget(mode, list);
    window->SetMonitorTimer(timerOn);
    window->Show();
    return window;
}
