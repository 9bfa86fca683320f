#pragma once
// The debug log window: a memo with a close button. Closing it frees it. Main thread only.

#include <QWidget>
#include <memory>

namespace Ui {
class TfrmDebug;
}
class QPlainTextEdit;

class TfrmDebug : public QWidget {
    Q_OBJECT
public:
    // Created hidden; registered with the application object, which frees it at exit.
    explicit TfrmDebug(QWidget* owner = nullptr);
    ~TfrmDebug() override;

    // Replaces the memo's lines by text; does not show the window.
    void SetDebugText(const QString& text);
    // Adds text as one more entry of the memo.
    void AddLine(const QString& text);
    QString MemoText() const;
    QPlainTextEdit* Memo1() const;

private:
    void btnCloseClick();
    std::unique_ptr<Ui::TfrmDebug> ui;
};

// The debug log window created last by the code that opened one; null once it is freed.
TfrmDebug* frmDebug();
void SetFrmDebug(TfrmDebug* window);
