#include "app/Outbox.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <random>

#include "base/JsonRead.h"
#include "base/Trace.h"

namespace {

typedef nlohmann::json CJson;

const char* const kStates[] = {"waiting", "submitting", "sent", "failed", "not confirmed"};
const WChar kPrefix[] = WSTR("outbox-");
const WChar kSuffix[] = WSTR(".jsonl");

std::string Text(const WString& str)
{
    return WideToUtf8(str);
}

bool StateOf(const std::string& strName, EOutboxState& eState)
{
    for (size_t i = 0; i < sizeof(kStates) / sizeof(kStates[0]); ++i) {
        if (strName == kStates[i]) {
            eState = static_cast<EOutboxState>(i);
            return true;
        }
    }
    return false;
}

// A name no other program picks: the moment, a random number and a count.
WString NewJournalName(unsigned nCreated)
{
    static std::random_device device;
    const auto nNow = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::system_clock::now().time_since_epoch()).count();
    return kPrefix + AnsiToWide(std::to_string(nNow) + "-" + std::to_string(device()) + "-" + std::to_string(nCreated)) +
           kSuffix;
}

// Numbers with checked types: a fraction or a number out of range is a
// damaged line (it throws), never a number cast out of its range.
bool ApplyChange(const CJson& change, COutboxEntry& entry)
{
    const uint64_t nIndex = ReadJsonWhole(change, "r", 0, UINT32_MAX);
    EOutboxState eState;
    if (nIndex >= entry.recipients.size() || !StateOf(change.at("state").get<std::string>(), eState))
        return false;
    COutboxRecipient& recipient = entry.recipients[static_cast<size_t>(nIndex)];
    recipient.eState = eState;
    recipient.strReason = Utf8ToWide(change.value("reason", std::string()));
    recipient.nRef = static_cast<unsigned>(ReadJsonWhole(change, "ref", 0, 0xFFFF, 0));
    recipient.nParts = static_cast<unsigned>(ReadJsonWhole(change, "parts", 0, 255, 0));
    return true;
}

} // namespace

size_t COutboxEntry::Count(EOutboxState eState) const
{
    size_t n = 0;
    for (const COutboxRecipient& recipient : recipients)
        n += recipient.eState == eState;
    return n;
}

std::string FormatOutboxEntry(const COutboxEntry& entry)
{
    CJson json = {{"outbox", 1}, {"text", Text(entry.strText)}, {"recipients", CJson::array()}};
    for (const COutboxRecipient& recipient : entry.recipients)
        json["recipients"].push_back(
            {{"typed", Text(recipient.strTyped)}, {"name", Text(recipient.strName)}, {"number", Text(recipient.strNumber)}});
    return json.dump(-1, ' ', false, CJson::error_handler_t::replace);
}

std::string FormatOutboxChange(size_t nIndex, const COutboxRecipient& recipient)
{
    CJson json = {{"r", nIndex}, {"state", kStates[static_cast<size_t>(recipient.eState)]}};
    if (!recipient.strReason.empty())
        json["reason"] = Text(recipient.strReason);
    if (recipient.nRef || recipient.nParts) {
        json["ref"] = recipient.nRef;
        json["parts"] = recipient.nParts;
    }
    return json.dump(-1, ' ', false, CJson::error_handler_t::replace);
}

EOutboxRead ReadOutboxJournal(const std::string& strData, COutboxEntry& entry)
{
    entry = COutboxEntry();
    size_t nStart = 0;
    bool bFirst = true;
    while (nStart < strData.size()) {
        size_t nEnd = strData.find('\n', nStart);
        if (nEnd == std::string::npos)
            break;  // torn by the program's end: never completed
        const std::string strLine = strData.substr(nStart, nEnd - nStart);
        nStart = nEnd + 1;
        try {
            const CJson json = CJson::parse(strLine);
            if (bFirst) {
                const uint64_t nVersion = ReadJsonWhole(json, "outbox", 0, UINT32_MAX);
                if (nVersion != 1)
                    return nVersion > 1 ? EOutboxRead::NEWER : EOutboxRead::NO_ENTRY;
                entry.strText = Utf8ToWide(json.at("text").get<std::string>());
                for (const CJson& recipient : json.at("recipients")) {
                    COutboxRecipient r;
                    r.strTyped = Utf8ToWide(recipient.at("typed").get<std::string>());
                    r.strName = Utf8ToWide(recipient.at("name").get<std::string>());
                    r.strNumber = Utf8ToWide(recipient.at("number").get<std::string>());
                    entry.recipients.push_back(r);
                }
                bFirst = false;
            } else if (!ApplyChange(json, entry)) {
                break;
            }
        } catch (const std::exception&) {
            if (bFirst)
                return EOutboxRead::NO_ENTRY;
            break;
        }
    }
    if (bFirst)
        return EOutboxRead::NO_ENTRY;
    for (COutboxRecipient& recipient : entry.recipients) {
        if (recipient.eState == EOutboxState::SUBMITTING)
            recipient.eState = EOutboxState::NOT_CONFIRMED;
    }
    return EOutboxRead::READ;
}

