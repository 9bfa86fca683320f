#include "ChildWin.h"

#include <QCloseEvent>

#include "ui_ChildWin.h"

TMDIChild::TMDIChild(QWidget* parent) : QWidget(parent), ui(new Ui::TMDIChild) {
    ui->setupUi(this);
}

TMDIChild::~TMDIChild() = default;

QPlainTextEdit* TMDIChild::Memo1() const {
    return ui->Memo1;
}

void TMDIChild::closeEvent(QCloseEvent* event) {
    FormClose(event);
}

void TMDIChild::FormClose(QCloseEvent* event) {
    setAttribute(Qt::WA_DeleteOnClose);
    event->accept();
}
