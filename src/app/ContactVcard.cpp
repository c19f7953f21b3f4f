#include "app/ContactVcard.h"

#include <algorithm>
#include <cstdint>
#include <unordered_set>

#include "base/CodePage.h"

namespace {

const size_t kProgressLines = 4096;  // lines between two reports of progress

struct CLine {
    size_t nLine = 0;
    WString str;
};

// A logical line: "group.NAME;PARAM=VALUE;...:value".
struct CProperty {
    WString strName;                  // upper case, without its group
    std::vector<WString> aParams;     // upper case, as written ("TYPE=CELL", "CELL", "CHARSET=UTF-8")
    WString strValue;                 // raw
};

WString Upper(const WString& str)
{
    WString strUpper = str;
    for (WChar& ch : strUpper)
        ch = ch >= 'a' && ch <= 'z' ? static_cast<WChar>(ch - 'a' + 'A') : ch;
    return strUpper;
}

WString FoldAsciiLower(const WString& str)
{
    WString strLower = str;
    for (WChar& ch : strLower)
        ch = ch >= 'A' && ch <= 'Z' ? static_cast<WChar>(ch - 'A' + 'a') : ch;
    return strLower;
}

WString Trim(const WString& str)
{
    const size_t nStart = str.find_first_not_of(WSTR(" \t"));
    if (nStart == WString::npos)
        return WString();
    return str.substr(nStart, str.find_last_not_of(WSTR(" \t")) - nStart + 1);
}

std::vector<CLine> PhysicalLines(const WString& strText)
{
    std::vector<CLine> lines;
    size_t nLine = 1, nStart = 0;
    for (size_t i = 0; i <= strText.size(); ++i) {
        if (i < strText.size() && strText[i] != '\r' && strText[i] != '\n')
            continue;
        lines.push_back({nLine++, strText.substr(nStart, i - nStart)});
        if (i + 1 < strText.size() && strText[i] == '\r' && strText[i + 1] == '\n')
            ++i;
        nStart = i + 1;
    }
    return lines;
}

// A logical line as it grows, and whether its name and parameters (before
// the first ':') say QUOTED-PRINTABLE, found as the characters come so that
// a value of many soft line breaks is read once.
class CLogicalLine {
public:
    explicit CLogicalLine(const CLine& line) : m_line(line) { Scan(); }

    void Append(const WString& str)
    {
        m_line.str += str;
        Scan();
    }
    // The soft line break of QUOTED-PRINTABLE: a value that ends with '='.
    bool EndsInSoftBreak() const
    {
        return !m_line.str.empty() && m_line.str.back() == '=' && m_bQuotedPrintable;
    }
    void DropLast() { m_line.str.pop_back(); }
    const CLine& Get() const { return m_line; }

private:
    void Scan()
    {
        static const WString kWord = WSTR("QUOTED-PRINTABLE");
        if (m_bHeadDone)
            return;
        const size_t nColon = m_line.str.find(':', m_nScanned);
        const size_t nEnd = nColon == WString::npos ? m_line.str.size() : nColon;
        const size_t nFrom = m_nScanned > kWord.size() ? m_nScanned - kWord.size() : 0;
        m_bQuotedPrintable =
            m_bQuotedPrintable || Upper(m_line.str.substr(nFrom, nEnd - nFrom)).find(kWord) != WString::npos;
        m_nScanned = nEnd;
        m_bHeadDone = nColon != WString::npos;
    }

