#pragma once
// The standard window commands of an MDI frame, shared by both main windows. Main thread only.

#include <QIcon>
#include <QList>

class QAction;
class QMdiArea;
class QMenu;

void CascadeWindows(QMdiArea* area);
void TileHorizontally(QMdiArea* area);  // one above the other
void TileVertically(QMdiArea* area);    // side by side
void MinimizeAll(QMdiArea* area);
void ArrangeIcons(QMdiArea* area);      // lines minimised windows up along the bottom edge

// Keeps menu listing fixedActions, then the open children; picking a child activates it.
void AttachWindowList(QMenu* menu, QMdiArea* area, const QList<QAction*>& fixedActions);

enum class TWindowIcon { Cascade, TileHorizontal, TileVertical };
QIcon WindowActionIcon(TWindowIcon kind);
