// The Conversations' threads: sent and received messages of one phone in one
// thread whatever the number's form, in time order, newest thread first,
// with unread counts, delivery states and the search across threads; and
// the History's time texts read back in the locale's date orders.
#include <gtest/gtest.h>

#include <memory>

#include "base/MultiSz.h"
#include "app/ConversationList.h"
#include "app/HistoryRecord.h"
#include "app/ReportStore.h"

namespace {

WString W(const char* psz)
{
    return Utf8ToWide(psz);
}

CHistoryList History(const std::vector<CHistoryRecord>& records)
{
    std::vector<WString> aList;
    for (const CHistoryRecord& record : records) {
        const std::vector<WString> aRecord = HistoryToList(record);
        aList.insert(aList.end(), aRecord.begin(), aRecord.end());
    }
    return CHistoryList(std::make_shared<const std::vector<uint8_t>>(EncodeMultiSz(aList)));
}

// "08.12.2026 10:15:02" as UTC: the tests' computer is in UTC.
int64_t ReadTime(const WString& strTime)
{
    CLocalTime local;
    if (!ParseRecordTime(strTime, EDateOrder::DAY_MONTH_YEAR, WString(), WString(), local))
        return 0;
    CSmsTime time;
    time.bValid = true;
    time.nYear = local.nYear, time.nMonth = local.nMonth, time.nDay = local.nDay;
    time.nHour = local.nHour, time.nMinute = local.nMinute, time.nSecond = local.nSecond;
    return time.ToUnixTime();
}

CReceivedMsg Received(const char* pszSender, const char* pszIso, const char* pszText, bool bNew,
                      const char* pszKey = "k")
{
    CReceivedMsg msg;
    msg.strSender = W(pszSender);
    CSmsTime::Parse(pszIso, msg.time);
    CReceivedPart part;
    part.strKey = pszKey;
    part.strText = W(pszText);
    msg.parts.push_back(part);
    msg.bNew = bNew;
    return msg;
}

CHistoryRecord Sent(const char* pszName, const char* pszNumber, const char* pszTime, const char* pszText)
{
    CHistoryRecord record;
    record.m_strName = W(pszName);
    record.m_strNumber = W(pszNumber);
    record.m_strTime = W(pszTime);
    record.m_strText = W(pszText);
    return record;
}

const std::vector<CContact> kContacts = {CContact(W("Anna"), W("+49 170 1234567")), CContact(W("Ben"), W("5550001"))};

// Who wrote what, in and out, newest last: "<Hi" received, ">Hello" sent.
std::string Transcript(const CConversation& thread)
{
    std::string str;
    for (const CConversationMsg& msg : thread.messages)
        str += (str.empty() ? "" : " ") + std::string(msg.bOut ? ">" : "<") + WideToUtf8(msg.strText);
    return str;
}

} // namespace

TEST(ConversationList, ThreadsByPhoneInTimeOrderNewestFirst)
{
    const CHistoryList history = History({
        Sent("", "01701234567", "08.12.2026 10:00:00", "national form"),
        Sent("Anna", "+491701234567", "08.12.2026 12:00:00", "international form"),
        Sent("", "5550001", "08.12.2026 09:00:00", "short number"),
        Sent("Carla", "+39061234567", "07.12.2026 09:00:00", "no contact any more"),
        Sent("", "+441701234567", "08.12.2026 08:00:00", "other country"),
    });
    const std::vector<CReceivedMsg> received = {
        Received("00491701234567", "2026-12-08T11:00:00+00:00", "prefix 00", true, "a1"),
        Received("+4917012345670", "2026-12-08T13:00:00+00:00", "one digit more", false),
        Received("Team", "2026-12-08T07:00:00+00:00", "alphanumeric", true),
        Received("+49 170 1234567", "2026-12-08T11:30:00+01:00", "zone of its own", true, "a2"),
    };
    CConversationList list;
    list.Build(history, {}, received, kContacts, &ReadTime);

    const struct {
        const char* pszName;
        const char* pszNumber;
        bool bCanReply;
        size_t nUnread;
        const char* pszTranscript;
    } expected[] = {
        {"", "+4917012345670", true, 0, "<one digit more"},
        {"Anna", "+49 170 1234567", true, 2, ">national form <zone of its own <prefix 00 >international form"},
        {"Ben", "5550001", true, 0, ">short number"},
        {"", "+441701234567", true, 0, ">other country"},
        {"", "Team", false, 1, "<alphanumeric"},
        {"Carla", "+39061234567", true, 0, ">no contact any more"},
    };
    ASSERT_EQ(list.GetCount(), std::size(expected));
    for (size_t i = 0; i < list.GetCount(); ++i) {
        const CConversation& thread = list.Get(i);
        const auto& e = expected[i];
        EXPECT_EQ(WideToUtf8(thread.strName), e.pszName) << i;
        EXPECT_EQ(WideToUtf8(thread.strNumber), e.pszNumber) << i;
        EXPECT_EQ(thread.bCanReply, e.bCanReply) << i;
        EXPECT_EQ(thread.nUnread, e.nUnread) << i;
        EXPECT_EQ(Transcript(thread), e.pszTranscript) << i;
    }
    EXPECT_EQ(list.Find(W("0170 1234567")), 1);
    EXPECT_EQ(list.Find(W("Team")), 4);
    EXPECT_EQ(list.Find(W("0170 7654321")), -1);

    // Opened: its received messages' parts are to be marked, once.
    EXPECT_EQ(list.MarkSeen(1), (std::set<std::string>{"a1", "a2"}));
    EXPECT_EQ(list.Get(1).nUnread, 0u);
    EXPECT_TRUE(list.MarkSeen(1).empty());
}

