#include "UiHooks.h"

#include <poll.h>

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <memory>
#include <utility>

#include "Link.h"

namespace {
TMessageHook& MessageHook() {
    static TMessageHook hook;
    return hook;
}
TSleepHook& SleepHook() {
    static TSleepHook hook;
    return hook;
}
TIntervalHook& IntervalHook() {
    static TIntervalHook hook;
    return hook;
}

bool IsOperatorInput(const QObject* receiver, const QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::NonClientAreaMouseMove:
        case QEvent::HoverEnter:
        case QEvent::HoverLeave:
        case QEvent::HoverMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::InputMethod:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
        case QEvent::NativeGesture:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::DragLeave:
        case QEvent::Drop:
            return true;
        case QEvent::Close:
            // The window manager's close button. A window the program closes gets a spontaneous
            // close too, but only at the platform window; its widget's own event is not.
            return event->spontaneous() && receiver->isWidgetType();
        default:
            return false;
    }
}

// For the time of a wait: drops operator input, shows the busy cursor. A box that opens inside
// the wait is the operator's to close, so it takes its own input; nothing else does.
class TBusyState : public QObject {
public:
    TBusyState() : m_modalAtStart(QApplication::activeModalWidget()) {
        qApp->installEventFilter(this);
        m_cursor = qobject_cast<QGuiApplication*>(qApp) != nullptr;
        if (m_cursor) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~TBusyState() override {
        if (m_cursor) QGuiApplication::restoreOverrideCursor();
        qApp->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (!IsOperatorInput(receiver, event) || ForBoxOpenedInside(receiver)) return false;
        // An ignored close keeps its window open; accepted input goes no further up.
        event->setAccepted(event->type() != QEvent::Close);
        return true;
    }

private:
    bool ForBoxOpenedInside(const QObject* receiver) const {
        const QWidget* box = QApplication::activeModalWidget();
        if (!box || box == m_modalAtStart) return false;
        if (receiver == box->windowHandle()) return true;
        const auto* widget = qobject_cast<const QWidget*>(receiver);
        return widget && (widget == box || box->isAncestorOf(widget));
    }

    QPointer<QWidget> m_modalAtStart;
    bool m_cursor = false;
};
}  // namespace

void ShowMessage(const QString& text) {
    if (MessageHook()) {
        MessageHook()(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    // Inside a wait the box is not busy: it waits for the operator.
    const bool busy = QGuiApplication::overrideCursor() != nullptr;
    if (busy) QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (busy) QGuiApplication::restoreOverrideCursor();
}

void Sleep(int milliseconds) {
    if (SleepHook()) {
        SleepHook()(milliseconds);
        return;
    }
    BusyWait(milliseconds);
}

namespace {
bool OnMainThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}
}  // namespace

void BusyWait(int milliseconds) {
    BusyPoll(-1, 0, milliseconds);
}

int BusyPoll(int fd, short events, int milliseconds) {
    if (fd >= 0) {
        // Ready already, or no time to wait: no event loop for that.
        const int now = link_poll(fd, events, 0);
        if (now != 0 || milliseconds <= 0) return now;
        if (!OnMainThread()) return link_poll(fd, events, milliseconds);
    } else {
        if (milliseconds <= 0) return 0;
        if (!OnMainThread()) {
            QThread::msleep(static_cast<unsigned long>(milliseconds));
            return 0;
        }
    }
    TBusyState busy;
    QEventLoop loop;
    QTimer end;
    end.setSingleShot(true);
    end.setTimerType(Qt::PreciseTimer);
    QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
    std::unique_ptr<QSocketNotifier> readable, writable;
    if (fd >= 0 && (events & POLLIN)) {
        readable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(readable.get(), &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    }
    if (fd >= 0 && (events & POLLOUT)) {
        writable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
        QObject::connect(writable.get(), &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    }
    end.start(milliseconds);
    for (;;) {
        // Input is processed, not excluded: excluded input would be delivered after the wait.
        // A loop the quitting application ends, or will not start, ends the wait as a time-out:
        // its timer would never fire again.
        if (loop.exec() != 0) {
            errno = ETIMEDOUT;
            return 0;
        }
        if (fd < 0) return 0;
        // The descriptor's own word, as a notifier may wake the loop without data to read.
        const int r = link_poll(fd, events, 0);
        if (r != 0 || !end.isActive()) return r;
    }
}

TMessageHook SetMessageHook(TMessageHook hook) {
    return std::exchange(MessageHook(), std::move(hook));
}

TSleepHook SetSleepHook(TSleepHook hook) {
    return std::exchange(SleepHook(), std::move(hook));
}

int WorkInterval(int intervalMs) {
    return IntervalHook() ? IntervalHook()(intervalMs) : intervalMs;
}

TIntervalHook SetWorkIntervalHook(TIntervalHook hook) {
    return std::exchange(IntervalHook(), std::move(hook));
}
