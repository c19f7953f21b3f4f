// The PDU a phone receives for a part, octet by octet.
#include <gtest/gtest.h>

#include "sms/Msg.h"
#include "sms/Pdu.h"
#include "support/TraceCapture.h"

namespace {

std::string Build(const SeptetString& septets, const WString& number, uint8_t cur, uint8_t total,
                  uint8_t ref)
{
    std::string pdu;
    EXPECT_TRUE(BuildSubmitPdu(septets, number, pdu, cur, total, ref));
    return pdu;
}

std::string Hex(const std::string& octets)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : octets) {
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
    return out;
}

TEST(Pdu, WorkedExamples)
{
    const SeptetString hi = TextToGsm(WSTR("Hi"));
    const std::string a = Build(hi, WSTR("0123456789"), 1, 1, 0xF1);
    EXPECT_EQ(a, "0011F10A8110325476980000AA02C834");
    EXPECT_EQ(GetTpduLength(a), 15u);
    const std::string b = Build(hi, WSTR("12345"), 1, 1, 0xF1);
    EXPECT_EQ(b, "0011F105812143F50000AA02C834");
    EXPECT_EQ(GetTpduLength(b), 13u);
    const std::string c = Build(hi, WSTR("12345"), 2, 2, 0xF2);
    EXPECT_EQ(c, "0051F205812143F50000AA09050003F202029069");
    EXPECT_EQ(GetTpduLength(c), 19u);
}

TEST(Pdu, EmptyPartWithoutHeader)
{
    EXPECT_EQ(Build(SeptetString(), WSTR("12"), 1, 1, 1), "0011010281210000AA00");
}

TEST(Pdu, FullPartsFillFourteenOctetsTimesTen)
{
    const SeptetString s153(153, 'x');
    const std::string withHeader = Build(s153, WSTR("1234"), 1, 2, 7);
    // 00 51 07 04 81 2143 00 00 AA A0 | 05 00 03 07 02 01 | 134 octets
    EXPECT_EQ(withHeader.substr(0, 24), "0051070481214300" "00AAA005");
    EXPECT_EQ(withHeader.size(), 2u * (11 + 140));
    EXPECT_EQ(GetTpduLength(withHeader), 150u);

    const SeptetString s160(160, 'x');
    const std::string single = Build(s160, WSTR("1234"), 1, 1, 7);
    EXPECT_EQ(single.substr(0, 20), "00110704812143000" "0AA");
    EXPECT_EQ(single.substr(20, 2), "A0");
    EXPECT_EQ(single.size(), 2u * (11 + 140));
}

TEST(Pdu, PackSeptetsLengths)
{
    for (size_t n = 0; n <= 160; ++n) {
        const SeptetString s(n, 0x7F);
        EXPECT_EQ(PackSeptets(s, false).size(), (7 * n + 7) / 8) << n;
        const size_t withFill = n == 0 ? 1 : 1 + (7 * (n - 1) + 7) / 8;
        EXPECT_EQ(PackSeptets(s, true).size(), withFill) << n;
    }
}

TEST(Pdu, PackSeptetsBits)
{
    // "hellohello", the classic 7-bit packing example.
    EXPECT_EQ(Hex(PackSeptets("hellohello", false)), "E8329BFD4697D9EC37");
    // The fill bit shifts the first septet by one.
    EXPECT_EQ(Hex(PackSeptets(SeptetString("\x48\x69", 2), true)), "9069");
    // '@' is the septet 0 and packs like any other value.
    EXPECT_EQ(Hex(PackSeptets(SeptetString("\x00\x00\x01", 3), false)), "004000");
}

TEST(Pdu, NumbersOfOddLengthEndWithF)
{
    const std::string pdu = Build(TextToGsm(WSTR("x")), WSTR("123"), 1, 1, 1);
    EXPECT_EQ(pdu.substr(6, 8), "038121F3");  // three digits, type, then 21 and F3
}

TEST(Pdu, InternationalNumbersAndSeparators)
{
    const SeptetString hi = TextToGsm(WSTR("Hi"));
    EXPECT_EQ(Build(hi, WSTR("+0123456789"), 1, 1, 0xF1), "0011F10A9110325476980000AA02C834");
    EXPECT_EQ(Build(hi, WSTR("+44 (20) 7946-0000"), 1, 1, 1),
              Build(hi, WSTR("+442079460000"), 1, 1, 1));
    EXPECT_EQ(Build(hi, WSTR("012.345.6789"), 1, 1, 1), Build(hi, WSTR("0123456789"), 1, 1, 1));
}

