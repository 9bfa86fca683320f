#include "TopLevelForm.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>

#include "Application.h"

namespace {
bool CountsAsProgramWindow(const QWidget* w) {
    return w && w->isWindow() && !qobject_cast<const QDialog*>(w);
}

// Which window of the program, message boxes left out, was active before the one now activated.
class TActivationLog : public QObject {
public:
    static TActivationLog& Instance() {
        static TActivationLog* log = [] {
            auto* l = new TActivationLog(qApp);
            qApp->installEventFilter(l);
            return l;
        }();
        return *log;
    }
    QWidget* Previous() const { return m_previous; }

protected:
    // Sees the activation before the window does, so the window can ask where it came from.
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::WindowActivate) {
            auto* w = qobject_cast<QWidget*>(watched);
            if (CountsAsProgramWindow(w)) {
                m_previous = m_current;
                m_current = w;
            }
        }
        return false;
    }

private:
    using QObject::QObject;
    QPointer<QWidget> m_previous;
    QPointer<QWidget> m_current;
};
}  // namespace

TTopLevelForm::TTopLevelForm(QWidget* owner) : QWidget(owner, Qt::Window) {
    setAttribute(Qt::WA_QuitOnClose, false);
    if (!owner && Application()) Application()->Own(this);
    TActivationLog::Instance();
}

TTopLevelForm::~TTopLevelForm() = default;

void TTopLevelForm::Show() {
    show();
    activateWindow();
}

bool TTopLevelForm::event(QEvent* e) {
    switch (e->type()) {
        case QEvent::WindowActivate:
            if (TActivationLog::Instance().Previous() != this)
                Guarded([this] { FormActivate(); })();
            break;
        case QEvent::WindowDeactivate:
            if (CountsAsProgramWindow(QApplication::activeWindow()))
                Guarded([this] { FormDeactivate(); })();
            break;
        default:
            break;
    }
    return QWidget::event(e);
}
