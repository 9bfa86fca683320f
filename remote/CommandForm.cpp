#include "CommandForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

#include "Application.h"
#include "Link.h"
#include "MdiWindows.h"
#include "WorkThread.h"

namespace {
constexpr int kWorkIntervalMs = 200;

bool PressesAButton(int key) {
    switch (key) {
        case Qt::Key_Space:
        case Qt::Key_Select:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return true;
        default:
            return false;
    }
}

QMdiSubWindow* SubWindowOf(QWidget* w) {
    for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(p)) return sub;
    return nullptr;
}
}  // namespace

TCommandForm::TCommandForm(QWidget* owner) : QWidget(owner) {
    setAttribute(Qt::WA_DeleteOnClose);
}

TCommandForm::~TCommandForm() = default;

void TCommandForm::SetUpCommandForm(TVirtualStringTree* leafTree, const TDetailStrip& strip,
                                    QPushButton* btnClose) {
    m_tree = std::make_unique<TControllerTree>(leafTree, strip);
    connect(btnClose, &QPushButton::clicked, this, Guarded([this] { btnCloseClick(); }));
    // Auto-default: a focused button is drawn framed, so the operator sees where the focus is;
    // its keys go through eventFilter first.
    for (QPushButton* b : findChildren<QPushButton*>()) {
        b->setAutoDefault(true);
        b->installEventFilter(this);
    }
}

void TCommandForm::FormCreate() {
    m_tree->Build();
}

// The window is its MDI child with the frame, not only the form inside it.
void TCommandForm::btnCloseClick() {
    CloseFormWindow(this);
}

void TCommandForm::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TCommandForm::FormClose() {
    tcp_close(nSocket);
}

void TCommandForm::StartCommand(QPushButton* pressed, std::function<void()> routine) {
    auto run = std::make_shared<TCommandRun>(this, pressed);
    StartWork(this, kWorkIntervalMs, [run, routine = std::move(routine)]() mutable {
        // Ends with the routine, however the routine ends.
        const auto ending = std::move(run);
        routine();
    });
}

TCommandForm::TCommandRun::TCommandRun(TCommandForm* form, QPushButton* pressed) : m_form(form) {
    form->BeginCommand(pressed);
}

TCommandForm::TCommandRun::~TCommandRun() {
    if (m_form) m_form->EndCommand();
}

void TCommandForm::BeginCommand(QPushButton* pressed) {
    ++m_commandsRunning;
    m_pressed = pressed;
    const QWidget* focus = QApplication::focusWidget();
    if (focus && (focus == this || isAncestorOf(focus))) setFocus(Qt::OtherFocusReason);
}

void TCommandForm::EndCommand() {
    if (--m_commandsRunning > 0) return;
    QPushButton* pressed = m_pressed;
    m_pressed = nullptr;
    // Only where the focus still waits: a control the operator clicked meanwhile keeps it, and
    // another child window the operator went to stays in front.
    if (!pressed || !pressed->isEnabled() || !pressed->isVisible() || focusWidget() != this) return;
    if (QMdiSubWindow* sub = SubWindowOf(this);
        sub && sub->mdiArea() && sub->mdiArea()->activeSubWindow() != sub)
        return;
    pressed->setFocus(Qt::OtherFocusReason);
    m_focusBack.start();
}

// The window's buttons. A held key acts on a button once, also when its press went to a box:
// Qt's own Return clicks an auto-default button on every repeat, and its Space clicks on every
// repeat the platform did not flag. Return and Enter are handed on as Space, which presses on
// its press and clicks on its release, and only when both came to this button.
//
// A key pressed again within the double-click time after the focus came back is the operator
// making sure the routine's box has closed, as two clicks in that time are one double-click.
bool TCommandForm::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease)
        return QWidget::eventFilter(watched, e);
    const auto* key = static_cast<QKeyEvent*>(e);
    if (!PressesAButton(key->key())) return false;
    const bool secondPressOfTheBox = e->type() == QEvent::KeyPress && m_focusBack.isValid() &&
                                     m_focusBack.elapsed() < QApplication::doubleClickInterval();
    if (IsKeyRepeat(*key) || secondPressOfTheBox) {
        e->accept();
        return true;
    }
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
    QKeyEvent space(key->type(), Qt::Key_Space, key->modifiers(), QStringLiteral(" "));
    space.setTimestamp(key->timestamp());
    QCoreApplication::sendEvent(watched, &space);
    e->setAccepted(space.isAccepted());
    return true;
}

bool TCommandForm::event(QEvent* e) {
    if (m_commandsRunning > 0) {
        switch (e->type()) {
            case QEvent::ShortcutOverride:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
                // Taken and dropped: no shortcut, no focus change, no value.
                e->accept();
                return true;
            default:
                break;
        }
    }
    return QWidget::event(e);
}
