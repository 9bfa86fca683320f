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
