// The two trace channels: what reaches the debugger and what the usage report gets.
#include <gtest/gtest.h>

#include <thread>

#include "base/Trace.h"
#include "support/TraceCapture.h"

namespace {

TEST(Trace, PlainPairsGoToTheOutputOnly)
{
    CTraceCapture capture;
    TRACE_PAIR("Opening...\n");
    ASSERT_EQ(CTraceCapture::Lines().size(), 2u);
    EXPECT_EQ(CTraceCapture::Lines()[1], "Opening...\n");
    EXPECT_TRUE(CTraceCapture::Pairs().empty());
}

TEST(Trace, ReportedPairIsJoinedOnTheSecondCall)
{
    CTraceCapture capture;
    TraceReport("%s( %u ) : ", "MainDlg", 301u);
    EXPECT_TRUE(CTraceCapture::Pairs().empty());  // the first call only holds its text
    TraceReport("CSerialPortException: %s\n", "The system cannot find the file specified.");
    ASSERT_EQ(CTraceCapture::Lines().size(), 2u);
    ASSERT_EQ(CTraceCapture::Pairs().size(), 1u);
    EXPECT_EQ(CTraceCapture::Pairs()[0],
              "MainDlg( 301 ) : CSerialPortException: The system cannot find the file specified.\n");
    TraceReport("a");
    TraceReport("b");
    ASSERT_EQ(CTraceCapture::Pairs().size(), 2u);
    EXPECT_EQ(CTraceCapture::Pairs()[1], "ab");
}

TEST(Trace, FailedAssertionIsAReportedPairAndExecutionGoesOn)
{
    CTraceCapture capture;
    bool bActive = true;
    ZASSERT(!bActive);
    ZASSERT(bActive);  // holds: writes nothing
    ASSERT_EQ(CTraceCapture::Pairs().size(), 1u);
    const std::string pair = CTraceCapture::Pairs()[0];
    EXPECT_EQ(pair.substr(0, pair.find('(')), "tests/unit/trace_test.cpp");
    EXPECT_TRUE(CTraceCapture::HasReported("!bActive\n"));
}

TEST(Trace, LongLinesAreCutAt4095Characters)
{
    CTraceCapture capture;
    const std::string strLong(5000, 'x');
    Trace("%s", strLong.c_str());
    ASSERT_EQ(CTraceCapture::Lines().size(), 1u);
    EXPECT_EQ(CTraceCapture::Lines()[0], std::string(4095, 'x'));
}

TEST(Trace, PairsWrittenOnSeveralThreadsStayTogether)
{
    CTraceCapture capture;
    const int kThreads = 4, kPairs = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < kPairs; ++i) {
                TraceReport("T%d( %d ) : ", t, i);
                TraceReport("message %d of T%d\n", i, t);
            }
        });
    for (std::thread& th : threads)
        th.join();
    const std::vector<std::string> pairs = CTraceCapture::Pairs();
    ASSERT_EQ(pairs.size(), static_cast<size_t>(kThreads * kPairs));
    for (const std::string& pair : pairs) {
        int t1 = -1, i1 = -1, i2 = -2, t2 = -2;
        ASSERT_EQ(sscanf(pair.c_str(), "T%d( %d ) : message %d of T%d", &t1, &i1, &i2, &t2), 4) << pair;
        EXPECT_EQ(t1, t2);
        EXPECT_EQ(i1, i2);
    }
}

} // namespace
