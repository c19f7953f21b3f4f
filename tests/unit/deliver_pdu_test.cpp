// Received messages as the phone lists them, decoded and joined. The PDUs of
// the tables come from an independent encoder (python3-gammu; run
// tests/support/make_deliver_pdus.py to see them made).
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "sms/DeliverPdu.h"
#include "sms/GsmAlphabet.h"
#include "sms/Inbox.h"
#include "support/TestText.h"

namespace {

std::string U8(const WString& str)
{
    return WideToUtf8(str);
}

struct CSingle {
    const char* pszName;
    const char* pszHex;
    const char* pszSender;
    const char* pszText;
    EAlphabet alphabet;
    int nClass;
};

const CSingle kSingles[] = {
    {"gsm7_extension",
     "0791947101670000000A9194711032540000425071413090002950797A5CD6816A9B3268C30B6F7CA00D4ABC498136BD0D7043D9BC40"
     "8080600022144015",
     "+4917012345", "Price: 5\xE2\x82\xAC [a] {b} ~|^\\ @\xC2\xA3$\xC2\xA5 \xC3\xA8\xC3\xA9 \xCE\xA9", EAlphabet::ALPHABET_GSM7, -1},
    {"ucs2_emoji",
     "0791947101670000000A91947110325400084250714130900022041F044004380432043504420020D83DDE000020043C04380440002"
     "0D83CDF890021",
     "+4917012345",
     "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xF0\x9F\x98\x80 \xD0\xBC\xD0\xB8\xD1\x80 \xF0\x9F\x8E\x89!",
     EAlphabet::ALPHABET_UCS2, -1},
    {"national_sender", "0791947101670000000A81103254769800004250714130900002C834", "0123456789", "Hi",
     EAlphabet::ALPHABET_GSM7, -1},
    {"alphanumeric_sender", "0791947101670000000AD0DAB09B5C0700004250714130900009C337B90C8AC96634", "Zandu",
     "Code 1234", EAlphabet::ALPHABET_GSM7, -1},
    {"eight_bit", "0791947101670000000A91947110325400F542507141309000040001FFFE", "+4917012345", "0001FFFE",
     EAlphabet::ALPHABET_8BIT, 1},
};

TEST(DeliverPdu, SingleMessagesOfAnIndependentEncoder)
{
    for (const CSingle& c : kSingles) {
        const CDeliverSms sms = DecodeDeliverPdu(c.pszHex);
        EXPECT_TRUE(sms.bDecoded) << c.pszName << ": " << sms.strNote;
        EXPECT_EQ(U8(sms.strSender), c.pszSender) << c.pszName;
        EXPECT_EQ(U8(sms.strText), c.pszText) << c.pszName;
        EXPECT_EQ(sms.coding.alphabet, c.alphabet) << c.pszName;
        EXPECT_EQ(sms.coding.nClass, c.nClass) << c.pszName;
        EXPECT_EQ(U8(sms.strSmsc), "+491710760000") << c.pszName;
        EXPECT_EQ(sms.time.Format(), "2024-05-17T14:03:09+00:00") << c.pszName;
        EXPECT_FALSE(sms.concat.bPresent) << c.pszName;
        EXPECT_EQ(sms.strHex, c.pszHex);
        // Lower-case hex is the same PDU.
        std::string strLower = c.pszHex;
        std::transform(strLower.begin(), strLower.end(), strLower.begin(), ::tolower);
        EXPECT_EQ(U8(DecodeDeliverPdu(strLower).strText), c.pszText) << c.pszName;
    }
}

// Long messages, in parts, as the encoder split them.
struct CConcatenated {
    const char* pszName;
    std::vector<std::string> parts;
    std::string strText;
    bool b16Bit;
};

using test::Repeat;

std::string Numbered(const char* pszFormat, int n)
{
    std::string str;
    for (int i = 0; i < n; ++i) {
        char sz[40];
        std::snprintf(sz, sizeof(sz), pszFormat, i);
        str += sz;
    }
    return str;
}

std::vector<CConcatenated> Concatenated()
{
    return {
        {"concat8",
         {"0791947101670000400A919471103254000042507141309000A0050003DA0401A061391D442FE3E920180C06DAA0F09B14081A96D3"
          "41F4329E0E82C162A00D0ABF4981A061391D442FE3E920184C06DAA0F09B14081A96D341F4329E0E82C166A00D0ABF4981A061391D"
          "442FE3E920188C06DAA0F09B14081A96D341F4329E0E82C16AA00D0ABF4981A061391D442FE3E92018CC06DAA0F09B14081A96D341"
          "F4329E0E82C16E",
          "0791947101670000400A919471103254000042507141309000A0050003DA0402401B147E930241C3723A885EC6D34130180EB441E1"
          "372910342CA783E8653C1D0483E5401B147E930241C3723A885EC6D341B0180CB441E1372910342CA783E8653C1D048BC5401B147E"
          "930241C3723A885EC6D341B0980CB441E1372910342CA783E8653C1D048BCD401B147E930241C3723A885EC6D341B0180DB441E137"
          "2910342CA783E8",
          "0791947101670000400A919471103254000042507141309000A0050003DA0403CA783A0816AB813628FC26058286E57410BD8CA783"
          "60311B6883C26F522068584E07D1CB783A0816BB813628FC26058286E57410BD8CA78360311C6883C26F522068584E07D1CB783A08"
          "16CB813628FC26058286E57410BD8CA7836032186883C26F522068584E07D1CB783A08268B813628FC26058286E57410BD8CA78360"
          "32196883C26F52",
          "0791947101670000400A9194711032540000425071413090001C050003DA040440D0B09C0EA297F174104C36036D50F84D0A04"},
         Numbered("Part text %03d {x} ", 24), false},
        {"concat16",
         {"0791947101670000400A919471103254000042507141309000A006080416DA0201F3349E5E2EBB4130180C344FE3E9E5B21B0483C5"
          "40F3349E5E2EBB4130980C344FE3E9E5B21B0483CD40F3349E5E2EBB4130180D344FE3E9E5B21B0483D540F3349E5E2EBB4130980D"
          "344FE3E9E5B21B0483DD40F3349E5E2EBB4130180E344FE3E9E5B21B0483E540F3349E5E2EBB41B0180C344FE3E9E5B21B048BC540"
          "F3349E5E2EBB41",
          "0791947101670000400A9194711032540000425071413090006006080416DA0202B0980C344FE3E9E5B21B048BCD40F3349E5E2EBB"
          "41B0180D344FE3E9E5B21B048BD540F3349E5E2EBB41B0980D344FE3E9E5B21B048BDD40F3349E5E2EBB41B0180E344FE3E9E5B21B"
          "048BE540"},
         Numbered("sixteen %03d ", 20), true},
        {"ucs2_concat",
         {"0791947101670000400A9194711032540008425071413090008A050003DA0201" + Repeat("0436", 66),
          "0791947101670000400A9194711032540008425071413090001E050003DA0202D83DDE00" + Repeat("0436", 10)},
         Repeat("\xD0\xB6", 66) + "\xF0\x9F\x98\x80" + Repeat("\xD0\xB6", 10), false},
    };
}

std::vector<CDeliverSms> Decode(const std::vector<std::string>& parts, const std::vector<size_t>& order)
{
    std::vector<CDeliverSms> listed;
    for (size_t i : order)
        listed.push_back(DecodeDeliverPdu(parts[i]));
    return listed;
}

TEST(DeliverPdu, PartsJoinInPartOrderWhateverOrderTheyAreListedIn)
{
    for (const CConcatenated& c : Concatenated()) {
        const size_t n = c.parts.size();
        std::vector<size_t> order(n);
        for (size_t i = 0; i < n; ++i)
            order[i] = i;
        const std::vector<size_t> reversed(order.rbegin(), order.rend());
        std::vector<size_t> twice = order;  // the phone lists each part twice (two storages)
        twice.insert(twice.end(), reversed.begin(), reversed.end());
        for (const std::vector<size_t>& o : {order, reversed, twice}) {
            const std::vector<CReceivedMsg> messages = JoinParts(Decode(c.parts, o));
            ASSERT_EQ(messages.size(), 1u) << c.pszName;
            const CReceivedMsg& msg = messages[0];
            EXPECT_EQ(U8(msg.GetText()), c.strText) << c.pszName;
            EXPECT_TRUE(msg.IsComplete()) << c.pszName;
            EXPECT_EQ(msg.nTotal, n) << c.pszName;
            EXPECT_EQ(msg.nRef, c.b16Bit ? 0x16DAu : 0xDAu) << c.pszName;
            EXPECT_EQ(msg.b16BitRef, c.b16Bit) << c.pszName;
            EXPECT_EQ(U8(msg.strSender), "+4917012345");
            EXPECT_EQ(msg.time.Format(), "2024-05-17T14:03:09+00:00");
        }
    }
}

TEST(DeliverPdu, AMissingPartIsMarkedWhereItBelongs)
{
    const CConcatenated c = Concatenated()[0];
    const std::vector<CReceivedMsg> messages = JoinParts(Decode(c.parts, {3, 0, 2}));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_FALSE(messages[0].IsComplete());
    const std::string strPart2 = U8(DecodeDeliverPdu(c.parts[1]).strText);
    std::string strExpected = c.strText;
    const size_t nPos = strExpected.find(strPart2);
    ASSERT_NE(nPos, std::string::npos);
    strExpected.replace(nPos, strPart2.size(), "[part 2 of 4 missing]");
    EXPECT_EQ(U8(messages[0].GetText()), strExpected);

    // Only part 3 of the UCS-2 message: the first part is marked, the second is there.
    const CConcatenated u = Concatenated()[2];
    const std::vector<CReceivedMsg> second = JoinParts(Decode(u.parts, {1}));
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(U8(second[0].GetText()), "[part 1 of 2 missing]\xF0\x9F\x98\x80" + Repeat("\xD0\xB6", 10));
}

TEST(DeliverPdu, SurrogatePairsSplitAcrossPartsJoinAgain)
{
    CReceivedMsg msg;
    msg.nTotal = 2;
    msg.bConcatenated = true;
    CReceivedPart first;
    first.strText = WString(1, WChar('a')) + WChar(0xD83D);
    CReceivedPart second;
    second.nPart = 2;
    second.strText = WString(1, WChar(0xDE00)) + WChar('b');
    msg.parts = {first, second};
    EXPECT_EQ(U8(msg.GetText()), "a\xF0\x9F\x98\x80" "b");
    msg.parts = {first};  // its partner is missing
    EXPECT_EQ(U8(msg.GetText()), "a\xEF\xBF\xBD[part 2 of 2 missing]");
}

TEST(DeliverPdu, DifferentMessagesStayApart)
{
    const std::vector<CConcatenated> all = Concatenated();
    std::vector<CDeliverSms> listed = Decode(all[0].parts, {0, 1, 2, 3});
    for (const CDeliverSms& sms : Decode(all[2].parts, {1, 0}))  // same sender and 8-bit reference, another total
        listed.push_back(sms);
    for (const CSingle& c : kSingles)
        listed.push_back(DecodeDeliverPdu(c.pszHex));
    const std::vector<CReceivedMsg> messages = JoinParts(listed);
    ASSERT_EQ(messages.size(), 2u + sizeof(kSingles) / sizeof(kSingles[0]));
    EXPECT_EQ(U8(messages[0].GetText()), all[0].strText);
    EXPECT_EQ(U8(messages[1].GetText()), all[2].strText);
}

// Hand-made PDUs: an 8-bit message (DCS 04) from +4917012345, with the user
// data header given.
std::string EightBit(const std::string& strUdh, const std::string& strData)
{
    const size_t nUdl = (strUdh.size() + strData.size()) / 2;
    char szUdl[4];
    std::snprintf(szUdl, sizeof(szUdl), "%02X", static_cast<unsigned>(nUdl));
    return std::string("00") + (strUdh.empty() ? "00" : "40") + "0A919471103254" + "00" + "04" + "42507141309000" +
           szUdl + strUdh + strData;
}

TEST(DeliverPdu, HeaderElements)
{
    struct {
        std::string strHex;
        bool bConcat;
        unsigned nRef, nPart, nTotal;
        const char* pszText;
        bool bNote;
    } const cases[] = {
        // An application port element before the concatenation element.
        {EightBit("0B05040B8423F000030702" "01", "AB"), true, 7, 1, 2, "AB", false},
        {EightBit("060804BEEF0302", "CD"), true, 0xBEEF, 2, 3, "CD", false},
        // Part 3 of 2, part 0, a total of 0: a message of its own, noted.
        {EightBit("050003070203", "AB"), false, 0, 1, 1, "AB", true},
        {EightBit("050003070200", "AB"), false, 0, 1, 1, "AB", true},
        {EightBit("050003070001", "AB"), false, 0, 1, 1, "AB", true},
        // An element longer than the header, a concatenation element of a wrong length.
        {EightBit("03000507", "AB"), false, 0, 1, 1, "AB", true},
        {EightBit("0400020701", "AB"), false, 0, 1, 1, "AB", true},
    };
    for (const auto& c : cases) {
        const CDeliverSms sms = DecodeDeliverPdu(c.strHex);
        EXPECT_TRUE(sms.bDecoded) << c.strHex << ": " << sms.strNote;
        EXPECT_EQ(sms.concat.bPresent, c.bConcat) << c.strHex;
        EXPECT_EQ(sms.concat.nRef, c.nRef) << c.strHex;
        EXPECT_EQ(sms.concat.nPart, c.nPart) << c.strHex;
        EXPECT_EQ(sms.concat.nTotal, c.nTotal) << c.strHex;
        EXPECT_EQ(U8(sms.strText), c.pszText) << c.strHex;
        EXPECT_EQ(!sms.strNote.empty(), c.bNote) << c.strHex << ": " << sms.strNote;
    }
}

TEST(DeliverPdu, WhatCannotBeDecodedIsKeptWithANote)
{
    const std::string strGood = kSingles[0].pszHex;
    std::vector<std::string> bad = {
        "", "0", "zz", "00", "0 0", "07919471016700",
        EightBit("", "AB").replace(36, 2, "05"),            // a user data length beyond the data
        EightBit("0C05040B8423F000030702", "AB"),            // a header longer than the user data
        "0006F10A919471103254425071413090004250714131904000",  // a status report
        "0001F10A9194711032540000AA02C834",                   // an SMS-SUBMIT
        "0000FF91947110325400004250714130900002C834",         // an address of 255 digits
    };
    for (size_t n = 0; n < strGood.size(); n += 2)  // cut anywhere before the last octet of text
        bad.push_back(strGood.substr(0, n));
    for (const std::string& strHex : bad) {
        const CDeliverSms sms = DecodeDeliverPdu(strHex);
        EXPECT_FALSE(sms.bDecoded) << strHex;
        EXPECT_FALSE(sms.strNote.empty()) << strHex;
        EXPECT_EQ(sms.strHex.size(), strHex.size()) << strHex;
        // Kept, never dropped: the inbox holds it as its PDU.
        CInbox inbox;
        EXPECT_EQ(inbox.Add(sms), CInbox::EAdded::ADDED_NEW);
        EXPECT_EQ(U8(inbox.GetMessages()[0].GetText()), sms.strHex);
        EXPECT_EQ(inbox.Add(sms), CInbox::EAdded::ADDED_DUPLICATE);
    }
}

TEST(DeliverPdu, DataCodingSchemes)
{
    struct {
        uint8_t btDcs;
        EAlphabet alphabet;
        int nClass;
        bool bNote;
    } const cases[] = {
        {0x00, EAlphabet::ALPHABET_GSM7, -1, false}, {0x04, EAlphabet::ALPHABET_8BIT, -1, false}, {0x08, EAlphabet::ALPHABET_UCS2, -1, false},
        {0x10, EAlphabet::ALPHABET_GSM7, 0, true},   {0x11, EAlphabet::ALPHABET_GSM7, 1, false},  {0x1A, EAlphabet::ALPHABET_UCS2, 2, false},
        {0x15, EAlphabet::ALPHABET_8BIT, 1, false},  {0x48, EAlphabet::ALPHABET_UCS2, -1, false}, {0x0C, EAlphabet::ALPHABET_GSM7, -1, true},
        {0x20, EAlphabet::ALPHABET_8BIT, -1, true},  {0x80, EAlphabet::ALPHABET_GSM7, -1, true},  {0xB4, EAlphabet::ALPHABET_GSM7, -1, true},
        {0xC8, EAlphabet::ALPHABET_GSM7, -1, true},  {0xD0, EAlphabet::ALPHABET_GSM7, -1, true},  {0xE0, EAlphabet::ALPHABET_UCS2, -1, true},
        {0xF0, EAlphabet::ALPHABET_GSM7, 0, true},   {0xF2, EAlphabet::ALPHABET_GSM7, 2, false},  {0xF5, EAlphabet::ALPHABET_8BIT, 1, false},
    };
    for (const auto& c : cases) {
        const CDataCoding coding = ReadDataCoding(c.btDcs);
        EXPECT_EQ(coding.alphabet, c.alphabet) << int(c.btDcs);
        EXPECT_EQ(coding.nClass, c.nClass) << int(c.btDcs);
        EXPECT_EQ(!coding.strNote.empty(), c.bNote) << int(c.btDcs);
    }
    // Compressed text stays as it came, in hex.
    std::string strHex = EightBit("", "C834");
    strHex.replace(20, 2, "24");
    const CDeliverSms sms = DecodeDeliverPdu(strHex);
    EXPECT_TRUE(sms.bDecoded) << sms.strNote;
    EXPECT_EQ(U8(sms.strText), "C834");
    EXPECT_EQ(sms.strNote, "compressed text, shown as hex");
}

TEST(DeliverPdu, TimeStampsWithTheirZones)
{
    struct {
        uint8_t abt[7];
        const char* pszText;
        int64_t nUnix;
    } const cases[] = {
        {{0x42, 0x50, 0x71, 0x41, 0x30, 0x90, 0x80}, "2024-05-17T14:03:09+02:00", 1715947389},
        {{0x42, 0x20, 0x92, 0x32, 0x95, 0x95, 0x2A}, "2024-02-29T23:59:59-05:30", 1709270999},
        {{0x42, 0x50, 0x71, 0x41, 0x30, 0x90, 0x32}, "2024-05-17T14:03:09+05:45", 1715933889},
        {{0x32, 0x20, 0x92, 0x00, 0x00, 0x00, 0x00}, "", 0},  // 29 February 2023
        {{0x42, 0x31, 0x10, 0x00, 0x00, 0x00, 0x00}, "", 0},  // month 13
        {{0x42, 0x50, 0x71, 0x42, 0x00, 0x00, 0x00}, "", 0},  // hour 24
        {{0x4F, 0x50, 0x71, 0x41, 0x30, 0x90, 0x00}, "", 0},  // not a digit
        {{0x42, 0x50, 0x71, 0x41, 0x30, 0x90, 0xA8}, "", 0},  // a zone digit beyond 9
    };
    for (const auto& c : cases) {
        const CSmsTime time = CSmsTime::FromOctets(c.abt);
        EXPECT_EQ(time.Format(), c.pszText);
        EXPECT_EQ(time.ToUnixTime(), c.nUnix) << c.pszText;
        CSmsTime parsed;
        EXPECT_EQ(CSmsTime::Parse(c.pszText, parsed), time.bValid) << c.pszText;
        EXPECT_TRUE(parsed == time) << c.pszText;
    }
}

TEST(DeliverPdu, GsmAlphabetBackwards)
{
    // Every septet of the main table, and every extension character, reads as
    // the character that is sent as it.
    for (int c = 0; c < 0x80; ++c) {
        if (c == kGsmEscape)
            continue;
        const SeptetString s(1, static_cast<char>(c));
        EXPECT_EQ(GsmToText(s).size(), 1u) << c;
        EXPECT_EQ(TextToGsm(GsmToText(s)), s) << c;
    }
    for (int c : {0x14, 0x28, 0x29, 0x2F, 0x3C, 0x3D, 0x3E, 0x40, 0x65}) {
        const SeptetString s{kGsmEscape, static_cast<char>(c)};
        EXPECT_EQ(GsmToText(s).size(), 1u) << c;
        EXPECT_EQ(TextToGsm(GsmToText(s)), s) << c;
    }
    EXPECT_EQ(U8(GsmToText(SeptetString{kGsmEscape, 0x0A})), "\f");
    EXPECT_EQ(U8(GsmToText(SeptetString{'a', kGsmEscape, 'b'})), "ab");  // an unknown extension: the main table
    EXPECT_EQ(U8(GsmToText(SeptetString{'a', kGsmEscape})), "a ");
    EXPECT_EQ(U8(GsmToText(SeptetString{kGsmEscape, kGsmEscape, 'c'})), " c");
}

} // namespace
