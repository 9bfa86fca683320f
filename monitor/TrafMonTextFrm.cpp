#include "TrafMonTextFrm.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QHeaderView>
#include <QMdiSubWindow>
#include <QScopeGuard>
#include <QTimer>

#include "Application.h"
#include "Check.h"
#include "Db.h"
#include "DevSearchFrm.h"
#include "DevStsMonFrm.h"
#include "Grid.h"
#include "OracleDM.h"
#include "SkippedRows.h"
#include "StationSql.h"
#include "Text.h"
#include "ui_TrafMonTextFrm.h"

namespace {
const QString kNoDate = QStringLiteral("0000/00/00 00:00:00");
const QString kDateForm = QStringLiteral("yyyy/MM/dd HH:mm:ss");

// The columns both refresh grids begin with, from the road number to the communication status,
// then the mode's own figures.
std::vector<TGridColumn> StationColumns(std::initializer_list<const char*> figures) {
    std::vector<TGridColumn> columns = {
        FieldColumn(QStringLiteral("ROAD_NUM")),    FieldColumn(QStringLiteral("SPOT_NAME")),
        FieldColumn(QStringLiteral("ATC_NUM")),     FieldColumn(QStringLiteral("ATC_KIND")),
        FieldColumn(QStringLiteral("SPOT_LOCA")),   StatusColumn(),
        FieldColumn(QStringLiteral("COM_ERR_STAT"))};
    for (const char* f : figures) columns.push_back(FieldColumn(QString::fromLatin1(f)));
    return columns;
}

// Visits the station nodes (level 3) of a branch that may be ticked, group by group. A tri-state
// group shown unticked has no ticked station, so a refresh of a few stations in a large tree
// does not look at every station.
void ForEachStationInTickedGroups(const TVirtualStringTree* tree, PVirtualNode branchRoot,
                                  const std::function<void(PVirtualNode)>& visit) {
    if (!branchRoot || tree->ChildCount(branchRoot) == 0) return;
    for (PVirtualNode group = tree->GetFirstChild(branchRoot); group;
         group = tree->GetNextSibling(group)) {
        if (tree->CheckType(group) == ctTriStateCheckBox &&
            tree->CheckState(group) == csUncheckedNormal)
            continue;
        for (PVirtualNode station = tree->GetFirstChild(group); station;
             station = tree->GetNextSibling(station))
            visit(station);
    }
}
}  // namespace

// ---- window --------------------------------------------------------------------------------

TfrmTrafMonText::TfrmTrafMonText(QWidget* parent) : QWidget(parent), ui(new Ui::TfrmTrafMonText) {
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    tmrQuery = new QTimer(this);
    tmrQuery->setObjectName(QStringLiteral("tmrQuery"));
    tmrQuery->setInterval(1000);
    ui->ChkTree->OnGetText = [this](PVirtualNode node) {
        const auto* rec = ui->ChkTree->GetNodeDataAs<::data>(node);
        return rec ? rec->strName : QString();
    };
    SetUpGrids();
    ConnectHandlers();
    FormCreate();
}

TfrmTrafMonText::~TfrmTrafMonText() = default;

void TfrmTrafMonText::SetUpGrids() {
    for (TfpSpread* grid : {ui->SprVDS, ui->SprNewSgl}) {
        grid->verticalHeader()->setVisible(false);
        grid->horizontalHeader()->setHighlightSections(false);
        grid->resizeColumnsToContents();
    }
}

