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

    // Replaces the memo's lines by text; does not show the window. A hidden window lays the
    // text out when it is shown or read: the tree builders leave one per query, unseen.
    void SetDebugText(const QString& text);
    // Adds text as one more entry of the memo.
    void AddLine(const QString& text);
    QString MemoText() const;
    QPlainTextEdit* Memo1() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void btnCloseClick();
    void PutPendingText();

    std::unique_ptr<Ui::TfrmDebug> ui;
    QString m_pendingText;
    bool m_textPending = false;
};

// The debug log window created last by the code that opened one; null once it is freed.
TfrmDebug* frmDebug();
void SetFrmDebug(TfrmDebug* window);
