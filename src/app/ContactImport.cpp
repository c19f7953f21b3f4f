#include "app/ContactImport.h"

#include <algorithm>
#include <map>
#include <unordered_set>

#include "base/AtomicFile.h"
#include "app/ContactCsv.h"
#include "app/ContactStore.h"
#include "app/CsvWriter.h"
#include "app/ContactVcard.h"
#include "app/SendInput.h"

namespace {

bool DecodeUtf16(const std::string& strBytes, size_t nStart, bool bBigEndian, WString& strText, std::string& strError)
{
    if (strBytes.size() % 2) {
        strError = "the file begins as UTF-16 text but ends in half a character";
        return false;
    }
    strText.clear();
    for (size_t i = nStart; i + 1 < strBytes.size(); i += 2) {
        const unsigned nFirst = static_cast<unsigned char>(strBytes[i]);
        const unsigned nSecond = static_cast<unsigned char>(strBytes[i + 1]);
        strText += static_cast<WChar>(bBigEndian ? nFirst << 8 | nSecond : nSecond << 8 | nFirst);
    }
    return true;
}

enum class EByteOrder { ORDER_NONE, ORDER_LITTLE, ORDER_BIG };

// UTF-16 without a byte order mark, as some exports write it: in its first
// bytes, the high byte of many characters (digits, separators, Latin
// letters) is zero, and the low byte of none.
EByteOrder Utf16WithoutMark(const std::string& strBytes)
{
    const size_t n = std::min<size_t>(strBytes.size(), 4096) & ~size_t(1);
    size_t nEven = 0, nOdd = 0;
    for (size_t i = 0; i < n; ++i) {
        if (strBytes[i] == 0)
            ++(i % 2 ? nOdd : nEven);
    }
    if (n == 0 || strBytes.size() % 2)
        return EByteOrder::ORDER_NONE;
    if (nEven == 0 && nOdd >= n / 8)
        return EByteOrder::ORDER_LITTLE;
    return nOdd == 0 && nEven >= n / 8 ? EByteOrder::ORDER_BIG : EByteOrder::ORDER_NONE;
}

std::string LineText(size_t nLine, const std::string& strWhat)
{
    return "line " + std::to_string(nLine) + ": " + strWhat;
}

bool HasControl(const WString& str)
{
    return std::any_of(str.begin(), str.end(), [](WChar ch) { return ch < 0x20 || ch == 0x7F; });
}

bool AddGroups(CContact& contact, const std::vector<WString>& aGroups)
{
    std::unordered_set<WString> seen;
    for (const WString& strGroup : contact.m_aGroups)
        seen.insert(NameKey(strGroup));
    bool bAdded = false;
    for (const WString& strGroup : aGroups) {
        if (seen.insert(NameKey(strGroup)).second) {
            contact.m_aGroups.push_back(strGroup);
            bAdded = true;
        }
    }
    return bAdded;
}

std::string TooLargeText()
{
    return "the file is larger than " + std::to_string(kMaxImportBytes / (1024 * 1024)) +
           " MB: no contact list is; is it the right file?";
}

std::string TooManyGroupsText()
{
    return "a contact is in at most " + std::to_string(CContact::kMaxGroups) + " groups";
}

// Reading the file is the first quarter of the work, the reader's the rest.
const double kReadShare = 0.25;

} // namespace

bool DecodeImportText(const std::string& strBytes, CImportText& text, std::string& strError)
{
    text = CImportText();
    if (strBytes.size() > kMaxImportBytes) {
        strError = TooLargeText();
        return false;
    }
    if (strBytes.compare(0, 2, "\xFF\xFE") == 0 || strBytes.compare(0, 2, "\xFE\xFF") == 0)
        return DecodeUtf16(strBytes, 2, strBytes[0] == '\xFE', text.str, strError);
    const EByteOrder order = Utf16WithoutMark(strBytes);
    if (order != EByteOrder::ORDER_NONE)
        return DecodeUtf16(strBytes, 0, order == EByteOrder::ORDER_BIG, text.str, strError);
    const bool bBom = strBytes.compare(0, 3, kUtf8Bom) == 0;
    const std::string strUtf8 = bBom ? strBytes.substr(3) : strBytes;
    if (IsValidUtf8(strUtf8)) {
        text.str = Utf8ToWide(strUtf8);
        return true;
    }
    if (bBom) {
        strError = "the file begins as UTF-8 text but holds bytes that are not UTF-8";
        return false;
    }
    if (strBytes.find('\0') != std::string::npos) {
        strError = "the file is not text (it holds NUL bytes): is it the right file?";
        return false;
    }
    text.bBytes = true;
    text.str.reserve(strBytes.size());
    for (unsigned char ch : strBytes)
        text.str += static_cast<WChar>(ch);
    return true;
}

