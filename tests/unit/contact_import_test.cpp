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
    CContactFile file;
    std::string strError;
    if (!ReadContactFile(strBytes, file, strError))
        return {"refused: " + strError};
    Strings out;
    for (const CContactRow& row : file.rows) {
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

std::string Utf16(const std::string& strUtf8, bool bBigEndian, bool bMark = true)
{
    std::string str = !bMark ? "" : bBigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (WChar ch : Utf8ToWide(strUtf8)) {
        const char hi = static_cast<char>(static_cast<unsigned>(ch) >> 8), lo = static_cast<char>(ch & 0xFF);
        str += bBigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return str;
}

// "g0;g1;...": n groups.
std::string Groups(size_t n, char chSeparator)
{
    std::string str;
    for (size_t i = 0; i < n; ++i)
        str += (i ? std::string(1, chSeparator) : std::string()) + "g" + std::to_string(i);
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
         {"2|Jürgen Groß|+49 170 1234567|Team", "2|Jürgen Groß (home)|030 123|Team", "3|Smith; Jr Bob \"B\"|0301234|Team\nline two", "6|Ann||"}},
        {"an address book's comma CSV with Google's group column",
         "Name,Given Name,Phone 1 - Type,Phone 1 - Value,Group Membership\n"
         "Anna Schmidt,Anna,Mobile,+4917012345,* myContacts ::: Team ::: Choir\n",
         {"2|Anna Schmidt|+4917012345|Team;Choir"}},
        {"an Outlook export: first, middle and last names, the mobile before another phone",
         "First Name,Middle Name,Last Name,Business Phone,Mobile Phone,Categories\r\n"
         "Anna,M.,Schmidt,030 1,+49 170 1,\"Team;Choir\"\r\n",
         {"2|Anna M. Schmidt|+49 170 1|Team;Choir", "2|Anna M. Schmidt (work)|030 1|Team;Choir"}},
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
         "BEGIN:VCARD\nFN;CHARSET=BOCU-1:x\nTEL:2\nEND:VCARD\nBEGIN:VCARD\nFN:Last\nTEL:3\n",
         {"1|Zoe|+1-555-0100|", "6|Nobody||", "9!a vCard without END:VCARD", "12!the charset BOCU-1 is not supported",
          "16!a vCard without END:VCARD"}},
        {"a binary file", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\xFF\xD8", 18),
         {"refused: the file is not text (it holds NUL bytes): is it the right file?"}},
        {"a file of more than 16 MB", std::string(kMaxImportBytes + 1, 'a'),
         {"refused: the file is larger than 16 MB: no contact list is; is it the right file?"}},
        {"nothing in it", "\xEF\xBB\xBF\r\n\r\n", {"refused: the file holds no contact"}},
        {"an export's fields defused against formulas: exactly that quote goes",
         "Name;Number;Groups\r\n'=1+2;'+4917012345;Team\r\n''@x;'0123;\r\n",
         {"2|=1+2|+4917012345|Team", "3|'@x|'0123|"}},
        {"a card whose extra numbers would each carry many groups",
         "BEGIN:VCARD\nFN:A\nTEL:1\nTEL:2\nTEL:3\nCATEGORIES:" + Groups(51, ',') + "\nEND:VCARD\n",
         {"1!3 numbers in 51 groups: more than an import takes"}},
    };
    for (const FileCase& c : cases)
        EXPECT_EQ(Rows(c.strBytes), c.rows) << c.pszShape;
}

// What an import of the file would show: the summary, the refusals, the
// notes, then "name=number #group" per contact.
Strings Plan(const std::string& strBytes)
{
    CContactFile file;
    std::string strError;
    if (!ReadContactFile(strBytes, file, strError))
        return {"refused: " + strError};
    const CImportPlan plan = PlanImport({}, file);
    Strings out = {DescribeImport(plan)};
    out.insert(out.end(), plan.aRefusals.begin(), plan.aRefusals.end());
    out.insert(out.end(), plan.aNotes.begin(), plan.aNotes.end());
    for (const CContact& c : plan.contacts) {
        out.push_back(WideToUtf8(c.m_strName) + "=" + WideToUtf8(c.m_strNumber));
        for (const WString& g : c.m_aGroups)
            out.back() += " #" + WideToUtf8(g);
    }
    return out;
}

