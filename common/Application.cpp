#include "Application.h"

#include "UiHooks.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

TApplication::~TApplication() { FreeOwned(); }

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        HandleException(e);
    } catch (...) {
        HandleMessage(QStringLiteral("Unknown error"));
    }
    return false;
}

void TApplication::HandleException(const std::exception& e) {
    HandleMessage(QString::fromUtf8(e.what()));
}

void TApplication::HandleMessage(const QString& message) {
    if (m_reporting) {
        ++m_suppressed;
        return;
    }
    m_reporting = true;
    try {
        ShowMessage(message);
    } catch (...) {
        m_reporting = false;
        throw;
    }
    m_reporting = false;
}

void TApplication::Own(QWidget* widget) {
    if (widget) m_owned.append(QPointer<QWidget>(widget));
}

void TApplication::FreeOwned() {
    // Newest first, as children made later may refer to earlier ones.
    while (!m_owned.isEmpty()) {
        QPointer<QWidget> w = m_owned.takeLast();
        delete w.data();
    }
}

void TApplication::Terminate() {
    m_terminated = true;
    quit();
}

int TApplication::Run() {
    if (m_terminated) return 0;
    return exec();
}

TApplication* Application() { return qobject_cast<TApplication*>(QCoreApplication::instance()); }

void ReportException(const std::exception& e) {
    if (TApplication* app = Application())
        app->HandleException(e);
    else
        ShowMessage(QString::fromUtf8(e.what()));
}