void TfrmTrafMonText::ConnectHandlers() {
    // A click on the mode already shown changes nothing, so it must not throw the ticks away.
    connect(ui->rdoVDS, &QRadioButton::toggled, this, Guarded([this](bool on) {
                if (on) rdoVDSClick();
            }));
    connect(ui->rdoNewSgl, &QRadioButton::toggled, this, Guarded([this](bool on) {
                if (on) rdoNewSglClick();
            }));
    ::ConnectHandlers(this, &QAbstractButton::clicked,
                      {{ui->btnClose, &TfrmTrafMonText::btnCloseClick},
                       {ui->btnStart, &TfrmTrafMonText::btnStartClick},
                       {ui->btnStop, &TfrmTrafMonText::btnStopClick},
                       {ui->btnDevSts, &TfrmTrafMonText::btnDevStsClick},
                       {ui->btnDevSrch, &TfrmTrafMonText::btnDevSrchClick}});
    connect(tmrQuery, &QTimer::timeout, this, Guarded([this] { tmrQueryTimer(); }));
}

bool TfrmTrafMonText::event(QEvent* e) {
    switch (e->type()) {
        case QEvent::WindowActivate:
            Guarded([this] { FormActivate(); })();
            break;
        case QEvent::ParentChange:
            WatchSubWindowActivation();
            break;
        default:
            break;
    }
    return QWidget::event(e);
}

// Inside the MDI area the frame, not this widget, is what gets activated.
void TfrmTrafMonText::WatchSubWindowActivation() {
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!sub || m_watchingSubWindow) return;
    m_watchingSubWindow = true;
    connect(sub, &QMdiSubWindow::windowStateChanged, this,
            Guarded([this](Qt::WindowStates, Qt::WindowStates now) {
                if (now & Qt::WindowActive) FormActivate();
            }));
}

void TfrmTrafMonText::closeEvent(QCloseEvent* event) {
    FormClose(event);
}

void TfrmTrafMonText::FormClose(QCloseEvent* event) {
    // A closed window is freed with its frame; its refresh must not run while that is pending.
    tmrQuery->stop();
    event->accept();
}

void TfrmTrafMonText::FormCreate() {
    nMode = kModeVds;
    RebuildStationTree();
    ui->SprNewSgl->hide();
    ui->SprVDS->show();
}

void TfrmTrafMonText::FormActivate() {
    ui->ChkTree->SetCheckSupport(true);
}

void TfrmTrafMonText::rdoVDSClick() {
    FormCreate();
    if (pDevStsMon) pDevStsMon->SetMonitorMode(kModeVds);
}

void TfrmTrafMonText::rdoNewSglClick() {
    nMode = kModeNewSignal;
    RebuildStationTree();
    ui->SprVDS->hide();
    ui->SprNewSgl->show();
    if (pDevStsMon) pDevStsMon->SetMonitorMode(kModeNewSignal);
}