bool ReadContactFile(const std::string& strBytes, CContactFile& file, std::string& strError,
                     const FnReadProgress& fnProgress)
{
    file = CContactFile();
    CImportText text;
    if (!DecodeImportText(strBytes, text, strError))
        return false;
    const bool bVcard = LooksLikeVcard(text.str);
    bool bStopped = false;
    const FnReadProgress fnWatch = [&](size_t nDone, size_t nTotal) {
        bStopped = fnProgress && !fnProgress(nDone, nTotal);
        return !bStopped;
    };
    if (bVcard) {
        file = ReadContactsVcard(text.str, text.bBytes, fnWatch);
    } else {
        // Outlook and Excel write CSV in the Western ANSI code page unless told otherwise.
        file = ReadContactsCsv(text.bBytes ? Windows1252ToWide(strBytes) : text.str, fnWatch);
        file.bWindows1252 = text.bBytes;
    }
    if (bStopped) {
        file = CContactFile();
        strError = "stopped";
        return false;
    }
    if (!file.rows.empty())
        return true;
    strError = bVcard ? "the file holds no vCard" : "the file holds no contact";
    return false;
}

bool ReadContactPath(const WString& strPath, CContactFile& file, std::string& strError,
                     const FnImportProgress& fnProgress)
{
    file = CContactFile();
    std::string strBytes;
    const EFileRead read = ReadWholeFile(strPath, strBytes, strError, kMaxImportBytes, [&](uint64_t nDone, uint64_t nSize) {
        return !fnProgress || fnProgress(nSize ? kReadShare * static_cast<double>(nDone) / static_cast<double>(nSize) : 0);
    });
    switch (read) {
    case EFileRead::FILE_READ_OK:
        return ReadContactFile(strBytes, file, strError, [&](size_t nDone, size_t nTotal) {
            return !fnProgress ||
                   fnProgress(kReadShare + (1 - kReadShare) * static_cast<double>(nDone) / static_cast<double>(nTotal));
        });
    case EFileRead::FILE_READ_MISSING:
        strError = "no such file";
        return false;
    case EFileRead::FILE_READ_TOO_LARGE:
        strError = TooLargeText();
        return false;
    case EFileRead::FILE_READ_STOPPED:
        strError = "stopped";
        return false;
    default:
        return false;
    }
}

bool CheckContact(const CContact& contact, std::string& strError)
{
    if (contact.m_strName.empty()) {
        strError = "a contact needs a name";
        return false;
    }
    if (contact.m_strName.find(';') != WString::npos) {
        strError = "the name '" + WideToUtf8(contact.m_strName) + "' holds ';', which separates recipients";
        return false;
    }
    if (HasControl(contact.m_strName)) {
        strError = "the name holds a line break or another control character";
        return false;
    }
    if (contact.m_strNumber.empty()) {
        strError = "no number";
        return false;
    }
    if (!CheckNumber(contact.m_strNumber, strError))
        return false;
    if (contact.m_aGroups.size() > CContact::kMaxGroups) {
        strError = TooManyGroupsText();
        return false;
    }
    for (const WString& strGroup : contact.m_aGroups) {
        if (!CheckGroupName(strGroup, strError))
            return false;
    }
    return true;
}

