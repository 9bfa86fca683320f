#pragma once
// A plain text window of the monitoring program: one memo, freed when closed; nothing is saved.
// Main thread only.

#include <QWidget>
#include <memory>

namespace Ui {
class TMDIChild;
}
class QPlainTextEdit;

class TMDIChild : public QWidget {
    Q_OBJECT
public:
    explicit TMDIChild(QWidget* parent = nullptr);
    ~TMDIChild() override;

    QPlainTextEdit* Memo1() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormClose(QCloseEvent* event);

    std::unique_ptr<Ui::TMDIChild> ui;
};
