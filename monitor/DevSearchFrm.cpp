#include "DevSearchFrm.h"

#include <algorithm>
#include <iterator>

#include "Application.h"
#include "AxisInfoFrm.h"
#include "DebugFrm.h"
#include "Grid.h"
#include "OracleDM.h"
#include "QueryGrid.h"
#include "ResrGroupFrm.h"
#include "ResrInfoFrm.h"
#include "Text.h"
#include "ui_DevSearchFrm.h"

QPointer<TfrmDevSearch> frmDevSearch;

namespace {
constexpr int kLeft = 365;
constexpr int kTop = 376;

// The operating VDS controllers with their newest figures, joined to their axes and survey-point
// groups; each non-empty edit adds one condition.
const QString kBaseSql = QStringLiteral(
    "SELECT DISTINCT L.ROAD_NUM, A.ATC_NUM, S.SPOT_LOCA, DECODE(M.IOFL_TYPE,'1',M.TRAF) AS ITRAF, "
    "ROUND(DECODE(M.IOFL_TYPE,'1',M.SPED),2) AS ISPED, DECODE(M.IOFL_TYPE,'2',M.TRAF) AS OTRAF, "
    "ROUND(DECODE(M.IOFL_TYPE,'2',M.SPED),2) AS OSPED FROM ATC_NEW_TRAF_INFO M, ROAD_LINK_INFO L, "
    "SPOT_INFO S, OVD_INFO O, ATC_INFO A, RESR_SPOT_CONF_INFO C, RESR_SPOT_INFO R, AXLE_INFO X "
    "WHERE  C.RESR_GRUP_NUM = R.RESR_GRUP_NUM AND R.RESR_SPOT_ID = C.RESR_SPOT_ID AND "
    "C.SPOT_ID=S.SPOT_ID AND M.ATC_ID=O.ATC_ID AND O.LINK_ID=L.LINK_ID AND L.IOFL_TYPE=M.IOFL_TYPE "
    "AND O.ATC_ID=A.ATC_ID AND A.SET_SPOT_ID=S.SPOT_ID AND A.EQUP_TYPE = '2' AND A.OPER_STAT = 'Y' "
    "AND X.AXLE_ID = L.AXLE_ID AND L.LINK_ID=O.LINK_ID AND O.ATC_ID=A.ATC_ID ");

// In the edits' order. The survey point is compared with what its pick list offers: SPOT_INFO.
const char* const kConditionPrefixes[] = {"AND X.AXLE_ID = '",       "AND X.AXLE_NAME = '",
                                          "AND R.RESR_GRUP_NUM = '", "AND R.RESR_GRUP_NAME = '",
                                          "AND S.SPOT_ID = '",       "AND S.SPOT_NAME = '"};
}  // namespace

TfrmDevSearch::TfrmDevSearch(QWidget* owner) : TTopLevelForm(owner), ui(new Ui::TfrmDevSearch) {
    ui->setupUi(this);
    move(kLeft, kTop);
    SetUpGrid(ui->fpDevSearch, {4.25, 5.75, 20.25, 5.25, 3.75, 5.62, 4.25}, 3);
    ConnectHandlers(this, &QAbstractButton::clicked,
                    {{ui->btnAxis, &TfrmDevSearch::btnAxisClick},
                     {ui->btnResrGrp, &TfrmDevSearch::btnResrGrpClick},
                     {ui->btnResr, &TfrmDevSearch::btnResrClick},
                     {ui->btnSearch, &TfrmDevSearch::btnSearchClick}});
}

TfrmDevSearch::~TfrmDevSearch() = default;

void TfrmDevSearch::SetAxis(const QString& id, const QString& name) {
    ui->edAxisNo->setText(id);
    ui->edAxisName->setText(name);
}

void TfrmDevSearch::SetResrGroup(const QString& id, const QString& name) {
    ui->edResrGrpId->setText(id);
    ui->edResrGrpName->setText(name);
}

void TfrmDevSearch::SetResr(const QString& id, const QString& name) {
    ui->edResrId->setText(id);
    ui->edResrName->setText(name);
}

void TfrmDevSearch::btnAxisClick() {
    OpenPickList(frmAxisInfo);
}

void TfrmDevSearch::btnResrGrpClick() {
    OpenPickList(frmResrGroup);
}

void TfrmDevSearch::btnResrClick() {
    OpenPickList(frmResrInfo);
}

void TfrmDevSearch::btnSearchClick() {
    SearchDevices();
}

QString TfrmDevSearch::SearchSql(const QStringList& edits) {
    QString sql;
    sql += kBaseSql;
    const int n =
        std::min(static_cast<int>(edits.size()), static_cast<int>(std::size(kConditionPrefixes)));
    for (int i = 0; i < n; ++i) {
        if (edits[i].isEmpty()) continue;
        // Doubled quotes keep a typed value a value: it is searched for as it stands.
        sql +=
            QLatin1String(kConditionPrefixes[i]) + SqlQuoted(Trim(edits[i])) + QStringLiteral("' ");
    }
    return sql;
}

void TfrmDevSearch::SearchDevices() {
    const QString sql =
        SearchSql({ui->edAxisNo->text(), ui->edAxisName->text(), ui->edResrGrpId->text(),
                   ui->edResrGrpName->text(), ui->edResrId->text(), ui->edResrName->text()});
    // Shown before the query runs, so the text is there to read when the query fails.
    auto* debug = new TfrmDebug();
    SetFrmDebug(debug);
    debug->AddLine(sql);
    debug->show();

    TfpSpread* grid = ui->fpDevSearch;
    grid->DeleteRows(1, grid->MaxRows());
    const std::vector<TGridColumn> columns = {
        FieldColumn(QStringLiteral("ROAD_NUM")),  FieldColumn(QStringLiteral("ATC_NUM")),
        FieldColumn(QStringLiteral("SPOT_LOCA")), FieldColumn(QStringLiteral("ITRAF")),
        FieldColumn(QStringLiteral("ISPED")),     FieldColumn(QStringLiteral("OTRAF")),
        FieldColumn(QStringLiteral("OSPED"))};
    FillGridFromQuery(grid, dmOracle->dsQuery, sql, columns);
    FitColumns(grid);
}

TfrmDevSearch* OpenDevSearch() {
    auto* window = new TfrmDevSearch();
    frmDevSearch = window;
    window->Show();
    return window;
}
