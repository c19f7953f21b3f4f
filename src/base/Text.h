// Text types shared by the portable logic and the Win32 side.
//
// Everything the user types or sees is UTF-16. On Windows that is wchar_t, so
// WString is std::wstring and goes straight into the W functions; on hosts
// whose wchar_t is 32 bits the portable logic uses char16_t, so it counts and
// walks the very same UTF-16 code units in both builds.
#pragma once

#include <string>

#if defined(_WIN32)
typedef wchar_t WChar;
#define WSTR(s) L##s
#else
typedef char16_t WChar;
#define WSTR(s) u##s
#endif
typedef std::basic_string<WChar> WString;

// The ANSI code page of the system (Windows-1252 in the host build, where it
// stands for the byte-per-character conversions of AT replies and port names).
WString AnsiToWide(const std::string& str);
std::string WideToAnsi(const WString& str);
// Windows-1252 in every build: a byte per character, and ISO-8859-1 read
// alike (its controls at 0x80-0x9F are in no text a user wrote).
WString Windows1252ToWide(const std::string& str);

// UTF-8 <-> UTF-16. Decoding never fails: a malformed sequence becomes U+FFFD.
// IsValidUtf8 lets a caller refuse such input instead.
WString Utf8ToWide(const std::string& str);
std::string WideToUtf8(const WString& str);
bool IsValidUtf8(const std::string& str);

// Removes space, tab, CR, LF, vertical tab and form feed at both ends.
std::string TrimWhite(const std::string& str);
bool StartsWith(const std::string& str, const char* pszPrefix);
// '0' to '9' only, in any locale.
inline bool IsDigit(WChar ch)
{
    return ch >= '0' && ch <= '9';
}
// A space or a tab, which TrimBlanks removes.
inline bool IsBlank(WChar ch)
{
    return ch == ' ' || ch == '\t';
}
// Without spaces and tabs at both ends: a field as typed or read from a file.
WString TrimBlanks(const WString& str);
// The value of a hex digit of either case; -1 for any other character.
int HexDigitValue(int ch);
