#include "app/ConversationList.h"

#include <algorithm>
#include <numeric>

#include "sms/Msg.h"
#include "app/InboxList.h"
#include "app/ReportStore.h"

namespace {

// Two forms of one phone end in the same national digits, at least 7 of
// them (or are equal): the last 7 digits narrow the threads a number can be
// in to the few that IsSameNumber then decides between.
const size_t kTailDigits = 7;

WString TailOf(const WString& strNumber)
{
    WString strDigits;
    for (WChar ch : strNumber) {
        if (ch >= '0' && ch <= '9')
            strDigits += ch;
    }
    return strDigits.size() > kTailDigits ? strDigits.substr(strDigits.size() - kTailDigits) : strDigits;
}

// A sender that is no number has a thread of its own name, apart from any
// number's: its key cannot be a digit string.
WString AlphanumericKey(const WString& strSender)
{
    return WSTR("\"") + strSender;
}

} // namespace

WString CConversation::GetDisplayName() const
{
    if (strNumber.empty())
        return WSTR("Unknown sender");
    return FormatDisplayName(strName, strNumber);
}

void CConversationList::Build(const CHistoryList& history, const std::map<WString, std::vector<CSentPart>>& reports,
                              const std::vector<CReceivedMsg>& received, const std::vector<CContact>& contacts,
                              const FnReadTime& fnReadTime)
{
    m_threads.clear();
    m_byForm.clear();
    m_byTail.clear();
    m_search.clear();
    for (const CContact& contact : contacts) {
        if (!contact.m_strName.empty())
            m_contactsByTail[TailOf(contact.m_strNumber)].push_back(&contact);
    }
    AddSent(history, reports, fnReadTime);
    for (const CReceivedMsg& msg : received) {
        CConversationMsg item;
        item.nTime = msg.time.ToUnixTime();
        item.strNumber = msg.strSender;
        item.strText = msg.GetText();
        item.bUnread = msg.bNew;
        for (const CReceivedPart& part : msg.parts)
            item.partKeys.push_back(part.strKey);
        CConversation& thread = m_threads[ThreadOf(msg.strSender)];
        thread.nUnread += msg.bNew ? 1 : 0;
        thread.messages.push_back(std::move(item));
    }
    m_contactsByTail.clear();
    Order();
}

// Each record with its delivery state; a record whose time cannot be read
// keeps its place among the records around it.
void CConversationList::AddSent(const CHistoryList& history, const std::map<WString, std::vector<CSentPart>>& reports,
                                const FnReadTime& fnReadTime)
{
    for (size_t i = 0; i < history.GetCount(); ++i) {
        CHistoryRecord record = history.Get(i);
        CConversationMsg item;
        item.bOut = true;
        item.nTime = fnReadTime(record.m_strTime);
        const auto it = reports.find(GetDeliveryKey(record.m_strNumber, record.m_strTime, record.m_strText));
        if (it != reports.end() && !it->second.empty())
            item.delivery = SummarizeDelivery(it->second);
        item.strTime = std::move(record.m_strTime);
        item.strNumber = record.m_strNumber;
        item.strText = std::move(record.m_strText);
        CConversation& thread = m_threads[ThreadOf(record.m_strNumber)];
        if (thread.strName.empty() && !record.m_strName.empty() && IsSameNumber(thread.strNumber, record.m_strNumber))
            thread.strName = record.m_strName;  // a contact since deleted keeps the name it was sent to
        thread.messages.push_back(std::move(item));
    }
}

// The thread of a form of a number: the one of a number that is the same
// phone, else a new one, named after the contact whose number it is.
size_t CConversationList::ThreadOf(const WString& strNumber)
{
    const bool bNumber = CInboxList::CanReplyTo(strNumber);
    const WString strForm = bNumber ? strNumber : AlphanumericKey(strNumber);
    const auto found = m_byForm.find(strForm);
    if (found != m_byForm.end())
        return found->second;
    const int nFound = bNumber ? Find(strNumber) : -1;
    if (nFound >= 0)
        return m_byForm[strForm] = static_cast<size_t>(nFound);
    CConversation thread;
    thread.strNumber = strNumber;
    thread.bCanReply = bNumber;
    if (bNumber) {
        for (const CContact* pContact : m_contactsByTail[TailOf(strNumber)]) {
            if (IsSameNumber(pContact->m_strNumber, strNumber)) {
                thread.strName = pContact->m_strName;
                thread.strNumber = pContact->m_strNumber;
                break;
            }
        }
        m_byTail[TailOf(thread.strNumber)].push_back(m_threads.size());
    }
    m_threads.push_back(std::move(thread));
    return m_byForm[strForm] = m_threads.size() - 1;
}

int CConversationList::Find(const WString& strNumber) const
{
    const auto found = m_byForm.find(CInboxList::CanReplyTo(strNumber) ? strNumber : AlphanumericKey(strNumber));
    if (found != m_byForm.end())
        return static_cast<int>(found->second);
    const auto tail = m_byTail.find(TailOf(strNumber));
    if (tail == m_byTail.end())
        return -1;
    for (size_t nThread : tail->second) {
        if (IsSameNumber(m_threads[nThread].strNumber, strNumber))
            return static_cast<int>(nThread);
    }
    return -1;
}

// Each thread's messages in time order (the sent before the received at
// the same second, as stored otherwise); the threads newest first.
void CConversationList::Order()
{
    for (CConversation& thread : m_threads) {
        std::stable_sort(thread.messages.begin(), thread.messages.end(),
                         [](const CConversationMsg& a, const CConversationMsg& b) { return a.nTime < b.nTime; });
    }
    std::vector<size_t> order(m_threads.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [this](size_t a, size_t b) {
        return m_threads[a].GetLast().nTime > m_threads[b].GetLast().nTime;
    });
    std::vector<size_t> newIndex(order.size());
    std::vector<CConversation> threads;
    threads.reserve(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        newIndex[order[i]] = i;
        threads.push_back(std::move(m_threads[order[i]]));
    }
    m_threads.swap(threads);
    for (auto& form : m_byForm)
        form.second = newIndex[form.second];
    for (auto& tail : m_byTail) {
        for (size_t& nThread : tail.second)
            nThread = newIndex[nThread];
    }
}

std::vector<size_t> CConversationList::Search(const WString& strQuery) const
{
    const CSearchQuery query(strQuery);
    if (!query.IsEmpty() && m_search.size() != m_threads.size()) {
        m_search.clear();
        for (const CConversation& thread : m_threads) {
            std::set<WString> forms = {thread.strNumber};
            std::vector<WString> aFields = {thread.strName};
            for (const CConversationMsg& msg : thread.messages) {
                forms.insert(msg.strNumber);
                aFields.push_back(msg.strText);
            }
            aFields.insert(aFields.end(), forms.begin(), forms.end());
            m_search.push_back(PrepareSearch(aFields));
        }
    }
    std::vector<size_t> found;
    for (size_t i = 0; i < m_threads.size(); ++i) {
        if (query.IsEmpty() || query.Matches(m_search[i]))
            found.push_back(i);
    }
    return found;
}

std::set<std::string> CConversationList::MarkSeen(size_t nThread)
{
    std::set<std::string> keys;
    CConversation& thread = m_threads[nThread];
    for (CConversationMsg& msg : thread.messages) {
        if (!msg.bUnread)
            continue;
        keys.insert(msg.partKeys.begin(), msg.partKeys.end());
        msg.bUnread = false;
    }
    thread.nUnread = 0;
    return keys;
}
