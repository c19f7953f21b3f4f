#include "app/Outbox.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <memory>
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

bool StateOf(const std::string& strName, ESendState& eState)
{
    for (size_t i = 0; i < sizeof(kStates) / sizeof(kStates[0]); ++i) {
        if (strName == kStates[i]) {
            eState = static_cast<ESendState>(i);
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

// The parts accepted and their references; a journal of an earlier version
// has only their count.
void ReadParts(const CJson& json, CSendRecipient& recipient)
{
    recipient.nRef = static_cast<unsigned>(ReadJsonWhole(json, "ref", 0, 0xFFFF, 0));
    recipient.partRefs.clear();
    if (json.contains("mrs")) {
        for (const CJson& mr : json.at("mrs"))
            recipient.partRefs.push_back(static_cast<unsigned>(CheckJsonWhole(mr, "mrs", 0, 255)));
    } else if (json.contains("parts")) {
        recipient.partRefs.assign(static_cast<size_t>(ReadJsonWhole(json, "parts", 0, 255)), 0);
    }
}

void WriteParts(const CSendRecipient& recipient, CJson& json)
{
    if (recipient.nRef || !recipient.partRefs.empty()) {
        json["ref"] = recipient.nRef;
        json["parts"] = recipient.GetPartsDone();  // what earlier versions read
        json["mrs"] = recipient.partRefs;
    }
}

bool ApplyChange(const CJson& change, CSendRecord& record)
{
    const size_t nIndex = static_cast<size_t>(ReadJsonWhole(change, "r", 0, 0xFFFFFF));
    ESendState eState;
    if (nIndex >= record.recipients.size() || !StateOf(change.at("state").get<std::string>(), eState))
        return false;
    CSendRecipient& recipient = record.recipients[nIndex];
    recipient.eState = eState;
    recipient.strReason = Utf8ToWide(change.value("reason", std::string()));
    ReadParts(change, recipient);
    return true;
}

void ReadEntry(const CJson& json, CSendRecord& record)
{
    record.strText = Utf8ToWide(json.at("text").get<std::string>());
    for (const CJson& item : json.at("recipients")) {
        CSendRecipient recipient;
        recipient.strTyped = Utf8ToWide(item.at("typed").get<std::string>());
        recipient.contact = CContact(Utf8ToWide(item.at("name").get<std::string>()),
                                     Utf8ToWide(item.at("number").get<std::string>()));
        ReadParts(item, recipient);
        record.recipients.push_back(recipient);
    }
}

} // namespace

std::string FormatOutboxEntry(const CSendRecord& record, const WString& strReplaces)
{
    CJson json = {{"outbox", 1}, {"text", Text(record.strText)}, {"recipients", CJson::array()}};
    if (!strReplaces.empty())
        json["replaces"] = Text(strReplaces);
    for (const CSendRecipient& recipient : record.recipients) {
        CJson item = {{"typed", Text(recipient.strTyped)},
                      {"name", Text(recipient.contact.m_strName)},
                      {"number", Text(recipient.contact.m_strNumber)}};
        WriteParts(recipient, item);
        json["recipients"].push_back(item);
    }
    return json.dump(-1, ' ', false, CJson::error_handler_t::replace);
}

std::string FormatOutboxChange(size_t nIndex, const CSendRecipient& recipient)
{
    CJson json = {{"r", nIndex}, {"state", kStates[static_cast<size_t>(recipient.eState)]}};
    if (!recipient.strReason.empty())
        json["reason"] = Text(recipient.strReason);
    WriteParts(recipient, json);
    return json.dump(-1, ' ', false, CJson::error_handler_t::replace);
}

EOutboxRead ReadOutboxJournal(const std::string& strData, CSendRecord& record, WString* pReplaces)
{
    record = CSendRecord();
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
                ReadEntry(json, record);
                if (pReplaces)
                    *pReplaces = Utf8ToWide(json.value("replaces", std::string()));
                bFirst = false;
            } else if (!ApplyChange(json, record)) {
                break;
            }
        } catch (const std::exception&) {  // the library's, or a number ReadJsonWhole refused
            if (bFirst)
                return EOutboxRead::NO_ENTRY;
            break;
        }
    }
    if (bFirst)
        return EOutboxRead::NO_ENTRY;
    for (CSendRecipient& recipient : record.recipients) {
        if (recipient.eState == ESendState::SUBMITTING)
            recipient.eState = ESendState::NOT_CONFIRMED;
    }
    return EOutboxRead::READ;
}

