#pragma once
// What the search window's three pick lists share: a two-column grid of ids and names read again
// at every activation, and "확인", which hands the active row to the search window opened last and
// closes the list. Main thread only.

#include <QPointer>
#include <QString>
#include <vector>

#include "QueryGrid.h"
#include "TopLevelForm.h"

class QPushButton;
class TSQLClientDataSet;
class TfpSpread;
class TfrmDevSearch;

class TfrmPickList : public TTopLevelForm {
    Q_OBJECT
public:
    ~TfrmPickList() override;

    void btnOkClick();

protected:
    explicit TfrmPickList(QWidget* owner);
    // After the layout is built: the list's grid, its button and its column widths.
    void SetUpPickList(TfpSpread* grid, QPushButton* btnOk, const std::vector<double>& widths);
    // Empties the grid and fills it from sql, column 1 from idField and column 2 from nameField.
    void LoadList(TSQLClientDataSet& dataset, const QString& sql, const QString& idField,
                  const QString& nameField, const TRowFilter& takeRow = {});
    // Puts the chosen id and name into the search window's pair of edits.
    virtual void Deliver(TfrmDevSearch& search, const QString& id, const QString& name) = 0;

private:
    TfpSpread* m_grid = nullptr;
};

// Opens a new pick list of its kind, owned by the application object, as the one in its global.
template <class TPickList>
TPickList* OpenPickList(QPointer<TPickList>& global) {
    auto* window = new TPickList();
    global = window;
    window->Show();
    return window;
}
