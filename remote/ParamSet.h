#pragma once
// The parameter window: the nine parameter groups of the controller ticked in its tree, filled
// from the newest stored values, with an UP and a DN button per group. Main thread only.

#include <memory>
#include <vector>

#include "CommandForm.h"
#include "RemoteSql.h"

namespace Ui {
class TfrmParamSet;
}
class QGroupBox;
class QLineEdit;

class TfrmParamSet : public TCommandForm {
    Q_OBJECT
public:
    explicit TfrmParamSet(QWidget* owner = nullptr);
    ~TfrmParamSet() override;

    void ClearAllParamGroups();
    void ClearParamGroup(unsigned paraIndex);
    void LoadParamGroup(const ::data* pSelData, int paraIndex);

    // The UP and DN buttons: each starts its work routine 200 ms later on the main thread, and
    // not at all once the window is gone.
    void btnLoopUpClick() { StartCommand(Up(1), &TfrmParamSet::LoopUpWork); }
    void btnLoopDnClick() { StartCommand(Dn(1), &TfrmParamSet::LoopDnWork); }
    void btnSpdUpClick() { StartCommand(Up(2), &TfrmParamSet::SpdUpWork); }
    void btnSpdDnClick() { StartCommand(Dn(2), &TfrmParamSet::SpdDnWork); }
    void btnSpdCatUpClick() { StartCommand(Up(5), &TfrmParamSet::SpdCatUpWork); }
    void btnSpdCatDnClick() { StartCommand(Dn(5), &TfrmParamSet::SpdCatDnWork); }
    void btnCarLenUpClick() { StartCommand(Up(6), &TfrmParamSet::CarLenUpWork); }
    void btnCarLenDnClick() { StartCommand(Dn(6), &TfrmParamSet::CarLenDnWork); }
    void btnCarLenUpLimitUpClick() { StartCommand(Up(14), &TfrmParamSet::CarLenUpLimitUpWork); }
    void btnCarLenUpLimitDnClick() { StartCommand(Dn(14), &TfrmParamSet::CarLenUpLimitDnWork); }
    void btnTraVolUpLimitUpClick() { StartCommand(Up(12), &TfrmParamSet::TraVolUpLimitUpWork); }
    void btnTraVolUpLimitDnClick() { StartCommand(Dn(12), &TfrmParamSet::TraVolUpLimitDnWork); }
    void btnCarSpdUpLimitUpClick() { StartCommand(Up(13), &TfrmParamSet::CarSpdUpLimitUpWork); }
    void btnCarSpdUpLimitDnClick() { StartCommand(Dn(13), &TfrmParamSet::CarSpdUpLimitDnWork); }
    void btnTraVolColTermUpClick() { StartCommand(Up(3), &TfrmParamSet::TraVolColTermUpWork); }
    void btnTraVolColTermDnClick() { StartCommand(Dn(3), &TfrmParamSet::TraVolColTermDnWork); }
    void btnCarRespTimeDefUpClick() { StartCommand(Up(4), &TfrmParamSet::CarRespTimeDefUpWork); }
    void btnCarRespTimeDefDnClick() { StartCommand(Dn(4), &TfrmParamSet::CarRespTimeDefDnWork); }

    void LoopUpWork() { UploadWork(1); }
    void LoopDnWork() { DownloadWork(1); }
    void SpdUpWork() { UploadWork(2); }
    void SpdDnWork() { DownloadWork(2); }
    void SpdCatUpWork() { UploadWork(5); }
    void SpdCatDnWork() { DownloadWork(5); }
    void CarLenUpWork() { UploadWork(6); }
    void CarLenDnWork() { DownloadWork(6); }
    void CarLenUpLimitUpWork() { UploadWork(14); }
    void CarLenUpLimitDnWork() { DownloadWork(14); }
    void TraVolUpLimitUpWork() { UploadWork(12); }
    void TraVolUpLimitDnWork() { DownloadWork(12); }
    void CarSpdUpLimitUpWork() { UploadWork(13); }
    void CarSpdUpLimitDnWork() { DownloadWork(13); }
    void TraVolColTermUpWork() { UploadWork(3); }
    void TraVolColTermDnWork() { DownloadWork(3); }
    void CarRespTimeDefUpWork() { UploadWork(4); }
    void CarRespTimeDefDnWork() { DownloadWork(4); }

private:
    struct TGroup;
    const TGroup& Group(int paraIndex) const;
    QPushButton* Up(int paraIndex) const;
    QPushButton* Dn(int paraIndex) const;
    // The speed (5) and vehicle-length (6) categories: a lower and an upper edit each, stored
    // as fixed-width upper bounds.
    struct TCategories {
        QGroupBox* group;
        const char* from;
        const char* to;
        int count;
        int width;
    };
    TCategories Categories(int paraIndex) const;
    // The one edit of a group that holds a single value: 3, 12, 13 and 14.
    QLineEdit* ValueEdit(int paraIndex) const;
    void ConnectButtons();
    void UploadWork(int paraIndex);
    void DownloadWork(int paraIndex);
    // Writes the group's download data after the frame header; throws when an edit does not
    // hold a number the controller can take.
    void WriteDownloadData(int paraIndex, unsigned char* frame);
    void LoadAllParamGroups(const ::data* pData);
    // Writes one stored value into its group; false when the text cannot be decoded.
    bool DecodeParam(int paraIndex, const QString& value, QString* problem);
    void SetChildText(QGroupBox* group, const QString& name, const QString& text);
    void TickCheckBox(QGroupBox* group, const QString& name);
    void UntickAll(QGroupBox* group);

    std::unique_ptr<Ui::TfrmParamSet> ui;
    std::vector<TGroup> m_groups;
};
