// The recipients field and the phone-book list: splitting, names against
// numbers, the look-up of names, and the stored list value.
#include <gtest/gtest.h>

#include "app/SendInput.h"
#include "app/Contact.h"
#include "app/Recipients.h"
#include "app/SendList.h"
#include "app/SendRun.h"

namespace {

typedef std::vector<std::string> Strings;

Strings Split(const char* pszText)
{
    Strings tokens;
    for (const WString& str : SplitRecipients(Utf8ToWide(pszText)))
        tokens.push_back(WideToUtf8(str));
    return tokens;
}

TEST(Recipients, SplitAsTheWindowDoes)
{
    EXPECT_EQ(Split("123; 456;;789"), Strings({"123", "456", "789"}));
    EXPECT_EQ(Split("anna;555"), Strings({"anna", "555"}));
    // Any run of blanks after a semicolon goes; blanks before one and at the
    // very start stay.
    EXPECT_EQ(Split(";   +44 20 7946;  Bob ;"), Strings({"+44 20 7946", "Bob "}));
    EXPECT_EQ(Split(" 123; ;456"), Strings({" 123", "456"}));
    EXPECT_EQ(Split(";;"), Strings());
    EXPECT_EQ(Split(""), Strings());
    EXPECT_EQ(Split("; "), Strings());
    // A tab is no blank of the field's rule.
    EXPECT_EQ(Split("1;\t2"), Strings({"1", "\t2"}));
}

TEST(Recipients, NumbersBeginWithADigitOrPlus)
{
    for (const char* psz : {"0", "9abc", "+", "+44"})
        EXPECT_TRUE(IsNumberToken(Utf8ToWide(psz))) << psz;
    for (const char* psz : {"", " 123", "Anna", "-1", "(030) 1234", "\xD9\xA1"})  // an Arabic-Indic one
        EXPECT_FALSE(IsNumberToken(Utf8ToWide(psz))) << psz;
}

std::vector<CContact> Book()
{
    return {{WSTR("Anna"), WSTR("5551234")},
            {WSTR("\u00C9mile"), WSTR("+33 1 23")},
            {WSTR("anna"), WSTR("999")},  // the first match wins
            {WSTR("Bob"), WSTR("*100#")}};
}

TEST(Contacts, NamesMatchFoldingOnlyAToZ)
{
    const std::vector<CContact> book = Book();
    ASSERT_NE(FindContact(book, WSTR("ANNA")), nullptr);
    EXPECT_EQ(FindContact(book, WSTR("ANNA"))->m_strNumber, WSTR("5551234"));
    EXPECT_EQ(FindContact(book, WSTR("aNnA")), &book[0]);
    EXPECT_EQ(FindContact(book, WSTR("\u00C9MILE")), &book[1]);
    EXPECT_EQ(FindContact(book, WSTR("\u00E9mile")), nullptr);  // É and é differ
    EXPECT_EQ(FindContact(book, WSTR("Ann")), nullptr);
    EXPECT_EQ(FindContact(book, WSTR("Anna ")), nullptr);
    EXPECT_EQ(FindContact({}, WSTR("Anna")), nullptr);
    EXPECT_EQ(book[1].GetDisplayName(), WSTR("\u00C9mile (+33 1 23)"));
}

TEST(Contacts, StoredAsNameNumberPairs)
{
    const std::vector<WString> aList = {WSTR("Anna"), WSTR("1"), WSTR("Bob"), WSTR("2"), WSTR("Orphan")};
    const std::vector<CContact> contacts = ContactsFromList(aList);
    ASSERT_EQ(contacts.size(), 2u);
    EXPECT_EQ(contacts[1].m_strName, WSTR("Bob"));
    EXPECT_EQ(contacts[1].m_strNumber, WSTR("2"));
    EXPECT_EQ(ContactsToList(contacts), std::vector<WString>(aList.begin(), aList.end() - 1));
    // A nameless contact keeps its pair under its number; one without a
    // number has nothing to store.
    EXPECT_EQ(ContactsToList({{WString(), WSTR("3")}, {WSTR("X"), WString()}, {WSTR("C"), WSTR("4")}}),
              std::vector<WString>({WSTR("3"), WSTR("3"), WSTR("C"), WSTR("4")}));
}

struct Resolved {
    bool bOk;
    Strings recipients;  // "name|number"
    std::string strError;
};

Resolved Resolve(const char* pszField)
{
    Resolved r;
    std::vector<CContact> recipients;
    r.bOk = ResolveRecipients(Utf8ToWide(pszField), Book(), recipients, r.strError);
    for (const CContact& c : recipients)
        r.recipients.push_back(WideToUtf8(c.m_strName) + "|" + WideToUtf8(c.m_strNumber));
    return r;
}

TEST(SendInput, RecipientsResolvedBeforeAnythingIsSent)
{
    Resolved r = Resolve("0123456789; ANNA;+44 20 7946 0000");
    EXPECT_TRUE(r.bOk) << r.strError;
    EXPECT_EQ(r.recipients, Strings({"|0123456789", "Anna|5551234", "|+44 20 7946 0000"}));

    r = Resolve("123;bob2");
    EXPECT_FALSE(r.bOk);
    EXPECT_EQ(r.strError, "The name 'bob2' doesn't exist in your phone book.");
    r = Resolve("123; 456 ;  x");  // the blank before a semicolon stays in the token
    EXPECT_EQ(r.strError, "The name 'x' doesn't exist in your phone book.");
    r = Resolve(" 123");
    EXPECT_EQ(r.strError, "The name ' 123' doesn't exist in your phone book.");
    for (const char* psz : {"", ";", " ; ;"}) {
        r = Resolve(psz);
        EXPECT_FALSE(r.bOk);
        EXPECT_EQ(r.strError, psz[0] == ' ' ? "The name ' ' doesn't exist in your phone book."
                                            : "Please enter the recipients' numbers")
            << psz;
    }
    // Numbers the PDU cannot carry, typed or stored.
    for (const char* psz : {"12a45", "+", "123456789012345678901", "555;Bob"}) {
        r = Resolve(psz);
        EXPECT_FALSE(r.bOk) << psz;
        EXPECT_NE(r.strError.find("cannot send to"), std::string::npos) << psz;
    }
    EXPECT_NE(Resolve("Bob").strError.find("'*100#'"), std::string::npos);
}

TEST(SendInput, NamesNeedThePhoneBook)
{
    EXPECT_FALSE(NamesContacts(WSTR("123; +44;;")));
    EXPECT_TRUE(NamesContacts(WSTR("123;anna")));
    EXPECT_TRUE(NamesContacts(WSTR(" 123")));
}

TEST(SendInput, TextsOfAtMost255Parts)
{
    std::string strError;
    EXPECT_TRUE(CheckText(WString(255 * 153, 'x'), strError));
    EXPECT_FALSE(CheckText(WString(255 * 153 + 1, 'x'), strError));
    EXPECT_EQ(strError, "the text needs 256 SMS; at most 255 can be sent as one message");
    // Extension characters take two septets each.
    EXPECT_FALSE(CheckText(WString(255 * 153 / 2 + 200, WSTR("\u20AC")[0]), strError));
    EXPECT_TRUE(CheckText(WString(), strError));
}

TEST(SendInput, ATextHoldingNulIsRefusedWithItsPosition)
{
    // Counted in characters from 1: an emoji (a surrogate pair) is one.
    const struct { WString text; size_t nPosition; } rows[] = {
        {WString(1, 0), 1}, {WString({'a', 0, 'b', 0}), 2}, {WString(22, 'x') + WString(1, 0), 23},
        {WString({0xD83D, 0xDE00, 'x', 0}), 3}, {WString(255 * 153 + 1, 'x') + WString(1, 0), 255 * 153 + 2},
    };
    for (const auto& row : rows) {
        std::string strError;
        EXPECT_FALSE(CheckText(row.text, strError)) << row.nPosition;
        EXPECT_EQ(strError, "the text holds a NUL character at position " + std::to_string(row.nPosition));
    }
}

// A two-part message cut short after its first part goes on with part 2
// under the same reference, so that the phone puts the parts together and
// part 1 does not arrive twice; only for the same text to the same recipient
// as typed, else it goes whole.
TEST(SendList, AMessageCutShortGoesOnWithItsNextPart)
{
    const WString strText(200, 'x');  // two parts
    CSendRecipient before;
    before.strTyped = WSTR("Anna");
    before.contact = CContact(WSTR("Anna"), WSTR("111"));
    before.nRef = 7;
    before.partRefs = {17};
    const CSendRecord left{strText, {before}};
    const uint8_t btFirstPart = CMsg(strText, WString(), WSTR("111")).m_btCurSms;
    const struct {
        const char* pszCase;
        WString strText, strTyped;
        bool bGoesOn;
    } cases[] = {
        {"the same text to the same recipient", strText, WSTR("Anna"), true},
        {"another text", strText + WSTR("y"), WSTR("Anna"), false},
        {"the same number typed as a number", strText, WSTR("111"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        std::vector<CSendRecipient> list(1);
        list[0].strTyped = c.strTyped;
        list[0].contact = CContact(c.strTyped == WSTR("Anna") ? WSTR("Anna") : WString(), WSTR("111"));
        GoOnFrom(left, c.strText, list);
        CSendRun run;
        std::string strError;
        ASSERT_TRUE(run.Start(list, c.strText, false, nullptr, strError));
        const std::unique_ptr<CMsg> pMsg = run.MakeMessage(0);
        EXPECT_EQ(pMsg->m_btCurSms, c.bGoesOn ? btFirstPart + 1 : btFirstPart);
        if (c.bGoesOn) {
            EXPECT_EQ(pMsg->m_dwRef, 7u);
        }
    }
}

} // namespace