TEST(ContactFiles, OtherProgramsExportsAsTheyWriteThem)
{
    const FileCase cases[] = {
        {"a vCard declaring Windows-1252 per value, two numbers",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=windows-1252:John Do\xEB\r\nTEL;CELL:+1 555 0101\r\n"
         "TEL;WORK;VOICE:+1 555 0102\r\nEND:VCARD\r\n",
         {"2 contacts: 2 new, 0 updated, 0 refused", "John Doë=+1 555 0101", "John Doë (work)=+1 555 0102"}},
        {"an 8-bit vCard declaring nothing",
         "BEGIN:VCARD\nVERSION:3.0\nN:M\xFCller;Hans;;;\nTEL;TYPE=CELL:0171 2345678\nEND:VCARD\n",
         {"1 contact: 1 new, 0 updated, 0 refused", "read as Windows-1252", "Hans Müller=0171 2345678"}},
        {"an older Japanese phone's Shift_JIS vCard",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=SHIFT_JIS:\x8E\x52\x93\x63;\x91\xBE\x98\x59\r\n"
         "ADR;HOME;CHARSET=SHIFT_JIS:;;\x93\x8C\x8B\x9E\r\nTEL;CELL:090-1234-5678\r\nEND:VCARD\r\n",
#if defined(_WIN32)
         {"1 contact: 1 new, 0 updated, 0 refused", "太郎 山田=090-1234-5678"}},
#else
         {"1 contact: 0 new, 0 updated, 1 refused", "line 1: the charset SHIFT_JIS is not supported in this build"}},
#endif
        {"a German Outlook CSV in the ANSI code page, fax column and all",
         "Vorname,Nachname,Mobiltelefon,Telefon gesch\xE4""ftlich,Fax gesch\xE4""ftlich,Kategorien\r\n"
         "J\xFCrgen,Gro\xDF,+49 170 1234567,+49 30 1234567,+49 30 1234568,Team\r\n",
         {"2 contacts: 2 new, 0 updated, 0 refused", "read as Windows-1252", "1 fax or pager number not imported",
          "Jürgen Groß=+49 170 1234567 #Team", "Jürgen Groß (work)=+49 30 1234567 #Team"}},
        {"UTF-16 big-endian without a mark", Utf16("Name\tMobile\nZo\xC3\xAB\t0170 1\n", true, false),
         {"1 contact: 1 new, 0 updated, 0 refused", "Zoë=0170 1"}},
        {"Google's CSV: typed columns, two numbers in a cell, its own groups",
         "Name,Given Name,Family Name,Group Membership,Phone 1 - Type,Phone 1 - Value,Phone 2 - Type,Phone 2 - Value\n"
         "Anna Berg,Anna,Berg,* myContacts,Work,+49 30 111 ::: +49 30 222,* Mobile,+49 170 333\n"
         "Ben Ott,Ben,Ott,* starred ::: Choir ::: * myContacts,Home Fax,+49 30 444,Main,+49 30 555\n",
         {"4 contacts: 4 new, 0 updated, 0 refused", "1 fax or pager number not imported", "Anna Berg=+49 170 333",
          "Anna Berg (work)=+49 30 111", "Anna Berg (work 3)=+49 30 222", "Ben Ott=+49 30 555 #Choir"}},
        {"Outlook's CSV: every phone column of a row, the same number once, the pager left out",
         "First Name,Last Name,Business Phone,Business Phone 2,Home Phone,Mobile Phone,Pager,Primary Phone\r\n"
         "Frank,Dawson,+1 408 555 0100,+1 408 555 0101,+1 408 555 0199,+1 408 555 0123,+1 408 555 0111,+14085550123\r\n",
         {"4 contacts: 4 new, 0 updated, 0 refused", "1 fax or pager number not imported",
          "Frank Dawson=+1 408 555 0123", "Frank Dawson (work)=+1 408 555 0100",
          "Frank Dawson (work 3)=+1 408 555 0101", "Frank Dawson (home)=+1 408 555 0199"}},
        {"a card of one number three times, a fax and a pager",
         "BEGIN:VCARD\nVERSION:3.0\nFN:Frank Dawson\nTEL;TYPE=WORK:+1-919-676-9515\nTEL;TYPE=CELL,PREF:+1 919 676 9515\n"
         "TEL;TYPE=WORK,FAX:+19196769515\nTEL;TYPE=HOME,FAX:+1-919-676-9564\nTEL;TYPE=PAGER:+1-919-676-9500\nEND:VCARD\n",
         {"1 contact: 1 new, 0 updated, 0 refused", "2 fax or pager numbers not imported",
          "Frank Dawson=+1 919 676 9515"}},
        {"an escaped comma between categories, a group no contact can be in",
         "BEGIN:VCARD\nVERSION:3.0\nFN:Cleo\nTEL:0170 1\nTEL;TYPE=HOME:030 2\nCATEGORIES:category1\\, category2,2024\nEND:VCARD\n",
         {"2 contacts: 2 new, 0 updated, 0 refused", "line 1: the group '2024' is named like a number: left out",
          "Cleo=0170 1 #category1 #category2", "Cleo (home)=030 2 #category1 #category2"}},
        {"no name and no number; a name holding the recipients' separator",
         "BEGIN:VCARD\nVERSION:3.0\nNOTE:empty\nEND:VCARD\nBEGIN:VCARD\nVERSION:3.0\nFN:Smith; Jr\nTEL:555\nEND:VCARD\n",
         {"2 contacts: 1 new, 0 updated, 1 refused", "line 1: no number",
          "line 5: the name 'Smith; Jr' is kept as 'Smith, Jr' (';' separates recipients)", "Smith, Jr=555"}},
    };
    for (const FileCase& c : cases)
        EXPECT_EQ(Plan(c.strBytes), c.rows) << c.pszShape;
}

