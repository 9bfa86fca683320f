#pragma once
// Keeps a button disabled for the time of a work routine, whichever way the routine ends.
// Main thread only.

#include <QPointer>
#include <QPushButton>

class TButtonHold {
public:
    explicit TButtonHold(QPushButton* button) : m_button(button) {
        if (m_button) m_button->setEnabled(false);
    }
    ~TButtonHold() {
        if (m_button) m_button->setEnabled(true);
    }
    Q_DISABLE_COPY(TButtonHold)

private:
    QPointer<QPushButton> m_button;
};
