#pragma once
// What the three command windows share: the controller tree with its detail strip, the socket of
// the newest exchange and its release at close, the close button, and the way a command button
// runs its routine. Main thread only.
//
// From a command button's press until its routine has ended (its last message box and wait
// included), the keyboard focus waits on the window itself, which takes no keys: Qt would hand
// the focus of a button the routine disables to the next control, where a key would change a
// value or start another command. Afterwards the focus is back on the pressed button, unless the
// operator has put it elsewhere meanwhile.
//
// One deliberate press, one command: Return and Enter press a focused button exactly as Space
// does, on a press and its release on that button; a key held down presses it once, the release
// of a key pressed on another window (a box) does not press it, and neither does a second press
// within the double-click time after the focus came back (a box closed with a double press).

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "ControllerTree.h"

class QPushButton;

class TCommandForm : public QWidget {
    Q_OBJECT
public:
    ~TCommandForm() override;

    const ::data* pCurSel() const { return m_tree->pCurSel(); }
    TControllerTree& Tree() { return *m_tree; }

    void btnCloseClick();

    // The socket of the newest exchange: 0 before the first, -1 once it is released.
    int nSocket = 0;

protected:
    // A window that frees itself when closed.
    explicit TCommandForm(QWidget* owner);

    // After the layout is built: the tree with its detail strip, and the window's buttons.
    void SetUpCommandForm(TVirtualStringTree* leafTree, const TDetailStrip& strip,
                          QPushButton* btnClose);
    // Builds the tree.
    void FormCreate();

    // The button pattern: routine runs 200 ms later on the main thread through a work thread,
    // and not at all once this window is gone.
    void StartCommand(QPushButton* pressed, std::function<void()> routine);
    template <class Form>
    void StartCommand(QPushButton* pressed, void (Form::*routine)()) {
        StartCommand(pressed, [form = static_cast<Form*>(this), routine] { (form->*routine)(); });
    }

    // A routine that runs in its click handler holds one for its whole length.
    class TCommandRun {
    public:
        TCommandRun(TCommandForm* form, QPushButton* pressed);
        ~TCommandRun();
        Q_DISABLE_COPY(TCommandRun)

    private:
        QPointer<TCommandForm> m_form;
    };

    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormClose();
    void BeginCommand(QPushButton* pressed);
    void EndCommand();

    std::unique_ptr<TControllerTree> m_tree;
    int m_commandsRunning = 0;
    QPointer<QPushButton> m_pressed;
    // When the focus came back to the pressed button.
    QElapsedTimer m_focusBack;
};