WString DescribeRestored(const CSendRecord& record)
{
    std::string str = "Restored a message that was not sent to everyone: sent to " +
                      std::to_string(record.Count(ESendState::SENT)) + ", waiting " +
                      std::to_string(record.Count(ESendState::WAITING) + record.Count(ESendState::FAILED));
    if (const size_t nNotConfirmed = record.Count(ESendState::NOT_CONFIRMED)) {
        std::string strWho;
        for (const CSendRecipient& recipient : record.recipients) {
            if (recipient.eState == ESendState::NOT_CONFIRMED)
                strWho += (strWho.empty() ? "" : ", ") + Text(recipient.contact.m_strNumber);
        }
        str += ", not confirmed " + std::to_string(nNotConfirmed) + " (" + strWho + ")";
    }
    return Utf8ToWide(str);
}

// The new entry is on the disk before the one before goes, and names it: a
// send again of what was left never leaves the disk without it, and a start
// after a kill between the two finds the new one only.
bool COutbox::Begin(const CSendRecord& record, std::string& strError)
{
    const WString strName = NewJournalName(++m_nCreated);
    const WString strBefore = m_journal.IsOpen() ? m_journal.GetPath().substr(m_strFolder.size()) : WString();
    CJournalFile journal;
    if (!journal.Create(m_strFolder + strName, strError))
        return false;
    if (!journal.Append(FormatOutboxEntry(record, strBefore), true, strError)) {
        std::string strIgnored;
        journal.Remove(strIgnored);
        return false;
    }
    End();
    m_journal.Swap(journal);
    return true;
}

bool COutbox::Mark(size_t nIndex, const CSendRecipient& recipient, std::string& strError)
{
    if (!m_journal.IsOpen()) {
        strError = "the outbox is not open";
        return false;
    }
    return m_journal.Append(FormatOutboxChange(nIndex, recipient), recipient.eState == ESendState::SUBMITTING,
                            strError);
}

void COutbox::End()
{
    std::string strError;
    if (m_journal.IsOpen() && !m_journal.Remove(strError))
        TRACE_PAIR("The outbox entry stays: %s\n", strError.c_str());
}

namespace {

// A journal found in the folder, held while it is looked at.
struct CFoundJournal {
    std::unique_ptr<CJournalFile> pJournal = std::make_unique<CJournalFile>();
    WString strName;
    EOutboxRead eRead = EOutboxRead::NO_ENTRY;
    CSendRecord record;
};

} // namespace

bool COutbox::TakeLeft(CSendRecord& record)
{
    std::vector<CFoundJournal> found;
    std::vector<WString> replaced;  // by a later entry of the same send
    for (const WString& strPath : FindFiles(m_strFolder, kPrefix, kSuffix)) {
        CFoundJournal journal;
        journal.strName = strPath.substr(m_strFolder.size());
        bool bInUse = false;
        std::string strData, strError;
        if (!journal.pJournal->Adopt(strPath, bInUse, strError))
            continue;  // a program still sending holds it
        if (!journal.pJournal->ReadAll(strData, strError)) {
            TRACE_PAIR("Outbox entry not read, left for the next start: %s\n", strError.c_str());
            continue;
        }
        WString strReplaces;
        journal.eRead = ReadOutboxJournal(strData, journal.record, &strReplaces);
        if (journal.eRead == EOutboxRead::NEWER) {
            TRACE_PAIR("Outbox entry of a newer version left alone: %s\n", WideToUtf8(strPath).c_str());
            continue;
        }
        if (!strReplaces.empty())
            replaced.push_back(strReplaces);
        found.push_back(std::move(journal));
    }
    bool bFound = false;
    for (CFoundJournal& journal : found) {
        const CSendRecord& left = journal.record;
        const bool bRead = journal.eRead == EOutboxRead::READ &&
                           std::find(replaced.begin(), replaced.end(), journal.strName) == replaced.end();
        // One left submitting must be named even when nobody waits: the
        // user cannot know otherwise that it may not have gone.
        const bool bToServe =
            bRead && left.Count(ESendState::SENT) + left.Count(ESendState::NOT_CONFIRMED) < left.recipients.size();
        if (!bToServe && !(bRead && left.Count(ESendState::NOT_CONFIRMED))) {
            TRACE_PAIR("Outbox entry removed: %s\n", WideToUtf8(journal.strName).c_str());
            std::string strError;
            journal.pJournal->Remove(strError);
            continue;
        }
        if (bFound)
            continue;  // one at a time: the next start puts this one back
        record = left;
        bFound = true;
        End();
        m_journal.Swap(*journal.pJournal);  // ours from now on, never let go in between
    }
    return bFound;
}
