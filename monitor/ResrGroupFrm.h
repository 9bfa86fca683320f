#pragma once
// The survey-point-group pick list of the search window: one row per run of equal group numbers,
// read over the data module's second connection. Main thread only.

#include <memory>

#include "PickList.h"

namespace Ui {
class TfrmResrGroup;
}

class TfrmResrGroup : public TfrmPickList {
    Q_OBJECT
public:
    explicit TfrmResrGroup(QWidget* owner = nullptr);
    ~TfrmResrGroup() override;

    void LoadResrGroupList();

    void FormActivate() override;

protected:
    void Deliver(TfrmDevSearch& search, const QString& id, const QString& name) override;

private:
    std::unique_ptr<Ui::TfrmResrGroup> ui;
};

// The survey-point-group pick list opened last.
extern QPointer<TfrmResrGroup> frmResrGroup;
