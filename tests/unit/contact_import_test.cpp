// Own contacts: CSV and vCard files as spreadsheets and address books write
// them, export and import again, the stored values beside "Contacts", the
// phone book's merge, groups as recipients, and the search boxes' matching.
#include <gtest/gtest.h>

#include <cstring>

#include "support/FakeListKey.h"
#include "app/ContactImport.h"
#include "app/ContactStore.h"
#include "app/ContactVcard.h"
#include "app/RecordExport.h"
#include "app/SendInput.h"
#include "app/TextSearch.h"

namespace {

typedef std::vector<std::string> Strings;

// "line|name|number|group;group" or "line!error" per row.
Strings Rows(const std::string& strBytes)
{
    std::vector<CContactRow> rows;
    std::string strError;
    if (!ReadContactFile(strBytes, rows, strError))
        return {"refused: " + strError};
    Strings out;
    for (const CContactRow& row : rows) {
        std::string str = std::to_string(row.nLine);
        if (!row.strError.empty()) {
            out.push_back(str + "!" + row.strError);
            continue;
        }
        std::string strGroups;
        for (const WString& g : row.aGroups)
            strGroups += (strGroups.empty() ? "" : ";") + WideToUtf8(g);
        out.push_back(str + "|" + WideToUtf8(row.strName) + "|" + WideToUtf8(row.strNumber) + "|" + strGroups);
    }
    return out;
}

std::string Utf16(const std::string& strUtf8, bool bBigEndian)
{
    std::string str = bBigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (WChar ch : Utf8ToWide(strUtf8)) {
        const char hi = static_cast<char>(static_cast<unsigned>(ch) >> 8), lo = static_cast<char>(ch & 0xFF);
        str += bBigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return str;
}

struct FileCase {
    const char* pszShape;
    std::string strBytes;
    Strings rows;
};

TEST(ContactFiles, RealWorldShapes)
{
    const FileCase cases[] = {
        {"a spreadsheet's semicolon CSV with a BOM, quoted fields with separators and a line break",
         "\xEF\xBB\xBF" "First Name;Last Name;Mobile Phone;Home Phone;Categories\r\n"
         "J\xC3\xBCrgen;Gro\xC3\x9F;+49 170 1234567;030 123;Team; Family\r\n"
         "\"Smith; Jr\";\"Bob \"\"B\"\"\";;0301234;\"Team\r\nline two\"\r\n"
         ";;;;\r\n"
         "Ann;;;;\r\n",
         {"2|Jürgen Groß|+49 170 1234567|Team", "3|Smith; Jr Bob \"B\"|0301234|Team\nline two", "6|Ann||"}},
        {"an address book's comma CSV with Google's group column",
         "Name,Given Name,Phone 1 - Type,Phone 1 - Value,Group Membership\n"
         "Anna Schmidt,Anna,Mobile,+4917012345,* myContacts ::: Team ::: Choir\n",
         {"2|Anna Schmidt|+4917012345|Team;Choir"}},
        {"an Outlook export: first, middle and last names, the mobile before another phone",
         "First Name,Middle Name,Last Name,Business Phone,Mobile Phone,Categories\r\n"
         "Anna,M.,Schmidt,030 1,+49 170 1,\"Team;Choir\"\r\n",
         {"2|Anna M. Schmidt|+49 170 1|Team;Choir"}},
        {"a header and no row", "Name,Phone\r\n", {"refused: the file holds no contact"}},
        {"no header: name, number, groups", "Anna,0123,Team\nBob,0456\n", {"1|Anna|0123|Team", "2|Bob|0456|"}},
        {"UTF-16 with a BOM, little-endian", Utf16("Name\tNumber\nZo\xC3\xAB\t555\n", false), {"2|Zoë|555|"}},
        {"UTF-16 big-endian", Utf16("Name,Phone\nA,1\n", true), {"2|A|1|"}},
        {"a NUL in a row and a quote never closed",
         std::string("Name,Phone\nA\0,1\nB,2\n\"C,3\n", 25), {"2!holds a NUL character", "3|B|2|", "4!a quoted field is not closed"}},
        {"an address book's vCard 3.0: folded lines, escapes, CATEGORIES, several TEL lines",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Schmidt;Anna;;;\r\nFN:Anna Schmidt\\, MD\r\n"
         "TEL;TYPE=HOME:030 1\r\nitem1.TEL;TYPE=CELL:+49 170\r\n  12345\r\nTEL;TYPE=HOME:030 2\r\n"
         "CATEGORIES:Team,Choir\r\nEND:VCARD\r\n",
         {"1|Anna Schmidt, MD|+49 170 12345|Team;Choir", "1|Anna Schmidt, MD (home)|030 1|Team;Choir",
          "1|Anna Schmidt, MD (home 3)|030 2|Team;Choir"}},
        {"vCard 2.1: QUOTED-PRINTABLE in UTF-8 and in ISO-8859-1 with a soft line break, bare types",
         "BEGIN:VCARD\nVERSION:2.1\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Gro=C3=9F;J=C3=BCrgen\n"
         "TEL;CELL;PREF:0170 1\nEND:VCARD\nBEGIN:VCARD\nVERSION:2.1\n"
         "FN;CHARSET=ISO-8859-1;QUOTED-PRINTABLE:Ren=E9e M=\n=FCller\nTEL:555\nEND:VCARD\n",
         {"1|Jürgen Groß|0170 1|", "6|Renée Müller|555|"}},
        {"vCard 4.0 with tel: URIs; a card without a number, one without END and an unknown charset",
         "BEGIN:VCARD\nVERSION:4.0\nFN:Zoe\nTEL;VALUE=uri;TYPE=\"cell,voice\":tel:+1-555-0100;ext=2\nEND:VCARD\n"
         "BEGIN:VCARD\nFN:Nobody\nEND:VCARD\nBEGIN:VCARD\nFN:Open\nTEL:1\n"
         "BEGIN:VCARD\nFN;CHARSET=KOI8-R:x\nTEL:2\nEND:VCARD\nBEGIN:VCARD\nFN:Last\nTEL:3\n",
         {"1|Zoe|+1-555-0100|", "6|Nobody||", "9!a vCard without END:VCARD", "12!the charset KOI8-R is not supported",
          "16!a vCard without END:VCARD"}},
        {"another encoding", "Name,Phone\nJ\xFCrgen,1\n",
         {"refused: the file is not UTF-8 or UTF-16 text: save it as UTF-8 (or as a vCard) and import that"}},
        {"a binary file", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\xFF\xD8", 18),
         {"refused: the file is not UTF-8 or UTF-16 text: save it as UTF-8 (or as a vCard) and import that"}},
        {"a file of more than 16 MB", std::string(kMaxImportBytes + 1, 'a'),
         {"refused: the file is larger than 16 MB: no contact list is; is it the right file?"}},
        {"nothing in it", "\xEF\xBB\xBF\r\n\r\n", {"refused: the file holds no contact"}},
    };
    for (const FileCase& c : cases)
        EXPECT_EQ(Rows(c.strBytes), c.rows) << c.pszShape;
}

TEST(ContactFiles, WhatTheWindowAndTheImportCheckInAContact)
{
    const struct {
        const char* pszName;
        const char* pszNumber;
        std::vector<const char*> groups;
        const char* pszError;  // its beginning; empty: accepted
    } cases[] = {
        {"Anna", "+49 (170) 123-45.6", {"Team", "Choir 2"}, ""},
        {"", "1", {}, "a contact needs a name"},
        {"A;B", "1", {}, "the name 'A;B' holds ';'"},
        {"A\nB", "1", {}, "the name holds a line break"},
        {"A", "", {}, "no number"},
        {"A", "*100#", {}, "cannot send to '*100#'"},
        {"A", "1", {"+49"}, "the group '+49' is named like a number"},
        {"A", "1", {" Team"}, "the group ' Team' begins or ends with a blank"},
        {"A", "1", {"a,b"}, "the group 'a,b' holds ';' or ','"},
        {"A", "1", {"x:::y"}, "the group 'x:::y' holds ':::'"},
        {"A", "1", {""}, "a group needs a name"},
    };
    for (const auto& c : cases) {
        CContact contact(Utf8ToWide(c.pszName), Utf8ToWide(c.pszNumber));
        for (const char* psz : c.groups)
            contact.m_aGroups.push_back(Utf8ToWide(psz));
        std::string strError;
        EXPECT_EQ(CheckContact(contact, strError), !*c.pszError) << c.pszName << c.pszError;
        EXPECT_EQ(strError.substr(0, std::strlen(c.pszError)), c.pszError);
    }
    // Groups as typed: cut at ';' and ',', trimmed, each once (A-Z folded).
    EXPECT_EQ(SplitGroups(WSTR(" Team ;team, Band;;")), std::vector<WString>({WSTR("Team"), WSTR("Band")}));
}

TEST(ContactFiles, VcardLinesFoldedAtSeventyFiveBytesAndPhotosPassedOver)
{
    CContact contact(WString(), WSTR("1"));
    contact.m_strName = Utf8ToWide(std::string(40, 'a') + "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9");
    const std::string strCard = FormatContactsVcard({contact});
    size_t nStart = 0;
    for (size_t nEnd; (nEnd = strCard.find("\r\n", nStart)) != std::string::npos; nStart = nEnd + 2) {
        EXPECT_LE(nEnd - nStart, 75u);
        EXPECT_TRUE(IsValidUtf8(strCard.substr(nStart, nEnd - nStart)));  // never inside a character
    }
    EXPECT_EQ(Rows(strCard), Strings({"1|" + WideToUtf8(contact.m_strName) + "|1|"}));
    EXPECT_EQ(Rows("BEGIN:VCARD\nVERSION:2.1\nFN:P\nPHOTO;ENCODING=BASE64;TYPE=JPEG:/9j/4AAQ\n  SkZJRg==\n\nTEL:5\nEND:VCARD\n"),
              Strings({"1|P|5|"}));
    EXPECT_EQ(Rows("\xFF\xFEN\x00"), Strings({"refused: the file begins as UTF-16 text but ends in half a character"}));
}

std::vector<CContact> Book()
{
    std::vector<CContact> book = {{WSTR("Anna"), WSTR("+4917012345")}, {WSTR("Ben"), WSTR("0301234")},
                                  {WSTR("Cleo"), WSTR("0170 12345")}, {WSTR("Team"), WSTR("555")}};
    book[0].m_aGroups = {WSTR("Team"), WSTR("Choir")};
    book[1].m_aGroups = {WSTR("team")};
    book[2].m_aGroups = {WSTR("Choir")};
    book[2].m_bOwn = true;
    return book;
}

std::string Describe(const std::vector<CContact>& contacts)
{
    std::string str;
    for (const CContact& c : contacts) {
        str += WideToUtf8(c.m_strName) + "=" + WideToUtf8(c.m_strNumber) + (c.m_bOwn ? " own" : "");
        for (const WString& g : c.m_aGroups)
            str += " #" + WideToUtf8(g);
        str += "\n";
    }
    return str;
}

TEST(ContactFiles, AnImportShowsWhatItWillDoAndAnExportComesBackTheSame)
{
    std::vector<CContactRow> rows;
    std::string strError;
    ASSERT_TRUE(ReadContactFile("Name,Number,Groups\nAnna,+4917012345,Team\nBen,0309999,Band\nDora,,\n"
                                "Eve,12a,\nFay,0123,42\nanna,1,\nGil,0777,\n",
                                rows, strError));
    CImportPlan plan = PlanImport(Book(), rows);
    EXPECT_EQ(DescribeImport(plan), "7 contacts: 1 new, 1 updated, 1 unchanged, 4 refused");
    EXPECT_EQ(plan.aRefusals[0], "line 4: no number");
    EXPECT_EQ(plan.aRefusals[1].substr(0, 27), "line 5: cannot send to '12a");
    EXPECT_EQ(plan.aRefusals[2], "line 6: the group '42' is named like a number");
    EXPECT_EQ(plan.aRefusals[3], "line 7: the same name as line 2");
    ASSERT_EQ(plan.contacts.size(), 5u);
    EXPECT_EQ(Describe({plan.contacts[0], plan.contacts[1], plan.contacts[4]}),
              "Anna=+4917012345 #Team #Choir\nBen=0309999 own #team #Band\nGil=0777 own\n");

    // Both formats, all contacts or a group, into an empty list and into the same one.
    for (bool bVcard : {false, true}) {
        for (const WString& strGroup : {WString(), WString(WSTR("Choir"))}) {
            std::vector<CContact> book = Book();
            book[0].m_strName = WSTR("Anna \"Ann\" Smith, Jr\\");
            const std::string strFile = FormatContactsFile(book, strGroup, bVcard);
            ASSERT_TRUE(ReadContactFile(strFile, rows, strError)) << strError;
            const CImportPlan fresh = PlanImport({}, rows);
            std::vector<CContact> expected;
            for (CContact c : book) {
                c.m_bOwn = true;
                if (strGroup.empty() || c.IsInGroup(strGroup))
                    expected.push_back(c);
            }
            EXPECT_EQ(Describe(fresh.contacts), Describe(expected)) << bVcard;
            EXPECT_EQ(PlanImport(book, rows).nUnchanged, expected.size());
        }
    }
    // The list is full: a new name is refused, a known one still updated.
    std::vector<CContact> full;
    for (size_t i = 0; i < CContactStore::kMaxContacts; ++i)
        full.emplace_back(Utf8ToWide("C" + std::to_string(i)), WSTR("1"));
    ASSERT_TRUE(ReadContactFile("Name,Number\nNew,2\nC7,3\n", rows, strError));
    plan = PlanImport(full, rows);
    EXPECT_EQ(plan.aRefusals, Strings({"line 2: more than 10000 contacts"}));
    EXPECT_EQ(plan.nUpdated, 1u);
    EXPECT_EQ(plan.contacts[7].m_strNumber, WSTR("3"));
    EXPECT_EQ(FormatContactsFile(Book(), WSTR("Choir"), false),
              "\xEF\xBB\xBFName,Number,Groups\r\nAnna,+4917012345,\"Team;Choir\"\r\nCleo,0170 12345,Choir\r\n");
}

TEST(Contacts, GroupsAndOriginsBesideTheValueEarlierVersionsRead)
{
    CFakeListKey key;
    CContactStore store(key);
    ASSERT_EQ(store.Save(Book()), kErrorSuccess);
    EXPECT_EQ(Describe(store.Load()), Describe(Book()));
    CListStore list(key);
    EXPECT_EQ(list.Read(WSTR("Contacts")).size(), 8u);  // name, number, ... as before
    EXPECT_EQ(list.Read(WSTR("OwnContacts")), std::vector<WString>({WSTR(" Cleo"), WSTR(" 0170 12345")}));
    // An earlier version storing a phone book of its own: the groups of a contact gone apply to none.
    ASSERT_EQ(list.Replace(WSTR("Contacts"), {WSTR("Ben"), WSTR("0301234"), WSTR("Zed"), WSTR("9")}), kErrorSuccess);
    EXPECT_EQ(Describe(store.Load()), "Ben=0301234 #team\nZed=9\n");
    // Never edited: nothing beside "Contacts".
    ASSERT_EQ(store.Save({{WSTR("A"), WSTR("1")}}), kErrorSuccess);
    EXPECT_TRUE(list.Read(WSTR("ContactGroups")).empty());
    EXPECT_TRUE(list.Read(WSTR("OwnContacts")).empty());
}

TEST(Contacts, ThePhoneBookReplacesWhatCameFromThePhone)
{
    const std::vector<CContact> phonebook = {{WSTR("Zed"), WSTR("9")}, {WSTR("cleo"), WSTR("1")},
                                             {WSTR("Old Cleo"), WSTR("+49 170 12345")}, {WSTR("Anna"), WSTR("2")}};
    // Own contacts first; a phone entry of an own contact's name or number left out.
    EXPECT_EQ(Describe(MergePhonebook(Book(), phonebook)), "Cleo=0170 12345 own #Choir\nZed=9\nAnna=2\n");
    // Without own contacts, the phone book as it is.
    EXPECT_EQ(Describe(MergePhonebook({Book()[0]}, phonebook)), Describe(phonebook));
}

TEST(SendInput, GroupsResolveToTheirMembersEachNumberOnce)
{
    struct {
        const char* pszField;
        Strings recipients;
        size_t nMerged;
        const char* pszNote;
    } cases[] = {
        {"Choir", {"Anna|+4917012345"}, 1, "1 recipient with the same number as another merged"},
        {"choir; 0301234; TEAM", {"Anna|+4917012345", "|0301234", "Team|555"}, 1,
         "1 recipient with the same number as another merged; 'TEAM' is a contact and a group: the contact is sent to"},
        {"0301234;Ben;Unknown", {}, 0, ""},
    };
    for (const auto& c : cases) {
        std::vector<CContact> recipients;
        std::string strError;
        CResolveNotes notes;
        const bool bOk = ResolveRecipients(Utf8ToWide(c.pszField), Book(), recipients, strError, &notes);
        Strings got;
        for (const CContact& r : recipients)
            got.push_back(WideToUtf8(r.m_strName) + "|" + WideToUtf8(r.m_strNumber));
        EXPECT_EQ(bOk, !c.recipients.empty()) << c.pszField << strError;
        if (bOk) {
            EXPECT_EQ(got, c.recipients) << c.pszField;
        }
        EXPECT_EQ(notes.nMerged, c.nMerged) << c.pszField;
        EXPECT_EQ(WideToUtf8(DescribeResolveNotes(notes)), c.pszNote) << c.pszField;
    }
    std::vector<CContact> recipients;
    std::string strError;
    EXPECT_TRUE(ResolveGroup(WSTR("Team"), Book(), recipients, strError));
    EXPECT_EQ(recipients.size(), 2u);  // Anna, Ben: "team" is the same group
    EXPECT_FALSE(ResolveGroup(WSTR("Nobody"), Book(), recipients, strError));
}

TEST(Search, CaseAndLatinAccentsIgnored)
{
    const struct {
        const char* pszQuery;
        const char* pszField;
        bool bMatch;
    } cases[] = {
        {"jurgen", "Jürgen Groß", true}, {" ZOE ", "Zoë", true},    {"lukasz", "Łukasz", true},
        {"борис", "Борис", true},        {"0170 123", "+49 (0170) 1234", true},
        {"e\xCC\x81mile", "Émile", true}, {"emile", "E\xCC\x81mile", true}, {"xyz", "Anna", false}, {"", "", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesSearch(Utf8ToWide(c.pszQuery), {WSTR("-"), Utf8ToWide(c.pszField)}), c.bMatch) << c.pszQuery;
}

TEST(RecordExport, HistoryAndInboxAsCsv)
{
    CHistoryRecord record;
    record.m_strName = WSTR("Anna");
    record.m_strNumber = WSTR("+4917012345");
    record.m_strTime = WSTR("08.12.2026 10:15:02");
    record.m_strText = WSTR("Hi, \"you\"\nthere");
    EXPECT_EQ(FormatHistoryCsv({record}, {}, WSTR("+01:00")),
              "\xEF\xBB\xBFTime,Number,Name,State,Text\r\n"
              "08.12.2026 10:15:02 +01:00,+4917012345,Anna,Sent,\"Hi, \"\"you\"\"\nthere\"\r\n");
    EXPECT_TRUE(CSearchQuery(WSTR("YOU")).Matches(PrepareHistorySearch(record)));
    EXPECT_FALSE(CSearchQuery(WSTR("Ben")).Matches(PrepareHistorySearch(record)));
    const std::string strZone = WideToUtf8(GetLocalZoneText(0));
    EXPECT_TRUE(strZone.size() == 6 && (strZone[0] == '+' || strZone[0] == '-') && strZone[3] == ':') << strZone;
}

} // namespace
