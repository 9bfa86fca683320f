#include "DebugFrm.h"

#include <QPointer>
#include <utility>

#include "Application.h"
#include "ui_DebugFrm.h"

namespace {
QPointer<TfrmDebug>& Global() {
    static QPointer<TfrmDebug> window;
    return window;
}
}  // namespace

TfrmDebug* frmDebug() {
    return Global().data();
}
void SetFrmDebug(TfrmDebug* window) {
    Global() = window;
}

TfrmDebug::TfrmDebug(QWidget* owner) : QWidget(owner, Qt::Window), ui(new Ui::TfrmDebug) {
    ui->setupUi(this);
    // Freed on close, as a closed debug window is gone for good.
    setAttribute(Qt::WA_DeleteOnClose);
    // One left open must not keep the program running once its main window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    connect(ui->btnClose, &QPushButton::clicked, this, Guarded([this] { btnCloseClick(); }));
    if (!owner && Application()) Application()->Own(this);
}

TfrmDebug::~TfrmDebug() = default;

void TfrmDebug::SetDebugText(const QString& text) {
    m_pendingText = text;
    m_textPending = true;
    if (isVisible()) PutPendingText();
}

void TfrmDebug::PutPendingText() {
    if (!m_textPending) return;
    m_textPending = false;
    ui->Memo1->clear();
    ui->Memo1->appendPlainText(std::exchange(m_pendingText, QString()));
}

void TfrmDebug::showEvent(QShowEvent* event) {
    PutPendingText();
    QWidget::showEvent(event);
}

void TfrmDebug::AddLine(const QString& text) {
    PutPendingText();
    ui->Memo1->appendPlainText(text);
}

QString TfrmDebug::MemoText() const {
    const_cast<TfrmDebug*>(this)->PutPendingText();
    return ui->Memo1->toPlainText();
}

QPlainTextEdit* TfrmDebug::Memo1() const {
    const_cast<TfrmDebug*>(this)->PutPendingText();
    return ui->Memo1;
}

void TfrmDebug::btnCloseClick() {
    close();
}
