#pragma once
// The monitoring program's plain top-level windows (equipment status, search, pick lists): owned
// by the application object and freed with it at exit; closing one only hides it, and an open one
// does not keep the program running once the main window has closed. Main thread only.
//
// FormActivate runs when the window takes the activation from another window of the program,
// FormDeactivate when it loses it to one. A message box, or another program, coming between does
// not count: the window that gets the activation back from it was the active one all along.

#include <QWidget>

class TTopLevelForm : public QWidget {
    Q_OBJECT
public:
    ~TTopLevelForm() override;

    // Shows the window in front and active, as opening a window does.
    void Show();

    virtual void FormActivate() {}
    virtual void FormDeactivate() {}

protected:
    // Registered with the application object unless an owner is given.
    explicit TTopLevelForm(QWidget* owner);
    bool event(QEvent* e) override;
};
