#pragma once
// The remote-control window: seven remote commands for the controller ticked in its tree, and
// the answers of five of them read back from the database. Main thread only.

#include <QWidget>
#include <functional>
#include <memory>

#include "ControllerTree.h"
#include "CommandExchange.h"

namespace Ui {
class TfrmRemoteCtrl;
}
class QPushButton;

QString AtcVersionSql(const QString& atcId);
QString CtrlResultSql(const QString& atcId);

class TfrmRemoteCtrl : public QWidget {
    Q_OBJECT
public:
    explicit TfrmRemoteCtrl(QWidget* owner = nullptr);
    ~TfrmRemoteCtrl() override;

    const ::data* pCurSel() const { return m_tree->pCurSel(); }
    TControllerTree& Tree() { return *m_tree; }

    void btnSWResetClick();
    void btnHWInitClick();
    void btnThresholdClick();
    void btnVerClick();
    void btnLeapTimeClick();
    void btnMemChkClick();
    void btnEchoReqClick();
    void btnCloseClick();

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

    // The socket of the newest exchange (-1 once it is released).
    int nSocket = 0;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    void ConnectButtons();
    // One command exchange with its messages; afterAccepted runs once the success box is closed.
    void RunCommand(QPushButton* disabled, int opcode, int option, const TPayloadWriter& payload,
                    const QString& text, const std::function<void()>& afterAccepted);
    std::function<void()> ReadBack(int opcode);

    std::unique_ptr<Ui::TfrmRemoteCtrl> ui;
    std::unique_ptr<TControllerTree> m_tree;
    QString m_echoSent;  // the whole text of the last echo request, for its verdict
};
