#include "RemoteCtrl.h"

#include "Application.h"
#include "ButtonHold.h"
#include "Check.h"
#include "Link.h"
#include "OracleDM.h"
#include "Text.h"
#include "UiHooks.h"
#include "ui_RemoteCtrl.h"

namespace {
constexpr int kAnswerWaitMs = 1000;

void UncheckBoth(QRadioButton* a, QRadioButton* b) {
    for (QRadioButton* r : {a, b}) {
        r->setAutoExclusive(false);
        r->setChecked(false);
        r->setAutoExclusive(true);
    }
}
}  // namespace

TfrmRemoteCtrl::TfrmRemoteCtrl(QWidget* owner) : TCommandForm(owner), ui(new Ui::TfrmRemoteCtrl) {
    ui->setupUi(this);
    SetUpCommandForm(ui->LeafTree,
                     TDetailStrip{ui->lblAxisNo, ui->lblCtlNo, ui->lblDetDir, ui->lblLoopDetCnt},
                     ui->btnClose);
    ConnectButtons();
    FormCreate();
}

TfrmRemoteCtrl::~TfrmRemoteCtrl() = default;

void TfrmRemoteCtrl::ConnectButtons() {
    ConnectHandlers(this, &QAbstractButton::clicked,
                    {{ui->btnSWReset, &TfrmRemoteCtrl::btnSWResetClick},
                     {ui->btnHWInit, &TfrmRemoteCtrl::btnHWInitClick},
                     {ui->btnThreshold, &TfrmRemoteCtrl::btnThresholdClick},
                     {ui->btnVer, &TfrmRemoteCtrl::btnVerClick},
                     {ui->btnLeapTime, &TfrmRemoteCtrl::btnLeapTimeClick},
                     {ui->btnMemChk, &TfrmRemoteCtrl::btnMemChkClick},
                     {ui->btnEchoReq, &TfrmRemoteCtrl::btnEchoReqClick}});
}

// Each button only starts its routine; the routine runs 200 ms later on the main thread, and not
// at all once this window is gone.
void TfrmRemoteCtrl::btnSWResetClick() {
    StartCommand(ui->btnSWReset, [this] { SWResetWork(); });
}
void TfrmRemoteCtrl::btnHWInitClick() {
    StartCommand(ui->btnHWInit, [this] { HWInitWork(); });
}
void TfrmRemoteCtrl::btnThresholdClick() {
    StartCommand(ui->btnThreshold, [this] { ThresholdWork(); });
}
void TfrmRemoteCtrl::btnVerClick() {
    StartCommand(ui->btnVer, [this] { VerWork(); });
}
void TfrmRemoteCtrl::btnLeapTimeClick() {
    StartCommand(ui->btnLeapTime, [this] { LeapTimeWork(); });
}
void TfrmRemoteCtrl::btnMemChkClick() {
    StartCommand(ui->btnMemChk, [this] { MemChkWork(); });
}
void TfrmRemoteCtrl::btnEchoReqClick() {
    StartCommand(ui->btnEchoReq, [this] { EchoReqWork(); });
}

void TfrmRemoteCtrl::RunCommand(QPushButton* disabled, int opcode, int option,
                                const TPayloadWriter& payload, const QString& text,
                                const std::function<void()>& afterAccepted) {
    TButtonHold hold(disabled);
    const auto result = ExchangeWithSelected(pCurSel(), nSocket, opcode, option, payload);
    if (!result) return;
    if (*result != TExchangeResult::Accepted) {
        ShowMessage(text + QStringLiteral(" fail "));
        return;
    }
    ShowMessage(text + QStringLiteral(" success"));
    if (afterAccepted) afterAccepted();
}

std::function<void()> TfrmRemoteCtrl::ReadBack(int opcode) {
    return [this, opcode] {
        Sleep(kAnswerWaitMs);
        ClearCtrlResult(opcode);
        if (opcode == opVersion)
            LoadAtcVersion(pCurSel(), opcode);
        else
            LoadCtrlResult(pCurSel(), opcode);
    };
}

void TfrmRemoteCtrl::SWResetWork() {
    RunCommand(ui->btnSWReset, opSWReset, 0, {}, QStringLiteral("S/W RESET"), {});
}

void TfrmRemoteCtrl::HWInitWork() {
    RunCommand(ui->btnHWInit, opHWInit, 0, {}, QStringLiteral("H/W INIT"), {});
}

void TfrmRemoteCtrl::ThresholdWork() {
    // The option is read when the routine runs, not at the click.
    const int option = ui->rdoLow->isChecked() ? 0 : 1;
    RunCommand(ui->btnThreshold, opThreshold, option, {},
               QStringLiteral("루프검지기 Threshold 설정"), ReadBack(opThreshold));
}

