// Captures both trace channels for the duration of a test.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "base/Trace.h"

class CTraceCapture {
public:
    CTraceCapture()
    {
        Clear();
        SetTraceOutput(&CTraceCapture::OnLine);
        SetReportedPairHandler(&CTraceCapture::OnPair);
    }
    ~CTraceCapture()
    {
        SetTraceOutput(nullptr);
        SetReportedPairHandler(nullptr);
    }

    static std::vector<std::string> Lines()
    {
        std::lock_guard<std::mutex> lock(Mutex());
        return LineStore();
    }
    static std::vector<std::string> Pairs()
    {
        std::lock_guard<std::mutex> lock(Mutex());
        return PairStore();
    }
    static void Clear()
    {
        std::lock_guard<std::mutex> lock(Mutex());
        LineStore().clear();
        PairStore().clear();
    }
    // True when a reported pair's message (after the location line) is strMessage.
    static bool HasReported(const std::string& strMessage)
    {
        for (const std::string& strPair : Pairs()) {
            const size_t nAt = strPair.find(" ) : ");
            if (nAt != std::string::npos && strPair.substr(nAt + 5) == strMessage)
                return true;
        }
        return false;
    }

private:
    static std::mutex& Mutex()
    {
        static std::mutex mutex;
        return mutex;
    }
    static std::vector<std::string>& LineStore()
    {
        static std::vector<std::string> lines;
        return lines;
    }
    static std::vector<std::string>& PairStore()
    {
        static std::vector<std::string> pairs;
        return pairs;
    }
    static void OnLine(const char* pszLine)
    {
        std::lock_guard<std::mutex> lock(Mutex());
        LineStore().push_back(pszLine);
    }
    static void OnPair(const std::string& strPair)
    {
        std::lock_guard<std::mutex> lock(Mutex());
        PairStore().push_back(strPair);
    }
};
