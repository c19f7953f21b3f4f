// The simulator's own SMS-SUBMIT decoder, against known PDUs and against
// the program's builder, and its refusals of malformed input.
#include <gtest/gtest.h>

#include "SimPdu.h"
#include "sms/Msg.h"
#include "sms/Pdu.h"

namespace {

TEST(SimPdu, KnownSinglePart)
{
    CSubmitInfo info;
    std::string strError;
    ASSERT_TRUE(DecodeSubmit("0011F10A8110325476980000AA02C834", info, strError)) << strError;
    EXPECT_EQ(info.strNumber, "0123456789");
    EXPECT_EQ(info.nMr, 0xF1u);
    EXPECT_EQ(info.strText, "Hi");
    EXPECT_EQ(info.strAlphabet, "gsm7");
    EXPECT_FALSE(info.bConcatenated);
    EXPECT_EQ(info.nTpduOctets, 15u);
    unsigned n = 0;
    EXPECT_TRUE(GetTpduOctets("0011F10A8110325476980000AA02C834", n));
    EXPECT_EQ(n, 15u);
    // With a service-centre address the TPDU is counted after it.
    EXPECT_TRUE(GetTpduOctets("07911326040000F0" "11F10A8110325476980000AA02C834", n));
    EXPECT_EQ(n, 15u);
}

TEST(SimPdu, Ucs2AndInternational)
{
    // To +12345, UCS2 "Ab\u20AC".
    CSubmitInfo info;
    std::string strError;
    ASSERT_TRUE(DecodeSubmit("00110005912143F50008AA060041006220AC", info, strError)) << strError;
    EXPECT_EQ(info.strNumber, "+12345");
    EXPECT_EQ(info.strAlphabet, "ucs2");
    EXPECT_EQ(info.strText, "Ab\xE2\x82\xAC");
    // A surrogate pair, and surrogates without their partner.
    ASSERT_TRUE(DecodeSubmit("0011000281210008AA0AD83DDE00DE00D83D0041", info, strError)) << strError;
    EXPECT_EQ(info.strText, "\xF0\x9F\x98\x80\xEF\xBF\xBD\xEF\xBF\xBD" "A");
}

// Whatever the program builds, the simulator reads back: number, parts,
// reference and text (extension characters and UCS-2 included).
TEST(SimPdu, ReadsBackWhatTheProgramBuilds)
{
    const char* const texts[] = {"Hello", "", "@@@", "{[~]}\\|^\xE2\x82\xAC", "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F",
                                 "line\nbreak",
                                 "\xD0\x9F\xD1\x80\xD0\xB8",          // Cyrillic: UCS-2
                                 "a\xF0\x9F\x98\x80\xE4\xB8\xAD"};  // an emoji and a CJK ideograph
    for (const char* pszText : texts) {
        for (int nRepeat : {1, 40, 90}) {
            std::string strText;
            for (int i = 0; i < nRepeat; ++i)
                strText += pszText;
            CMsg msg(Utf8ToWide(strText), WString(), WSTR("+4917012345"));
            const unsigned nParts = msg.GetTotalParts();
            std::string strJoined;
            do {
                std::string strPdu;
                ASSERT_TRUE(msg.BuildPdu(strPdu));
                CSubmitInfo info;
                std::string strError;
                ASSERT_TRUE(DecodeSubmit(strPdu, info, strError)) << strError << " " << strPdu;
                EXPECT_EQ(info.strNumber, "+4917012345");
                EXPECT_EQ(info.nTpduOctets, GetTpduLength(strPdu));
                EXPECT_EQ(info.bConcatenated, nParts > 1);
                EXPECT_EQ(info.strAlphabet, msg.IsUnicode() ? "ucs2" : "gsm7");
                if (nParts > 1) {
                    EXPECT_EQ(info.nPart, msg.m_btCurSms);
                    EXPECT_EQ(info.nParts, nParts);
                    EXPECT_EQ(info.nRef, msg.m_dwRef & 0xFF);
                }
                strJoined += info.strText;
                msg.NextPart();
            } while (!msg.IsComplete());
            EXPECT_EQ(strJoined, strText) << nRepeat << " x " << pszText;
        }
    }
}

TEST(SimPdu, MalformedPdusAreRefusedWithAReason)
{
    const std::string strGood = "0011F10A8110325476980000AA02C834";
    CSubmitInfo info;
    std::string strError;
    // Every truncation, and odd or non-hex text.
    for (size_t n = 0; n < strGood.size(); ++n) {
        strError.clear();
        EXPECT_FALSE(DecodeSubmit(strGood.substr(0, n), info, strError)) << n;
        EXPECT_FALSE(strError.empty()) << n;
    }
    EXPECT_FALSE(DecodeSubmit(strGood + "00", info, strError));  // longer than its user data length
    EXPECT_FALSE(DecodeSubmit("0004F10A8110325476980000AA02C834", info, strError));  // a DELIVER
    EXPECT_EQ(strError, "not an SMS-SUBMIT");
    EXPECT_FALSE(DecodeSubmit("0F11", info, strError));  // service centre overruns
    EXPECT_FALSE(DecodeSubmit("0011F1", info, strError));
    EXPECT_FALSE(DecodeSubmit("zz", info, strError));
    // A user data header that claims more than there is.
    EXPECT_FALSE(DecodeSubmit("0051F10A8110325476980000AA020A00", info, strError));
    unsigned n = 0;
    EXPECT_FALSE(GetTpduOctets("", n));
    EXPECT_FALSE(GetTpduOctets("05001122", n));
    EXPECT_FALSE(GetTpduOctets("0", n));
}

TEST(SimPdu, GsmAlphabet)
{
    EXPECT_EQ(GsmToUtf8(std::string("\x00\x01\x1B\x65\x7F", 5)), "@\xC2\xA3\xE2\x82\xAC\xC3\xA0");
    EXPECT_EQ(GsmToUtf8("\x1B"), " ");
    EXPECT_EQ(GsmToUtf8("\x1B\x41"), " ");
}

} // namespace
