// The phone's listing of stored messages and its storage status, line by line.
#include <gtest/gtest.h>

#include "phone/MessageListing.h"
#include "phone/PhoneReply.h"

namespace {

const char kPdu[] = "0791947101670000000A81103254769800004250714130900002C834";  // 20 octets after the centre
const char kTpdu[] = "000A81103254769800004250714130900002C834";

std::vector<CListedPdu> List(const std::string& strReply, size_t nChunk = 7)
{
    CReplyLines reply(1024);
    std::vector<std::string> lines;
    for (size_t i = 0; i < strReply.size(); i += nChunk)
        EXPECT_TRUE(reply.Feed(strReply.substr(i, nChunk), lines));
    CMessageListing listing;
    for (const std::string& strLine : lines)
        listing.Feed(strLine);
    listing.Finish();
    return listing.GetPdus();
}

TEST(MessageListing, ListedPdus)
{
    const std::string strReply = std::string("\r\n+CMGL: 1,0,,20\r\n") + kPdu + "\r\n" +
                                 "+CMGL: 4,1,\"Anna, home\",20\r\n" + kTpdu + "\r\n" +  // no centre field; an alpha
                                 "+CMGL: 7,3,20\r\n" + kPdu + "\r\n\r\nOK\r\n";
    for (size_t nChunk : {1, 7, 1000}) {
        const std::vector<CListedPdu> pdus = List(strReply, nChunk);
        ASSERT_EQ(pdus.size(), 3u);
        const unsigned anIndex[] = {1, 4, 7};
        const unsigned anStat[] = {0, 1, 3};
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(pdus[i].nIndex, anIndex[i]);
            EXPECT_EQ(pdus[i].nStat, anStat[i]);
            EXPECT_EQ(pdus[i].nLength, 20u);
            EXPECT_TRUE(pdus[i].bComplete) << pdus[i].strNote;
            EXPECT_EQ(pdus[i].strNote, "");
            EXPECT_FALSE(pdus[i].bReport);
        }
        EXPECT_EQ(pdus[0].strHex, kPdu);
        EXPECT_EQ(pdus[1].strHex, std::string("00") + kTpdu);
        EXPECT_TRUE(pdus[1].IsReceived());
        EXPECT_FALSE(pdus[2].IsReceived());
    }
    EXPECT_TRUE(List("\r\nOK\r\n").empty());
}

TEST(MessageListing, EveryHeaderGivesAnEntryMissingPduOrNot)
{
    const std::vector<CListedPdu> pdus =
        List(std::string("+CMGL: 1,0,,20\r\n+CMGL: 2,0,,20\r\nNOT HEX\r\n+CMGL: x,0,,20\r\n") + kPdu +
             "\r\n+CMGL: 3,0,,25\r\n" + kPdu + "\r\n+CMGL: 5,1,,20\r\n+CMS ERROR: 500\r\n+CMGL: 6,1,,20\r\n");
    ASSERT_EQ(pdus.size(), 6u);
    const struct {
        bool bComplete;
        const char* pszNote;
    } expected[] = {
        {false, "no PDU line after the header"},
        {false, "PDU line is not hex"},
        {false, "unreadable header \"+CMGL: x,0,,20\""},
        {true, "length 25 does not match the PDU"},
        {false, "no PDU line after the header"},
        {false, "no PDU line after the header"},
    };
    for (size_t i = 0; i < pdus.size(); ++i) {
        EXPECT_EQ(pdus[i].bComplete, expected[i].bComplete) << i;
        EXPECT_EQ(pdus[i].strNote, expected[i].pszNote) << i;
    }
    EXPECT_EQ(pdus[1].strHex, "NOT HEX");
    EXPECT_EQ(pdus[2].strHex, kPdu);  // kept: it may still be decoded
}

TEST(MessageListing, StatusReportLines)
{
    CMessageListing listing;
    EXPECT_TRUE(listing.Feed("+CDS: 20"));
    EXPECT_TRUE(listing.Feed(kTpdu));
    EXPECT_FALSE(listing.Feed("+CDS: 6,241,\"+4917012345\",145"));  // text mode
    EXPECT_FALSE(listing.Feed("RING"));
    ASSERT_EQ(listing.GetPdus().size(), 1u);
    EXPECT_TRUE(listing.GetPdus()[0].bReport);
    EXPECT_EQ(listing.GetPdus()[0].strHex, std::string("00") + kTpdu);

    CAnnounced announced;
    EXPECT_TRUE(ParseAnnouncement("+CDSI: \"SR\",3", announced));
    EXPECT_EQ(announced.strStorage, "SR");
    EXPECT_EQ(announced.nIndex, 3u);
    EXPECT_TRUE(announced.bReport);
    EXPECT_TRUE(ParseAnnouncement("+CDSI: ME, 12", announced));
    EXPECT_EQ(announced.strStorage, "ME");
    EXPECT_EQ(announced.nIndex, 12u);
    for (const char* psz : {"+CDSI: \"SM\"", "+CDSI: ,3", "+CDSI: \"SM\",x", "+CDS: 20", "+CDSI: \"SM\",1,2"})
        EXPECT_FALSE(ParseAnnouncement(psz, announced)) << psz;
}

TEST(MessageListing, StorageStatus)
{
    std::vector<CStorageStatus> storages;
    ASSERT_TRUE(ParseStorageStatus("+CPMS: \"SM\",3,30,\"SM\",3,30,\"SM\",3,30", storages));
    ASSERT_EQ(storages.size(), 3u);
    EXPECT_EQ(storages[0].strName, "SM");
    EXPECT_EQ(storages[0].nUsed, 3u);
    EXPECT_EQ(storages[0].nTotal, 30u);
    EXPECT_EQ(GetStoragesToRead(storages), std::vector<std::string>{"SM"});

    ASSERT_TRUE(ParseStorageStatus("+CPMS: \"ME\",0,100, \"SM\" ,2,20", storages));
    EXPECT_EQ(GetStoragesToRead(storages), std::vector<std::string>{"SM"});
    ASSERT_TRUE(ParseStorageStatus("+CPMS: MT,5,130,ME,3,100,SR,1,20", storages));
    EXPECT_EQ(storages[2].strName, "SR");
    EXPECT_EQ(GetStoragesToRead(storages), (std::vector<std::string>{"MT", "ME"}));
    ASSERT_TRUE(ParseStorageStatus("+CPMS: \"BM\",0,0", storages));
    EXPECT_TRUE(GetStoragesToRead(storages).empty());

    // The reply to setting the storages has no names; and other malformed lines.
    for (const char* psz : {"+CPMS: 3,30,3,30,3,30", "+CPMS: \"SM\",3", "+CPMS: \"SM\",3,30,\"ME\"", "+CPMS:",
                            "+CPMS: \"SM\",x,30", "CPMS: \"SM\",3,30", "+CPMS: \"SM\",3,9999999999"}) {
        EXPECT_FALSE(ParseStorageStatus(psz, storages)) << psz;
        EXPECT_TRUE(storages.empty()) << psz;
    }
}

} // namespace
