#pragma once
// Threads that wait an interval on an event of their own and then process once, and a
// collection that finishes or ends a group of them.
//
// A thread object is created on one thread (normally the main thread) and its operations are
// called from there; Finish and Terminate may be called from any thread. Execute and the
// process hooks run on the thread itself.

#include <QtGlobal>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <shared_mutex>
#include <thread>
#include <vector>

namespace nswaitthread {

// An event: signalled or not; a manual-reset one stays signalled until Reset, an auto-reset
// one lets one waiter through and resets. Any thread.
class TEvent {
public:
    enum class TWaitResult { Signaled, Timeout };

    TEvent(bool manualReset, bool initiallySignaled);
    void Set();
    void Reset();
    // timeoutMs < 0 waits without limit.
    TWaitResult WaitFor(int timeoutMs);
    TWaitResult WaitUntil(std::chrono::steady_clock::time_point deadline);
    bool IsSet() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cond;
    bool m_manualReset;
    bool m_signaled;
};

// The thread base: created suspended, Resume, Terminate, WaitFor, free on terminate, and a
// terminate handler. Execute runs once on the thread; then DoTerminate. A class that is to run
// at once calls Resume at the end of its own constructor, when Execute is ready to be called.
class TThread {
public:
    TThread();
    virtual ~TThread();
    Q_DISABLE_COPY(TThread)

    // Starts a suspended thread; a started one goes on as it is.
    void Resume();
    // The same, then afterStart on the calling thread; a thread that frees itself is not freed
    // before afterStart has returned.
    void Resume(const std::function<void()>& afterStart);
    // Asks Execute to stop; only sets the flag here.
    virtual void Terminate();
    bool Terminated() const { return m_terminated; }
    bool Finished() const { return m_finished; }
    // Blocks until the thread has ended. Not for a thread that frees itself.
    void WaitFor();

    // Set before Resume: the object deletes itself on its own thread when Execute has ended.
    bool FreeOnTerminate = false;
    // Runs on the ending thread after Execute (subclasses may move it elsewhere).
    std::function<void(TThread* sender)> OnTerminate;

protected:
    virtual void Execute() = 0;
    virtual void DoTerminate();
    // For destructors of subclasses whose members the thread uses: Terminate, then wait for the
    // end, unless called on the thread itself.
    void StopAndWait();

private:
    void ThreadProc();

    // Held while Resume starts the thread and runs its afterStart; a self-freeing thread takes it
    // before it frees itself.
    std::recursive_mutex m_startMutex;
    std::thread m_thread;
    std::atomic<bool> m_terminated{false};
    std::atomic<bool> m_finished{false};
    bool m_started = false;
};

class TWaitThread : public TThread {
public:
    // Created suspended; Interval 0.
    TWaitThread();
    ~TWaitThread() override;

    // Milliseconds that Process waits on the event. Set before Resume.
    int Interval = 0;
    std::function<void(TWaitThread* sender)> OnResume;

    // Starts the thread, then OnResume(this); a thread that frees itself is there for OnResume's
    // whole run. The interval counts from here.
    void Resume();
    bool Resumed() const { return m_resumed; }
    // When the interval ends (time_point::max() for a negative Interval); valid once resumed.
    std::chrono::steady_clock::time_point IntervalEnd() const;
    // Cuts the wait short; the thread goes on as if the interval had passed.
    void Finish();
    // Sets the terminated flag and wakes a waiting thread.
    void Terminate() override;

protected:
    void Execute() override;
    virtual void BeforeProcess() {}
    virtual void AfterProcess() {}
    virtual void Process();
    // Waits on the event until Interval ms after Resume, whatever ends the wait, then resets it.
    void WaitForInterval();

private:
    TEvent FEvent{true, false};
    std::chrono::steady_clock::time_point m_resumedAt;
    bool m_resumed = false;
};

class TWaitThreadCollection;

// A waiting thread that belongs to a collection: it joins on creation, leaves as the last step
// of its run, and frees itself when its thread ends. Create with new; Resume it.
class TWaitThreadCollectionItem : public TWaitThread {
public:
    explicit TWaitThreadCollectionItem(TWaitThreadCollection* collection);

protected:
    void AfterProcess() override;

private:
    TWaitThreadCollection* FCollection;
};

// The items of a collection, guarded for the threads that add and remove themselves with locks
// ThreadSanitizer sees (Qt's are invisible to it in Debian's build). Destroying a non-empty
// collection finishes its threads (or ends them, see FinishOnDestroy) and waits until all have
// left. Any thread, but not from one of its items.
class TWaitThreadCollection {
public:
    TWaitThreadCollection();
    ~TWaitThreadCollection();
    Q_DISABLE_COPY(TWaitThreadCollection)

    int GetCount() const;
    void AddThread(TWaitThreadCollectionItem* item);
    void RemoveThread(TWaitThreadCollectionItem* item);
    // Terminate (Kill) or Finish every thread, then wait until the collection is empty.
    // No thread is added meanwhile.
    void KillAllThreads();
    void FinishAllThreads();

    // true: destruction finishes the remaining threads; false: it ends them.
    bool FinishOnDestroy() const { return FFinishOnDestroy; }
    void SetFinishOnDestroy(bool finish) { FFinishOnDestroy = finish; }

private:
    void ForAllThenWaitEmpty(void (*step)(TWaitThreadCollectionItem*));
    // Until no item is inside RemoveThread: the last one may still hold FLock, or be about to
    // release it, after it has set the empty event.
    void WaitUntilNoneLeaving();

    std::vector<TWaitThreadCollectionItem*> FList;
    mutable std::shared_mutex FLock;
    // Held by an adding thread, and by a finish or kill until the collection is empty.
    std::mutex FAddLock;
    TEvent FEmptyEvent{true, true};
    bool FFinishOnDestroy = true;
    std::mutex m_leavingMutex;
    std::condition_variable m_leavingChanged;
    int m_leaving = 0;
};

// Watches a collection's empty event (polling it every 10 ms) and ends when it is set, or when
// terminated. Starts running at once.
class TFinalizeAllThread : public TThread {
public:
    explicit TFinalizeAllThread(TEvent* emptyEvent);
    ~TFinalizeAllThread() override;

protected:
    void Execute() override;

private:
    TEvent* FEmptyEvent;
};

}  // namespace nswaitthread
