#include "main.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTextEdit>
#include <QTextStream>
#include <QTimer>
#include <QToolButton>
#include <stdexcept>

#include "Application.h"
#include "ChildWin.h"
#include "DevSearchFrm.h"
#include "DevStsMonFrm.h"
#include "MdiWindows.h"
#include "TrafMonTextFrm.h"
#include "ui_main.h"

TMainForm* MainForm = nullptr;

namespace {
constexpr int kToolBarHeight = 41;
constexpr int kToolButtonHeight = 31;

enum class TEditOp { Cut, Copy, Paste };

// The standard edit command on whichever edit control has the focus; nothing on other controls.
void OnFocusedEdit(TEditOp op) {
    QWidget* focus = QApplication::focusWidget();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(focus)) {
        op == TEditOp::Cut ? plain->cut() : op == TEditOp::Copy ? plain->copy() : plain->paste();
    } else if (auto* rich = qobject_cast<QTextEdit*>(focus)) {
        op == TEditOp::Cut ? rich->cut() : op == TEditOp::Copy ? rich->copy() : rich->paste();
    } else if (auto* line = qobject_cast<QLineEdit*>(focus)) {
        op == TEditOp::Cut ? line->cut() : op == TEditOp::Copy ? line->copy() : line->paste();
    }
}
}  // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent), ui(new Ui::TMainForm) {
    ui->setupUi(this);
    ConnectActions();
    SetUpWindowMenu();
    SetUpToolBar();
    SetUpOpenDialog();
}

TMainForm::~TMainForm() = default;

void TMainForm::ConnectActions() {
    // Keyboard commands that no menu carries still need a home to be heard.
    addActions({ui->FileNew1, ui->FileOpen1, ui->EditCut1, ui->EditCopy1, ui->EditPaste1});
    ConnectHandlers(this, &QAction::triggered,
                    {{ui->FileNew1, &TMainForm::FileNew1Execute},
                     {ui->FileOpen1, &TMainForm::FileOpen1Execute},
                     {ui->FileExit1, &TMainForm::FileExit1Execute},
                     {ui->EditCut1, &TMainForm::EditCut1Execute},
                     {ui->EditCopy1, &TMainForm::EditCopy1Execute},
                     {ui->EditPaste1, &TMainForm::EditPaste1Execute},
                     {ui->mnuTrafMonTxt, &TMainForm::mnuTrafMonTxtClick}});
    ui->File1->menuAction()->setStatusTip(ui->File1->statusTip());
    ui->Window1->menuAction()->setStatusTip(ui->Window1->statusTip());
}

void TMainForm::SetUpWindowMenu() {
    ::SetUpWindowMenu(ui->Window1, ui->mdiArea,
                      {ui->WindowCascade1, ui->WindowTileHorizontal1, ui->WindowTileVertical1,
                       nullptr, ui->WindowArrangeAll1});
    setCentralWidget(ui->mdiArea);
}

QToolButton* TMainForm::AddToolButton(const char* name, const QIcon& icon, const QString& toolTip,
                                      void (TMainForm::*handler)()) {
    auto* button = new QToolButton(ui->ToolBar2);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(icon);
    button->setIconSize(QSize(20, 20));
    button->setToolTip(toolTip);
    button->setFixedSize(kToolButtonHeight + 6, kToolButtonHeight);
    button->setAutoRaise(false);
    connect(button, &QToolButton::clicked, this, Guarded([this, handler] { (this->*handler)(); }));
    ui->ToolBar2->addWidget(button);
    return button;
}

void TMainForm::SetUpToolBar() {
    ui->ToolBar2->setFixedHeight(kToolBarHeight);
    QStyle* s = style();
    AddToolButton("BitBtnClose", s->standardIcon(QStyle::SP_DialogCloseButton),
                  QStringLiteral("닫기"), &TMainForm::BitBtnCloseClick);
    AddToolButton("BitBtnStart", s->standardIcon(QStyle::SP_MediaPlay), QStringLiteral("시작"),
                  &TMainForm::BitBtnStartClick);
    AddToolButton("BitBtnStop", s->standardIcon(QStyle::SP_MediaStop), QStringLiteral("정지"),
                  &TMainForm::BitBtnStopClick);
    AddToolButton("BitBtnDevSts", s->standardIcon(QStyle::SP_MessageBoxWarning),
                  QStringLiteral("장비상태"), &TMainForm::BitBtnDevStsClick);
    AddToolButton("BitBtnDevSrch", s->standardIcon(QStyle::SP_FileDialogContentsView),
                  QStringLiteral("장비검색"), &TMainForm::BitBtnDevSrchClick);
}

void TMainForm::SetUpOpenDialog() {
    OpenDialog = new QFileDialog(this);
    OpenDialog->setObjectName(QStringLiteral("OpenDialog"));
    OpenDialog->setFileMode(QFileDialog::ExistingFile);
    OpenDialog->setAcceptMode(QFileDialog::AcceptOpen);
    // "*.*" would hide files without a dot, such as the NONAME texts; "*" lists every file.
    OpenDialog->setNameFilter(QStringLiteral("All files (*)"));
    OpenDialog->setOption(QFileDialog::DontUseNativeDialog);
}

QMdiArea* TMainForm::MdiArea() const {
    return ui->mdiArea;
}

void TMainForm::mnuTrafMonTxtClick() {
    pTrafMonText = nullptr;
    auto* window = new TfrmTrafMonText();
    pTrafMonText = window;
    AddMdiChild(ui->mdiArea, window)->showMaximized();
}

TMDIChild* TMainForm::OpenChildWindow(const QString& name) {
    auto* child = new TMDIChild();
    child->setWindowTitle(name);
    AddMdiChild(ui->mdiArea, child)->show();
    if (QFile::exists(name)) {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            throw std::runtime_error(QStringLiteral("Cannot open file \"%1\". %2")
                                         .arg(name, file.errorString())
                                         .toStdString());
        QTextStream in(&file);
        child->Memo1()->setPlainText(in.readAll());
    }
    return child;
}

void TMainForm::FileNew1Execute() {
    const int open = static_cast<int>(ui->mdiArea->subWindowList().size());
    OpenChildWindow(QStringLiteral("NONAME") + QString::number(open + 1));
}

void TMainForm::FileOpen1Execute() {
    if (OpenDialog->exec() != QDialog::Accepted) return;
    const QStringList files = OpenDialog->selectedFiles();
    if (!files.isEmpty()) OpenChildWindow(files.first());
}

void TMainForm::FileExit1Execute() {
    close();
}

void TMainForm::EditCut1Execute() {
    OnFocusedEdit(TEditOp::Cut);
}

void TMainForm::EditCopy1Execute() {
    OnFocusedEdit(TEditOp::Copy);
}

void TMainForm::EditPaste1Execute() {
    OnFocusedEdit(TEditOp::Paste);
}

void TMainForm::BitBtnCloseClick() {
    if (pTrafMonText) pTrafMonText->Close();
}

void TMainForm::BitBtnStartClick() {
    if (pTrafMonText) pTrafMonText->tmrQuery->start();
}

void TMainForm::BitBtnStopClick() {
    if (pTrafMonText) pTrafMonText->tmrQuery->stop();
}

// The new window keeps what it is given now; nothing here feeds it later.
void TMainForm::BitBtnDevStsClick() {
    if (!pTrafMonText) return;
    OpenDevStsMon(pTrafMonText->GetMonitorMode(), pTrafMonText->GetCheckedAtcList(),
                  pTrafMonText->tmrQuery->isActive());
}

void TMainForm::BitBtnDevSrchClick() {
    OpenDevSearch();
}
