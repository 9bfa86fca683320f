#pragma once
// The MDI plumbing both main windows share: the one way a window becomes an MDI child
// (AddMdiChild), the window menu with its standard commands (SetUpWindowMenu) and the commands
// themselves. Main thread only.

#include <QIcon>
#include <QList>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSize;
class QWidget;

// Each window at its designed size (AddMdiChild), else at the size its layout asks for, stepped
// down and right by a title bar's height; where the area is smaller, as much as the step leaves.
// The window in front stays in front.
void CascadeWindows(QMdiArea* area);
// Equal shares of the area, one above the other or side by side. A window whose minimum is larger
// than its share overlaps the next one but stays inside the area.
void TileHorizontally(QMdiArea* area);
void TileVertically(QMdiArea* area);
void MinimizeAll(QMdiArea* area);
void ArrangeIcons(QMdiArea* area);  // lines minimised windows up along the bottom edge

// Adds window as a child of area, not shown yet, in a frame that frees itself when closed (the
// window's own close handler says whether the window goes with it). The window keeps the size it
// has now (its layout file's) as the size Cascade gives it. A form whose children sit at fixed
// positions (it has no layout) is shown through scroll bars in a smaller frame, never cut off; a
// window with a layout gets the minimum its texts need, so tiling overlaps rather than squeezes
// it. Closing the frame closes the window first (its close handler runs and may refuse); the
// window closed on its own takes its frame with it.
QMdiSubWindow* AddMdiChild(QMdiArea* area, QWidget* window);

// Makes clientSize the size Cascade gives the child's contents (AddMdiChild does it).
void SetDesignedSize(QMdiSubWindow* window, const QSize& clientSize);

// The window a child of AddMdiChild shows.
QWidget* FormOf(QMdiSubWindow* window);

// Closes the window form is shown in: its MDI child with its frame when it has one, else the form.
// Returns whether it closed.
bool CloseFormWindow(QWidget* form);

// The window menu's commands of a main window; minimizeAll may be null.
struct TWindowActions {
    QAction* cascade;
    QAction* tileHorizontal;
    QAction* tileVertical;
    QAction* minimizeAll;
    QAction* arrangeAll;
};
// Connects the commands to area, gives the arranging ones their icons, and keeps menu listing
// the commands, then the open children; picking a child activates it.
void SetUpWindowMenu(QMenu* menu, QMdiArea* area, const TWindowActions& actions);

enum class TWindowIcon { Cascade, TileHorizontal, TileVertical };
QIcon WindowActionIcon(TWindowIcon kind);
