// Worker threads: creation, priority, exit code and self-deletion.
#include <gtest/gtest.h>

#include "AfxThreadState.h"
#include "afxwin.h"

namespace {

struct Work {
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    volatile LONG ran = 0;
    DWORD threadId = 0;
    CWinThread* seenThread = nullptr;
    UINT result = 0;
    ~Work() { CloseHandle(go); }
};

UINT AFX_CDECL WaitThenReturn(LPVOID p) {
    Work* work = static_cast<Work*>(p);
    InterlockedExchange(&work->ran, 1);
    work->threadId = GetCurrentThreadId();
    work->seenThread = AfxGetThread();
    WaitForSingleObject(work->go, 10000);
    return work->result;
}

HANDLE Duplicate(HANDLE h) {
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return copy;
}

TEST(WorkerThread, IdentifiersAreValidOnReturnAndTheExitCodeIsTheResult) {
    Work work;
    work.result = 4321;
    CWinThread* thread = AfxBeginThread(WaitThenReturn, &work);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(thread->m_hThread, nullptr);
    EXPECT_NE(thread->m_nThreadID, 0u);
    EXPECT_TRUE(thread->m_bAutoDelete);
    HANDLE handle = Duplicate(thread->m_hThread);
    HANDLE original = thread->m_hThread;
    DWORD id = thread->m_nThreadID;
    SetEvent(work.go);
    ASSERT_EQ(WaitForSingleObject(handle, 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(handle, &code);
    EXPECT_EQ(code, 4321u);
    EXPECT_EQ(work.threadId, id);
    EXPECT_EQ(work.seenThread, thread);
    // The object deleted itself and closed its handle.
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(original, &flags));
    CloseHandle(handle);
}

// Records its own destruction.
class RecordedThread : public CWinThread {
public:
    RecordedThread(AFX_THREADPROC proc, LPVOID param, volatile LONG* deleted)
        : CWinThread(proc, param), m_deleted(deleted) {}
    ~RecordedThread() override { InterlockedExchange(m_deleted, 1); }

private:
    volatile LONG* m_deleted;
};

TEST(WorkerThread, ObjectDeletesItselfWhenTheProcedureReturns) {
    Work work;
    volatile LONG deleted = 0;
    RecordedThread* thread = new RecordedThread(WaitThenReturn, &work, &deleted);
    ASSERT_TRUE(thread->CreateThread());
    HANDLE handle = Duplicate(thread->m_hThread);
    EXPECT_EQ(deleted, 0);
    SetEvent(work.go);
    ASSERT_EQ(WaitForSingleObject(handle, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(deleted, 1);
    CloseHandle(handle);
}

TEST(WorkerThread, WithoutAutoDeleteTheObjectOutlivesTheThread) {
    Work work;
    work.result = 9;
    volatile LONG deleted = 0;
    RecordedThread* thread = new RecordedThread(WaitThenReturn, &work, &deleted);
    thread->m_bAutoDelete = FALSE;
    ASSERT_TRUE(thread->CreateThread());
    SetEvent(work.go);
    ASSERT_EQ(WaitForSingleObject(thread->m_hThread, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(deleted, 0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread->m_hThread, &code));
    EXPECT_EQ(code, 9u);
    delete thread;
    EXPECT_EQ(deleted, 1);
}

TEST(WorkerThread, SuspendedStartKeepsThePriorityAndWaitsForResume) {
    Work work;
    CWinThread* thread = AfxBeginThread(WaitThenReturn, &work, THREAD_PRIORITY_BELOW_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(thread->GetThreadPriority(), THREAD_PRIORITY_BELOW_NORMAL);
    Sleep(50);
    EXPECT_EQ(work.ran, 0);
    thread->m_bAutoDelete = FALSE;
    SetEvent(work.go);
    thread->ResumeThread();
    ASSERT_EQ(WaitForSingleObject(thread->m_hThread, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(work.ran, 1);
    delete thread;
}

TEST(WorkerThread, CreationFailureReturnsNullAndRunsNothing) {
    Work work;
    SetEvent(work.go);
    // No address space holds a stack this large.
    CWinThread* thread = AfxBeginThread(WaitThenReturn, &work, THREAD_PRIORITY_NORMAL, 0x7FF00000);
    EXPECT_EQ(thread, nullptr);
    Sleep(50);
    EXPECT_EQ(work.ran, 0);
}

DWORD WINAPI UseTheFramework(LPVOID window) {
    CWnd* temp = CWnd::FromHandle(static_cast<HWND>(window));
    CDC::FromHandle(GetDC(nullptr));
    return temp != nullptr;
}

TEST(ThreadState, EveryThreadsStateIsReleasedWhenTheThreadEnds) {
    HWND window =
        CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    AfxGetThreadState(); // ours stays
    LONG before = AfxThreadState::liveCount;
    // A thread the framework did not start, and one it did.
    HANDLE plain = CreateThread(nullptr, 0, UseTheFramework, window, 0, nullptr);
    ASSERT_NE(plain, nullptr);
    ASSERT_EQ(WaitForSingleObject(plain, 10000), WAIT_OBJECT_0);
    CloseHandle(plain);
    EXPECT_EQ(AfxThreadState::liveCount, before);
    CWinThread* worker = AfxBeginThread([](LPVOID w) -> UINT { return UseTheFramework(w); }, window,
                                        THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(worker, nullptr);
    HANDLE handle = Duplicate(worker->m_hThread);
    worker->ResumeThread();
    ASSERT_EQ(WaitForSingleObject(handle, 10000), WAIT_OBJECT_0);
    CloseHandle(handle);
    EXPECT_EQ(AfxThreadState::liveCount, before);
    DestroyWindow(window);
}

TEST(WorkerThread, WindowOfAnotherThreadIsATemporaryThere) {
    struct Probe {
        HWND window;
        size_t tempsDuring = 0;
    } probe{CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr)};
    CWinThread* thread = AfxBeginThread(
        [](LPVOID p) -> UINT {
            Probe* probe = static_cast<Probe*>(p);
            // From another thread the window has no object: a temporary.
            CWnd* temp = CWnd::FromHandle(probe->window);
            return temp && temp->m_hWnd == probe->window && !CWnd::FromHandlePermanent(probe->window);
        },
        &probe);
    ASSERT_NE(thread, nullptr);
    HANDLE handle = Duplicate(thread->m_hThread);
    ASSERT_EQ(WaitForSingleObject(handle, 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(handle, &code);
    EXPECT_EQ(code, 1u);
    CloseHandle(handle);
    DestroyWindow(probe.window);
}

} // namespace
