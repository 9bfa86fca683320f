#pragma once
// The survey-point pick list of the search window. Main thread only.

#include <memory>

#include "PickList.h"

namespace Ui {
class TfrmResrInfo;
}

class TfrmResrInfo : public TfrmPickList {
    Q_OBJECT
public:
    explicit TfrmResrInfo(QWidget* owner = nullptr);
    ~TfrmResrInfo() override;

    void LoadResrList();

    void FormActivate() override;

protected:
    void Deliver(TfrmDevSearch& search, const QString& id, const QString& name) override;

private:
    std::unique_ptr<Ui::TfrmResrInfo> ui;
};

// The survey-point pick list opened last.
extern QPointer<TfrmResrInfo> frmResrInfo;
