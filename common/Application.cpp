#include "Application.h"

#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>

#include "Link.h"
#include "UiHooks.h"

Q_LOGGING_CATEGORY(lcApp, "vds.app")

namespace {
const QString kUnknownError = QStringLiteral("Unknown error");

// The windows' height -11 fonts ("굴림", "MS Sans Serif"): the character height, without leading.
constexpr int kDesignedFontPixels = 11;
}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    UseDesignedFont();
    LoadQtTranslation();
    // A slow communication server must not freeze the windows.
    SetLinkWait(&BusyPoll);
}

void TApplication::UseDesignedFont() {
    QFont font(QStringLiteral("NanumGothic"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(kDesignedFontPixels);
    setFont(font);
}

void TApplication::LoadQtTranslation() {
    if (m_qtTranslation.load(QLocale(QLocale::Korean, QLocale::SouthKorea),
                             QStringLiteral("qtbase"), QStringLiteral("_"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(&m_qtTranslation);
}

TApplication::~TApplication() {
    SetLinkWait(nullptr);
    FreeOwned();
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    if (event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        m_keyReleasedAt.insert(key->key(), key->timestamp());
    }
    QString what;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        what = QString::fromUtf8(e.what());
    } catch (...) {
        what = kUnknownError;
    }
    ++m_lastResort;
    qCWarning(lcApp, "an unguarded handler of %s threw: %s", receiver->metaObject()->className(),
              qPrintable(what));
    HandleMessage(what);
    return false;
}

void TApplication::HandleException(const std::exception& e) {
    HandleMessage(QString::fromUtf8(e.what()));
}

void TApplication::HandleMessage(const QString& message) {
    if (m_reporting) {
        // One box at a time; the text is not lost.
        ++m_suppressed;
        qCWarning(lcApp, "not shown, a box is already open: %s", qPrintable(message));
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

int TApplication::RunMainWindow(QWidget* mainWindow) {
    int rc = 0;
    if (!m_terminated) {
        mainWindow->show();
        rc = exec();
    }
    FreeOwned();
    return rc;
}

int TApplication::Run() {
    if (m_terminated) return 0;
    return exec();
}

bool IsKeyRepeat(const QKeyEvent& key) {
    if (key.isAutoRepeat()) return true;
    const TApplication* app = Application();
    // A time of 0 is no time: events made by code, not by the keyboard.
    return app && key.type() == QEvent::KeyPress && key.timestamp() != 0 &&
           app->m_keyReleasedAt.value(key.key()) == key.timestamp();
}

TApplication* Application() {
    return qobject_cast<TApplication*>(QCoreApplication::instance());
}

namespace {
void Report(const QString& message) {
    if (TApplication* app = Application())
        app->HandleMessage(message);
    else
        ShowMessage(message);
}
}  // namespace

void ReportException(const std::exception& e) {
    Report(QString::fromUtf8(e.what()));
}

void ReportUnknownException() {
    Report(kUnknownError);
}
