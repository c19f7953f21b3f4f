#include "base/Trace.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <exception>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

const size_t kLineBuffer = 4096;  // at most 4095 characters and the terminator

std::atomic<PfnTraceOutput> g_pfnOutput{nullptr};
std::atomic<PfnReportedPair> g_pfnReported{nullptr};

// Pairing state of the reported trace, one per thread, so that pairs written
// at the same moment on two threads are never joined crosswise.
struct CPairing {
    std::string strHeld;
    bool bSend = false;
};
thread_local CPairing t_pairing;

std::string Format(const char* pszFormat, va_list args)
{
    char szLine[kLineBuffer];
    const int n = vsnprintf(szLine, sizeof(szLine), pszFormat, args);
    if (n < 0)
        szLine[0] = '\0';
    szLine[kLineBuffer - 1] = '\0';
    return szLine;
}

void Output(const std::string& strLine)
{
    if (PfnTraceOutput pfn = g_pfnOutput.load()) {
        pfn(strLine.c_str());
        return;
    }
#if defined(_WIN32)
    OutputDebugStringA(strLine.c_str());
#endif
}

void Report(const std::string& strLine)
{
    if (!t_pairing.bSend) {
        t_pairing.strHeld = strLine;
        t_pairing.bSend = true;
        return;
    }
    const std::string strPair = t_pairing.strHeld + strLine;
    t_pairing.strHeld.clear();
    t_pairing.bSend = false;
    if (PfnReportedPair pfn = g_pfnReported.load())
        pfn(strPair);
}

} // namespace

void Trace(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    const std::string strLine = Format(pszFormat, args);
    va_end(args);
    Output(strLine);
}

void TraceReport(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    const std::string strLine = Format(pszFormat, args);
    va_end(args);
    Output(strLine);
    Report(strLine);
}

void TraceAssert(const char* pszFile, unsigned nLine, const char* pszExpression)
{
    TraceReport("%s( %u ) : ", pszFile, nLine);
    TraceReport("%s\n", pszExpression);
}

void TraceCaught(const char* pszFile, unsigned nLine) noexcept
{
    try {
        try {
            throw;
        } catch (const std::exception& e) {
            TraceAssert(pszFile, nLine, e.what());
        } catch (...) {
            TraceAssert(pszFile, nLine, "unknown exception");
        }
    } catch (...) {
        // Out of memory for the trace's texts: nothing more can be said.
    }
}

void SetTraceOutput(PfnTraceOutput pfn)
{
    g_pfnOutput.store(pfn);
}

void SetReportedPairHandler(PfnReportedPair pfn)
{
    g_pfnReported.store(pfn);
}