TEST(ContactFiles, OutlookHeadersInTheLanguagesWindowsShipsMost)
{
    const char* const headers[] = {
        "Vorname;Weitere Vornamen;Nachname;Telefon privat;Mobiltelefon;Kategorien",
        "Prénom;Deuxième prénom;Nom;Téléphone domicile;Tél. mobile;Catégories",
        "Nombre;Segundo nombre;Apellidos;Teléfono particular;Teléfono móvil;Categorías",
        "Nome;Secondo nome;Cognome;Telefono abitazione;Cellulare;Categorie",
        "Nome;Segundo Nome;Apelido;Telefone residencial;Telemóvel;Categorias",
        "Voornaam;Middelste naam;Achternaam;Telefoon thuis;Mobiele telefoon;Categorieën",
        "Имя;Отчество;Фамилия;Домашний телефон;Мобильный телефон;Категории",
    };
    for (const char* pszHeader : headers) {
        EXPECT_EQ(Plan(std::string(pszHeader) + "\r\nAna;M.;Silva;021 1234;+351 91 2345678;Team\r\n"),
                  Strings({"2 contacts: 2 new, 0 updated, 0 refused", "Ana M. Silva=+351 91 2345678 #Team",
                           "Ana M. Silva (home)=021 1234 #Team"}))
            << pszHeader;
    }
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
    CContactFile rows;
    std::string strError;
    ASSERT_TRUE(ReadContactFile("Name,Number,Groups\nAnna,+4917012345,Team\nBen,0309999,Band\nDora,,\n"
                                "Eve,12a,\nFay,0123,42\nanna,1,\nGil,0777,\nHal,1,\"" + Groups(1001, ';') + "\"\n",
                                rows, strError));
    CImportPlan plan = PlanImport(Book(), rows);
    EXPECT_EQ(DescribeImport(plan), "8 contacts: 2 new, 1 updated, 1 unchanged, 4 refused");
    EXPECT_EQ(plan.aRefusals[0], "line 4: no number");
    EXPECT_EQ(plan.aRefusals[1].substr(0, 27), "line 5: cannot send to '12a");
    EXPECT_EQ(plan.aRefusals[2], "line 7: the same name as line 2");
    EXPECT_EQ(plan.aRefusals[3], "line 9: a contact is in at most 1000 groups");
    EXPECT_EQ(plan.aNotes, Strings({"line 6: the group '42' is named like a number: left out"}));
    ASSERT_EQ(plan.contacts.size(), 6u);
    EXPECT_EQ(Describe({plan.contacts[0], plan.contacts[1], plan.contacts[4], plan.contacts[5]}),
              "Anna=+4917012345 #Team #Choir\nBen=0309999 own #team #Band\nFay=0123 own\nGil=0777 own\n");

    // Both formats, all contacts or a group, into an empty list and into the same one.
    for (bool bVcard : {false, true}) {
        for (const WString& strGroup : {WString(), WString(WSTR("Choir"))}) {
            std::vector<CContact> book = Book();
            book[0].m_strName = WSTR("Anna \"Ann\" Smith, Jr\\");
            const std::string strFile = FormatContactsFile(book, strGroup, bVcard, ',');
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
    EXPECT_EQ(FormatContactsFile(Book(), WSTR("Choir"), false, ','),
              "\xEF\xBB\xBFName,Number,Groups\r\nAnna,'+4917012345,\"Team;Choir\"\r\nCleo,0170 12345,Choir\r\n");
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
    EXPECT_EQ(FormatHistoryCsv({record}, {}, WSTR("+01:00"), ';'),
              "\xEF\xBB\xBFTime;Number;Name;State;Text\r\n"
              "08.12.2026 10:15:02 +01:00;'+4917012345;Anna;Sent;\"Hi, \"\"you\"\"\nthere\"\r\n");
    EXPECT_TRUE(CSearchQuery(WSTR("YOU")).Matches(PrepareHistorySearch(record)));
    EXPECT_FALSE(CSearchQuery(WSTR("Ben")).Matches(PrepareHistorySearch(record)));
    const std::string strZone = WideToUtf8(GetLocalZoneText(0));
    EXPECT_TRUE(strZone.size() == 6 && (strZone[0] == '+' || strZone[0] == '-') && strZone[3] == ':') << strZone;
}

} // namespace
