#include "app/ContactCsv.h"

#include <algorithm>
#include <map>
#include <unordered_set>

#include "app/CsvWriter.h"
#include "app/TextSearch.h"

namespace {

const size_t kProgressSteps = 65536;  // characters between two reports of progress
const size_t kMaxKindText = 100;      // a column's name or type cell longer than this says no kind of number

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

enum class EColumn { COLUMN_NONE, COLUMN_NAME, COLUMN_FIRST, COLUMN_MIDDLE, COLUMN_LAST, COLUMN_PHONE, COLUMN_PHONE_TYPE, COLUMN_GROUP, COLUMN_LABELS };

// Column names as exports write them in the languages Windows ships most
// (English, German, French, Spanish, Italian, Portuguese, Dutch, Russian),
// folded as Words folds them and joined: "Weitere Vornamen" "weiterevornamen".
const struct {
    const char* pszName;  // UTF-8
    EColumn column;
} kColumnNames[] = {
    {"name", EColumn::COLUMN_NAME}, {"fullname", EColumn::COLUMN_NAME}, {"displayname", EColumn::COLUMN_NAME},
    {"contactname", EColumn::COLUMN_NAME}, {"contact", EColumn::COLUMN_NAME}, {"anzeigename", EColumn::COLUMN_NAME},
    {"nomcomplet", EColumn::COLUMN_NAME}, {"nombrecompleto", EColumn::COLUMN_NAME},
    {"nomecompleto", EColumn::COLUMN_NAME}, {"volledigenaam", EColumn::COLUMN_NAME},
    {"firstname", EColumn::COLUMN_FIRST}, {"givenname", EColumn::COLUMN_FIRST}, {"first", EColumn::COLUMN_FIRST},
    {"forename", EColumn::COLUMN_FIRST}, {"vorname", EColumn::COLUMN_FIRST}, {"prenom", EColumn::COLUMN_FIRST},
    {"nombre", EColumn::COLUMN_FIRST}, {"nome", EColumn::COLUMN_FIRST}, {"primeironome", EColumn::COLUMN_FIRST},
    {"voornaam", EColumn::COLUMN_FIRST}, {"\xD0\xB8\xD0\xBC\xD1\x8F", EColumn::COLUMN_FIRST},  // имя
    {"middlename", EColumn::COLUMN_MIDDLE}, {"additionalname", EColumn::COLUMN_MIDDLE}, {"middle", EColumn::COLUMN_MIDDLE},
    {"weiterevornamen", EColumn::COLUMN_MIDDLE}, {"deuxiemeprenom", EColumn::COLUMN_MIDDLE},
    {"segundonombre", EColumn::COLUMN_MIDDLE}, {"secondonome", EColumn::COLUMN_MIDDLE},
    {"segundonome", EColumn::COLUMN_MIDDLE}, {"middelstenaam", EColumn::COLUMN_MIDDLE},
    {"\xD0\xBE\xD1\x82\xD1\x87\xD0\xB5\xD1\x81\xD1\x82\xD0\xB2\xD0\xBE", EColumn::COLUMN_MIDDLE},  // отчество
    {"lastname", EColumn::COLUMN_LAST}, {"surname", EColumn::COLUMN_LAST}, {"familyname", EColumn::COLUMN_LAST},
    {"last", EColumn::COLUMN_LAST}, {"nachname", EColumn::COLUMN_LAST}, {"nom", EColumn::COLUMN_LAST},
    {"apellidos", EColumn::COLUMN_LAST}, {"apellido", EColumn::COLUMN_LAST}, {"cognome", EColumn::COLUMN_LAST},
    {"apelido", EColumn::COLUMN_LAST}, {"sobrenome", EColumn::COLUMN_LAST}, {"achternaam", EColumn::COLUMN_LAST},
    {"\xD1\x84\xD0\xB0\xD0\xBC\xD0\xB8\xD0\xBB\xD0\xB8\xD1\x8F", EColumn::COLUMN_LAST},  // фамилия
    {"group", EColumn::COLUMN_GROUP}, {"groups", EColumn::COLUMN_GROUP}, {"category", EColumn::COLUMN_GROUP},
    {"categories", EColumn::COLUMN_GROUP}, {"groupmembership", EColumn::COLUMN_LABELS}, {"labels", EColumn::COLUMN_LABELS},
    {"kategorien", EColumn::COLUMN_GROUP}, {"categorias", EColumn::COLUMN_GROUP}, {"categorie", EColumn::COLUMN_GROUP},
    {"categorieen", EColumn::COLUMN_GROUP},
    {"\xD0\xBA\xD0\xB0\xD1\x82\xD0\xB5\xD0\xB3\xD0\xBE\xD1\x80\xD0\xB8\xD0\xB8", EColumn::COLUMN_GROUP},  // категории
    {"number", EColumn::COLUMN_PHONE}, {"nummer", EColumn::COLUMN_PHONE}, {"numero", EColumn::COLUMN_PHONE},
    {"\xD0\xBD\xD0\xBE\xD0\xBC\xD0\xB5\xD1\x80", EColumn::COLUMN_PHONE},  // номер
    {"telex", EColumn::COLUMN_NONE},
};

// What kind of number a phone column's name or a type cell says, by a part
// of one of its words, in the same languages; the first kind found counts.
const char kNoText[] = "";
const struct {
    const char* pszLabel;  // kNoText: fax or pager
    std::vector<const char*> aStems;
} kNumberKinds[] = {
    {kNoText, {"fax", "telecopie", "\xD1\x84\xD0\xB0\xD0\xBA\xD1\x81" /* факс */, "pager", "bip", "radiomessagerie",
               "localizador", "buscapersonas", "cercapersone", "pieper", "semafoon",
               "\xD0\xBF\xD0\xB5\xD0\xB9\xD0\xB4\xD0\xB6\xD0\xB5\xD1\x80" /* пейджер */}},
    {"mobile", {"mobil", "mobiel", "cell", "movil", "celular", "telemovel", "portable", "handy",
                "\xD0\xBC\xD0\xBE\xD0\xB1\xD0\xB8\xD0\xBB" /* мобил */, "\xD1\x81\xD0\xBE\xD1\x82\xD0\xBE\xD0\xB2" /* сотов */}},
    {"company", {"company", "firma", "societe", "compania", "azienda", "empresa", "bedrijf",
                 "\xD0\xBE\xD1\x80\xD0\xB3\xD0\xB0\xD0\xBD\xD0\xB8\xD0\xB7" /* организ */}},
    {"work", {"business", "work", "office", "geschaftlich", "dienst", "bureau", "trabajo", "oficina", "ufficio",
              "lavoro", "comercial", "trabalho", "werk", "zakelijk",
              "\xD1\x80\xD0\xB0\xD0\xB1\xD0\xBE\xD1\x87" /* рабоч */, "\xD1\x81\xD0\xBB\xD1\x83\xD0\xB6" /* служ */}},
    {"home", {"home", "privat", "domicile", "particular", "casa", "abitazione", "residencial", "thuis", "prive",
              "\xD0\xB4\xD0\xBE\xD0\xBC\xD0\xB0\xD1\x88" /* домаш */}},
    {"main", {"primary", "main", "haupt", "principal", "hoofd", "\xD0\xBE\xD1\x81\xD0\xBD\xD0\xBE\xD0\xB2" /* основ */}},
    {"car", {"car", "auto", "voiture", "coche", "carro", "\xD0\xB0\xD0\xB2\xD1\x82\xD0\xBE" /* авто */}},
    {"assistant", {"assist", "asist", "\xD0\xB0\xD1\x81\xD1\x81\xD0\xB8\xD1\x81\xD1\x82" /* ассист */}},
    {"radio", {"radio"}},
    {"other", {"other", "weitere", "autre", "otro", "altro", "outro", "ander", "\xD0\xB4\xD1\x80\xD1\x83\xD0\xB3" /* друг */}},
};

// A column's name or a cell as words of letters and digits, case and
// accents folded (FoldForSearch), in UTF-8: "Téléphone (bureau)" as
// "telephone", "bureau".
std::vector<std::string> Words(const WString& strText)
{
    std::vector<std::string> aWords;
    WString strWord;
    for (WChar ch : FoldForSearch(strText) + WSTR(" ")) {
        if ((ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') || ch >= 0x80) {
            strWord += ch;
        } else if (!strWord.empty()) {
            aWords.push_back(WideToUtf8(strWord));
            strWord.clear();
        }
    }
    return aWords;
}

bool Contains(const std::string& str, const char* pszPart)
{
    return str.find(pszPart) != std::string::npos;
}

bool IsPhoneWord(const std::string& strWord)
{
    const bool bEndsInPhone = strWord.size() >= 5 && strWord.compare(strWord.size() - 5, 5, "phone") == 0;
    return bEndsInPhone || (strWord.compare(0, 3, "tel") == 0 && strWord != "telex") || Contains(strWord, "telefo") ||
           Contains(strWord, "\xD1\x82\xD0\xB5\xD0\xBB\xD0\xB5\xD1\x84\xD0\xBE\xD0\xBD" /* телефон */);
}

// The kind a name or cell says: its label, and whether it is a mobile or no
// number to text; false when it says none.
bool ReadNumberKind(const std::vector<std::string>& aWords, CNumber& number)
{
    for (const auto& kind : kNumberKinds) {
        for (const std::string& strWord : aWords) {
            if (std::none_of(kind.aStems.begin(), kind.aStems.end(),
                             [&](const char* psz) { return Contains(strWord, psz); }))
                continue;
            number.bNoText = kind.pszLabel == kNoText;
            number.bMobile = std::string(kind.pszLabel) == "mobile";
            number.strLabel = Utf8ToWide(kind.pszLabel);
            return true;
        }
    }
    return false;
}

struct CColumn {
    EColumn column = EColumn::COLUMN_NONE;
    CNumber kind;                    // a phone column's: what its name says
    size_t nType = WString::npos;    // a phone column's: the column that gives its kind row by row
    std::string strKey;              // a phone or type column's: "phone 1" of "Phone 1 - Value"
};

CColumn ClassifyHeader(const WString& strName)
{
    CColumn column;
    if (strName.size() > kMaxKindText)
        return column;
    std::vector<std::string> aWords = Words(strName);
    std::string strJoined;
    for (const std::string& strWord : aWords)
        strJoined += strWord;
    for (const auto& name : kColumnNames) {
        if (strJoined == name.pszName) {
            column.column = name.column;
            return column;
        }
    }
    // "Mobile" and "Business Fax" name phone columns without a word for phone.
    const bool bKind = ReadNumberKind(aWords, column.kind) && (column.kind.bMobile || column.kind.bNoText);
    if (!bKind && std::none_of(aWords.begin(), aWords.end(), IsPhoneWord))
        return column;
    const bool bType = std::any_of(aWords.begin(), aWords.end(),
                                   [](const std::string& str) { return str == "type" || str == "label"; });
    column.column = bType ? EColumn::COLUMN_PHONE_TYPE : EColumn::COLUMN_PHONE;
    for (const std::string& strWord : aWords) {
        if (strWord != "type" && strWord != "label" && strWord != "value")
            column.strKey += strWord + " ";
    }
    return column;
}

// The kinds of the columns, and whether the first record names them.
bool ReadHeader(const CCsvRecord& first, std::vector<CColumn>& aColumns)
{
    aColumns.clear();
    bool bName = false, bNumber = false;
    for (const WString& strField : first.aFields) {
        const CColumn column = ClassifyHeader(strField);
        bName = bName || column.column == EColumn::COLUMN_NAME || column.column == EColumn::COLUMN_FIRST ||
                column.column == EColumn::COLUMN_LAST;
        bNumber = bNumber || column.column == EColumn::COLUMN_PHONE;
        aColumns.push_back(column);
    }
    if (bName && bNumber) {
        // "Phone 1 - Type" says what "Phone 1 - Value" holds.
        std::map<std::string, size_t> typeColumns;
        for (size_t i = 0; i < aColumns.size(); ++i) {
            if (aColumns[i].column == EColumn::COLUMN_PHONE_TYPE)
                typeColumns.emplace(aColumns[i].strKey, i);
        }
        for (CColumn& column : aColumns) {
            const auto type = typeColumns.find(column.strKey);
            if (column.column == EColumn::COLUMN_PHONE && type != typeColumns.end())
                column.nType = type->second;
        }
        return true;
    }
    aColumns.assign(3, CColumn());
    aColumns[0].column = EColumn::COLUMN_NAME;
    aColumns[1].column = EColumn::COLUMN_PHONE;
    aColumns[2].column = EColumn::COLUMN_GROUP;
    return false;
}

// Groups as an address book writes them: "Team; Family", "Team, Family",
// "* myContacts ::: Team" (bLabels: its own groups, "* starred", "System
// Group: My Contacts" and the like, left out). seen: the keys (NameKey) of the groups in aGroups.
void AddGroups(const WString& strField, bool bLabels, std::vector<WString>& aGroups, std::unordered_set<WString>& seen)
{
    WString str;
    for (size_t i = 0; i < strField.size(); ++i) {
        if (strField.compare(i, 3, WSTR(":::")) == 0) {
            str += ';';
            i += 2;
        } else {
            str += strField[i];
        }
    }
    for (const WString& strGroup : SplitGroups(str)) {
        if (aGroups.size() > CContact::kMaxGroups)
            return;  // one more than a contact may have: the row is refused
        const bool bOwn = strGroup.compare(0, 2, WSTR("* ")) == 0 || strGroup.compare(0, 13, WSTR("System Group:")) == 0;
        if (!(bLabels && bOwn) && seen.insert(NameKey(strGroup)).second)
            aGroups.push_back(strGroup);
    }
}

// The numbers of a phone cell: "+49 170 1 ::: +49 171 2" is two of one kind,
// which a type cell ("* Mobile": the preferred one) may give.
void AddNumbers(const WString& strField, const CColumn& column, const CCsvRecord& record,
                std::vector<CNumber>& numbers)
{
    CNumber number = column.kind;
    const WString strType = column.nType < record.aFields.size() ? record.aFields[column.nType] : WString();
    if (!strType.empty()) {
        number.bPreferred = strType.compare(0, 2, WSTR("* ")) == 0;
        const WString strLabel = TrimBlanks(strType.substr(number.bPreferred ? 2 : 0));
        if (strLabel.size() > kMaxKindText || !ReadNumberKind(Words(strLabel), number))
            number = CNumber{WString(), strLabel, false, number.bPreferred, false};
    }
    size_t nStart = 0;
    for (size_t nEnd; nStart <= strField.size(); nStart = nEnd + 3) {
        nEnd = std::min(strField.find(WSTR(":::"), nStart), strField.size());
        number.strNumber = TrimBlanks(strField.substr(nStart, nEnd - nStart));
        if (!number.strNumber.empty())
            numbers.push_back(number);
    }
}

void AddRecordRows(const CCsvRecord& record, const std::vector<CColumn>& aColumns, CContactFile& file)
{
    CContactRow row;
    row.nLine = record.nLine;
    if (record.bNul)
        row.strError = "holds a NUL character";
    else if (record.bOpenQuote)
        row.strError = "a quoted field is not closed";
    WString strName, strParts;
    std::vector<CNumber> numbers;
    std::unordered_set<WString> groupsSeen;
    for (size_t i = 0; i < record.aFields.size() && i < aColumns.size(); ++i) {
        const WString& strField = record.aFields[i];
        switch (aColumns[i].column) {
        case EColumn::COLUMN_NAME:
            strName = strName.empty() ? strField : strName;
            break;
        case EColumn::COLUMN_FIRST:
        case EColumn::COLUMN_MIDDLE:
        case EColumn::COLUMN_LAST:
            if (!strField.empty())
                strParts += (strParts.empty() ? WString() : WString(WSTR(" "))) + strField;
            break;
        case EColumn::COLUMN_PHONE:
            AddNumbers(strField, aColumns[i], record, numbers);
            break;
        case EColumn::COLUMN_GROUP:
        case EColumn::COLUMN_LABELS:
            AddGroups(strField, aColumns[i].column == EColumn::COLUMN_LABELS, row.aGroups, groupsSeen);
            break;
        default:
            break;
        }
    }
    row.strName = strName.empty() ? strParts : strName;
    AddNumberRows(std::move(row), std::move(numbers), file);
}

} // namespace

CContactFile ReadContactsCsv(const WString& strText, const FnReadProgress& fnProgress)
{
    const std::vector<CCsvRecord> records = CCsvParser(strText, DetectSeparator(strText)).Parse(fnProgress);
    CContactFile file;
    if (records.empty())
        return file;
    std::vector<CColumn> aColumns;
    const bool bHeader = ReadHeader(records[0], aColumns);
    for (size_t i = bHeader ? 1 : 0; i < records.size(); ++i)
        AddRecordRows(records[i], aColumns, file);
    return file;
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
