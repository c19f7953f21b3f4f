// The simulated phone's message memories and the reports it makes on
// messages that ask for one, seen through its AT commands.
#include <gtest/gtest.h>

#include "SimPhone.h"

namespace {

// "Hi" to 0123456789, reference 241, without and with TP-SRR.
const char kSubmit[] = "0011F10A8110325476980000AA02C834";
const char kSubmitWithReport[] = "0031F10A8110325476980000AA02C834";

class CStoreTest : public ::testing::Test {
protected:
    CStoreTest()
    {
        CIncomingPlan a, b, c;
        a.strText = "one";
        b.strText = "two";
        c.strText = "three";
        c.strStorage = "ME";
        std::string strError;
        EXPECT_TRUE(m_store.Load({a, b, c}, strError)) << strError;
    }
    std::string Reply(const std::string& strCommand)
    {
        if (!m_pPhone) {
            m_options.bEcho = false;
            m_pPhone.reset(new CSimPhone(m_options, m_phonebook, m_store));
        }
        std::vector<CSimAction> actions;
        for (char ch : strCommand + "\r")
            m_pPhone->Receive(ch, actions);
        std::string out;
        for (const CSimAction& a : actions)
            out += a.nKind == CSimAction::SEND ? a.strData : std::string();
        return out;
    }
    std::string Submit(const std::string& strPdu)
    {
        Reply("AT+CMGS=" + std::to_string(strPdu.size() / 2 - 1));
        return Reply(strPdu + "\x1A");
    }
    // The "+CMGL:" headers of a listing, without the PDU lines.
    std::string Headers(const std::string& strCommand)
    {
        std::string out, strReply = Reply(strCommand);
        for (size_t n = strReply.find("+CMGL: "); n != std::string::npos; n = strReply.find("+CMGL: ", n + 1))
            out += strReply.substr(n + 7, strReply.find(',', n) - n - 7) + " ";
        return out;
    }

    CSimOptions m_options;
    CSimPhonebook m_phonebook;
    CSimStore m_store;
    std::unique_ptr<CSimPhone> m_pPhone;
};

TEST_F(CStoreTest, StoragesAreListedSelectedAndEmptied)
{
    const std::pair<const char*, const char*> kReplies[] = {
        {"AT+CPMS?", "\r\n+CPMS: \"SM\",2,30,\"ME\",1,100,\"SM\",2,30\r\n\r\nOK\r\n"},
        {"AT+CPMS=\"ME\"", "\r\n+CPMS: 1,100,1,100,2,30\r\n\r\nOK\r\n"},
        {"AT+CPMS=\"XY\"", "\r\n+CMS ERROR: 302\r\n"},
        {"AT+CMGL=\"ALL\"", "\r\n+CMS ERROR: 302\r\n"},
        {"AT+CNMI=2,1,0,7,0", "\r\n+CMS ERROR: 303\r\n"},
        {"AT+CMGD=5", "\r\n+CMS ERROR: 321\r\n"},
    };
    for (const auto& reply : kReplies)
        EXPECT_EQ(Reply(reply.first), reply.second) << reply.first;
    EXPECT_EQ(Headers("AT+CMGL=4"), "1 ");
    Reply("AT+CPMS=MT");
    EXPECT_EQ(Headers("AT+CMGL=4"), "1 2 31 ");
    EXPECT_EQ(Headers("AT+CMGL=0"), "");  // listed once, they are read
    EXPECT_EQ(Reply("AT+CMGD=31"), "\r\nOK\r\n");
    EXPECT_EQ(Headers("AT+CMGL=1"), "1 2 ");
    EXPECT_EQ(Reply("AT+CMGD=0,4"), "\r\nOK\r\n");
    EXPECT_EQ(Headers("AT+CMGL=4"), "");
}

TEST_F(CStoreTest, AMessageAskingForAReportGetsOneAsCnmiSays)
{
    m_options.nReportStatus = 0x41;
    EXPECT_EQ(Submit(kSubmit), "\r\n+CMGS: 1\r\n\r\nOK\r\n");
    EXPECT_EQ(Submit(kSubmitWithReport), "\r\n+CMGS: 2\r\n\r\nOK\r\n");
    // Stored quietly by default, announced after <ds> 2, passed on after <ds> 1.
    EXPECT_EQ(Reply("AT+CNMI=2,1,0,2,0"), "\r\nOK\r\n");
    Submit(kSubmitWithReport);
    EXPECT_EQ(Reply("AT"), "\r\n+CDSI: \"SM\",4\r\n\r\nOK\r\n");
    Reply("AT+CNMI=2,1,0,1,0");
    Submit(kSubmitWithReport);
    const std::string strCds = Reply("AT");
    EXPECT_EQ(strCds.compare(0, 12, "\r\n+CDS: 24\r\n"), 0) << strCds;
    EXPECT_EQ(Headers("AT+CMGL=4"), "1 2 3 4 ");
    // The report on the message the phone numbered 2: TP-MR 02, TP-ST 41.
    const std::string strList = Reply("AT+CMGL=4");
    const size_t nReport = strList.find("+CMGL: 3,");
    const std::string strPdu = strList.substr(strList.find("\r\n", nReport) + 2, 60);
    EXPECT_EQ(strPdu.substr(16, 4), "0602") << strPdu;  // SMS-STATUS-REPORT, TP-MR
    EXPECT_NE(strList.find("41\r\n", nReport), std::string::npos);
}

} // namespace
