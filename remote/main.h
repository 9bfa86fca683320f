#pragma once
// The control program's main window: an MDI frame with the menus that open the three command
// windows, each at most once per run. Main thread only.

#include <QMainWindow>
#include <QStringList>
#include <memory>

#include "LaunchArgs.h"

namespace Ui {
class TMainForm;
}
class QMdiArea;
class QMdiSubWindow;

class TMainForm : public QMainWindow, public TLaunchArgsOwner {
    Q_OBJECT
public:
    // args: the command-line arguments after the program name.
    explicit TMainForm(const QStringList& args, QWidget* parent = nullptr);
    ~TMainForm() override;

    bool bCanOpenParamSet = true;
    bool bCanOpenRemoteCtrl = true;
    bool bCanOpenInfoReq = true;

    QMdiArea* MdiArea() const;

    void mnuParamSetClick();
    void mnuRemoteCtlClick();
    void mnuInfoReqClick();
    void actParamSetExecute();
    void FileExit1Execute();
    void HelpAbout1Execute();

private:
    void FormCreate(const QStringList& args);
    void ConnectActions();
    void SetUpWindowMenu();
    // Shows a command window maximised in the frame; at a smaller size it scrolls.
    void OpenCommandWindow(QWidget* window);

    std::unique_ptr<Ui::TMainForm> ui;
};

extern TMainForm* MainForm;
