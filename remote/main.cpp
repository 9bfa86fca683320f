#include "main.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include "Application.h"
#include "InfoReq.h"
#include "MdiWindows.h"
#include "ParamSet.h"
#include "RemoteCtrl.h"
#include "UiHooks.h"
#include "about.h"
#include "ui_main.h"

TMainForm* MainForm = nullptr;

TMainForm::TMainForm(const QStringList& args, QWidget* parent)
    : QMainWindow(parent), ui(new Ui::TMainForm) {
    ui->setupUi(this);
    ConnectActions();
    SetUpWindowMenu();
    FormCreate(args);
}

TMainForm::~TMainForm() = default;

void TMainForm::FormCreate(const QStringList& args) {
    for (int i = 0; i < 5; ++i) LaunchArgs[i] = i < args.size() ? args[i] : QString();
    // Blanks count as present; only an empty text or a wrong count refuses the start.
    const bool missing = LaunchArgs[2].isEmpty() || LaunchArgs[0].isEmpty() ||
                         LaunchArgs[1].isEmpty() || LaunchArgs[3].isEmpty() ||
                         LaunchArgs[4].isEmpty() || args.size() != 5;
    if (missing) {
        ShowMessage(QStringLiteral("실행인자가 없거나 부족합니다."));
        if (Application()) Application()->Terminate();
    }
}

void TMainForm::ConnectActions() {
    ConnectHandlers(this, &QAction::triggered,
                    {{ui->mnuParamSet, &TMainForm::mnuParamSetClick},
                     {ui->mnuRemoteCtl, &TMainForm::mnuRemoteCtlClick},
                     {ui->mnuInfoReq, &TMainForm::mnuInfoReqClick},
                     {ui->actParamSet, &TMainForm::actParamSetExecute},
                     {ui->FileExit1, &TMainForm::FileExit1Execute},
                     {ui->HelpAbout1, &TMainForm::HelpAbout1Execute}});
}

void TMainForm::SetUpWindowMenu() {
    ::SetUpWindowMenu(ui->Window1, ui->mdiArea,
                      {ui->WindowCascade1, ui->WindowTileHorizontal1, ui->WindowTileVertical1,
                       ui->WindowMinimizeAll1, ui->WindowArrangeAll1});
    setCentralWidget(ui->mdiArea);
}

QMdiArea* TMainForm::MdiArea() const {
    return ui->mdiArea;
}

void TMainForm::OpenCommandWindow(QWidget* window) {
    AddMdiChild(ui->mdiArea, window)->showMaximized();
}

void TMainForm::mnuParamSetClick() {
    if (!bCanOpenParamSet) return;
    OpenCommandWindow(new TfrmParamSet());
    bCanOpenParamSet = false;
}

void TMainForm::mnuRemoteCtlClick() {
    if (!bCanOpenRemoteCtrl) return;
    OpenCommandWindow(new TfrmRemoteCtrl());
    bCanOpenRemoteCtrl = false;
}

void TMainForm::mnuInfoReqClick() {
    if (!bCanOpenInfoReq) return;
    OpenCommandWindow(new TfrmInfoReq());
    bCanOpenInfoReq = false;
}

void TMainForm::actParamSetExecute() {
    mnuParamSetClick();
}

void TMainForm::FileExit1Execute() {
    close();
}

void TMainForm::HelpAbout1Execute() {
    if (AboutBox) AboutBox->exec();
}
