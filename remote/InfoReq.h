#pragma once
// The accumulated-traffic request window: asks the ticked controller for the traffic it has
// accumulated and shows it, averaged per road, controller, location and detection time.
// Main thread only.

#include <QWidget>
#include <memory>

#include "ControllerTree.h"

namespace Ui {
class TfrmInfoReq;
}
class TfpSpread;

QString AccuTrafSql(const QString& atcId);

class TfrmInfoReq : public QWidget {
    Q_OBJECT
public:
    explicit TfrmInfoReq(QWidget* owner = nullptr);
    ~TfrmInfoReq() override;

    const ::data* pCurSel() const { return m_tree->pCurSel(); }
    TControllerTree& Tree() { return *m_tree; }
    TfpSpread* Grid() const;

    void btnInfoReqClick();
    void btnCloseClick();
    // 0 when the server accepted the request, else -1.
    int SendAccuTrafRequest();
    void FillAccuTrafGrid(const QString& atcId);

    int nSocket = 0;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormClose();

    std::unique_ptr<Ui::TfrmInfoReq> ui;
    std::unique_ptr<TControllerTree> m_tree;
};