WString DescribeRestored(const COutboxEntry& entry)
{
    std::string str = "Restored a message that was not sent to everyone: sent to " +
                      std::to_string(entry.Count(EOutboxState::SENT)) + ", waiting " +
                      std::to_string(entry.Count(EOutboxState::WAITING) + entry.Count(EOutboxState::FAILED));
    if (const size_t nNotConfirmed = entry.Count(EOutboxState::NOT_CONFIRMED)) {
        std::string strWho;
        for (const COutboxRecipient& recipient : entry.recipients) {
            if (recipient.eState == EOutboxState::NOT_CONFIRMED)
                strWho += (strWho.empty() ? "" : ", ") + Text(recipient.strNumber);
        }
        str += ", not confirmed " + std::to_string(nNotConfirmed) + " (" + strWho + ")";
    }
    return Utf8ToWide(str);
}

bool COutbox::Begin(const COutboxEntry& entry, std::string& strError)
{
    End();
    if (!m_journal.Create(m_strFolder + NewJournalName(++m_nCreated), strError))
        return false;
    if (m_journal.Append(FormatOutboxEntry(entry), true, strError))
        return true;
    std::string strIgnored;
    m_journal.Remove(strIgnored);
    return false;
}

bool COutbox::Mark(size_t nIndex, const COutboxRecipient& recipient, std::string& strError)
{
    if (!m_journal.IsOpen())
        return false;
    return m_journal.Append(FormatOutboxChange(nIndex, recipient), recipient.eState == EOutboxState::SUBMITTING,
                            strError);
}

void COutbox::End()
{
    std::string strError;
    if (m_journal.IsOpen() && !m_journal.Remove(strError))
        TRACE_PAIR("The outbox entry stays: %s\n", strError.c_str());
}

bool COutbox::TakeLeft(COutboxEntry& entry)
{
    bool bFound = false;
    for (const WString& strPath : FindFiles(m_strFolder, kPrefix, kSuffix)) {
        CJournalFile journal;
        bool bInUse = false;
        std::string strData, strError;
        if (!journal.Adopt(strPath, bInUse, strError))
            continue;  // a program still sending holds it
        COutboxEntry left;
        if (!journal.ReadAll(strData, strError)) {
            TRACE_PAIR("Outbox entry not read, left for the next start: %s\n", strError.c_str());
            continue;
        }
        const EOutboxRead eRead = ReadOutboxJournal(strData, left);
        if (eRead == EOutboxRead::NEWER) {
            TRACE_PAIR("Outbox entry of a newer version left alone: %s\n", WideToUtf8(strPath).c_str());
            continue;
        }
        const bool bRead = eRead == EOutboxRead::READ;
        // One left submitting must be named even when nobody waits: the
        // user cannot know otherwise that it may not have gone.
        const bool bToServe =
            bRead && left.Count(EOutboxState::SENT) + left.Count(EOutboxState::NOT_CONFIRMED) < left.recipients.size();
        if (!bToServe && !(bRead && left.Count(EOutboxState::NOT_CONFIRMED))) {
            TRACE_PAIR("Outbox entry removed: %s\n", WideToUtf8(strPath).c_str());
            journal.Remove(strError);
            continue;
        }
        if (bFound)
            continue;  // one at a time: the next start puts this one back
        entry = left;
        bFound = true;
        journal.Close();
        End();
        m_journal.Adopt(strPath, bInUse, strError);  // ours from now on
    }
    return bFound;
}