CImportPlan PlanImport(const std::vector<CContact>& contacts, const CContactFile& file)
{
    CImportPlan plan;
    plan.contacts = contacts;
    if (file.bWindows1252)
        plan.aNotes.push_back("read as Windows-1252");
    if (file.nSkipped)
        plan.aNotes.push_back(std::to_string(file.nSkipped) + (file.nSkipped == 1 ? " fax or pager number" : " fax or pager numbers") +
                              " not imported");
    std::map<WString, size_t> byName;  // the first contact of each name, as FindContact finds it
    for (size_t i = 0; i < contacts.size(); ++i)
        byName.emplace(NameKey(contacts[i].m_strName), i);
    std::map<WString, size_t> lineOfName;
    auto refuse = [&plan](size_t nLine, const std::string& strWhy) {
        ++plan.nRefused;
        plan.aRefusals.push_back(LineText(nLine, strWhy));
    };
    // The rows of a card share its line: a note once for them all.
    auto note = [&plan](size_t nLine, const std::string& strWhat) {
        const std::string strNote = LineText(nLine, strWhat);
        if (plan.aNotes.empty() || plan.aNotes.back() != strNote)
            plan.aNotes.push_back(strNote);
    };
    for (const CContactRow& row : file.rows) {
        ++plan.nRows;
        CContact contact(TrimBlanks(row.strName), TrimBlanks(row.strNumber));
        contact.m_bOwn = true;
        if (contact.m_strName.empty())
            contact.m_strName = contact.m_strNumber;
        std::string strError = row.strError;
        if (strError.empty() && contact.m_strNumber.empty())
            strError = "no number";
        if (!strError.empty()) {
            refuse(row.nLine, strError);
            continue;
        }
        if (contact.m_strName.find(';') != WString::npos) {
            std::replace(contact.m_strName.begin(), contact.m_strName.end(), WChar(';'), WChar(','));
            note(row.nLine, "the name '" + WideToUtf8(row.strName) + "' is kept as '" + WideToUtf8(contact.m_strName) +
                                "' (';' separates recipients)");
        }
        for (const WString& strGroup : row.aGroups) {
            if (CheckGroupName(strGroup, strError))
                contact.m_aGroups.push_back(strGroup);
            else
                note(row.nLine, strError + ": left out");
        }
        if (!CheckContact(contact, strError)) {
            refuse(row.nLine, strError);
            continue;
        }
        const WString strKey = NameKey(contact.m_strName);
        const auto earlier = lineOfName.find(strKey);
        if (earlier != lineOfName.end()) {
            refuse(row.nLine, "the same name as line " + std::to_string(earlier->second));
            continue;
        }
        const auto existing = byName.find(strKey);
        if (existing == byName.end() && plan.contacts.size() >= CContactStore::kMaxContacts) {
            refuse(row.nLine, "more than " + std::to_string(CContactStore::kMaxContacts) + " contacts");
            continue;
        }
        if (existing == byName.end()) {
            lineOfName.emplace(strKey, row.nLine);
            byName.emplace(strKey, plan.contacts.size());
            plan.contacts.push_back(std::move(contact));
            ++plan.nNew;
            continue;
        }
        CContact updated = plan.contacts[existing->second];
        const bool bNumber = updated.m_strNumber != contact.m_strNumber;
        const bool bGroups = AddGroups(updated, contact.m_aGroups);
        if (updated.m_aGroups.size() > CContact::kMaxGroups) {
            refuse(row.nLine, TooManyGroupsText());
            continue;
        }
        lineOfName.emplace(strKey, row.nLine);
        updated.m_strNumber = contact.m_strNumber;
        updated.m_bOwn = updated.m_bOwn || bNumber || bGroups;
        plan.contacts[existing->second] = std::move(updated);
        ++(bNumber || bGroups ? plan.nUpdated : plan.nUnchanged);
    }
    return plan;
}

std::string DescribeImport(const CImportPlan& plan)
{
    std::string str = std::to_string(plan.nRows) + (plan.nRows == 1 ? " contact: " : " contacts: ") +
                      std::to_string(plan.nNew) + " new, " + std::to_string(plan.nUpdated) + " updated, ";
    if (plan.nUnchanged)
        str += std::to_string(plan.nUnchanged) + " unchanged, ";
    return str + std::to_string(plan.nRefused) + " refused";
}

std::string FormatContactsFile(const std::vector<CContact>& contacts, const WString& strGroup, bool bVcard,
                               WChar chSeparator)
{
    std::vector<CContact> chosen;
    for (const CContact& contact : contacts) {
        if (strGroup.empty() || contact.IsInGroup(strGroup))
            chosen.push_back(contact);
    }
    std::stable_sort(chosen.begin(), chosen.end(),
                     [](const CContact& a, const CContact& b) { return IsListedBefore(a.m_strName, b.m_strName); });
    return bVcard ? FormatContactsVcard(chosen) : FormatContactsCsv(chosen, chSeparator);
}
