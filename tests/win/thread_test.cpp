// The worker-thread template.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

#include "support/TraceCapture.h"
#include "base/Thread.h"

namespace {

class CQuickWorker : public CThread<CQuickWorker> {
public:
    CQuickWorker() : m_hRan(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~CQuickWorker() override { CloseHandle(m_hRan); }
    void Run()
    {
        m_nPriority = GetThreadPriority(GetCurrentThread());
        SetEvent(m_hRan);
    }
    HANDLE Thread() const { return m_hThread; }
    HANDLE m_hRan;
    int m_nPriority = -99;
};

class CBlockedWorker : public CThread<CBlockedWorker> {
public:
    CBlockedWorker() : m_hGo(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~CBlockedWorker() override { CloseHandle(m_hGo); }
    void Run() { WaitForSingleObject(m_hGo, INFINITE); }
    HANDLE Thread() const { return m_hThread; }
    HANDLE m_hGo;
};

TEST(Thread, RunsOnceAndEndsInactiveWithExitCodeZero)
{
    CQuickWorker worker;
    EXPECT_FALSE(worker.IsActive());
    EXPECT_EQ(worker.Thread(), nullptr);
    ASSERT_TRUE(worker.Start(THREAD_PRIORITY_BELOW_NORMAL));
    ASSERT_EQ(WaitForSingleObject(worker.Thread(), 5000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(worker.m_hRan, 0), WAIT_OBJECT_0);
    EXPECT_FALSE(worker.IsActive());
    DWORD dwCode = 99;
    EXPECT_TRUE(GetExitCodeThread(worker.Thread(), &dwCode));
    EXPECT_EQ(dwCode, 0u);
    // The priority was in force before Run started.
    EXPECT_EQ(worker.m_nPriority, THREAD_PRIORITY_BELOW_NORMAL);
}

TEST(Thread, ActiveWhileRunning)
{
    CTraceCapture capture;
    CBlockedWorker worker;
    ASSERT_TRUE(worker.Start(THREAD_PRIORITY_NORMAL));
    EXPECT_TRUE(worker.IsActive());
    EXPECT_FALSE(CTraceCapture::HasReported("!m_bActive\n"));
    SetEvent(worker.m_hGo);
    ASSERT_EQ(WaitForSingleObject(worker.Thread(), 5000), WAIT_OBJECT_0);
    EXPECT_FALSE(worker.IsActive());
}

TEST(Thread, ASecondStartIsRefusedAndReported)
{
    CTraceCapture capture;
    CBlockedWorker worker;
    ASSERT_TRUE(worker.Start(THREAD_PRIORITY_NORMAL));
    const HANDLE hFirst = worker.Thread();
    // While the first thread runs, and again after it has ended: no second
    // thread, and the first one's handle is kept.
    EXPECT_FALSE(worker.Start(THREAD_PRIORITY_NORMAL));
    EXPECT_TRUE(CTraceCapture::HasReported("!m_bActive\n"));
    EXPECT_EQ(worker.Thread(), hFirst);
    SetEvent(worker.m_hGo);
    ASSERT_EQ(WaitForSingleObject(hFirst, 5000), WAIT_OBJECT_0);
    EXPECT_FALSE(worker.Start(THREAD_PRIORITY_NORMAL));
    EXPECT_TRUE(CTraceCapture::HasReported("!m_hThread\n"));
    EXPECT_EQ(worker.Thread(), hFirst);
    EXPECT_FALSE(worker.IsActive());
}

// Waits for the stop request only.
class CStoppableWorker : public CThread<CStoppableWorker> {
public:
    void Run()
    {
        WaitForSingleObject(GetStopEvent(), INFINITE);
        m_bStopped = IsStopRequested();
    }
    std::atomic<bool> m_bStopped{false};
};

// Uses nothing of its own, so the template's destructor may be the one that joins.
class CLingeringWorker : public CThread<CLingeringWorker> {
public:
    void Run()
    {
        WaitForSingleObject(GetStopEvent(), INFINITE);
        Sleep(200);
    }
    HANDLE Thread() const { return m_hThread; }
};

TEST(Thread, RequestStopEndsRunAndJoinWaitsWithinItsLimit)
{
    CStoppableWorker worker;
    EXPECT_TRUE(worker.Join(0));  // nothing started, nothing to wait for
    ASSERT_TRUE(worker.Start(THREAD_PRIORITY_NORMAL));
    EXPECT_FALSE(worker.Join(50));
    EXPECT_TRUE(worker.IsActive());
    worker.RequestStop();
    EXPECT_TRUE(worker.Join(5000));
    EXPECT_TRUE(worker.m_bStopped);
    EXPECT_FALSE(worker.IsActive());
}

TEST(Thread, AStopRequestedBeforeTheStartEndsRunAtOnce)
{
    CStoppableWorker worker;
    worker.RequestStop();
    ASSERT_TRUE(worker.Start(THREAD_PRIORITY_NORMAL));
    EXPECT_TRUE(worker.Join(5000));
    EXPECT_TRUE(worker.m_bStopped);
}

TEST(Thread, TheDestructorStopsAndJoins)
{
    HANDLE hThread = nullptr;
    {
        CLingeringWorker worker;
        ASSERT_TRUE(worker.Start(THREAD_PRIORITY_NORMAL));
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), worker.Thread(), GetCurrentProcess(), &hThread, SYNCHRONIZE,
                                    FALSE, 0));
    }
    EXPECT_EQ(WaitForSingleObject(hThread, 0), WAIT_OBJECT_0);
    CloseHandle(hThread);
}

} // namespace
