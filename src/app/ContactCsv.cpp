#include "app/ContactCsv.h"

#include <algorithm>
#include <unordered_set>

#include "app/CsvWriter.h"

namespace {

const size_t kProgressSteps = 65536;  // characters between two reports of progress

struct CCsvRecord {
    size_t nLine = 0;
    std::vector<WString> aFields;
    bool bOpenQuote = false;
    bool bNul = false;
};

// The separator the first line uses most outside quotes; ';' wins a tie
// with ',', which names hold more often.
WChar DetectSeparator(const WString& strText)
{
    size_t nComma = 0, nSemicolon = 0, nTab = 0;
    bool bQuoted = false;
    for (WChar ch : strText) {
        if (ch == '"')
            bQuoted = !bQuoted;
        else if (bQuoted)
            continue;
        else if (ch == '\r' || ch == '\n')
            break;
        nComma += ch == ',';
        nSemicolon += ch == ';';
        nTab += ch == '\t';
    }
    if (nTab > nComma && nTab > nSemicolon)
        return '\t';
    return nComma > nSemicolon ? WChar(',') : WChar(';');
}

class CCsvParser {
public:
    CCsvParser(const WString& strText, WChar chSeparator) : m_str(strText), m_chSeparator(chSeparator) {}

    std::vector<CCsvRecord> Parse(const FnReadProgress& fnProgress)
    {
        Begin();
        for (size_t nSteps = 0; m_i < m_str.size(); ++nSteps) {
            if (nSteps % kProgressSteps == 0 && fnProgress && !fnProgress(m_i, m_str.size()))
                return m_records;
            Step();
        }
        if (m_bQuoted)
            m_record.bOpenQuote = true;
        End();
        return std::move(m_records);
    }

private:
    void Step()
    {
        const WChar ch = m_str[m_i++];
        const bool bCrLf = ch == '\r' && m_i < m_str.size() && m_str[m_i] == '\n';
        if (ch == 0)
            m_record.bNul = true;
        if (m_bQuoted) {
            if (ch == '"' && m_i < m_str.size() && m_str[m_i] == '"') {
                Add(ch);
                ++m_i;
            } else if (ch == '"') {
                m_bQuoted = false;
            } else if (ch == '\r' || ch == '\n') {
                m_i += bCrLf ? 1 : 0;
                ++m_nLine;
                Add('\n');
            } else {
                Add(ch);
            }
            return;
        }
        if (ch == '"' && m_bBlank) {
            m_strField.clear();
            m_bQuoted = true;
        } else if (ch == m_chSeparator) {
            EndField();
        } else if (ch == '\r' || ch == '\n') {
            m_i += bCrLf ? 1 : 0;
            ++m_nLine;
            End();
            Begin();
        } else {
            Add(ch);
        }
    }

    void Add(WChar ch)
    {
        m_strField += ch;
        m_bBlank = m_bBlank && (ch == ' ' || ch == '\t');
    }

    void Begin()
    {
        m_record = CCsvRecord();
        m_record.nLine = m_nLine;
        m_strField.clear();
        m_bBlank = true;
    }
    // A field a spreadsheet export defused reads as it was typed.
    void EndField()
    {
        m_record.aFields.push_back(CCsvWriter::Restore(TrimBlanks(m_strField)));
        m_strField.clear();
        m_bBlank = true;
    }
    void End()
    {
        EndField();
        const bool bEmpty = std::all_of(m_record.aFields.begin(), m_record.aFields.end(),
                                        [](const WString& str) { return str.empty(); });
        if (!bEmpty || m_record.bOpenQuote || m_record.bNul)
            m_records.push_back(std::move(m_record));
    }

