#pragma once
// The parameter window: the nine parameter groups of the controller ticked in its tree, filled
// from the newest stored values, with an UP and a DN button per group. Main thread only.

#include <QWidget>
#include <memory>

#include "ControllerTree.h"

namespace Ui {
class TfrmParamSet;
}
class QGroupBox;

// The statement that reads the newest stored value of one parameter index of a controller.
QString ParamGroupSql(const QString& atcId, int paraIndex);

class TfrmParamSet : public QWidget {
    Q_OBJECT
public:
    explicit TfrmParamSet(QWidget* owner = nullptr);
    ~TfrmParamSet() override;

    void ClearAllParamGroups();
    void ClearParamGroup(unsigned paraIndex);
    void LoadParamGroup(const ::data* pSelData, int paraIndex);

    TControllerTree& Tree() { return *m_tree; }
    const ::data* pCurSel() const { return m_tree->pCurSel(); }

    void btnCloseClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    void LoadAllParamGroups(const ::data* pData);
    // Writes one stored value into its group; false when the text cannot be decoded.
    bool DecodeParam(int paraIndex, const QString& value, QString* problem);
    void SetChildText(QGroupBox* group, const QString& name, const QString& text);
    void TickCheckBox(QGroupBox* group, const QString& name);
    void UntickAll(QGroupBox* group);

    std::unique_ptr<Ui::TfrmParamSet> ui;
    std::unique_ptr<TControllerTree> m_tree;
};
