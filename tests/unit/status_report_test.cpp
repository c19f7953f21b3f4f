// Delivery reports: what the service centre says, and which sent part it is
// about, references repeating every 256 messages.
#include <gtest/gtest.h>

#include "sms/PduReader.h"
#include "sms/ReportMatch.h"
#include "sms/StatusReport.h"

namespace {

// A report on TP-MR 0xF1 to +4917012345 with the given TP-ST, as a phone
// lists it (with the service centre): taken 2024-05-17 14:03:09 UTC,
// discharged 14:13:09 +01:00. python3-gammu decodes it alike.
std::string Report(const char* pszStatus, const char* pszMr = "F1", const char* pszRecipient = "0A919471103254")
{
    return std::string("0791947101670000" "06") + pszMr + pszRecipient + "42507141309000" + "42507141319040" + pszStatus;
}

TEST(StatusReport, DecodesEveryField)
{
    const CStatusReport report = DecodeStatusReport(Report("00"));
    ASSERT_TRUE(report.bDecoded) << report.strNote;
    EXPECT_EQ(report.strNote, "");
    EXPECT_EQ(WideToUtf8(report.strSmsc), "+491710760000");
    EXPECT_EQ(report.nMr, 0xF1u);
    EXPECT_EQ(WideToUtf8(report.strRecipient), "+4917012345");
    EXPECT_EQ(report.scts.Format(), "2024-05-17T14:03:09+00:00");
    EXPECT_EQ(report.discharge.Format(), "2024-05-17T14:13:09+01:00");
    EXPECT_EQ(report.btStatus, 0);
    // Optional parameters after the status are allowed and not needed.
    EXPECT_TRUE(DecodeStatusReport(Report("0001" "00")).bDecoded);
    EXPECT_EQ(WideToUtf8(DecodeStatusReport(Report("00", "07", "0A81103254769" "8")).strRecipient), "0123456789");
    // A listing holds reports among the received and the stored messages.
    EXPECT_EQ(GetListedPduType(Report("00")), 2);
    EXPECT_EQ(GetListedPduType("0791947101670000000A81103254769800004250714130900002C834"), 0);
    EXPECT_EQ(GetListedPduType("0011F10A8110325476980000AA02C834"), 1);
    for (const char* psz : {"", "00", "0791947101670000", "zz"})
        EXPECT_EQ(GetListedPduType(psz), -1) << psz;
}

TEST(StatusReport, StatusClassesAndReasons)
{
    struct {
        uint8_t btStatus;
        EReportClass cls;
        const char* pszReason;
    } const cases[] = {
        {0x00, EReportClass::REPORT_DELIVERED, "delivered"},
        {0x01, EReportClass::REPORT_DELIVERED, "forwarded, delivery not confirmed"},
        {0x02, EReportClass::REPORT_DELIVERED, "replaced by the service centre"},
        {0x1F, EReportClass::REPORT_DELIVERED, "status 0x1F"},
        {0x20, EReportClass::REPORT_TRYING, "network congestion"},
        {0x21, EReportClass::REPORT_TRYING, "recipient busy"},
        {0x25, EReportClass::REPORT_TRYING, "error in the recipient's phone"},
        {0x30, EReportClass::REPORT_TRYING, "status 0x30"},
        {0x40, EReportClass::REPORT_FAILED, "remote procedure error"},
        {0x41, EReportClass::REPORT_FAILED, "incompatible destination"},
        {0x46, EReportClass::REPORT_FAILED, "validity period expired"},
        {0x49, EReportClass::REPORT_FAILED, "message does not exist"},
        {0x5A, EReportClass::REPORT_FAILED, "status 0x5A"},
        {0x60, EReportClass::REPORT_GAVE_UP, "network congestion"},
        {0x62, EReportClass::REPORT_GAVE_UP, "no response from the recipient"},
        {0x65, EReportClass::REPORT_GAVE_UP, "error in the recipient's phone"},
        {0x7F, EReportClass::REPORT_GAVE_UP, "status 0x7F"},
        {0x80, EReportClass::REPORT_FAILED, "status 0x80"},
        {0xFF, EReportClass::REPORT_FAILED, "status 0xFF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClassifyStatus(c.btStatus), c.cls) << int(c.btStatus);
        EXPECT_EQ(GetStatusReason(c.btStatus), c.pszReason) << int(c.btStatus);
        EXPECT_EQ(IsFinalStatus(c.btStatus), c.cls != EReportClass::REPORT_TRYING) << int(c.btStatus);
        char szStatus[3];
        std::snprintf(szStatus, sizeof(szStatus), "%02X", c.btStatus);
        EXPECT_EQ(DecodeStatusReport(Report(szStatus)).btStatus, c.btStatus);
    }
}

TEST(StatusReport, WhatCannotBeDecodedIsNoted)
{
    const std::string strGood = Report("00");
    std::vector<std::string> bad = {"xyz", "0", "0001F10A9194711032540000AA02C834"};
    for (size_t n = 0; n < strGood.size(); n += 2)
        bad.push_back(strGood.substr(0, n));
    for (const std::string& strHex : bad) {
        const CStatusReport report = DecodeStatusReport(strHex);
        EXPECT_FALSE(report.bDecoded) << strHex;
        EXPECT_FALSE(report.strNote.empty()) << strHex;
        EXPECT_EQ(report.strHex.size(), strHex.size());
    }
}

TEST(ReportMatch, FormsOfOneNumber)
{
    struct {
        const char* pszA;
        const char* pszB;
        bool bSame;
    } const cases[] = {
        {"+4917012345", "+4917012345", true},
        {"+49 170 12345", "+4917012345", true},
        {"004917012345", "+4917012345", true},
        {"4917012345", "+4917012345", true},   // a phone that drops the '+' of type 145
        {"017012345", "+4917012345", true},    // national form with its trunk prefix
        {"17012345", "+4917012345", true},
        {"89121234567", "+79121234567", true}, // trunk prefix 8
        {"+4917012345", "+4417012345", false},
        {"017012346", "+4917012345", false},
        {"+4917012345", "017012345", true},
        {"+17012345", "+4917012345", false},   // two international numbers must be equal
        {"12345", "+4912345", false},          // too few digits to tell
        // National digits in full, after the country code: no number that merely ends the same.
        {"0170 1234567", "+44 99 1701234567", false},
        {"0170 1234567", "+1 701 234 567", false},     // country code 1, national 701234567
        {"1234567", "+49 170 1234567", false},
        {"0170 1234567", "+7 1701234567", true},       // country code 7
        {"0170 1234567", "+44 1701234567", true},      // the same phone for a user in the UK
        {"0170 1234567", "+420 1701234567", true},     // three digits
        {"017012345", "17012345", true},               // two national forms
        {"5551234567", "1234567", false},
        {"12345", "12345", true},
        {"", "", false},
        {"Zandu", "Zandu", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsSameNumber(Utf8ToWide(c.pszA), Utf8ToWide(c.pszB)), c.bSame) << c.pszA << " " << c.pszB;
        EXPECT_EQ(IsSameNumber(Utf8ToWide(c.pszB), Utf8ToWide(c.pszA)), c.bSame) << c.pszB << " " << c.pszA;
    }
}

const int64_t kDay = 24 * 3600;
const int64_t kNow = 1715951589;  // the report's discharge time, 2024-05-17 13:13:09 UTC

CSentPart Sent(const char* pszNumber, unsigned nRef, int64_t nAgo)
{
    CSentPart part;
    part.strNumber = Utf8ToWide(pszNumber);
    part.nRef = nRef;
    part.nSentAt = kNow - nAgo;
    return part;
}

TEST(ReportMatch, TheLatestPendingPartWithThatReferenceWithinAWeek)
{
    // 800 parts to two numbers, one every 12 minutes: references 0-255 come
    // round three times in a week, and report 0xF1 could be about several.
    std::vector<CSentPart> parts;
    for (int i = 0; i < 800; ++i)
        parts.push_back(Sent(i % 2 ? "+4917012345" : "+4417099999", static_cast<unsigned>(i % 256),
                             (800 - i) * 720));
    const CStatusReport report = DecodeStatusReport(Report("00"));
    const int nFound = FindReportedPart(parts, report, kNow);
    EXPECT_EQ(nFound, 512 + 0xF1);
    // That one settled, the next report with that reference finds the one a round earlier.
    EXPECT_TRUE(ApplyReport(parts[static_cast<size_t>(nFound)], report));
    EXPECT_EQ(parts[static_cast<size_t>(nFound)].state, EPartDelivery::PART_DELIVERED);
    EXPECT_EQ(FindReportedPart(parts, report, kNow), 256 + 0xF1);
    // Sent 8 days before: too old to be sure.
    parts[256 + 0xF1].nSentAt = kNow - 8 * kDay;
    EXPECT_EQ(FindReportedPart(parts, report, kNow), 0xF1);
    parts[0xF1].nSentAt = kNow - 7 * kDay - 1;
    EXPECT_EQ(FindReportedPart(parts, report, kNow), -1);
    // The national form the user typed matches the phone's international one.
    std::vector<CSentPart> typed = {Sent("0170 12345", 0xF1, kDay)};
    EXPECT_EQ(FindReportedPart(typed, report, kNow), 0);
    // Another number, another reference: nothing.
    EXPECT_EQ(FindReportedPart({Sent("+4417099999", 0xF1, 60), Sent("+4917012345", 0xF2, 60)}, report, kNow), -1);
    EXPECT_EQ(FindReportedPart({Sent("+4917012345", 0xF1, 60)}, DecodeStatusReport("00"), kNow), -1);
}

TEST(ReportMatch, AMessageIsDeliveredWhenEveryPartIs)
{
    std::vector<CSentPart> parts = {Sent("+4917012345", 1, 60), Sent("+4917012345", 2, 60)};
    EXPECT_EQ(SummarizeDelivery({}).state, EMessageDelivery::DELIVERY_NOT_REQUESTED);
    EXPECT_EQ(SummarizeDelivery(parts).state, EMessageDelivery::DELIVERY_PENDING);
    // Still trying: nothing changes.
    EXPECT_FALSE(ApplyReport(parts[0], DecodeStatusReport(Report("21", "01"))));
    EXPECT_EQ(parts[0].state, EPartDelivery::PART_PENDING);
    EXPECT_TRUE(ApplyReport(parts[0], DecodeStatusReport(Report("00", "01"))));
    EXPECT_EQ(SummarizeDelivery(parts).state, EMessageDelivery::DELIVERY_PENDING);
    EXPECT_TRUE(ApplyReport(parts[1], DecodeStatusReport(Report("00", "02"))));
    const CDeliverySummary delivered = SummarizeDelivery(parts);
    EXPECT_EQ(delivered.state, EMessageDelivery::DELIVERY_DELIVERED);
    EXPECT_EQ(delivered.time.Format(), "2024-05-17T14:13:09+01:00");
    // One part that failed fails the message, with its reason.
    EXPECT_TRUE(ApplyReport(parts[1], DecodeStatusReport(Report("46", "02"))));
    const CDeliverySummary failed = SummarizeDelivery(parts);
    EXPECT_EQ(failed.state, EMessageDelivery::DELIVERY_FAILED);
    EXPECT_EQ(failed.strReason, "validity period expired");
    EXPECT_TRUE(ApplyReport(parts[1], DecodeStatusReport(Report("62", "02"))));
    EXPECT_EQ(SummarizeDelivery(parts).strReason, "no response from the recipient");
}

} // namespace