    CLine m_line;
    size_t m_nScanned = 0;
    bool m_bHeadDone = false;
    bool m_bQuotedPrintable = false;
};

// Folded lines (a line that begins with a blank goes on the one before) and
// the soft line breaks of QUOTED-PRINTABLE (a value that ends with '=').
std::vector<CLine> LogicalLines(const WString& strText)
{
    std::vector<CLogicalLine> lines;
    for (const CLine& line : PhysicalLines(strText)) {
        if (!lines.empty() && lines.back().EndsInSoftBreak()) {
            lines.back().DropLast();
            lines.back().Append(line.str);
        } else if (!lines.empty() && !line.str.empty() && (line.str[0] == ' ' || line.str[0] == '\t')) {
            lines.back().Append(line.str.substr(1));
        } else {
            lines.emplace_back(line);
        }
    }
    std::vector<CLine> logical;
    for (const CLogicalLine& line : lines)
        logical.push_back(line.Get());
    return logical;
}

// Cut at the separator outside double quotes.
std::vector<WString> SplitOutsideQuotes(const WString& str, WChar chSeparator)
{
    std::vector<WString> aParts(1);
    bool bQuoted = false;
    for (WChar ch : str) {
        if (ch == '"')
            bQuoted = !bQuoted;
        if (ch == chSeparator && !bQuoted)
            aParts.emplace_back();
        else
            aParts.back() += ch;
    }
    return aParts;
}

bool ParseProperty(const WString& strLine, CProperty& property)
{
    bool bQuoted = false;
    size_t nColon = WString::npos;
    for (size_t i = 0; i < strLine.size() && nColon == WString::npos; ++i) {
        if (strLine[i] == '"')
            bQuoted = !bQuoted;
        else if (strLine[i] == ':' && !bQuoted)
            nColon = i;
    }
    if (nColon == WString::npos)
        return false;
    std::vector<WString> aParts = SplitOutsideQuotes(strLine.substr(0, nColon), ';');
    WString strName = Upper(Trim(aParts[0]));
    const size_t nDot = strName.rfind('.');
    property.strName = nDot == WString::npos ? strName : strName.substr(nDot + 1);
    property.aParams.clear();
    for (size_t i = 1; i < aParts.size(); ++i)
        property.aParams.push_back(Upper(Trim(aParts[i])));
    property.strValue = strLine.substr(nColon + 1);
    return true;
}

// The value of a parameter ("CHARSET" of "CHARSET=UTF-8"), quotes dropped.
WString ParamValue(const CProperty& property, const WChar* pszName)
{
    const WString strPrefix = WString(pszName) + WSTR("=");
    for (const WString& strParam : property.aParams) {
        if (strParam.compare(0, strPrefix.size(), strPrefix) == 0) {
            WString strValue = strParam.substr(strPrefix.size());
            strValue.erase(std::remove(strValue.begin(), strValue.end(), WChar('"')), strValue.end());
            return strValue;
        }
    }
    return WString();
}

// The bytes of a value as the file holds them (a character per byte of an
// 8-bit file, UTF-8 of a Unicode one), QUOTED-PRINTABLE's "=C3=A9" decoded.
std::string ValueBytes(const WString& str, bool bBytes, bool bQp)
{
    std::string strBytes;
    WString strRun;  // characters of a Unicode file, converted together so that a surrogate pair stays whole
    for (size_t i = 0; i < str.size(); ++i) {
        const int nHigh = bQp && str[i] == '=' && i + 2 < str.size() ? HexDigitValue(str[i + 1]) : -1;
        const int nLow = nHigh >= 0 ? HexDigitValue(str[i + 2]) : -1;
        if (nLow >= 0) {
            strBytes += WideToUtf8(strRun) + static_cast<char>(nHigh * 16 + nLow);
            strRun.clear();
            i += 2;
        } else if (bBytes) {
            strBytes += static_cast<char>(str[i]);
        } else {
            strRun += str[i];
        }
    }
    return strBytes + WideToUtf8(strRun);
}

// The value in its CHARSET. A Unicode file's characters are what they are,
// except for QUOTED-PRINTABLE bytes; without a CHARSET bytes are UTF-8 when
// they can be, else Windows-1252 (bGuessed then set). False for a charset
// not known here.
bool DecodeValue(const CProperty& property, bool bBytes, WString& strValue, bool& bGuessed, std::string& strError)
{
    const bool bQp = std::find(property.aParams.begin(), property.aParams.end(), WSTR("QUOTED-PRINTABLE")) !=
                         property.aParams.end() ||
                     ParamValue(property, WSTR("ENCODING")) == WSTR("QUOTED-PRINTABLE");
    const WString strCharset = ParamValue(property, WSTR("CHARSET"));
    const unsigned nCodePage = strCharset.empty() ? 0 : CodePageOfCharset(strCharset);
    if (!strCharset.empty() && !nCodePage) {
        strError = "the charset " + WideToUtf8(strCharset) + " is not supported";
        return false;
    }
    if (!bQp && !bBytes) {
        strValue = property.strValue;
        return true;
    }
    const std::string strBytes = ValueBytes(property.strValue, bBytes, bQp);
    if (nCodePage) {
        if (CodePageToWide(nCodePage, strBytes, strValue))
            return true;
        strError = "the charset " + WideToUtf8(strCharset) + " is not supported in this build";
        return false;
    }
    if (IsValidUtf8(strBytes)) {
        strValue = Utf8ToWide(strBytes);
        return true;
    }
    strValue = Windows1252ToWide(strBytes);
    bGuessed = true;
    return true;
}

// Cut at an unescaped separator, then "\n", "\,", "\;" and "\\" undone.
std::vector<WString> SplitValue(const WString& strValue, WChar chSeparator)
{
    std::vector<WString> aParts(1);
    for (size_t i = 0; i < strValue.size(); ++i) {
        const WChar ch = strValue[i];
        if (ch == '\\' && i + 1 < strValue.size()) {
            const WChar chNext = strValue[++i];
            aParts.back() += chNext == 'n' || chNext == 'N' ? WChar('\n') : chNext;
        } else if (ch == chSeparator) {
            aParts.emplace_back();
        } else {
            aParts.back() += ch;
        }
    }
    for (WString& strPart : aParts)
        strPart = Trim(strPart);
    return aParts;
}

CNumber ReadTel(const CProperty& property, const WString& strValue)
{
    CNumber tel;
    WString strNumber = Trim(strValue);
    if (Upper(strNumber.substr(0, 4)) == WSTR("TEL:"))
        strNumber = strNumber.substr(4, strNumber.find(';') == WString::npos ? WString::npos : strNumber.find(';') - 4);
    tel.strNumber = Trim(strNumber);
    for (const WString& strParam : property.aParams) {
        const bool bType = strParam.compare(0, 5, WSTR("TYPE=")) == 0;
        if (strParam.compare(0, 5, WSTR("PREF=")) == 0)
            tel.bPreferred = true;
        if (!bType && strParam.find('=') != WString::npos)
            continue;
        WString strTypes = bType ? strParam.substr(5) : strParam;
        strTypes.erase(std::remove(strTypes.begin(), strTypes.end(), WChar('"')), strTypes.end());
        for (const WString& strType : SplitOutsideQuotes(strTypes, ',')) {
            tel.bNoText = tel.bNoText || strType == WSTR("FAX") || strType == WSTR("PAGER");
            if (strType == WSTR("PREF")) {
                tel.bPreferred = true;
            } else if (strType == WSTR("CELL") || strType == WSTR("MOBILE")) {
                tel.bMobile = true;
                tel.strLabel = tel.strLabel.empty() ? WString(WSTR("mobile")) : tel.strLabel;
            } else if (strType != WSTR("VOICE") && !strType.empty() && tel.strLabel.empty()) {
                tel.strLabel = FoldAsciiLower(strType);
            }
        }
    }
    tel.bNoText = tel.bNoText && !tel.bMobile;
    return tel;
}

struct CCard {
    size_t nLine = 0;
    WString strFn, strN;
    std::vector<CNumber> tels;
    std::vector<WString> aGroups;
    std::unordered_set<WString> groupKeys;  // NameKey of each of aGroups
    std::string strError;
};

void ReadCardLine(const CProperty& property, bool bBytes, CCard& card, bool& bGuessed)
{
    static const WString kRead[] = {WSTR("FN"), WSTR("N"), WSTR("TEL"), WSTR("CATEGORIES")};
    if (std::find(std::begin(kRead), std::end(kRead), property.strName) == std::end(kRead))
        return;  // a photo, an address: not decoded, so their charsets refuse nothing
    WString strValue;
    std::string strError;
    if (!DecodeValue(property, bBytes, strValue, bGuessed, strError)) {
        card.strError = card.strError.empty() ? strError : card.strError;
        return;
    }
    if (property.strName == WSTR("FN")) {
        card.strFn = SplitValue(strValue, 0)[0];
    } else if (property.strName == WSTR("N")) {
        const std::vector<WString> aParts = SplitValue(strValue, ';');
        WString strName;
        for (size_t i : {size_t(1), size_t(2), size_t(0)}) {  // given, middle, family
            if (i < aParts.size() && !aParts[i].empty())
                strName += (strName.empty() ? WString() : WString(WSTR(" "))) + aParts[i];
        }
        card.strN = strName;
    } else if (property.strName == WSTR("TEL")) {
        const CNumber tel = ReadTel(property, strValue);
        if (!tel.strNumber.empty())
            card.tels.push_back(tel);
    } else {
        // "Team\, Choir" is two groups as some address books write them: a
        // comma escaped or not separates (no group name holds one).
        for (const WString& strPart : SplitValue(strValue, ',')) {
            for (const WString& strGroup : SplitGroups(strPart)) {
                if (card.aGroups.size() > CContact::kMaxGroups)
                    return;  // one more than a contact may have: the card is refused
                if (card.groupKeys.insert(NameKey(strGroup)).second)
                    card.aGroups.push_back(strGroup);
            }
        }
    }
}

void AddCardRows(const CCard& card, CContactFile& file)
{
    CContactRow row;
    row.nLine = card.nLine;
    row.strName = card.strFn.empty() ? card.strN : card.strFn;
    row.aGroups = card.aGroups;
    row.strError = card.strError;
    AddNumberRows(std::move(row), card.tels, file);
}

WString Escape(const WString& str)
{
    WString strEscaped;
    for (WChar ch : str) {
        if (ch == '\\' || ch == ',' || ch == ';')
            strEscaped += WSTR("\\") + WString(1, ch);
        else if (ch == '\n')
            strEscaped += WSTR("\\n");
        else if (ch != '\r')
            strEscaped += ch;
    }
    return strEscaped;
}

// A content line folded after at most 75 bytes, never inside a character.
std::string Folded(const WString& strLine)
{
    const std::string str = WideToUtf8(strLine);
    std::string strOut;
    size_t nOnLine = 0;
    for (size_t i = 0; i < str.size(); ++i) {
        const bool bStart = (static_cast<unsigned char>(str[i]) & 0xC0) != 0x80;
        if (bStart && nOnLine >= 74) {
            strOut += "\r\n ";
            nOnLine = 1;
        }
        strOut += str[i];
        ++nOnLine;
    }
    return strOut + "\r\n";
}

} // namespace

