// The trace lines of the online workers, with the settings in a scratch key
// whose "Server" refuses every connection.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/TraceCapture.h"
#include "online/CheckForUpdates.h"
#include "online/SendReport.h"
#include "base/Settings.h"

namespace {

const wchar_t kScratch[] = L"Software\\Zandu SMS Online Test";
const wchar_t kRefusing[] = L"http://127.0.0.1:1";  // nothing listens on port 1

class OnlineTrace : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
        HKEY hKey = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr),
                  ERROR_SUCCESS);
        GetSettingsKey().SetHandle(hKey);
        GetSettingsKey().Value("Server").WriteString(kRefusing);
    }
    void TearDown() override
    {
        GetSettingsKey().SetHandle(nullptr);
        RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
    }

    // The message lines of the plain pairs written from a source file.
    static std::vector<std::string> MessagesFrom(const char* pszSource)
    {
        std::vector<std::string> messages;
        const std::vector<std::string> lines = CTraceCapture::Lines();
        for (size_t i = 0; i + 1 < lines.size(); ++i)
            if (lines[i].find(pszSource) != std::string::npos && lines[i].find(" ) : ") != std::string::npos)
                messages.push_back(lines[++i]);
        return messages;
    }
};

TEST_F(OnlineTrace, UpdateCheckEndsWithItsPlainPair)
{
    CTraceCapture capture;
    {
        CCheckForUpdates check;
        ASSERT_TRUE(check.Start(THREAD_PRIORITY_NORMAL));
        // The destructor waits for the check.
    }
    EXPECT_EQ(MessagesFrom("CheckForUpdates.cpp"), std::vector<std::string>{"Cur: 1.0.0, update avail: no\n"});
    EXPECT_TRUE(CTraceCapture::Pairs().empty());
}

TEST_F(OnlineTrace, QueuedReportIsTracedWithItsUrl)
{
    CTraceCapture capture;
    GetReportSender().QueueReport(L"", L"", L"a \x0441");
    ASSERT_TRUE(GetReportSender().WaitUntilIdle(30000));
    // The refused request leaves no "GETed" line.
    EXPECT_EQ(MessagesFrom("SendReport.cpp"),
              std::vector<std::string>{"GETting http://127.0.0.1:1/input.php?msg=a+%26%231089%3B&email=&model=&version=1.0.0\n"});
    EXPECT_TRUE(CTraceCapture::Pairs().empty());
}

} // namespace
