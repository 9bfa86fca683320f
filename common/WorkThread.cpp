#include "WorkThread.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "Check.h"
#include "UiHooks.h"

// What the worker and the main thread share about the one run of the work. Outlives the thread
// object in the queued calls, which find owner empty once it has gone.
struct TWorkThread::THandOff {
    enum class TState { Idle, Posted, Running, Done, Cancelled };
    std::mutex mutex;
    std::condition_variable changed;
    TState state = TState::Idle;
    std::chrono::steady_clock::time_point waitEnded;  // set with Posted
    TWorkThread* owner;                               // main thread only

    explicit THandOff(TWorkThread* t) : owner(t) {}
    void SetState(TState s) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            state = s;
        }
        changed.notify_all();
    }
};

// Runs routines on the main thread in the order they were posted, one for each event Qt delivers
// to it. The routines cross in a queue under a lock ThreadSanitizer sees; Qt's own queue, whose
// lock it cannot see, carries only the wake-up. Post from any thread.
class TMainThreadQueue : public QObject {
    Q_OBJECT
public:
    explicit TMainThreadQueue(QCoreApplication* app) : QObject(app) {}

    void Post(std::function<void()> routine) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_routines.push_back(std::move(routine));
        }
        QMetaObject::invokeMethod(this, "RunNext", Qt::QueuedConnection);
    }

private:
    Q_INVOKABLE void RunNext() {
        std::function<void()> routine;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_routines.empty()) return;
            routine = std::move(m_routines.front());
            m_routines.pop_front();
        }
        routine();
    }

    std::mutex m_mutex;
    std::deque<std::function<void()>> m_routines;
};

namespace {

std::mutex g_registryMutex;
std::vector<TWorkThread*> g_registry;
std::uint64_t g_nextSequence = 0;  // under g_registryMutex

QPointer<QCoreApplication> g_postRoutineApp;
// Main thread only: the application's queue, gone with it.
QPointer<TMainThreadQueue> g_mainQueue;

// Main thread only: the command sections open now, and the hand-offs they hold back.
int g_sectionDepth = 0;
std::vector<std::function<void()>> g_heldHandOffs;

// The application's queue to the main thread, with the hook that ends the work threads when the
// application goes.
TMainThreadQueue* MainThreadQueue() {
    QCoreApplication* app = QCoreApplication::instance();
    VDS_CHECK(app != nullptr);
    if (g_postRoutineApp != app) {
        g_postRoutineApp = app;
        qAddPostRoutine(&TWorkThread::TerminateAll);
    }
    if (!g_mainQueue) g_mainQueue = new TMainThreadQueue(app);
    return g_mainQueue;
}

}  // namespace

TWorkThread::TWorkThread()
    : m_handOff(std::make_shared<THandOff>(this)), m_mainQueue(MainThreadQueue()) {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    m_sequence = g_nextSequence++;
    g_registry.push_back(this);
}

TWorkThread::~TWorkThread() {
    m_handOff->owner = nullptr;
    // Also when the work itself is on the stack (it freed its own thread): the worker must not
    // wait for a work that can only end after this destructor.
    m_handOff->SetState(THandOff::TState::Cancelled);
    StopAndWait();
    std::lock_guard<std::mutex> lock(g_registryMutex);
    g_registry.erase(std::remove(g_registry.begin(), g_registry.end(), this), g_registry.end());
}

void TWorkThread::Terminate() {
    TWaitThread::Terminate();
    std::unique_lock<std::mutex> lock(m_handOff->mutex);
    using S = THandOff::TState;
    if (m_handOff->state == S::Idle || m_handOff->state == S::Posted) {
        m_handOff->state = S::Cancelled;
        lock.unlock();
        m_handOff->changed.notify_all();
    }
}

void TWorkThread::Process() {
    TWaitThread::Process();
    if (Terminated()) return;
    using S = THandOff::TState;
    std::shared_ptr<THandOff> h = m_handOff;
    {
        std::lock_guard<std::mutex> lock(h->mutex);
        if (h->state != S::Idle) return;
        h->state = S::Posted;
        // A wait cut short by Finish ended now; one that ran out ended at its interval's end,
        // however late this thread woke.
        h->waitEnded = std::min(std::chrono::steady_clock::now(), IntervalEnd());
    }
    PostHandOff(m_mainQueue, h);
    std::unique_lock<std::mutex> lock(h->mutex);
    h->changed.wait(lock, [&h] { return h->state == S::Done || h->state == S::Cancelled; });
}

void TWorkThread::PostHandOff(TMainThreadQueue* queue, std::shared_ptr<THandOff> h) {
    queue->Post([queue, h] { RunHandOff(queue, h); });
}

void TWorkThread::RunHandOff(TMainThreadQueue* queue, const std::shared_ptr<THandOff>& h) {
    using S = THandOff::TState;
    TWorkThread* t;
    {
        std::lock_guard<std::mutex> lock(h->mutex);
        if (h->state != S::Posted || !h->owner) return;
        t = h->owner;
    }
    if (TCommandSection::Active()) {
        // It arrived inside another routine's message box or wait: it runs when that one ends.
        g_heldHandOffs.push_back([queue, h] { PostHandOff(queue, h); });
        return;
    }
    if (t->EarlierWorkPending()) {
        // Behind the earlier one in the queue, so the works run in the order the waits end.
        PostHandOff(queue, h);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(h->mutex);
        if (h->state != S::Posted) return;
        h->state = S::Running;
    }
    t->DoWork();
    std::lock_guard<std::mutex> lock(h->mutex);
    if (h->state == S::Running) h->state = S::Done;
    h->changed.notify_all();
}

