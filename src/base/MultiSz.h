// The byte layout of the registry's list values (REG_MULTI_SZ).
//
// A list is stored as UTF-16LE strings, each followed by one zero character,
// and one more zero character after the last. These functions are the whole
// format: the registry accessors only move the bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "base/Text.h"

// Decodes list data as the registry returned it. Data shorter than 6 bytes,
// of an odd length, or not ending in two zero characters is malformed and
// gives an empty list (the result is then false). Empty strings inside the
// data are skipped. Never reads outside [pbData, pbData + cbData).
bool DecodeMultiSz(const uint8_t* pbData, size_t cbData, std::vector<WString>& aList);
// Whether DecodeMultiSz takes the data as a list, without decoding it.
bool IsWholeMultiSz(const uint8_t* pbData, size_t cbData);

// Where the strings DecodeMultiSz would give are in the data, without
// decoding them (a list of megabytes is read for a few of its strings): fn
// is called for each in turn with its first character and its length, in
// characters. False, without a call, for data that are not whole.
struct CMultiSzSpan {
    size_t nStart;
    size_t nLength;
};
bool ForEachMultiSz(const uint8_t* pbData, size_t cbData, const std::function<void(const CMultiSzSpan&)>& fn);
// The string of a span of the data.
WString DecodeMultiSzSpan(const uint8_t* pbData, const CMultiSzSpan& span);
// Whether that string begins with strPrefix.
bool MultiSzSpanStartsWith(const uint8_t* pbData, const CMultiSzSpan& span, const WString& strPrefix);

// Encodes a list for writing. The data ends at the first empty element, which
// drops it and every element after it; an empty list is one zero character.
// A zero character inside an element ends that string there, as the reader
// sees it: the rest reads as a further element.
std::vector<uint8_t> EncodeMultiSz(const std::vector<WString>& aList);
