#include "AxisInfoFrm.h"

#include "DevSearchFrm.h"
#include "OracleDM.h"
#include "ui_AxisInfoFrm.h"

QPointer<TfrmAxisInfo> frmAxisInfo;

TfrmAxisInfo::TfrmAxisInfo(QWidget* owner) : TfrmPickList(owner), ui(new Ui::TfrmAxisInfo) {
    ui->setupUi(this);
    move(570, 383);
    SetUpPickList(ui->fpSpread1, ui->btnOk, {6.00, 22.25});
}

TfrmAxisInfo::~TfrmAxisInfo() = default;

void TfrmAxisInfo::LoadAxisList() {
    LoadList(dmOracle->dsPoint, AxisPickListSql(), QStringLiteral("AXLE_ID"),
             QStringLiteral("AXLE_NAME"));
}

void TfrmAxisInfo::FormActivate() {
    LoadAxisList();
}

void TfrmAxisInfo::Deliver(TfrmDevSearch& search, const QString& id, const QString& name) {
    search.SetAxis(id, name);
}