// Another thread whose wait ended earlier has not had its work run yet: it is queued, or its
// interval is over and its worker is about to queue it (two waits of one length may wake in
// either order). Called for a thread whose hand-off is posted.
bool TWorkThread::EarlierWorkPending() const {
    using S = THandOff::TState;
    using Key = std::pair<std::chrono::steady_clock::time_point, std::uint64_t>;
    Key mine;
    {
        std::lock_guard<std::mutex> lock(m_handOff->mutex);
        mine = Key(m_handOff->waitEnded, m_sequence);
    }
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard<std::mutex> registryLock(g_registryMutex);
    for (TWorkThread* o : g_registry) {
        if (o == this || !o->Resumed()) continue;
        std::lock_guard<std::mutex> lock(o->m_handOff->mutex);
        const THandOff& other = *o->m_handOff;
        if (other.state == S::Posted && Key(other.waitEnded, o->m_sequence) < mine) return true;
        if (other.state == S::Idle && !o->Terminated() && o->IntervalEnd() <= now &&
            Key(o->IntervalEnd(), o->m_sequence) < mine)
            return true;
    }
    return false;
}

void TWorkThread::DoWork() {
    TCommandSection section;
    try {
        if (OnWork) OnWork(this);
    } catch (...) {
        // Ends the work silently; the thread goes on to its end.
    }
}

void TWorkThread::DoTerminate() {
    // OnTerminate and the release belong to the main thread, where the windows live.
    std::shared_ptr<THandOff> h = m_handOff;
    m_mainQueue->Post([h] {
        TWorkThread* t = h->owner;
        if (!t) return;
        try {
            if (t->OnTerminate) t->OnTerminate(t);
        } catch (...) {
        }
        if (h->owner != t) return;  // OnTerminate freed it
        t->WaitFor();
        delete t;
    });
}

int TWorkThread::LiveCount() {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    return static_cast<int>(g_registry.size());
}

int TWorkThread::HandedOffCount() {
    std::lock_guard<std::mutex> registryLock(g_registryMutex);
    int handedOff = 0;
    for (TWorkThread* t : g_registry) {
        std::lock_guard<std::mutex> lock(t->m_handOff->mutex);
        if (t->m_handOff->state == THandOff::TState::Posted) ++handedOff;
    }
    return handedOff;
}

void TWorkThread::TerminateAll() {
    std::vector<TWorkThread*> live;
    {
        std::lock_guard<std::mutex> lock(g_registryMutex);
        live = g_registry;
    }
    const auto running = [](TWorkThread* t) {
        std::lock_guard<std::mutex> lock(t->m_handOff->mutex);
        return t->m_handOff->state == THandOff::TState::Running;
    };
    // Its work is on the main thread's stack below this call; it ends by itself afterwards.
    live.erase(std::remove_if(live.begin(), live.end(), running), live.end());
    for (TWorkThread* t : live) t->Terminate();
    for (TWorkThread* t : live) delete t;
    g_heldHandOffs.clear();
}

TCommandSection::TCommandSection() {
    ++g_sectionDepth;
}

TCommandSection::~TCommandSection() {
    if (--g_sectionDepth > 0) return;
    // Queued again rather than run here, where the routine that ends is still on the stack.
    std::vector<std::function<void()>> held;
    held.swap(g_heldHandOffs);
    for (const auto& post : held) post();
}

bool TCommandSection::Active() {
    return g_sectionDepth > 0;
}

// --- the button pattern

namespace {

// Tells whether a window has been closed: it saw a close event and is hidden now. A close that
// the window refused leaves it shown; showing it again counts as open.
class TCloseWatch : public QObject {
    Q_OBJECT
public:
    explicit TCloseWatch(QWidget* window) : QObject(window), m_window(window) {
        setObjectName(QStringLiteral("vdsCloseWatch"));
        window->installEventFilter(this);
    }
    bool Closed() const { return m_closeSeen && m_window->isHidden(); }

    static TCloseWatch* For(QWidget* window) {
        if (auto* w = window->findChild<TCloseWatch*>(QStringLiteral("vdsCloseWatch"),
                                                      Qt::FindDirectChildrenOnly))
            return w;
        return new TCloseWatch(window);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window) {
            if (event->type() == QEvent::Close) m_closeSeen = true;
            if (event->type() == QEvent::Show) m_closeSeen = false;
        }
        return false;
    }

private:
    QWidget* m_window;
    bool m_closeSeen = false;
};

}  // namespace

void StartWork(QObject* window, int intervalMs, std::function<void()> routine) {
    QPointer<QObject> alive(window);
    QPointer<TCloseWatch> watch;
    if (auto* widget = qobject_cast<QWidget*>(window)) watch = TCloseWatch::For(widget);
    const bool watched = !watch.isNull();

    auto* thread = new TWorkThread();
    thread->Interval = WorkInterval(intervalMs);
    thread->OnWork = [alive, watch, watched, routine = std::move(routine)](TWorkThread*) {
        if (!alive) return;
        if (watched && (!watch || watch->Closed())) return;
        if (routine) routine();
    };
    thread->Resume();
}

#include "WorkThread.moc"