TEST(Pdu, NumbersThatCannotBeEncodedAreRefused)
{
    const WString bad[] = {WString(), WSTR("+"), WSTR("  "), WSTR("12a4"), WSTR("12+34"),
                           WSTR("++12"), WSTR("*100#"), WSTR("123456789012345678901")};
    for (const WString& number : bad) {
        std::string pdu = "untouched";
        EXPECT_FALSE(BuildSubmitPdu(TextToGsm(WSTR("x")), number, pdu, 1, 1, 1));
        EXPECT_TRUE(pdu.empty());
        EXPECT_FALSE(IsValidNumber(number));
    }
    EXPECT_TRUE(IsValidNumber(WSTR("12345678901234567890")));
    EXPECT_TRUE(IsValidNumber(WSTR(" +1 (555) 010-9999 ")));
}

TEST(Pdu, AddressType)
{
    CAddress address;
    ASSERT_TRUE(ParseAddress(WSTR("+49 171 000"), address));
    EXPECT_EQ(address.strDigits, "49171000");
    EXPECT_EQ(address.btType, 0x91);
    ASSERT_TRUE(ParseAddress(WSTR("(0171) 000"), address));
    EXPECT_EQ(address.strDigits, "0171000");
    EXPECT_EQ(address.btType, 0x81);
}

TEST(Pdu, PartBeyondTheTotalIsReportedButStillBuilt)
{
    CTraceCapture capture;
    const std::string pdu = Build(TextToGsm(WSTR("x")), WSTR("12"), 3, 2, 9);
    EXPECT_EQ(pdu.substr(0, 4), "0051");
    EXPECT_TRUE(CTraceCapture::HasReported("btCurSms <= btTotalSms\n"));
}

TEST(Pdu, TracesTheFinishedText)
{
    CTraceCapture capture;
    const std::string pdu = Build(TextToGsm(WSTR("Hi")), WSTR("12345"), 1, 1, 0xF1);
    const std::vector<std::string> lines = CTraceCapture::Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], pdu + "\n");
    EXPECT_TRUE(CTraceCapture::Pairs().empty());
}

// UCS-2: DCS 08, the code units big-endian, TP-UDL in octets.
TEST(Pdu, Ucs2Parts)
{
    const WString strHello = WSTR("\u041F\u0440\u0438\u0432\u0435\u0442");  // Privet in Cyrillic
    std::string strPdu;
    ASSERT_TRUE(BuildUcs2SubmitPdu(strHello, WSTR("0123456789"), strPdu, 1, 1, 0xF1));
    EXPECT_EQ(strPdu, "0011F10A811032547698" "0008AA0C" "041F04400438043204350442");
    EXPECT_EQ(GetTpduLength(strPdu), 25u);

    const WString strUnits({WChar(0x416), WChar(0xD83D), WChar(0xDE00)});
    ASSERT_TRUE(BuildUcs2SubmitPdu(strUnits, WSTR("+12345"), strPdu, 2, 2, 0xF2));
    EXPECT_EQ(strPdu, "0051F205912143F5" "0008AA0C" "050003F20202" "0416D83DDE00");
    EXPECT_EQ(GetTpduLength(strPdu), 23u);

    strPdu = "untouched";
    EXPECT_FALSE(BuildUcs2SubmitPdu(strHello, WSTR("12a"), strPdu, 1, 1, 1));
    EXPECT_TRUE(strPdu.empty());
}

} // namespace

// A delivery report asked for: TP-SRR (0x20) in the first octet, 31 for a
// single SMS and 71 for a part with a header; every other octet as without.
TEST(Pdu, StatusReportRequest)
{
    const SeptetString hi = TextToGsm(WSTR("Hi"));
    const WString units = WSTR("\u041F\u0440");
    std::string strWith;
    std::string strWithout;
    for (uint8_t btTotal : {1, 2}) {
        ASSERT_TRUE(BuildSubmitPdu(hi, WSTR("+4917012345"), strWith, 1, btTotal, 0xF1, true));
        ASSERT_TRUE(BuildSubmitPdu(hi, WSTR("+4917012345"), strWithout, 1, btTotal, 0xF1));
        EXPECT_EQ(strWith.substr(0, 4), btTotal == 1 ? "0031" : "0071");
        EXPECT_EQ(strWith.substr(4), strWithout.substr(4));
        ASSERT_TRUE(BuildUcs2SubmitPdu(units, WSTR("0123"), strWith, btTotal, btTotal, 7, true));
        ASSERT_TRUE(BuildUcs2SubmitPdu(units, WSTR("0123"), strWithout, btTotal, btTotal, 7, false));
        EXPECT_EQ(strWith.substr(0, 4), btTotal == 1 ? "0031" : "0071");
        EXPECT_EQ(strWith.substr(4), strWithout.substr(4));
    }
    EXPECT_EQ(Build(hi, WSTR("0123456789"), 1, 1, 0xF1), "0011F10A8110325476980000AA02C834");

    // Every part of a message that asks for one.
    CMsg msg(WString(200, WChar('x')), WString(), WSTR("12345"));
    msg.m_bStatusReport = true;
    for (int nPart = 0; nPart < 2; ++nPart, msg.NextPart()) {
        ASSERT_TRUE(msg.BuildPdu(strWith));
        EXPECT_EQ(strWith.substr(0, 4), "0071");
    }
}
