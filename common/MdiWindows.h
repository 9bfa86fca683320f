#pragma once
// The standard window commands of an MDI frame, shared by both main windows, and the MDI child
// that shows a form laid out at fixed positions. Main thread only.

#include <QIcon>
#include <QList>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSize;
class QWidget;

// Each window at its designed size (AddFormWindow), else at the size its layout asks for, stepped
// down and right by a title bar's height; where the area is smaller, as much as the step leaves.
// The window in front stays in front.
void CascadeWindows(QMdiArea* area);
// Equal shares of the area, one above the other or side by side. A window whose minimum is larger
// than its share overlaps the next one but stays inside the area.
void TileHorizontally(QMdiArea* area);
void TileVertically(QMdiArea* area);
void MinimizeAll(QMdiArea* area);
void ArrangeIcons(QMdiArea* area);  // lines minimised windows up along the bottom edge

// Adds form, whose children sit at fixed positions, as a child of area, not shown yet. The form
// keeps the size it has now (its layout file's) as its designed size: a smaller window shows it
// through scroll bars, never cut off. Closing the child closes the form first (its close handler
// runs and may refuse); the form closed on its own takes its child with it.
QMdiSubWindow* AddFormWindow(QMdiArea* area, QWidget* form);

// Makes clientSize the size Cascade gives the child's contents (AddFormWindow does it for its
// forms).
void SetDesignedSize(QMdiSubWindow* window, const QSize& clientSize);

// The form a child of AddFormWindow shows, else the child's own widget.
QWidget* FormOf(QMdiSubWindow* window);

// Closes the window form is shown in: its MDI child with its frame when it has one, else the form.
// Returns whether it closed.
bool CloseFormWindow(QWidget* form);

// Keeps menu listing fixedActions, then the open children; picking a child activates it.
void AttachWindowList(QMenu* menu, QMdiArea* area, const QList<QAction*>& fixedActions);

enum class TWindowIcon { Cascade, TileHorizontal, TileVertical };
QIcon WindowActionIcon(TWindowIcon kind);
