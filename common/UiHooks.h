#pragma once
// The one way the programs show a message box and the one way they wait. Tests replace both so
// that no person has to dismiss a box and no wait takes real time. Main thread only.

#include <QString>
#include <functional>

// Shows text in a modal box with an OK button; returns when the operator closes it.
void ShowMessage(const QString& text);

// A plain wait of the calling thread; nothing is processed meanwhile.
void Sleep(int milliseconds);

using TMessageHook = std::function<void(const QString&)>;
using TSleepHook = std::function<void(int)>;

// An empty hook restores the real behaviour. Each returns the hook it replaced.
TMessageHook SetMessageHook(TMessageHook hook);
TSleepHook SetSleepHook(TSleepHook hook);
