#pragma once
// The application object of both programs. Main thread only.
//
// notify() is the default handler: what an event handler throws ends that handler, and its
// message is shown in one modal box. While such a box is open, further failures (a timer that
// keeps failing) are not stacked on top of it.
//
// Top-level windows that the programs create "owned by the application" are registered with
// Own() and freed when the application object goes, unless they freed themselves before.
//
// The windows are laid out for characters 11 pixels high: every widget gets the Korean font
// NanumGothic at that pixel size, and Qt's own texts (standard buttons and dialogs) read in
// Korean when Qt's Korean translation is installed.

#include <QApplication>
#include <QList>
#include <QPointer>
#include <QTranslator>
#include <QWidget>
#include <exception>

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the message of a failure that reached the top of an event handler.
    void HandleException(const std::exception& e);
    void HandleMessage(const QString& message);
    // How many failures were reported while an earlier report was still on screen.
    int SuppressedReports() const { return m_suppressed; }

    void Own(QWidget* widget);
    void FreeOwned();

    // Ends the message loop; a loop not yet running will not start.
    void Terminate();
    bool Terminated() const { return m_terminated; }
    // Lets a message loop run again after an ended one (a new main window in the same process).
    void ClearTerminated() { m_terminated = false; }
    int Run();

private:
    void UseDesignedFont();
    void LoadQtTranslation();

    QTranslator m_qtTranslation;
    QList<QPointer<QWidget>> m_owned;
    bool m_terminated = false;
    bool m_reporting = false;
    int m_suppressed = 0;
};

// The running application object.
TApplication* Application();

// Shows what a handler threw through the application's default handler.
void ReportException(const std::exception& e);

// Wraps a handler for a widget signal: what it throws goes to the default handler right here,
// because the widget library is built without exception support and must not be unwound.
template <class F>
auto Guarded(F handler) {
    return [handler = std::move(handler)]() {
        try {
            handler();
        } catch (const std::exception& e) {
            ReportException(e);
        }
    };
}
