#pragma once
// The monitoring program's main window: an MDI frame whose menu opens traffic monitor windows and
// whose toolbar acts on the one opened last; text windows through Ctrl+N and Ctrl+O.
// Main thread only.

#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "LaunchArgs.h"

namespace Ui {
class TMainForm;
}
class QFileDialog;
class QMdiArea;
class QMdiSubWindow;
class QToolButton;
class TMDIChild;
class TfrmTrafMonText;

class TMainForm : public QMainWindow, public TLaunchArgsOwner {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // The traffic monitor window opened last; null before the first and once it has been closed.
    QPointer<TfrmTrafMonText> pTrafMonText;

    QMdiArea* MdiArea() const;
    QFileDialog* OpenDialog = nullptr;

    TMDIChild* OpenChildWindow(const QString& name);

    void mnuTrafMonTxtClick();
    void FileNew1Execute();
    void FileOpen1Execute();
    void FileExit1Execute();
    void EditCut1Execute();
    void EditCopy1Execute();
    void EditPaste1Execute();
    void BitBtnCloseClick();
    void BitBtnStartClick();
    void BitBtnStopClick();
    void BitBtnDevStsClick();
    void BitBtnDevSrchClick();

private:
    void ConnectActions();
    void SetUpWindowMenu();
    void SetUpToolBar();
    void SetUpOpenDialog();
    QToolButton* AddToolButton(const char* name, const QIcon& icon, const QString& toolTip,
                               void (TMainForm::*handler)());

    std::unique_ptr<Ui::TMainForm> ui;
};

extern TMainForm* MainForm;
