#include "LaunchLoginWorker.h"

#include "LoginSeams.h"
#include "LoginWorker.h"

#include <new>

namespace {

void Discard(LoginRequest* request, HANDLE readyEvent) {
    g_loginSeams.deleteRequest(request);
    CloseHandle(readyEvent);
}

} // namespace

CWinThread* LaunchLoginWorker(LoginRequest* request, HANDLE readyEvent) {
    // The framework's record of the worker deletes itself, with its handle, the
    // moment the worker ends, which may be before the caller is done with it. The
    // caller gets a record of its own instead: same thread, its own handle.
    CWinThread* holder = new (std::nothrow) CWinThread;
    if (!holder) {
        Discard(request, readyEvent);
        return nullptr;
    }
    holder->m_bAutoDelete = FALSE;

    // Suspended until the identifier and handle are copied: once it runs, the
    // worker may end and take its record with it at any moment.
    CWinThread* thread = g_loginSeams.beginThread(LoginWorker, request, THREAD_PRIORITY_NORMAL, 0,
                                                  CREATE_SUSPENDED, nullptr);
    if (!thread) {
        delete holder;
        Discard(request, readyEvent);
        return nullptr;
    }
    holder->m_nThreadID = thread->m_nThreadID;
    HANDLE process = GetCurrentProcess();
    if (!DuplicateHandle(process, thread->m_hThread, process, &holder->m_hThread, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
        // Without a handle nobody could wait for this worker's hang-up. It has not
        // run a single instruction yet, so it can still be dropped whole.
        TerminateThread(thread->m_hThread, 1);
        WaitForSingleObject(thread->m_hThread, INFINITE);
        delete thread;
        holder->m_hThread = nullptr;
        delete holder;
        Discard(request, readyEvent);
        return nullptr;
    }
    thread->ResumeThread();

    WaitForSingleObject(readyEvent, INFINITE);
    AttachThreadInput(holder->m_nThreadID, GetCurrentThreadId(), TRUE);
    CloseHandle(readyEvent);
    return holder;
}
