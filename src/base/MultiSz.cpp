#include "base/MultiSz.h"

namespace {

WChar CharAt(const uint8_t* pbData, size_t nIndex)
{
    return static_cast<WChar>(pbData[2 * nIndex] | (pbData[2 * nIndex + 1] << 8));
}

void PutChar(std::vector<uint8_t>& abOut, WChar ch)
{
    abOut.push_back(static_cast<uint8_t>(ch & 0xFF));
    abOut.push_back(static_cast<uint8_t>((ch >> 8) & 0xFF));
}

} // namespace

bool DecodeMultiSz(const uint8_t* pbData, size_t cbData, std::vector<WString>& aList)
{
    aList.clear();
    // One character, its zero and the final zero is the shortest list.
    if (!pbData || cbData < 6 || cbData % 2 != 0)
        return false;
    const size_t nChars = cbData / 2;
    if (CharAt(pbData, nChars - 1) != 0 || CharAt(pbData, nChars - 2) != 0)
        return false;
    // The final zero guarantees that every string ends inside the data.
    WString str;
    for (size_t i = 0; i < nChars; ++i) {
        const WChar ch = CharAt(pbData, i);
        if (ch != 0) {
            str += ch;
        } else if (!str.empty()) {
            aList.push_back(str);
            str.clear();
        }
    }
    return true;
}

std::vector<uint8_t> EncodeMultiSz(const std::vector<WString>& aList)
{
    // Every element followed by its zero, then one more zero.
    WString strBuffer;
    for (const WString& str : aList) {
        strBuffer += str;
        strBuffer += WChar(0);
    }
    strBuffer += WChar(0);
    // The data runs up to and including the first empty string.
    size_t nChars = 0;
    for (;;) {
        const size_t nEnd = strBuffer.find(WChar(0), nChars);
        const bool bEmpty = nEnd == nChars;
        nChars = nEnd + 1;
        if (bEmpty)
            break;
    }
    std::vector<uint8_t> abOut;
    abOut.reserve(2 * nChars);
    for (size_t i = 0; i < nChars; ++i)
        PutChar(abOut, strBuffer[i]);
    return abOut;
}