bool LooksLikeVcard(const WString& strText)
{
    const size_t nStart = strText.find_first_not_of(WSTR(" \t\r\n"));
    return nStart != WString::npos && Upper(strText.substr(nStart, 11)) == WSTR("BEGIN:VCARD");
}

CContactFile ReadContactsVcard(const WString& strText, bool bBytes, const FnReadProgress& fnProgress)
{
    CContactFile file;
    CCard card;
    bool bOpen = false;
    auto refuseOpen = [&] {
        CContactRow row;
        row.nLine = card.nLine;
        row.strName = card.strFn.empty() ? card.strN : card.strFn;
        row.strError = "a vCard without END:VCARD";
        file.rows.push_back(row);
    };
    const std::vector<CLine> lines = LogicalLines(strText);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i % kProgressLines == 0 && fnProgress && !fnProgress(i, lines.size()))
            return file;
        const CLine& line = lines[i];
        CProperty property;
        if (!ParseProperty(line.str, property))
            continue;
        const WString strValue = Upper(Trim(property.strValue));
        if (property.strName == WSTR("BEGIN") && strValue == WSTR("VCARD")) {
            if (bOpen)
                refuseOpen();
            card = CCard();
            card.nLine = line.nLine;
            bOpen = true;
        } else if (property.strName == WSTR("END") && strValue == WSTR("VCARD")) {
            if (bOpen)
                AddCardRows(card, file);
            bOpen = false;
        } else if (bOpen) {
            if (line.str.find(WChar(0)) != WString::npos)
                card.strError = "holds a NUL character";
            ReadCardLine(property, bBytes, card, file.bWindows1252);
        }
    }
    if (bOpen)
        refuseOpen();
    return file;
}

std::string FormatContactsVcard(const std::vector<CContact>& contacts)
{
    std::string str;
    for (const CContact& contact : contacts) {
        str += "BEGIN:VCARD\r\nVERSION:3.0\r\n";
        str += Folded(WSTR("FN:") + Escape(contact.m_strName));
        str += Folded(WSTR("N:;") + Escape(contact.m_strName) + WSTR(";;;"));
        str += Folded(WSTR("TEL;TYPE=CELL:") + Escape(contact.m_strNumber));
        if (!contact.m_aGroups.empty()) {
            WString strGroups;
            for (const WString& strGroup : contact.m_aGroups)
                strGroups += (strGroups.empty() ? WString() : WString(WSTR(","))) + Escape(strGroup);
            str += Folded(WSTR("CATEGORIES:") + strGroups);
        }
        str += "END:VCARD\r\n";
    }
    return str;
}