void TfrmTrafMonText::Close() {
    // Inside the MDI area the frame goes too; closing it closes this window first.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

// A button labelled "close" that did nothing would leave the operator puzzled.
void TfrmTrafMonText::btnCloseClick() {
    Close();
}

void TfrmTrafMonText::btnStartClick() {
    tmrQuery->start();
}

void TfrmTrafMonText::btnStopClick() {
    tmrQuery->stop();
}

TfrmDevStsMon* TfrmTrafMonText::OwnDevStsMon() const {
    return pDevStsMon;
}

// An earlier status window stays open but is no longer fed.
void TfrmTrafMonText::btnDevStsClick() {
    pDevStsMon = OpenDevStsMon(nMode, GetCheckedAtcList(), tmrQuery->isActive());
}

void TfrmTrafMonText::btnDevSrchClick() {
    OpenDevSearch();
}

// ---- station tree --------------------------------------------------------------------------

void TfrmTrafMonText::RebuildStationTree() {
    InitStationTree();
    LoadAxisBranch(nMode);
    LoadResrBranch(nMode);
    ui->ChkTree->FullExpand(pRootNode);
}

void TfrmTrafMonText::InitStationTree() {
    TVirtualStringTree* tree = ui->ChkTree;
    tree->Clear();
    pAxisGroup = pResrGroup = nullptr;
    auto add = [tree](PVirtualNode parent, const QString& name) {
        auto rec = std::make_unique<::data>();
        rec->strName = name;
        PVirtualNode node = tree->AddChild(parent, std::move(rec));
        tree->SetCheckType(node, ctTriStateCheckBox);
        return node;
    };
    pRootNode = add(nullptr, QStringLiteral("교통량 수집 지점"));
    pAxisNode = add(pRootNode, QStringLiteral("축별"));
    pResrNode = add(pRootNode, QStringLiteral("조사지점군별"));
}

QString TfrmTrafMonText::CountOvd(const QString& atcId, int direction) {
    return FirstRowValue(dmOracle->dsQuery, OvdCountSql(atcId, direction), TLogOn::Kept,
                         QStringLiteral("OVD_CNT"));
}

void TfrmTrafMonText::LoadAxisBranch(int mode) {
    LoadBranch(true, mode);
}

void TfrmTrafMonText::LoadResrBranch(int mode) {
    LoadBranch(false, mode);
}

void TfrmTrafMonText::LoadBranch(bool axis, int mode) {
    TVirtualStringTree* tree = ui->ChkTree;
    TSQLClientDataSet& ds = axis ? dmOracle->dsAxis : dmOracle->dsPoint;
    PVirtualNode branchRoot = axis ? pAxisNode : pResrNode;
    PVirtualNode& group = axis ? pAxisGroup : pResrGroup;
    const QString groupField = axis ? QStringLiteral("AXLE_NAME1") : QStringLiteral("RESR_NAME1");

    // The values of the current row, in the order the record takes them.
    auto rowValues = [&]() {
        TSkippedRows::TRow row = {{axis ? "AXLE_NAME1" : "RESR_SPOT_ID1", {}},
                                  {axis ? "LINK_ID1" : "RESR_NAME1", {}},
                                  {"SPOT_ID1", {}},
                                  {"SPOT_NAME1", {}},
                                  {"ATC_ID1", {}},
                                  {"ATC_NUM1", {}}};
        for (auto& [name, value] : row) value = ds.FieldByName(QLatin1String(name)).AsString();
        return row;
    };
    auto record = [&](const TSkippedRows::TRow& row) {
        auto r = std::make_unique<::data>();
        r->strID = axis ? QStringLiteral("1") : QStringLiteral("2");
        if (axis) {
            r->strAXLE_NAME = row[0].second;
            r->strLINK_ID = row[1].second;
        } else {
            r->strRESR_SPOT_ID = row[0].second;
            r->strRESR_NAME = row[1].second;
        }
        r->strSPOT_ID = row[2].second;
        r->strSPOT_NAME = row[3].second;
        r->strATC_ID = row[4].second;
        r->strATC_NUM = row[5].second;
        const int inflow = CountOvd(r->strATC_ID, 1).toInt();
        const int outflow = CountOvd(r->strATC_ID, 2).toInt();
        r->strOVD_CNT = QString::asprintf("(%02d%02d)", inflow, outflow);
        return r;
    };
    auto stationText = [](const ::data& r) { return Trim(r.strSPOT_NAME) + r.strOVD_CNT; };
    auto add = [tree](PVirtualNode parent, std::unique_ptr<::data> r) {
        PVirtualNode node = tree->AddChild(parent, std::move(r));
        tree->SetCheckType(node, ctTriStateCheckBox);
        return node;
    };

    // Both branches of a rebuild in one box, also when the build stops part way.
    const auto report = qScopeGuard([this] { m_skippedRows.ReportSoon(this); });
    QString previousGroup;
    RunQuery(ds, axis ? AxisBranchSql(mode) : ResrBranchSql(mode), TLogOn::ForTheQuery,
             [&](const TSQLClientDataSet&) {
                 const TSkippedRows::TRow row = rowValues();
                 // Before CountOvd splices the id, which a NUL would cut short.
                 if (m_skippedRows.Skip(row)) return;
                 auto r = record(row);
                 const QString groupName = ds.FieldByName(groupField).AsString();
                 // Without a group yet, even an empty name opens one, so the station still has a
                 // parent.
                 if (!group || groupName != previousGroup) {
                     r->strName = groupName;
                     group = add(branchRoot, std::move(r));
                     auto s = record(row);
                     s->strName = stationText(*s);
                     add(group, std::move(s));
                     previousGroup = groupName;
                 } else {
                     r->strName = stationText(*r);
                     add(group, std::move(r));
                 }
             });
}

QString TfrmTrafMonText::GetCheckedAtcList() {
    std::vector<const ::data*> list;
    CollectCheckedAxis(pAxisNode, list);
    CollectCheckedResr(pResrNode, list);
    QStringList quoted;
    for (const ::data* rec : list) quoted << SqlLiteral(rec->strATC_ID);
    return quoted.join(QLatin1Char(','));
}

void TfrmTrafMonText::CollectCheckedAxis(PVirtualNode branchRoot,
                                         std::vector<const ::data*>& list) const {
    CollectChecked(branchRoot, list);
}

void TfrmTrafMonText::CollectCheckedResr(PVirtualNode branchRoot,
                                         std::vector<const ::data*>& list) const {
    CollectChecked(branchRoot, list);
}

void TfrmTrafMonText::CollectChecked(PVirtualNode branchRoot,
                                     std::vector<const ::data*>& list) const {
    const TVirtualStringTree* tree = ui->ChkTree;
    ForEachStationInTickedGroups(tree, branchRoot, [&](PVirtualNode node) {
        if (tree->CheckState(node) != csCheckedNormal) return;
        const int nLevel = tree->GetNodeLevel(node);
        VDS_CHECK(nLevel == 3);
        list.push_back(tree->GetNodeDataAs<::data>(node));
    });
}

// ---- refresh -------------------------------------------------------------------------------

// The collection time of the newest figures, so an operator sees how old they are.
void TfrmTrafMonText::ShowColDate(int mode, const QString& atcList) {
    const QString newest = FirstRowValue(dmOracle->dsQuery, ColDateSql(mode, atcList), TLogOn::Kept,
                                         QStringLiteral("COL_DATE"));
    ui->lblColDate->setText(newest.isEmpty() ? kNoDate : newest);
}

void TfrmTrafMonText::FillVdsGrid(const QString& atcList) {
    FillGridFromQuery(
        ui->SprVDS, dmOracle->dsQuery, VdsGridSql(atcList),
        StationColumns({"ISPED", "ITRAF", "IRATE", "ISTAT", "OSPED", "OTRAF", "ORATE", "OSTAT"}),
        [&] { ShowColDate(kModeVds, atcList); });
}

void TfrmTrafMonText::FillNewSglGrid(const QString& atcList) {
    FillGridFromQuery(ui->SprNewSgl, dmOracle->dsQuery, NewSglGridSql(atcList),
                      StationColumns({"CROS_DIR_TYPE", "SPED", "LTRAF", "STRAF", "RTRAF"}),
                      [&] { ShowColDate(kModeNewSignal, atcList); });
}

void TfrmTrafMonText::tmrQueryTimer() {
    const QString list = GetCheckedAtcList();
    if (list.isEmpty()) return;
    if (nMode == kModeVds) {
        ui->SprVDS->DeleteRows(1, ui->SprVDS->MaxRows());
        FillVdsGrid(list);
    } else if (nMode == kModeNewSignal) {
        ui->SprNewSgl->DeleteRows(1, ui->SprNewSgl->MaxRows());
        FillNewSglGrid(list);
    } else {
        return;
    }
    (nMode == kModeVds ? ui->SprVDS : ui->SprNewSgl)->WidenColumnsToFit();
    ui->lblCurDate->setText(QDateTime::currentDateTime().toString(kDateForm));
    HandOffToDevStsMon(list);
}

void TfrmTrafMonText::HandOffToDevStsMon(const QString& atcList) {
    if (!pDevStsMon) return;
    pDevStsMon->SetMonitorTarget(nMode, atcList);
    pDevStsMon->SetMonitorTimer(tmrQuery->isActive());
}
