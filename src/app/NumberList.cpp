#include "app/NumberList.h"

#include <algorithm>

namespace {

const WChar kValue[] = WSTR("Numbers");

// Every element carries one leading space, which the reader drops.
WString Element(const WString& strNumber)
{
    return WSTR(" ") + strNumber;
}

} // namespace

std::vector<WString> CNumberList::Read() const
{
    std::vector<WString> aNumbers;
    for (const WString& strElement : m_list.Read(kValue))
        aNumbers.push_back(strElement.substr(1));
    return aNumbers;
}

uint32_t CNumberList::Add(const WString& strNumber)
{
    const WString strElement = Element(strNumber);
    return m_list.Update(kValue, [&](std::vector<WString>& aList) {
        aList.erase(std::remove(aList.begin(), aList.end(), strElement), aList.end());
        aList.push_back(strElement);
        if (aList.size() > kMaxNumbers)
            aList.erase(aList.begin(), aList.end() - kMaxNumbers);
        return true;
    });
}
