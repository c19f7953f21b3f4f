// The report URL and the server setting on arbitrary text. A report's query
// holds only letters, digits, '+' and percent escapes, each field decodes
// back to the text typed (the way the reference server decodes it: '+',
// then %XX as Latin-1 bytes, then the references "&#N;"), and the cut that
// fits a feedback into the request line is the smallest that does. The
// server setting wins only when it is a URL of the form scheme, host,
// optional port, optional path.
//
// Input: UTF-16LE units; 0xFFFF separates the message, the e-mail address,
// the model and the server setting.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "online/ReportUrl.h"
#include "online/ServerUrl.h"

namespace {

bool IsHexDigit(WChar ch)
{
    return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F');
}

bool IsAlnum(uint32_t ch)
{
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9');
}

unsigned HexValue(WChar ch)
{
    return ch <= '9' ? ch - '0' : ch - 'A' + 10;
}

// A field of the query back to code points, or false when it holds anything
// but letters, digits, '+' and %XX.
bool DecodeField(const WString& strField, std::vector<uint32_t>& aCodes)
{
    std::vector<uint32_t> aBytes;
    for (size_t i = 0; i < strField.size(); ++i) {
        const WChar ch = strField[i];
        if (ch == '+') {
            aBytes.push_back(' ');
        } else if (ch == '%') {
            if (i + 2 >= strField.size() || !IsHexDigit(strField[i + 1]) || !IsHexDigit(strField[i + 2]))
                return false;
            const uint32_t b = HexValue(strField[i + 1]) * 16 + HexValue(strField[i + 2]);
            if (IsAlnum(b) || b == ' ')
                return false;  // these go as themselves
            aBytes.push_back(b);
            i += 2;
        } else if (IsAlnum(static_cast<uint16_t>(ch))) {
            aBytes.push_back(static_cast<uint16_t>(ch));
        } else {
            return false;
        }
    }
    aCodes.clear();
    for (size_t i = 0; i < aBytes.size(); ++i) {
        if (aBytes[i] == '&' && i + 1 < aBytes.size() && aBytes[i + 1] == '#') {
            size_t j = i + 2;
            uint64_t cp = 0;
            while (j < aBytes.size() && aBytes[j] >= '0' && aBytes[j] <= '9' && cp <= 0x10FFFF)
                cp = cp * 10 + (aBytes[j++] - '0');
            if (j > i + 2 && j < aBytes.size() && aBytes[j] == ';' && cp <= 0x10FFFF) {
                aCodes.push_back(static_cast<uint32_t>(cp));
                i = j;
                continue;
            }
        }
        aCodes.push_back(aBytes[i]);
    }
    return true;
}

// The code points a text stands for, a lone surrogate as U+FFFD.
std::vector<uint32_t> CodePoints(const WString& str)
{
    std::vector<uint32_t> aCodes;
    for (size_t i = 0; i < str.size(); ++i) {
        uint32_t cp = static_cast<uint16_t>(str[i]);
        const uint32_t lo = i + 1 < str.size() ? static_cast<uint16_t>(str[i + 1]) : 0;
        if (cp >= 0xD800 && cp <= 0xDBFF && lo >= 0xDC00 && lo <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        aCodes.push_back(cp);
    }
    return aCodes;
}

void CheckField(const WString& strField, const WString& strTyped)
{
    std::vector<uint32_t> aCodes;
    Check(DecodeField(strField, aCodes));
    Check(aCodes == CodePoints(strTyped));
}

// The text less its last n characters, a surrogate pair being one.
WString DropChars(const WString& str, size_t n)
{
    size_t nEnd = str.size();
    for (; n && nEnd; --n) {
        --nEnd;
        const uint16_t w = static_cast<uint16_t>(str[nEnd]);
        const uint16_t wBefore = nEnd ? static_cast<uint16_t>(str[nEnd - 1]) : 0;
        if (w >= 0xDC00 && w <= 0xDFFF && wBefore >= 0xD800 && wBefore <= 0xDBFF)
            --nEnd;
    }
    return str.substr(0, nEnd);
}

size_t CountChars(const WString& str)
{
    size_t n = str.size();
    for (size_t i = 1; i < str.size(); ++i) {
        const uint16_t w = static_cast<uint16_t>(str[i]), wBefore = static_cast<uint16_t>(str[i - 1]);
        if (w >= 0xDC00 && w <= 0xDFFF && wBefore >= 0xD800 && wBefore <= 0xDBFF) {
            --n;
            ++i;
        }
    }
    return n;
}

void FuzzReport(const WString& strMsg, const WString& strEmail, const WString& strModel)
{
    const WString strVersion = WSTR("1.0.0");
    const WString strQuery = MakeReportQuery(strEmail, strModel, strMsg, strVersion);
    // Four fields, in order, each key=value; a value holds no '&' of its own.
    const WChar* const kKeys[] = {WSTR("msg="), WSTR("email="), WSTR("model="), WSTR("version=")};
    std::vector<WString> aFields;
    for (size_t nStart = 0;;) {
        const size_t nEnd = strQuery.find('&', nStart);
        aFields.push_back(strQuery.substr(nStart, nEnd == WString::npos ? WString::npos : nEnd - nStart));
        if (nEnd == WString::npos)
            break;
        nStart = nEnd + 1;
    }
    Check(aFields.size() == 4);
    for (size_t i = 0; i < 4; ++i) {
        const WString strKey = kKeys[i];
        Check(aFields[i].compare(0, strKey.size(), strKey) == 0);
        aFields[i].erase(0, strKey.size());
    }
    CheckField(aFields[0], strMsg);
    CheckField(aFields[1], strEmail);
    CheckField(aFields[2], strModel);
    Check(aFields[3] == strVersion);

    // The cut that brings a feedback within the request line is the smallest.
    const WString strEndpoint = WSTR("http://127.0.0.1:8080/input.php");
    const size_t nOver = CountCharsOverRequestLine(strEndpoint, strEmail, strModel, strMsg, strVersion);
    const auto lineSize = [&](size_t nDropped) {
        const WString strCut = DropChars(strMsg, nDropped);
        return GetRequestLineSize(MakeReportUrl(strEndpoint, MakeReportQuery(strEmail, strModel, strCut, strVersion)));
    };
    if (nOver == 0) {
        Check(lineSize(0) <= kMaxReportRequestLine);
    } else if (nOver <= CountChars(strMsg)) {
        Check(lineSize(nOver) <= kMaxReportRequestLine);
        Check(lineSize(nOver - 1) > kMaxReportRequestLine);
    }
}

// "http://" or "https://" (any case), a host (an IPv6 address of hex digits,
// ':' and '.' in brackets, or a name with neither '/' nor ':'), a port of 1
// to 65535 after a ':' when there is one, and a path after a '/' when there
// is one; no blank, '?', '#' or control character anywhere. The host is
// given back, and whether the scheme is https.
bool IsUrlOfServerForm(const WString& strUrl, WString& strHost, bool& bSecure)
{
    size_t nHost = 0;
    const WString strLower = [&] {
        WString s = strUrl.substr(0, 8);
        for (WChar& ch : s)
            ch = (ch >= 'A' && ch <= 'Z') ? static_cast<WChar>(ch - 'A' + 'a') : ch;
        return s;
    }();
    if (strLower.compare(0, 7, WSTR("http://")) == 0)
        nHost = 7;
    else if (strLower.compare(0, 8, WSTR("https://")) == 0)
        nHost = 8;
    else
        return false;
    bSecure = nHost == 8;
    for (WChar ch : strUrl)
        if (ch <= ' ' || ch == 0x7F || ch == '?' || ch == '#')
            return false;
    size_t i = nHost;
    if (i < strUrl.size() && strUrl[i] == '[') {
        const size_t nClose = strUrl.find(']', i);
        const WString strInside = nClose == WString::npos ? WString() : strUrl.substr(i + 1, nClose - i - 1);
        if (strInside.empty() || strInside.find_first_not_of(WSTR("0123456789abcdefABCDEF:.")) != WString::npos)
            return false;
        i = nClose + 1;
    } else {
        while (i < strUrl.size() && strUrl[i] != '/' && strUrl[i] != ':')
            ++i;
        if (i == nHost)
            return false;
    }
    strHost = strUrl.substr(nHost, i - nHost);
    if (i < strUrl.size() && strUrl[i] == ':') {
        const size_t nPort = ++i;
        uint32_t dwPort = 0;
        while (i < strUrl.size() && strUrl[i] >= '0' && strUrl[i] <= '9' && dwPort <= 65535)
            dwPort = dwPort * 10 + static_cast<uint32_t>(strUrl[i++] - '0');
        if (i == nPort || dwPort == 0 || dwPort > 65535)
            return false;
    }
    return i == strUrl.size() || strUrl[i] == '/';
}

void FuzzServer(const WString& strSetting)
{
    WString strHost;
    bool bSecure = false;
    const bool bForm = IsUrlOfServerForm(strSetting, strHost, bSecure);
    Check(IsServerUrl(strSetting) == bForm);
    // Plain http only to this machine (IsLoopbackHost has a table of its own).
    const bool bPermitted = bForm && (bSecure || IsLoopbackHost(strHost));
    Check(IsPermittedServer(strSetting) == bPermitted);
    Check(GetServerRefusal(strSetting).empty() == (bPermitted || !bForm));
    WString strBase = bPermitted ? strSetting : GetBuiltInServer();
    while (!strBase.empty() && strBase.back() == '/')
        strBase.pop_back();
    Check(MakeServerUrl(strSetting, kReportPath) == strBase + kReportPath);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFuzzInput in(data, size);
    const WString strMsg = in.Units(0xFFFF);
    const WString strEmail = in.Units(0xFFFF);
    const WString strModel = in.Units(0xFFFF);
    const WString strSetting = in.Units(0xFFFF);
    FuzzReport(strMsg, strEmail, strModel);
    FuzzServer(strSetting);
    FuzzServer(strMsg);
    return 0;
}
