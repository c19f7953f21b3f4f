// Diagnostic trace.
//
// Trace lines are written in pairs: a location line "%s( %u ) : " with the
// source file and line, then the message. A plain pair goes to the debugger
// output only. A reported pair also goes, joined into one text, to the usage
// report. A failed assertion is a reported pair whose message is the expression;
// an exception caught where the system calls into the program is one whose
// message is the exception's what text.
#pragma once

#include <string>

#if defined(__GNUC__) && !defined(_WIN32)
#define ZANDU_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define ZANDU_PRINTF(fmt, args)
#endif

// One formatted line (at most 4095 characters) to the debugger output.
void Trace(const char* pszFormat, ...) ZANDU_PRINTF(1, 2);

// The same, and every second call on a thread completes a pair that goes to
// the reported-pair handler as one text (first call's text, then this one's).
void TraceReport(const char* pszFormat, ...) ZANDU_PRINTF(1, 2);

void TraceAssert(const char* pszFile, unsigned nLine, const char* pszExpression);

// Inside a catch block only: the reported pair of the exception being
// handled, its what text ("unknown exception" for one not derived from
// std::exception). Never throws, not even when the trace itself fails.
void TraceCaught(const char* pszFile, unsigned nLine) noexcept;

// Runs fn where the system calls into the program (a window or dialog
// procedure, a hook, a message filter, a thread's start): an exception must
// not unwind through the system's frames, so what escapes fn stops here with
// its reported pair. False when fn did not complete; the caller then answers
// the system with its default.
template <class TFn>
bool CallCatching(const char* pszFile, unsigned nLine, TFn&& fn) noexcept
{
    try {
        fn();
        return true;
    } catch (...) {
        TraceCaught(pszFile, nLine);
        return false;
    }
}

#define CALL_CATCHING(...) CallCatching(__FILE__, static_cast<unsigned>(__LINE__), [&] { __VA_ARGS__; })

#define TRACE_PAIR(...) (Trace("%s( %u ) : ", __FILE__, static_cast<unsigned>(__LINE__)), Trace(__VA_ARGS__))
#define TRACE_REPORT(...) \
    (TraceReport("%s( %u ) : ", __FILE__, static_cast<unsigned>(__LINE__)), TraceReport(__VA_ARGS__))

// Never stops the program: a failed check only writes its reported pair.
#define ZASSERT(expr) \
    ((expr) ? static_cast<void>(0) : TraceAssert(__FILE__, static_cast<unsigned>(__LINE__), #expr))

// Where the two channels go. The default output is the debugger (Windows) or
// nowhere (host); the default handler drops completed pairs until the usage
// report is connected. Passing nullptr restores the default.
typedef void (*PfnTraceOutput)(const char* pszLine);
typedef void (*PfnReportedPair)(const std::string& strText);
void SetTraceOutput(PfnTraceOutput pfn);
void SetReportedPairHandler(PfnReportedPair pfn);
