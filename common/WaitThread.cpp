#include "WaitThread.h"

#include <algorithm>
#include <chrono>

namespace nswaitthread {

TEvent::TEvent(bool manualReset, bool initiallySignaled)
    : m_manualReset(manualReset), m_signaled(initiallySignaled) {}

void TEvent::Set() {
    // Notified under the lock: a waiter that then frees the event cannot do so while the
    // notification is still being delivered.
    std::lock_guard<std::mutex> lock(m_mutex);
    m_signaled = true;
    m_cond.notify_all();
}

void TEvent::Reset() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_signaled = false;
}

TEvent::TWaitResult TEvent::WaitFor(int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    const auto signaled = [this] { return m_signaled; };
    if (timeoutMs < 0)
        m_cond.wait(lock, signaled);
    else if (!m_cond.wait_for(lock, std::chrono::milliseconds(timeoutMs), signaled))
        return TWaitResult::Timeout;
    if (!m_manualReset) m_signaled = false;
    return TWaitResult::Signaled;
}

TEvent::TWaitResult TEvent::WaitUntil(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_cond.wait_until(lock, deadline, [this] { return m_signaled; }))
        return TWaitResult::Timeout;
    if (!m_manualReset) m_signaled = false;
    return TWaitResult::Signaled;
}

bool TEvent::IsSet() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_signaled;
}

// --- TThread

TThread::TThread() = default;

TThread::~TThread() {
    if (!m_thread.joinable()) return;
    if (m_thread.get_id() == std::this_thread::get_id()) {
        m_thread.detach();
        return;
    }
    Terminate();
    m_thread.join();
}

void TThread::Resume() {
    Resume({});
}

void TThread::Resume(const std::function<void()>& afterStart) {
    std::lock_guard<std::recursive_mutex> lock(m_startMutex);
    if (!m_started) {
        m_started = true;
        m_thread = std::thread(&TThread::ThreadProc, this);
    }
    if (afterStart) afterStart();
}

void TThread::Terminate() {
    m_terminated = true;
}

void TThread::WaitFor() {
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) m_thread.join();
}

void TThread::DoTerminate() {
    if (OnTerminate) OnTerminate(this);
}

void TThread::StopAndWait() {
    if (!m_thread.joinable() || m_thread.get_id() == std::this_thread::get_id()) return;
    Terminate();
    m_thread.join();
}

void TThread::ThreadProc() {
    // As with the framework's thread procedure: an error ends the thread and is not reported.
    try {
        Execute();
    } catch (...) {
    }
    try {
        DoTerminate();
    } catch (...) {
    }
    const bool freeSelf = FreeOnTerminate;
    m_finished = true;
    if (freeSelf) {
        {
            // Resume may still be storing the handle this thread runs under, or running its
            // afterStart with this object.
            std::lock_guard<std::recursive_mutex> lock(m_startMutex);
            m_thread.detach();
        }
        delete this;
    }
}

// --- TWaitThread

TWaitThread::TWaitThread() = default;

TWaitThread::~TWaitThread() {
    StopAndWait();
}

void TWaitThread::Resume() {
    if (!m_resumed) {
        m_resumedAt = std::chrono::steady_clock::now();
        m_resumed = true;
    }
    TThread::Resume([this] {
        if (OnResume) OnResume(this);
    });
}

void TWaitThread::Finish() {
    FEvent.Set();
}

void TWaitThread::Terminate() {
    TThread::Terminate();
    FEvent.Set();
}

void TWaitThread::Execute() {
    BeforeProcess();
    Process();
    AfterProcess();
}

void TWaitThread::Process() {
    WaitForInterval();
}

std::chrono::steady_clock::time_point TWaitThread::IntervalEnd() const {
    if (Interval < 0) return std::chrono::steady_clock::time_point::max();
    return m_resumedAt + std::chrono::milliseconds(Interval);
}

void TWaitThread::WaitForInterval() {
    if (Interval < 0)
        FEvent.WaitFor(-1);
    else
        FEvent.WaitUntil(IntervalEnd());
    FEvent.Reset();
}

// --- TWaitThreadCollectionItem

TWaitThreadCollectionItem::TWaitThreadCollectionItem(TWaitThreadCollection* collection)
    : FCollection(collection) {
    FreeOnTerminate = true;
    if (FCollection) FCollection->AddThread(this);
}

void TWaitThreadCollectionItem::AfterProcess() {
    TWaitThread::AfterProcess();
    if (FCollection) FCollection->RemoveThread(this);
}

// --- TWaitThreadCollection

TWaitThreadCollection::TWaitThreadCollection() = default;

TWaitThreadCollection::~TWaitThreadCollection() {
    if (GetCount() > 0) {
        if (FFinishOnDestroy)
            FinishAllThreads();
        else
            KillAllThreads();
    }
    WaitUntilNoneLeaving();
}

void TWaitThreadCollection::WaitUntilNoneLeaving() {
    std::unique_lock<std::mutex> lock(m_leavingMutex);
    m_leavingChanged.wait(lock, [this] { return m_leaving == 0; });
}

int TWaitThreadCollection::GetCount() const {
    std::shared_lock<std::shared_mutex> lock(FLock);
    return static_cast<int>(FList.size());
}

void TWaitThreadCollection::AddThread(TWaitThreadCollectionItem* item) {
    std::lock_guard<std::mutex> hold(FAddLock);
    std::lock_guard<std::shared_mutex> lock(FLock);
    FList.push_back(item);
    FEmptyEvent.Reset();
}

void TWaitThreadCollection::RemoveThread(TWaitThreadCollectionItem* item) {
    {
        std::lock_guard<std::mutex> lock(m_leavingMutex);
        ++m_leaving;
    }
    {
        std::lock_guard<std::shared_mutex> lock(FLock);
        const auto it = std::find(FList.begin(), FList.end(), item);
        if (it != FList.end()) FList.erase(it);
        if (FList.empty()) FEmptyEvent.Set();
    }
    // The last touch of the collection; the destructor may free it once this lock is released.
    std::lock_guard<std::mutex> lock(m_leavingMutex);
    --m_leaving;
    m_leavingChanged.notify_all();
}

void TWaitThreadCollection::KillAllThreads() {
    ForAllThenWaitEmpty([](TWaitThreadCollectionItem* t) { t->Terminate(); });
}

void TWaitThreadCollection::FinishAllThreads() {
    ForAllThenWaitEmpty([](TWaitThreadCollectionItem* t) { t->Finish(); });
}

void TWaitThreadCollection::ForAllThenWaitEmpty(void (*step)(TWaitThreadCollectionItem*)) {
    std::lock_guard<std::mutex> hold(FAddLock);
    {
        // Items leaving take the write lock, so none is freed under this loop.
        std::shared_lock<std::shared_mutex> lock(FLock);
        for (TWaitThreadCollectionItem* item : FList) step(item);
    }
    TFinalizeAllThread finalizer(&FEmptyEvent);
    finalizer.WaitFor();
}

// --- TFinalizeAllThread

TFinalizeAllThread::TFinalizeAllThread(TEvent* emptyEvent) : FEmptyEvent(emptyEvent) {
    Resume();
}

TFinalizeAllThread::~TFinalizeAllThread() {
    StopAndWait();
}

void TFinalizeAllThread::Execute() {
    while (!Terminated()) {
        if (FEmptyEvent->WaitFor(0) != TEvent::TWaitResult::Timeout) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace nswaitthread
