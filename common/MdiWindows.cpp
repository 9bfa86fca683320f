#include "MdiWindows.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QScrollArea>
#include <algorithm>
#include <utility>

#include "Application.h"

namespace {
const char* const kDesignSize = "vdsDesignSize";
const QString kScrollerName = QStringLiteral("vdsFormScroller");

// Shows a form through scroll bars inside its MDI child; closing the child closes the form.
class TFormScroller : public QScrollArea {
public:
    explicit TFormScroller(QWidget* form) : m_form(form) {
        setObjectName(kScrollerName);
        setFrameShape(QFrame::NoFrame);
        setWidgetResizable(true);
        // Never squeezed below its design: the scroll bars take over instead.
        form->setMinimumSize(form->size());
        setWidget(form);
        setWindowTitle(form->windowTitle());
    }

protected:
    void closeEvent(QCloseEvent* event) override { event->setAccepted(!m_form || m_form->close()); }

private:
    QPointer<QWidget> m_form;
};

QList<QMdiSubWindow*> Arrangeable(QMdiArea* area, QMdiArea::WindowOrder order) {
    QList<QMdiSubWindow*> list;
    for (QMdiSubWindow* w : area->subWindowList(order))
        if (w->isVisible() && !w->isMinimized()) list.append(w);
    // Restored first: a window restored later would take its old place over the new ones.
    for (QMdiSubWindow* w : list)
        if (w->isMaximized()) w->showNormal();
    return list;
}

// The whole window's size for its designed client size: the frame and title bar around it.
QSize DesignedSize(QMdiSubWindow* w) {
    const QSize design = w->property(kDesignSize).toSize();
    if (!design.isValid()) return w->sizeHint().expandedTo(w->minimumSize());
    const QMargins m = w->contentsMargins();
    return design + QSize(m.left() + m.right(), m.top() + m.bottom());
}

void Tile(QMdiArea* area, bool horizontal) {
    const QList<QMdiSubWindow*> list = Arrangeable(area, QMdiArea::CreationOrder);
    if (list.isEmpty()) return;
    const QRect r = area->viewport()->rect();
    const int n = static_cast<int>(list.size());
    const int share = (horizontal ? r.height() : r.width()) / n;
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* w = list[i];
        // The last one takes what the division left over.
        const int length = i == n - 1 ? (horizontal ? r.height() : r.width()) - i * share : share;
        if (horizontal)
            w->setGeometry(0, i * share, r.width(), length);
        else
            w->setGeometry(i * share, 0, length, r.height());
        // A minimum larger than the share must not push the window out of the area.
        const QRect g = w->geometry();
        w->move(std::max(0, std::min(g.x(), r.width() - g.width())),
                std::max(0, std::min(g.y(), r.height() - g.height())));
    }
}
}  // namespace

void CascadeWindows(QMdiArea* area) {
    const QList<QMdiSubWindow*> list = Arrangeable(area, QMdiArea::StackingOrder);
    if (list.isEmpty()) return;
    const QRect r = area->viewport()->rect();
    const int step = std::max(list.first()->contentsMargins().top(), 1);
    int offset = 0;
    for (QMdiSubWindow* w : list) {
        const QSize least = w->minimumSize();
        // Too far down or right to leave a usable window: start again at the corner.
        if (offset > 0 &&
            (offset + least.width() > r.width() || offset + least.height() > r.height()))
            offset = 0;
        const QSize size = DesignedSize(w)
                               .boundedTo(QSize(r.width() - offset, r.height() - offset))
                               .expandedTo(least);
        w->setGeometry(QRect(QPoint(offset, offset), size));
        w->raise();
        offset += step;
    }
}

void TileHorizontally(QMdiArea* area) {
    Tile(area, true);
}
void TileVertically(QMdiArea* area) {
    Tile(area, false);
}

QMdiSubWindow* AddMdiChild(QMdiArea* area, QWidget* window) {
    const QSize design = window->size();
    QMdiSubWindow* sub;
    if (window->layout()) {
        sub = area->addSubWindow(window);
        sub->setMinimumSize(sub->minimumSizeHint());
    } else {
        sub = area->addSubWindow(new TFormScroller(window));
        sub->setWindowTitle(window->windowTitle());
    }
    sub->setAttribute(Qt::WA_DeleteOnClose);
    SetDesignedSize(sub, design);
    // A window closed by itself (not through its frame) takes the empty frame along.
    QObject::connect(window, &QObject::destroyed, sub, Guarded([sub] {
                         if (sub->isVisible()) sub->close();
                     }),
                     Qt::QueuedConnection);
    return sub;
}