void TfrmRemoteCtrl::VerWork() {
    RunCommand(ui->btnVer, opVersion, 0, {}, QStringLiteral("제어기 버전 요청"),
               ReadBack(opVersion));
}

void TfrmRemoteCtrl::LeapTimeWork() {
    RunCommand(ui->btnLeapTime, opLeapTime, 0, {}, QStringLiteral("통신단절 경과시간 요청"),
               ReadBack(opLeapTime));
}

void TfrmRemoteCtrl::MemChkWork() {
    RunCommand(ui->btnMemChk, opMemChk, 0, {}, QStringLiteral("메모리 검사 요청"),
               ReadBack(opMemChk));
}

void TfrmRemoteCtrl::EchoReqWork() {
    const TPayloadWriter payload = [this](unsigned char* frame) {
        m_echoSent = ui->edEchoMsg->text();
        // Cut after the 10th byte, even inside a double-byte character, as the controller takes it.
        const QByteArray bytes = ToCp949(m_echoSent).left(kEchoBytes);
        std::copy(bytes.begin(), bytes.end(), frame + kFrameIndex);
    };
    RunCommand(nullptr, opEcho, 0, payload, QStringLiteral("Echo 메시지 요청"), ReadBack(opEcho));
}

void TfrmRemoteCtrl::ClearCtrlResult(int opcode) {
    switch (opcode) {
        case opThreshold:
            UncheckBoth(ui->rdoLow, ui->rdoHigh);
            break;
        case opLeapTime:
            ui->lblDisconTime->clear();
            break;
        case opMemChk:
            ui->lblMemChkSts->clear();
            break;
        case opEcho:
            ui->edEchoMsg->clear();
            ui->lblLoopbackResult->clear();
            break;
        case opVersion:
            ui->lblVer->clear();
            ui->lblManuDate->clear();
            break;
        default:
            break;
    }
}

void TfrmRemoteCtrl::LoadAtcVersion(const ::data* pSelData, int /*opcode*/) {
    VDS_CHECK(pSelData != NULL);
    const QString strID = pSelData->strATC_ID;
    VDS_CHECK(strID != "");
    QString version, date;
    int rows = 0;
    RunQuery(dmOracle->dsQuery, AtcVersionSql(strID), TLogOn::Kept,
             [&](const TSQLClientDataSet& row) {
                 if (++rows > 1) return;
                 version = row.FieldByName(QStringLiteral("ATC_VER")).AsString();
                 date = row.FieldByName(QStringLiteral("ATC_CRTE_DATE")).AsString();
             });
    // A controller deleted since the tree was built, or listed twice, has no one version to show.
    if (rows != 1) version = date = QString();
    ui->lblVer->setText(QStringLiteral("Version : %1").arg(version));
    ui->lblManuDate->setText(
        QStringLiteral("제조일자 : %1/%2/%3").arg(date.mid(0, 4), date.mid(4, 2), date.mid(6, 2)));
}

void TfrmRemoteCtrl::LoadCtrlResult(const ::data* pSelData, int opcode) {
    VDS_CHECK(pSelData != NULL);
    const QString strID = pSelData->strATC_ID;
    VDS_CHECK(strID != "");
    int hours = 0, minutes = 0, seconds = 0;
    RunQuery(
        dmOracle->dsQuery, CtrlResultSql(strID), TLogOn::Kept, [&](const TSQLClientDataSet& ds) {
            switch (opcode) {
                case opThreshold:
                    if (ds.FieldByName(QStringLiteral("THRESHOLD")).AsInteger() == 1)
                        ui->rdoHigh->setChecked(true);
                    else
                        ui->rdoLow->setChecked(true);
                    break;
                case opLeapTime: {
                    const int s = ds.FieldByName(QStringLiteral("ONLINE_STATUS")).AsInteger();
                    if (s > 0) {
                        hours = s / 3600;
                        minutes = (s % 3600) / 60;
                        seconds = s % 60;
                    }
                    ui->lblDisconTime->setText(
                        QString::asprintf("%d시간 %02d분 %02d초", hours, minutes, seconds));
                    break;
                }
                case opMemChk:
                    ui->lblMemChkSts->setText(ds.FieldByName(QStringLiteral("MEMORY")).AsString() ==
                                                      QLatin1String("N")
                                                  ? QStringLiteral("정상")
                                                  : QStringLiteral("비정상"));
                    break;
                case opEcho: {
                    const QString echo = ds.FieldByName(QStringLiteral("ECHO")).AsString();
                    ui->lblLoopbackResult->setText(Trim(echo) == Trim(m_echoSent)
                                                       ? QStringLiteral("정상")
                                                       : QStringLiteral("비정상"));
                    ui->edEchoMsg->setText(echo);
                    break;
                }
                default:
                    break;
            }
        });
}
