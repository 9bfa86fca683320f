#pragma once
// The work thread of the command buttons: it waits its Interval on its event, then has OnWork
// run on the main thread while it waits for that to end. Create, set up and Resume it on the
// main thread, with the application object alive; Finish and Terminate may come from any
// thread.
//
// Lifetime: the program owns every work thread. Once its run has ended, OnTerminate runs on the
// main thread and the thread is released (joined and freed) there, so a caller that keeps the
// pointer may use it only until OnTerminate. At application end every thread still waiting, or
// still queued for the main thread, is ended without running its work and released; nothing
// waits for a main thread that no longer processes events.
//
// An error thrown by the work ends the thread without a message; OnTerminate still runs.

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>

#include "WaitThread.h"

class TMainThreadQueue;

class TWorkThread : public nswaitthread::TWaitThread {
public:
    TWorkThread();
    ~TWorkThread() override;

    std::function<void(TWorkThread* sender)> OnWork;

    // Also drops a hand-off to the main thread that has not started yet.
    void Terminate() override;

    // Work threads created and not yet released.
    static int LiveCount();
    // Work threads whose wait has ended and whose work is handed to the main thread, not run yet.
    static int HandedOffCount();
    // Ends and releases every work thread whose work is not running at this moment. Main thread
    // only; runs by itself when the application object goes.
    static void TerminateAll();

protected:
    void Process() override;
    void DoTerminate() override;
    void DoWork();

private:
    struct THandOff;
    static void PostHandOff(TMainThreadQueue* queue, std::shared_ptr<THandOff> h);
    static void RunHandOff(TMainThreadQueue* queue, const std::shared_ptr<THandOff>& h);
    bool EarlierWorkPending() const;

    std::shared_ptr<THandOff> m_handOff;
    TMainThreadQueue* m_mainQueue;
    std::uint64_t m_sequence = 0;
};

// A command routine running on the main thread, from its start to its end, message boxes and
// waits included. While one runs no work routine starts: a work whose wait ends meanwhile runs
// after it, in turn. Every work routine runs inside one; a routine that a click handler runs
// directly holds its own. Main thread only.
class TCommandSection {
public:
    TCommandSection();
    ~TCommandSection();
    Q_DISABLE_COPY(TCommandSection)

    static bool Active();
};

// The button pattern: a work thread with intervalMs (as WorkInterval gives it) whose work is
// routine, guarded by window. If window has been closed or freed when the wait ends, routine does
// not run. The caller keeps nothing. Main thread only.
void StartWork(QObject* window, int intervalMs, std::function<void()> routine);
