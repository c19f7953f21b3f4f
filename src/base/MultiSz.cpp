#include "base/MultiSz.h"

namespace {

// The lists are read and written whole on every change (the history's are
// megabytes), so both directions go a string at a time, not a character.

WChar CharAt(const uint8_t* pbData, size_t nIndex)
{
    return static_cast<WChar>(pbData[2 * nIndex] | (pbData[2 * nIndex + 1] << 8));
}

bool IsZeroAt(const uint8_t* pbData, size_t nIndex)
{
    return pbData[2 * nIndex] == 0 && pbData[2 * nIndex + 1] == 0;
}

} // namespace

// One character, its zero and the final zero is the shortest list.
bool IsWholeMultiSz(const uint8_t* pbData, size_t cbData)
{
    return pbData && cbData >= 6 && cbData % 2 == 0 && IsZeroAt(pbData, cbData / 2 - 1) &&
           IsZeroAt(pbData, cbData / 2 - 2);
}

bool DecodeMultiSz(const uint8_t* pbData, size_t cbData, std::vector<WString>& aList)
{
    aList.clear();
    if (!IsWholeMultiSz(pbData, cbData))
        return false;
    size_t nZeros = 0;
    for (size_t i = 0; i < cbData / 2; ++i)
        nZeros += IsZeroAt(pbData, i);
    aList.reserve(nZeros);
    return ForEachMultiSz(pbData, cbData,
                          [&](const CMultiSzSpan& span) { aList.push_back(DecodeMultiSzSpan(pbData, span)); });
}

// The final zero guarantees that every string ends inside the data.
bool ForEachMultiSz(const uint8_t* pbData, size_t cbData, const std::function<void(const CMultiSzSpan&)>& fn)
{
    if (!IsWholeMultiSz(pbData, cbData))
        return false;
    size_t nStart = 0;
    for (size_t i = 0; i < cbData / 2; ++i) {
        if (!IsZeroAt(pbData, i))
            continue;
        if (i > nStart)
            fn({nStart, i - nStart});
        nStart = i + 1;
    }
    return true;
}

WString DecodeMultiSzSpan(const uint8_t* pbData, const CMultiSzSpan& span)
{
    WString str(span.nLength, WChar(0));
    for (size_t j = 0; j < span.nLength; ++j)
        str[j] = CharAt(pbData, span.nStart + j);
    return str;
}

bool MultiSzSpanStartsWith(const uint8_t* pbData, const CMultiSzSpan& span, const WString& strPrefix)
{
    if (span.nLength < strPrefix.size())
        return false;
    for (size_t j = 0; j < strPrefix.size(); ++j) {
        if (CharAt(pbData, span.nStart + j) != strPrefix[j])
            return false;
    }
    return true;
}

std::vector<uint8_t> EncodeMultiSz(const std::vector<WString>& aList)
{
    // Every element followed by its zero, then one more zero.
    size_t nChars = 1;
    for (const WString& str : aList)
        nChars += str.size() + 1;
    std::vector<uint8_t> abOut(2 * nChars, 0);
    uint8_t* pbOut = abOut.data();
    for (const WString& str : aList) {
        for (const WChar ch : str) {
            *pbOut++ = static_cast<uint8_t>(ch & 0xFF);
            *pbOut++ = static_cast<uint8_t>((ch >> 8) & 0xFF);
        }
        pbOut += 2;
    }
    // The data runs up to and including the first empty string: a zero at
    // the start or right after another.
    for (size_t i = 0; i < nChars; ++i) {
        if (IsZeroAt(abOut.data(), i) && (i == 0 || IsZeroAt(abOut.data(), i - 1))) {
            abOut.resize(2 * (i + 1));
            break;
        }
    }
    return abOut;
}
