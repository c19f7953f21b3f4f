#include "app/TextSearch.h"

#include <cstring>

namespace {

// The base letters of U+00C0-U+00FF; 0 keeps the letter (lower case).
const char kLatin1[] = "aaaaaaaceeeeiiiidnooooo\0ouuuuy\0\0aaaaaaaceeeeiiiidnooooo\0ouuuuy\0y";
// The base letters of U+0100-U+017F, Latin Extended-A.
const char kLatinExtendedA[] = "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiiiijjkkkllllllllllnnnnnnnnnoooooooo"
                               "rrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";
static_assert(sizeof(kLatin1) == 64 + 1, "one letter per code point");

WChar FoldChar(WChar ch)
{
    const unsigned u = static_cast<unsigned>(ch);
    if (u >= 'A' && u <= 'Z')
        return static_cast<WChar>(u + 0x20);
    if (u >= 0xC0 && u <= 0xFF) {
        const char chBase = kLatin1[u - 0xC0];
        if (chBase)
            return static_cast<WChar>(chBase);
        return u < 0xE0 && u != 0xD7 && u != 0xDF ? static_cast<WChar>(u + 0x20) : ch;
    }
    if (u >= 0x100 && u < 0x100 + std::strlen(kLatinExtendedA))
        return static_cast<WChar>(kLatinExtendedA[u - 0x100]);
    if ((u >= 0x391 && u <= 0x3A9 && u != 0x3A2) || (u >= 0x410 && u <= 0x42F))
        return static_cast<WChar>(u + 0x20);  // Greek and Cyrillic capitals
    if (u >= 0x400 && u <= 0x40F)
        return static_cast<WChar>(u + 0x50);  // Cyrillic capitals with marks: Ё, Є, І, ...
    return ch;
}

bool IsCombiningMark(WChar ch)
{
    return static_cast<unsigned>(ch) >= 0x300 && static_cast<unsigned>(ch) <= 0x36F;
}

// The digits of a number typed with its separators, or empty when the query
// is not such a number.
WString NumberDigits(const WString& str, bool bQuery)
{
    WString strDigits;
    for (WChar ch : str) {
        if (ch >= '0' && ch <= '9')
            strDigits += ch;
        else if (bQuery && !(ch == '+' || ch == ' ' || ch == '-' || ch == '.' || ch == '(' || ch == ')'))
            return WString();
    }
    return strDigits;
}

} // namespace

WString FoldForSearch(const WString& str)
{
    WString strFolded;
    strFolded.reserve(str.size());
    for (WChar ch : str) {
        if (!IsCombiningMark(ch))
            strFolded += FoldChar(ch);
    }
    return strFolded;
}

bool MatchesSearch(const WString& strQuery, const std::vector<WString>& aFields)
{
    const CSearchQuery query(strQuery);
    return query.IsEmpty() || query.Matches(PrepareSearch(aFields));
}

CSearchFields PrepareSearch(const std::vector<WString>& aFields)
{
    CSearchFields fields;
    for (const WString& strField : aFields) {
        fields.aFolded.push_back(FoldForSearch(strField));
        fields.aDigits.push_back(NumberDigits(strField, false));
    }
    return fields;
}

CSearchQuery::CSearchQuery(const WString& strQuery)
    : m_strFolded(FoldForSearch(TrimBlanks(strQuery))), m_strDigits(NumberDigits(m_strFolded, true))
{
}

bool CSearchQuery::Matches(const CSearchFields& fields) const
{
    if (m_strFolded.empty())
        return true;
    for (size_t i = 0; i < fields.aFolded.size(); ++i) {
        if (fields.aFolded[i].find(m_strFolded) != WString::npos)
            return true;
        if (!m_strDigits.empty() && fields.aDigits[i].find(m_strDigits) != WString::npos)
            return true;
    }
    return false;
}
