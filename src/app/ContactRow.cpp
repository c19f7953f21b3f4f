#include "app/ContactRow.h"

#include <algorithm>
#include <set>

namespace {

WString Digits(const WString& strNumber)
{
    WString str;
    for (WChar ch : strNumber) {
        if ((ch >= '0' && ch <= '9') || ch == '+')
            str += ch;
    }
    return str;
}

int Rank(const CNumber& number)
{
    if (number.bNoText)
        return 4;
    return (number.bMobile ? 0 : 2) + (number.bPreferred ? 0 : 1);
}

// Sorted as they become contacts; the same number once, the way first
// sorted (a mobile before its fax); those no text reaches counted and left out.
std::vector<CNumber> TextableNumbers(std::vector<CNumber> numbers, size_t& nSkipped)
{
    if (numbers.size() == 1 && !numbers[0].bNoText)
        return numbers;  // most rows: nothing to sort or compare
    std::stable_sort(numbers.begin(), numbers.end(),
                     [](const CNumber& a, const CNumber& b) { return Rank(a) < Rank(b); });
    std::set<WString> seen;
    std::vector<CNumber> kept;
    for (const CNumber& number : numbers) {
        const WString strDigits = Digits(number.strNumber);
        if (!seen.insert(strDigits.empty() ? number.strNumber : strDigits).second)
            continue;
        if (number.bNoText)
            ++nSkipped;
        else
            kept.push_back(number);
    }
    return kept;
}

} // namespace

void AddNumberRows(CContactRow row, std::vector<CNumber> numbers, CContactFile& file)
{
    const std::vector<CNumber> kept = TextableNumbers(std::move(numbers), file.nSkipped);
    if (kept.size() > 1 && (kept.size() - 1) * row.aGroups.size() > kMaxExtraNumbersTimesGroups)
        row.strError = std::to_string(kept.size()) + " numbers in " + std::to_string(row.aGroups.size()) +
                       " groups: more than an import takes";
    if (kept.empty() || !row.strError.empty()) {
        file.rows.push_back(std::move(row));
        return;
    }
    if (kept.size() == 1) {
        row.strNumber = kept[0].strNumber;
        file.rows.push_back(std::move(row));
        return;
    }
    const CContactRow base = row;
    std::set<WString> labels;
    for (size_t i = 0; i < kept.size(); ++i) {
        row.strNumber = kept[i].strNumber;
        if (i > 0) {
            const WString strPlace = Utf8ToWide(std::to_string(i + 1));
            WString strLabel = kept[i].strLabel.empty() ? strPlace : kept[i].strLabel;
            if (!labels.insert(strLabel).second) {
                strLabel += WSTR(" ") + strPlace;
                labels.insert(strLabel);
            }
            row.strName = (base.strName.empty() ? kept[i].strNumber : base.strName) + WSTR(" (") + strLabel + WSTR(")");
        }
        file.rows.push_back(row);
    }
}
