#include "app/Recipients.h"

std::vector<WString> SplitRecipients(const WString& strText)
{
    WString str = strText;
    const WString strSpaced = WSTR("; ");
    for (size_t nPos = str.find(strSpaced); nPos != WString::npos; nPos = str.find(strSpaced, nPos))
        str.erase(nPos + 1, 1);  // the scan stays on the ';' for a run of blanks

    std::vector<WString> tokens;
    size_t nStart = 0;
    for (;;) {
        const size_t nEnd = str.find(';', nStart);
        const WString strToken = str.substr(nStart, nEnd == WString::npos ? WString::npos : nEnd - nStart);
        if (!strToken.empty())
            tokens.push_back(strToken);
        if (nEnd == WString::npos)
            return tokens;
        nStart = nEnd + 1;
    }
}

bool IsNumberToken(const WString& strToken)
{
    return !strToken.empty() && ((strToken[0] >= '0' && strToken[0] <= '9') || strToken[0] == '+');
}