    const WString& m_str;
    const WChar m_chSeparator;
    size_t m_i = 0;
    size_t m_nLine = 1;
    bool m_bQuoted = false;
    WString m_strField;
    bool m_bBlank = true;  // the field holds only blanks so far: a quote there opens quotes
    CCsvRecord m_record;
    std::vector<CCsvRecord> m_records;
};

enum class EColumn { COLUMN_NONE, COLUMN_NAME, COLUMN_FIRST, COLUMN_MIDDLE, COLUMN_LAST, COLUMN_MOBILE, COLUMN_NUMBER, COLUMN_GROUP };

// A header's name in lower-case ASCII letters and digits only: "Mobile
// Phone" as "mobilephone", "E-mail 1 - Value" as "email1value".
std::string Normalize(const WString& strName)
{
    std::string str;
    for (WChar ch : strName) {
        if (ch >= 'A' && ch <= 'Z')
            str += static_cast<char>(ch - 'A' + 'a');
        else if ((ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9'))
            str += static_cast<char>(ch);
    }
    return str;
}

bool Contains(const std::string& str, const char* pszPart)
{
    return str.find(pszPart) != std::string::npos;
}

EColumn ClassifyHeader(const WString& strName)
{
    const std::string str = Normalize(strName);
    static const char* const kNames[] = {"name", "fullname", "displayname", "contactname", "contact"};
    static const char* const kFirst[] = {"firstname", "givenname", "first", "forename"};
    static const char* const kMiddle[] = {"middlename", "additionalname", "middle"};
    static const char* const kLast[] = {"lastname", "surname", "familyname", "last"};
    static const char* const kGroups[] = {"group", "groups", "category", "categories", "groupmembership", "labels"};
    auto isOneOf = [&](const char* const* apsz, size_t n) {
        return std::any_of(apsz, apsz + n, [&](const char* psz) { return str == psz; });
    };
    if (isOneOf(kGroups, sizeof(kGroups) / sizeof(*kGroups)))
        return EColumn::COLUMN_GROUP;
    if (isOneOf(kNames, sizeof(kNames) / sizeof(*kNames)))
        return EColumn::COLUMN_NAME;
    if (isOneOf(kFirst, sizeof(kFirst) / sizeof(*kFirst)))
        return EColumn::COLUMN_FIRST;
    if (isOneOf(kMiddle, sizeof(kMiddle) / sizeof(*kMiddle)))
        return EColumn::COLUMN_MIDDLE;
    if (isOneOf(kLast, sizeof(kLast) / sizeof(*kLast)))
        return EColumn::COLUMN_LAST;
    if (Contains(str, "type") || Contains(str, "label"))
        return EColumn::COLUMN_NONE;  // "Phone 1 - Type": what kind of number the next column holds
    if (Contains(str, "mobile") || Contains(str, "cell"))
        return EColumn::COLUMN_MOBILE;
    if (Contains(str, "phone") || Contains(str, "number") || Contains(str, "tel"))
        return EColumn::COLUMN_NUMBER;
    return EColumn::COLUMN_NONE;
}

// The kinds of the columns, and whether the first record names them.
bool ReadHeader(const CCsvRecord& first, std::vector<EColumn>& aColumns)
{
    aColumns.clear();
    bool bName = false, bNumber = false;
    for (const WString& strField : first.aFields) {
        const EColumn column = ClassifyHeader(strField);
        bName = bName || column == EColumn::COLUMN_NAME || column == EColumn::COLUMN_FIRST ||
                column == EColumn::COLUMN_LAST;
        bNumber = bNumber || column == EColumn::COLUMN_MOBILE || column == EColumn::COLUMN_NUMBER;
        aColumns.push_back(column);
    }
    if (bName && bNumber)
        return true;
    aColumns = {EColumn::COLUMN_NAME, EColumn::COLUMN_NUMBER, EColumn::COLUMN_GROUP};
    return false;
}

// Groups as an address book writes them: "Team; Family", "Team, Family",
// "* myContacts ::: Team" (its own groups begin with "* " and are left out).
// seen: the keys (NameKey) of the groups in aGroups.
void AddGroups(const WString& strField, std::vector<WString>& aGroups, std::unordered_set<WString>& seen)
{
    WString str;
    bool bColons = false;
    for (size_t i = 0; i < strField.size(); ++i) {
        if (strField.compare(i, 3, WSTR(":::")) == 0) {
            str += ';';
            i += 2;
            bColons = true;
        } else {
            str += strField[i];
        }
    }
    for (const WString& strGroup : SplitGroups(str)) {
        if (aGroups.size() > CContact::kMaxGroups)
            return;  // one more than a contact may have: the row is refused
        if (!(bColons && strGroup.compare(0, 2, WSTR("* ")) == 0) && seen.insert(NameKey(strGroup)).second)
            aGroups.push_back(strGroup);
    }
}

CContactRow MakeRow(const CCsvRecord& record, const std::vector<EColumn>& aColumns)
{
    CContactRow row;
    row.nLine = record.nLine;
    if (record.bNul)
        row.strError = "holds a NUL character";
    else if (record.bOpenQuote)
        row.strError = "a quoted field is not closed";
    WString strName, strParts, strMobile, strNumber;
    std::unordered_set<WString> groupsSeen;
    for (size_t i = 0; i < record.aFields.size() && i < aColumns.size(); ++i) {
        const WString& strField = record.aFields[i];
        switch (aColumns[i]) {
        case EColumn::COLUMN_NAME:
            strName = strName.empty() ? strField : strName;
            break;
        case EColumn::COLUMN_FIRST:
        case EColumn::COLUMN_MIDDLE:
        case EColumn::COLUMN_LAST:
            if (!strField.empty())
                strParts += (strParts.empty() ? WString() : WString(WSTR(" "))) + strField;
            break;
        case EColumn::COLUMN_MOBILE:
            strMobile = strMobile.empty() ? strField : strMobile;
            break;
        case EColumn::COLUMN_NUMBER:
            strNumber = strNumber.empty() ? strField : strNumber;
            break;
        case EColumn::COLUMN_GROUP:
            AddGroups(strField, row.aGroups, groupsSeen);
            break;
        case EColumn::COLUMN_NONE:
            break;
        }
    }
    row.strName = strName.empty() ? strParts : strName;
    row.strNumber = strMobile.empty() ? strNumber : strMobile;
    return row;
}

} // namespace

std::vector<CContactRow> ReadContactsCsv(const WString& strText, const FnReadProgress& fnProgress)
{
    const std::vector<CCsvRecord> records = CCsvParser(strText, DetectSeparator(strText)).Parse(fnProgress);
    std::vector<CContactRow> rows;
    if (records.empty())
        return rows;
    std::vector<EColumn> aColumns;
    const bool bHeader = ReadHeader(records[0], aColumns);
    for (size_t i = bHeader ? 1 : 0; i < records.size(); ++i)
        rows.push_back(MakeRow(records[i], aColumns));
    return rows;
}

std::string FormatContactsCsv(const std::vector<CContact>& contacts, WChar chSeparator)
{
    CCsvWriter csv(chSeparator);
    csv.AddRow({WSTR("Name"), WSTR("Number"), WSTR("Groups")});
    for (const CContact& contact : contacts) {
        WString strGroups;
        for (const WString& strGroup : contact.m_aGroups)
            strGroups += (strGroups.empty() ? WString() : WString(WSTR(";"))) + strGroup;
        csv.AddRow({contact.m_strName, contact.m_strNumber, strGroups});
    }
    return csv.GetText();
}
