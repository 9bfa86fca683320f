#pragma once
// The axis pick list of the search window. Main thread only.

#include <memory>

#include "PickList.h"

namespace Ui {
class TfrmAxisInfo;
}

class TfrmAxisInfo : public TfrmPickList {
    Q_OBJECT
public:
    explicit TfrmAxisInfo(QWidget* owner = nullptr);
    ~TfrmAxisInfo() override;

    void LoadAxisList();

    void FormActivate() override;

protected:
    void Deliver(TfrmDevSearch& search, const QString& id, const QString& name) override;

private:
    std::unique_ptr<Ui::TfrmAxisInfo> ui;
};

// The axis pick list opened last.
extern QPointer<TfrmAxisInfo> frmAxisInfo;
