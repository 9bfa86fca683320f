#pragma once
// The application object of both programs. Main thread only.
//
// HandleException is the default handler: what an event handler throws (through Guarded) ends
// that handler, and its message is shown in one modal box. While such a box is open, further
// failures (a timer that keeps failing) are not stacked on top of it: their texts go to the
// "vds.app" debug category instead. notify() is the last resort
// for a handler left unguarded: it writes what reached it to the "vds.app" debug category, counts
// it, and shows it the same way.
//
// Top-level windows that the programs create "owned by the application" are registered with
// Own() and freed when the application object goes, unless they freed themselves before.
//
// The windows are laid out for characters 11 pixels high: every widget gets the Korean font
// NanumGothic at that pixel size, and Qt's own texts (standard buttons and dialogs) read in
// Korean when Qt's Korean translation is installed.

#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QList>
#include <QPointer>
#include <QTranslator>
#include <QWidget>
#include <exception>
#include <initializer_list>
#include <utility>

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    // Also notes the time of every key release, dropped or not, for IsKeyRepeat.
    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the message of a failure that reached the top of an event handler.
    void HandleException(const std::exception& e);
    void HandleMessage(const QString& message);
    // How many failures were reported while an earlier report was still on screen.
    int SuppressedReports() const { return m_suppressed; }
    // How many failures reached notify(), past every handler's guard.
    int LastResortReports() const { return m_lastResort; }

    void Own(QWidget* widget);
    void FreeOwned();

    // Shows mainWindow and runs the message loop unless the start was refused (Terminate); then
    // frees the windows the application owns, before anything they query through goes.
    int RunMainWindow(QWidget* mainWindow);

    // Ends the message loop; a loop not yet running will not start.
    void Terminate();
    bool Terminated() const { return m_terminated; }
    // Lets a message loop run again after an ended one (a new main window in the same process).
    void ClearTerminated() { m_terminated = false; }
    int Run();

private:
    void UseDesignedFont();
    void LoadQtTranslation();

    friend bool IsKeyRepeat(const QKeyEvent& key);
    QHash<int, quint64> m_keyReleasedAt;
    QTranslator m_qtTranslation;
    QList<QPointer<QWidget>> m_owned;
    bool m_terminated = false;
    bool m_reporting = false;
    int m_suppressed = 0;
    int m_lastResort = 0;
};

// The running application object.
TApplication* Application();

// Whether a key event is the keyboard's own repeat of a key held down: flagged so by the
// platform, or a press stamped with the time of that key's last release, wherever that release
// went. X sends a held key as release-and-press pairs of one time stamp, and the platform flags
// a pair only when it sees both at once.
bool IsKeyRepeat(const QKeyEvent& key);

// Shows what a handler threw through the application's default handler.
void ReportException(const std::exception& e);
void ReportUnknownException();

// The one error route of the programs: every handler Qt calls (a click, an action, a timer, a tree
// tick, an activation, a queued call) is wrapped in it, so what the handler throws ends the
// handler and is shown here by the default handler, and no exception unwinds through Qt's own
// frames, which are built without exception support. notify() only catches what slipped past.
namespace guarded_detail {
// The guard takes the handler's own parameters, so Qt passes it as many signal arguments as the
// handler takes.
template <class F, class R, class C, class... Args>
auto Wrap(F handler, R (C::*)(Args...) const) {
    return [handler = std::move(handler)](Args... args) {
        try {
            handler(std::forward<Args>(args)...);
        } catch (const std::exception& e) {
            ReportException(e);
        } catch (...) {
            ReportUnknownException();
        }
    };
}
}  // namespace guarded_detail

template <class F>
auto Guarded(F handler) {
    return guarded_detail::Wrap(std::move(handler), &F::operator());
}

// Connects a signal (a button's clicked, an action's triggered) of each sender to its handler on
// receiver, each through Guarded.
template <class Receiver, class Sender>
void ConnectHandlers(Receiver* receiver, void (Sender::*signal)(bool),
                     std::initializer_list<std::pair<Sender*, void (Receiver::*)()>> handlers) {
    for (const auto& [sender, handler] : handlers)
        QObject::connect(sender, signal, receiver,
                         Guarded([receiver, handler = handler] { (receiver->*handler)(); }));
}
