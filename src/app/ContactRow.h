// One contact as a file to import gives it: where it is in the file and
// what it says, or why it cannot be read.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/Text.h"

struct CContactRow {
    size_t nLine = 0;   // of the file, from 1: where the row or the card begins
    WString strName;    // as written (blanks at either end dropped)
    WString strNumber;  // as written (blanks at either end dropped)
    std::vector<WString> aGroups;
    std::string strError;  // the row cannot be read: why (it is then refused)
};
