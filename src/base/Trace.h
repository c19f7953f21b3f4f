// Diagnostic trace.
//
// Trace lines are written in pairs: a location line "%s( %u ) : " with the
// source file and line, then the message. A plain pair goes to the debugger
// output only. A reported pair also goes, joined into one text, to the usage
// report. A failed assertion is a reported pair whose message is the expression.
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
