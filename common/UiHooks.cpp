#include "UiHooks.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <utility>

namespace {
TMessageHook& MessageHook() {
    static TMessageHook hook;
    return hook;
}
TSleepHook& SleepHook() {
    static TSleepHook hook;
    return hook;
}
}  // namespace

void ShowMessage(const QString& text) {
    if (MessageHook()) {
        MessageHook()(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void Sleep(int milliseconds) {
    if (SleepHook()) {
        SleepHook()(milliseconds);
        return;
    }
    if (milliseconds > 0) QThread::msleep(static_cast<unsigned long>(milliseconds));
}

TMessageHook SetMessageHook(TMessageHook hook) { return std::exchange(MessageHook(), std::move(hook)); }

TSleepHook SetSleepHook(TSleepHook hook) { return std::exchange(SleepHook(), std::move(hook)); }