TEST(ConversationList, SentMessagesCarryTheirDeliveryState)
{
    const std::vector<CHistoryRecord> records = {
        Sent("", "0170111", "08.12.2026 10:00:00", "no report asked"),
        Sent("", "0170111", "08.12.2026 10:01:00", "pending"),
        Sent("", "0170111", "08.12.2026 10:02:00", "delivered"),
        Sent("", "0170111", "08.12.2026 10:03:00", "failed"),
        Sent("", "0170111", "08.12.2026 10:04:00", "not confirmed"),
        Sent("", "0170111", "when the clock was gone", "time unreadable"),
    };
    const EPartDelivery states[] = {EPartDelivery::PART_PENDING, EPartDelivery::PART_DELIVERED,
                                    EPartDelivery::PART_FAILED, EPartDelivery::PART_UNCONFIRMED};
    std::map<WString, std::vector<CSentPart>> reports;
    for (size_t i = 0; i < 4; ++i) {
        const CHistoryRecord& record = records[i + 1];
        CSentPart part;
        part.state = states[i];
        reports[GetDeliveryKey(record.m_strNumber, record.m_strTime, record.m_strText)].push_back(part);
    }
    CConversationList list;
    list.Build(History(records), reports, {}, {}, &ReadTime);
    ASSERT_EQ(list.GetCount(), 1u);
    const EMessageDelivery expected[] = {
        EMessageDelivery::DELIVERY_NOT_REQUESTED, EMessageDelivery::DELIVERY_NOT_REQUESTED,
        EMessageDelivery::DELIVERY_PENDING,       EMessageDelivery::DELIVERY_DELIVERED,
        EMessageDelivery::DELIVERY_FAILED,        EMessageDelivery::DELIVERY_UNCONFIRMED,
    };
    // The unreadable time first, as written; the others in their order.
    EXPECT_EQ(Transcript(list.Get(0)),
              ">time unreadable >no report asked >pending >delivered >failed >not confirmed");
    EXPECT_EQ(WideToUtf8(list.Get(0).messages[0].strTime), "when the clock was gone");
    for (size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(list.Get(0).messages[i].delivery.state, expected[i]) << i;
}

TEST(ConversationList, SearchFindsNamesNumbersAndTextsAcrossThreads)
{
    const CHistoryList history = History({Sent("", "01701234567", "08.12.2026 10:00:00", "Café at noon?")});
    const std::vector<CReceivedMsg> received = {
        Received("5550001", "2026-12-08T11:00:00+00:00", "The report is ready", false),
        Received("+4917012345", "2026-12-07T11:00:00+00:00", "Noon is fine", false),
    };
    CConversationList list;
    list.Build(history, {}, received, kContacts, &ReadTime);
    const struct {
        const char* pszQuery;
        std::vector<size_t> threads;
    } cases[] = {
        {"", {0, 1, 2}},
        {"cafe", {1}},           // the accent folded
        {"NOON", {1, 2}},        // in two threads
        {"ben", {0}},            // the contact's name
        {"0170 123", {1}},       // the number's digits
        {"nothing like it", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(list.Search(W(c.pszQuery)), c.threads) << c.pszQuery;
}

TEST(HistoryRecord, TimesAreReadInTheLocalesDateOrder)
{
    const struct {
        const char* pszPicture;
        const char* pszTime;
        bool bRead;
        CLocalTime expected;
    } cases[] = {
        {"dd.MM.yyyy", "08.12.2026 10:15:02", true, {2026, 12, 8, 10, 15, 2}},
        {"M/d/yyyy", "12/8/2026 10:15:02 PM", true, {2026, 12, 8, 22, 15, 2}},
        {"M/d/yyyy", "12/8/2026 12:05:00 AM", true, {2026, 12, 8, 0, 5, 0}},
        {"yyyy-MM-dd", "2026-12-08 07:15", true, {2026, 12, 8, 7, 15, 0}},
        {"dd/MM/yy", "08/12/26 10:15:02", true, {2026, 12, 8, 10, 15, 2}},
        {"dd.MM.yyyy", "12/31/2026 10:15:02", false, {}},  // month 31
        {"dd.MM.yyyy", "08.12.2026", false, {}},
    };
    for (const auto& c : cases) {
        CLocalTime time;
        EXPECT_EQ(ParseRecordTime(W(c.pszTime), DateOrderOf(W(c.pszPicture)), W("AM"), W("PM"), time), c.bRead)
            << c.pszTime;
        if (c.bRead) {
            EXPECT_EQ(std::vector<int>({time.nYear, time.nMonth, time.nDay, time.nHour, time.nMinute, time.nSecond}),
                      std::vector<int>({c.expected.nYear, c.expected.nMonth, c.expected.nDay, c.expected.nHour,
                                        c.expected.nMinute, c.expected.nSecond}))
                << c.pszTime;
        }
    }
}
