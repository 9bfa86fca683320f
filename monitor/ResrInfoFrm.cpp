#include "ResrInfoFrm.h"

#include "DevSearchFrm.h"
#include "OracleDM.h"
#include "ui_ResrInfoFrm.h"

QPointer<TfrmResrInfo> frmResrInfo;

TfrmResrInfo::TfrmResrInfo(QWidget* owner) : TfrmPickList(owner), ui(new Ui::TfrmResrInfo) {
    ui->setupUi(this);
    move(880, 583);
    SetUpPickList(ui->fpSpread1, ui->btnOk, {4.87, 21.75});
}

TfrmResrInfo::~TfrmResrInfo() = default;

void TfrmResrInfo::LoadResrList() {
    LoadList(dmOracle->dsPoint, ResrPickListSql(), QStringLiteral("SPOT_ID"),
             QStringLiteral("SPOT_NAME"));
}

void TfrmResrInfo::FormActivate() {
    LoadResrList();
}

void TfrmResrInfo::Deliver(TfrmDevSearch& search, const QString& id, const QString& name) {
    search.SetResr(id, name);
}