void SetDesignedSize(QMdiSubWindow* window, const QSize& clientSize) {
    window->setProperty(kDesignSize, clientSize);
}

QWidget* FormOf(QMdiSubWindow* window) {
    if (!window) return nullptr;
    auto* scroller = qobject_cast<QScrollArea*>(window->widget());
    if (scroller && scroller->objectName() == kScrollerName) return scroller->widget();
    return window->widget();
}

bool CloseFormWindow(QWidget* form) {
    for (QWidget* p = form->parentWidget(); p; p = p->parentWidget())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(p))
            return FormOf(sub) == form ? sub->close() : form->close();
    return form->close();
}

void MinimizeAll(QMdiArea* area) {
    for (QMdiSubWindow* w : area->subWindowList()) w->showMinimized();
}

void ArrangeIcons(QMdiArea* area) {
    const QRect r = area->viewport()->rect();
    int x = 0;
    for (QMdiSubWindow* w : area->subWindowList(QMdiArea::CreationOrder)) {
        if (!w->isMinimized()) continue;
        const QSize s = w->size();
        w->move(x, r.height() - s.height());
        x += s.width();
    }
}

void SetUpWindowMenu(QMenu* menu, QMdiArea* area, const TWindowActions& actions) {
    const std::pair<QAction*, void (*)(QMdiArea*)> commands[] = {
        {actions.cascade, &CascadeWindows},
        {actions.tileHorizontal, &TileHorizontally},
        {actions.tileVertical, &TileVertically},
        {actions.minimizeAll, &MinimizeAll},
        {actions.arrangeAll, &ArrangeIcons}};
    QList<QAction*> fixedActions;
    for (const auto& [action, arrange] : commands) {
        if (!action) continue;
        fixedActions << action;
        QObject::connect(action, &QAction::triggered, area,
                         Guarded([area, arrange = arrange] { arrange(area); }));
    }
    actions.cascade->setIcon(WindowActionIcon(TWindowIcon::Cascade));
    actions.tileHorizontal->setIcon(WindowActionIcon(TWindowIcon::TileHorizontal));
    actions.tileVertical->setIcon(WindowActionIcon(TWindowIcon::TileVertical));
    QObject::connect(
        menu, &QMenu::aboutToShow, menu, Guarded([menu, area, fixedActions] {
            menu->clear();
            menu->addActions(fixedActions);
            const QList<QMdiSubWindow*> windows = area->subWindowList(QMdiArea::CreationOrder);
            if (!windows.isEmpty()) menu->addSeparator();
            int number = 0;
            for (QMdiSubWindow* w : windows) {
                ++number;
                const QString title = w->widget() ? w->widget()->windowTitle() : w->windowTitle();
                QAction* a = menu->addAction(
                    number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(title) : title);
                a->setCheckable(true);
                a->setChecked(w == area->activeSubWindow());
                QObject::connect(a, &QAction::triggered, area, Guarded([area, w] {
                                     if (w->isMinimized()) w->showNormal();
                                     area->setActiveSubWindow(w);
                                 }));
            }
        }));
}

QIcon WindowActionIcon(TWindowIcon kind) {
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QPen(QColor(0x20, 0x30, 0x60), 1));
    const QBrush title(QColor(0x30, 0x60, 0xb0));
    auto frame = [&](const QRect& r) {
        p.fillRect(r, Qt::white);
        p.fillRect(QRect(r.left(), r.top(), r.width(), 3), title);
        p.drawRect(r);
    };
    switch (kind) {
        case TWindowIcon::Cascade:
            frame(QRect(1, 1, 11, 9));
            frame(QRect(4, 5, 11, 9));
            frame(QRect(7, 9, 11, 9));
            break;
        case TWindowIcon::TileHorizontal:
            frame(QRect(1, 1, 17, 8));
            frame(QRect(1, 10, 17, 8));
            break;
        case TWindowIcon::TileVertical:
            frame(QRect(1, 1, 8, 17));
            frame(QRect(10, 1, 8, 17));
            break;
    }
    return QIcon(pm);
}
