#pragma once
// The accumulated-traffic request window: asks the ticked controller for the traffic it has
// accumulated and shows it, averaged per road, controller, location and detection time.
// Main thread only.

#include <memory>

#include "CommandForm.h"
#include "RemoteSql.h"

namespace Ui {
class TfrmInfoReq;
}
class TfpSpread;

class TfrmInfoReq : public TCommandForm {
    Q_OBJECT
public:
    explicit TfrmInfoReq(QWidget* owner = nullptr);
    ~TfrmInfoReq() override;

    TfpSpread* Grid() const;

    void btnInfoReqClick();
    // 0 when the server accepted the request, else -1.
    int SendAccuTrafRequest();
    void FillAccuTrafGrid(const QString& atcId);

private:
    std::unique_ptr<Ui::TfrmInfoReq> ui;
};
