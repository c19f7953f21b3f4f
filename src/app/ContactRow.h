// One contact as a file to import gives it: where it is in the file and
// what it says, or why it cannot be read.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "base/Text.h"

// A card (or row) of several numbers gives a row per number, each in all of
// its groups: more than this many extra numbers times groups in one is
// refused, so that the rows an import holds grow with the file, not with
// the square of it (6 numbers in 20 groups pass, 3 in 50, 2 in 100).
const size_t kMaxExtraNumbersTimesGroups = 100;

struct CContactRow {
    size_t nLine = 0;   // of the file, from 1: where the row or the card begins
    WString strName;    // as written (blanks at either end dropped)
    WString strNumber;  // as written (blanks at either end dropped)
    std::vector<WString> aGroups;
    std::string strError;  // the row cannot be read: why (it is then refused)
};

// How far a reader has come: nDone of nTotal steps (characters, lines).
// False stops it; it then returns what it has read so far.
typedef std::function<bool(size_t nDone, size_t nTotal)> FnReadProgress;
