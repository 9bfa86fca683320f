#include "PickList.h"

#include <QPushButton>

#include "Application.h"
#include "DevSearchFrm.h"
#include "Grid.h"

TfrmPickList::TfrmPickList(QWidget* owner) : TTopLevelForm(owner) {}

TfrmPickList::~TfrmPickList() = default;

void TfrmPickList::SetUpPickList(TfpSpread* grid, QPushButton* btnOk,
                                 const std::vector<double>& widths) {
    m_grid = grid;
    SetUpGrid(grid, widths, 2);
    connect(btnOk, &QPushButton::clicked, this, Guarded([this] { btnOkClick(); }));
}

void TfrmPickList::LoadList(TSQLClientDataSet& dataset, const QString& sql, const QString& idField,
                            const QString& nameField, const TRowFilter& takeRow) {
    // Rows of an earlier, longer list must not stand below the new one as if they belonged to it.
    m_grid->DeleteRows(1, m_grid->MaxRows());
    FillGridFromQuery(m_grid, dataset, sql, {FieldColumn(idField), FieldColumn(nameField)}, {},
                      takeRow);
    FitColumns(m_grid);
}

void TfrmPickList::btnOkClick() {
    const int row = m_grid->ActiveRow();
    m_grid->SetRow(row);
    m_grid->SetCol(1);
    const QString id = m_grid->Text();
    m_grid->SetRow(row);
    m_grid->SetCol(2);
    const QString name = m_grid->Text();
    if (frmDevSearch) Deliver(*frmDevSearch, id, name);
    close();
}
