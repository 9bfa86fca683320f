#pragma once
// The equipment search window: the newest inflow and outflow figures of the operating VDS
// controllers, narrowed by axis, survey-point group and survey point, each given by id and/or name
// in a pair of edits that its pick lists can fill. Each search shows its SQL in a new debug log
// window. A plain top-level window (see TopLevelForm.h). Main thread only.

#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>

#include "TopLevelForm.h"

namespace Ui {
class TfrmDevSearch;
}

class TfrmDevSearch : public TTopLevelForm {
    Q_OBJECT
public:
    explicit TfrmDevSearch(QWidget* owner = nullptr);
    ~TfrmDevSearch() override;

    // Each puts id and name into its pair of edits; nothing is searched.
    void SetAxis(const QString& id, const QString& name);
    void SetResrGroup(const QString& id, const QString& name);
    void SetResr(const QString& id, const QString& name);

    void SearchDevices();

    // Handlers.
    void btnAxisClick();
    void btnResrGrpClick();
    void btnResrClick();
    void btnSearchClick();

private:
    std::unique_ptr<Ui::TfrmDevSearch> ui;
};

// The search window opened last: the one the pick lists deliver their choice to.
extern QPointer<TfrmDevSearch> frmDevSearch;

// Opens a new search window owned by the application object and makes it the one in frmDevSearch.
TfrmDevSearch* OpenDevSearch();
