#include "ResrGroupFrm.h"

#include "Db.h"
#include "DevSearchFrm.h"
#include "OracleDM.h"
#include "ui_ResrGroupFrm.h"

QPointer<TfrmResrGroup> frmResrGroup;

TfrmResrGroup::TfrmResrGroup(QWidget* owner) : TfrmPickList(owner), ui(new Ui::TfrmResrGroup) {
    ui->setupUi(this);
    move(518, 573);
    SetUpPickList(ui->fpSpread1, ui->btnOk, {5.25, 22.87});
}

TfrmResrGroup::~TfrmResrGroup() = default;

void TfrmResrGroup::LoadResrGroupList() {
    const QString number = QStringLiteral("RESR_GRUP_NUM");
    // The result is one row per survey point; a group is listed where its number starts a run.
    QString previous;
    const TRowFilter startsRun = [&](const TSQLClientDataSet& ds) {
        const QString current = ds.FieldByName(number).AsString();
        if (current == previous) return false;
        previous = current;
        return true;
    };
    LoadList(dmOracle->dsQuery2, ResrGroupPickListSql(), number, QStringLiteral("RESR_GRUP_NAME"),
             startsRun);
}

void TfrmResrGroup::FormActivate() {
    LoadResrGroupList();
}

void TfrmResrGroup::Deliver(TfrmDevSearch& search, const QString& id, const QString& name) {
    search.SetResrGroup(id, name);
}
