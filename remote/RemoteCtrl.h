#pragma once
// The remote-control window: seven remote commands for the controller ticked in its tree, and
// the answers of five of them read back from the database. Main thread only.

#include <functional>
#include <memory>

#include "CommandExchange.h"
#include "CommandForm.h"
#include "RemoteSql.h"

namespace Ui {
class TfrmRemoteCtrl;
}
class QPushButton;

class TfrmRemoteCtrl : public TCommandForm {
    Q_OBJECT
public:
    explicit TfrmRemoteCtrl(QWidget* owner = nullptr);
    ~TfrmRemoteCtrl() override;

    void btnSWResetClick();
    void btnHWInitClick();
    void btnThresholdClick();
    void btnVerClick();
    void btnLeapTimeClick();
    void btnMemChkClick();
    void btnEchoReqClick();

    void SWResetWork();
    void HWInitWork();
    void ThresholdWork();
    void VerWork();
    void LeapTimeWork();
    void MemChkWork();
    void EchoReqWork();

    void ClearCtrlResult(int opcode);
    void LoadAtcVersion(const ::data* pSelData, int opcode);
    void LoadCtrlResult(const ::data* pSelData, int opcode);

private:
    void ConnectButtons();
    // One command exchange with its messages; afterAccepted runs once the success box is closed.
    void RunCommand(QPushButton* disabled, int opcode, int option, const TPayloadWriter& payload,
                    const QString& text, const std::function<void()>& afterAccepted);
    std::function<void()> ReadBack(int opcode);

    std::unique_ptr<Ui::TfrmRemoteCtrl> ui;
    QString m_echoSent;  // the whole text of the last echo request, for its verdict
};
