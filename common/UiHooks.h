#pragma once
// The one way the programs show a message box and the one way they wait. Tests replace both so
// that no person has to dismiss a box and no wait takes real time, and may shorten the interval
// of the command buttons' work threads. Main thread only.

#include <QString>
#include <functional>

// Shows text in a modal box with an OK button; returns when the operator closes it.
void ShowMessage(const QString& text);

// The wait a command makes before it reads an answer back: BusyWait unless a hook is set.
void Sleep(int milliseconds);

// Waits milliseconds on the main thread while the windows stay painted and a busy cursor shows.
// Operator input given meanwhile (keys, mouse, closing a window) is dropped, never acted on
// afterwards; painting, timers and queued calls go on. A modal box that opens inside the wait
// (a failure shown from a queued call) takes its own keys and clicks like any box; the wait goes
// on to its end. Once the application quits (QCoreApplication::quit or exit) the wait ends at
// once. A command routine waits inside its TCommandSection (WorkThread.h), so no other routine
// starts in the wait. On any other thread a plain sleep.
void BusyWait(int milliseconds);

// The same wait, ended early once descriptor fd is ready for events (POLLIN, POLLOUT), as
// poll() tells it: 1 ready (an error or hang-up on fd counts), 0 when the time ran out or the
// application quit (errno ETIMEDOUT), -1 when poll() failed (errno). On any other thread a
// plain poll().
int BusyPoll(int fd, short events, int milliseconds);

// The interval a command button's work thread waits before its routine runs: intervalMs unless a
// hook is set, which tests use to shorten it.
int WorkInterval(int intervalMs);

using TMessageHook = std::function<void(const QString&)>;
using TSleepHook = std::function<void(int)>;
using TIntervalHook = std::function<int(int)>;

// An empty hook restores the real behaviour. Each returns the hook it replaced.
TMessageHook SetMessageHook(TMessageHook hook);
TSleepHook SetSleepHook(TSleepHook hook);
TIntervalHook SetWorkIntervalHook(TIntervalHook hook);
