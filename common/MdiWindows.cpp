#include "MdiWindows.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QPixmap>

namespace {
QList<QMdiSubWindow*> Tileable(QMdiArea* area) {
    QList<QMdiSubWindow*> list;
    for (QMdiSubWindow* w : area->subWindowList(QMdiArea::CreationOrder))
        if (w->isVisible() && !w->isMinimized()) list.append(w);
    return list;
}

void Tile(QMdiArea* area, bool horizontal) {
    const QList<QMdiSubWindow*> list = Tileable(area);
    if (list.isEmpty()) return;
    const QRect r = area->viewport()->rect();
    const int n = static_cast<int>(list.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* w = list[i];
        if (w->isMaximized()) w->showNormal();
        if (horizontal) {
            const int h = r.height() / n;
            w->setGeometry(0, i * h, r.width(), h);
        } else {
            const int wd = r.width() / n;
            w->setGeometry(i * wd, 0, wd, r.height());
        }
    }
}
}  // namespace

void CascadeWindows(QMdiArea* area) { area->cascadeSubWindows(); }
void TileHorizontally(QMdiArea* area) { Tile(area, true); }
void TileVertically(QMdiArea* area) { Tile(area, false); }

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

void AttachWindowList(QMenu* menu, QMdiArea* area, const QList<QAction*>& fixedActions) {
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu, area, fixedActions] {
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
            QObject::connect(a, &QAction::triggered, area, [area, w] {
                if (w->isMinimized()) w->showNormal();
                area->setActiveSubWindow(w);
            });
        }
    });
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
