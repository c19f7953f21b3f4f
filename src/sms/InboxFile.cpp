#include "sms/InboxFile.h"

#include <nlohmann/json.hpp>

#include "base/AtomicFile.h"
#include "base/ErrorCodes.h"
#include "base/JsonRead.h"
#include "base/NamedLock.h"

namespace {

typedef nlohmann::ordered_json CJson;

const char kFormat[] = "Zandu SMS inbox";
const int kMaxDamagedCopies = 100;
const uint32_t kLockTimeoutMs = 5000;  // as the lists': longer means another process hangs

// Why a text is not an inbox this version can read.
struct CParseError {
    std::string strWhat;
    bool bNewer = false;  // written by a newer version: not damaged, and not this version's to change
};

std::string Utf8(const WString& str)
{
    return WideToUtf8(str);
}

CJson PartToJson(const CReceivedPart& part)
{
    CJson json;
    json["part"] = part.nPart;
    json["key"] = part.strKey;
    json["time"] = part.time.Format();
    json["text"] = Utf8(part.strText);
    if (!part.strPdu.empty())
        json["pdu"] = part.strPdu;
    return json;
}

// bState: with what only the file keeps (whether the Inbox has shown it).
CJson MessageToJson(const CReceivedMsg& msg, bool bState)
{
    CJson json;
    json["sender"] = Utf8(msg.strSender);
    json["time"] = msg.time.Format();
    json["encoding"] = GetAlphabetName(msg.alphabet);
    json["text"] = Utf8(msg.GetText());
    if (!msg.bDecoded)
        json["decoded"] = false;
    if (msg.bConcatenated) {
        json["reference"] = msg.nRef;
        json["reference_bits"] = msg.b16BitRef ? 16 : 8;
        json["total"] = msg.nTotal;
    }
    if (!msg.strNote.empty())
        json["note"] = msg.strNote;
    if (bState && msg.bNew)
        json["new"] = true;
    CJson parts = CJson::array();
    for (const CReceivedPart& part : msg.parts)
        parts.push_back(PartToJson(part));
    json["parts"] = parts;
    return json;
}

// Throws (a JSON type error or std::runtime_error) for a field that is not
// what a written file holds.
CSmsTime TimeFromJson(const CJson& json)
{
    CSmsTime time;
    const std::string str = json.value("time", std::string());
    if (!str.empty() && !CSmsTime::Parse(str, time))
        throw std::runtime_error("\"time\" is not a time with its zone");
    return time;
}

unsigned Number(const CJson& json, const char* pszKey, unsigned nMin, unsigned nMax)
{
    return static_cast<unsigned>(ReadJsonWhole(json, pszKey, nMin, nMax));
}

CReceivedMsg MessageFromJson(const CJson& json)
{
    CReceivedMsg msg;
    msg.bDecoded = json.value("decoded", true);
    msg.strSender = Utf8ToWide(json.at("sender").get<std::string>());
    msg.time = TimeFromJson(json);
    if (!ParseAlphabetName(json.at("encoding").get<std::string>(), msg.alphabet))
        throw std::runtime_error("unknown encoding");
    msg.bConcatenated = json.contains("total");
    if (msg.bConcatenated) {
        msg.b16BitRef = Number(json, "reference_bits", 8, 16) == 16;
        msg.nRef = Number(json, "reference", 0, msg.b16BitRef ? 65535 : 255);
        msg.nTotal = Number(json, "total", 1, 255);
    }
    msg.strNote = json.value("note", std::string());
    msg.bNew = json.value("new", false);
    for (const CJson& jsonPart : json.at("parts")) {
        CReceivedPart part;
        part.nPart = Number(jsonPart, "part", 1, 255);
        part.strKey = jsonPart.at("key").get<std::string>();
        part.time = TimeFromJson(jsonPart);
        part.strText = Utf8ToWide(jsonPart.at("text").get<std::string>());
        part.strPdu = jsonPart.value("pdu", std::string());
        msg.parts.push_back(part);
    }
    return msg;
}

// Moves a damaged file aside under the first free name of "<path>.damaged",
// "<path>.damaged2", ...
bool KeepDamaged(const WString& strPath, WString& strKeptAs, std::string& strError)
{
    for (int n = 1; n <= kMaxDamagedCopies; ++n) {
        strKeptAs = strPath + Utf8ToWide(".damaged" + (n > 1 ? std::to_string(n) : std::string()));
        bool bTaken = false;
        if (RenameFileNoReplace(strPath, strKeptAs, bTaken, strError))
            return true;
        if (!bTaken)
            return false;
    }
    strError = "too many damaged copies beside it";
    return false;
}

// The version is read before the messages: a newer version may have changed them.
bool ParseWhole(const std::string& strJson, CInbox& inbox, CParseError& error)
{
    CInbox parsed;
    size_t nMessage = 0;  // 1-based while the messages are read
    try {
        const CJson json = CJson::parse(strJson);
        if (json.at("format").get<std::string>() != kFormat)
            throw std::runtime_error("not an inbox file");
        const uint64_t nVersion = ReadJsonWhole(json, "version", 0, UINT32_MAX);
        if (nVersion > static_cast<uint64_t>(kInboxFileVersion)) {
            error.bNewer = true;
            error.strWhat = "written by a newer version of Zandu SMS (file version " + std::to_string(nVersion) + ")";
            return false;
        }
        for (const CJson& jsonMsg : json.at("messages")) {
            ++nMessage;
            if (!parsed.Restore(MessageFromJson(jsonMsg)))
                throw std::runtime_error("parts out of order, beyond the total or stored twice");
        }
    } catch (const std::exception& e) {
        const std::string strWhat = DescribeJsonError(e);
        error.strWhat = nMessage ? "message " + std::to_string(nMessage) + ": " + strWhat : strWhat;
        return false;
    }
    inbox = parsed;
    return true;
}

} // namespace

std::string FormatInbox(const CInbox& inbox)
{
    CJson json;
    json["format"] = kFormat;
    json["version"] = kInboxFileVersion;
    CJson messages = CJson::array();
    for (const CReceivedMsg& msg : inbox.GetMessages())
        messages.push_back(MessageToJson(msg, true));
    json["messages"] = messages;
    return json.dump(1, ' ', false, CJson::error_handler_t::replace) + "\n";
}

std::string FormatInboxMessage(const CReceivedMsg& msg)
{
    return MessageToJson(msg, false).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

bool ParseInbox(const std::string& strJson, CInbox& inbox, std::string& strError)
{
    CParseError error;
    if (ParseWhole(strJson, inbox, error))
        return true;
    strError = error.strWhat;
    return false;
}

CInboxLoad LoadInbox(const WString& strPath, CInbox& inbox, EDamagedInbox eDamaged)
{
    CInboxLoad load;
    inbox = CInbox();
    std::string strData;
    std::string strError;
    switch (ReadWholeFile(strPath, strData, strError)) {
    case EFileRead::FILE_READ_MISSING:
        return load;
    case EFileRead::FILE_READ_FAILED:
        load.result = EInboxLoad::INBOX_FAILED;
        load.strReport = "The inbox file cannot be read: " + strError;
        return load;
    default:
        break;
    }
    CParseError error;
    if (ParseWhole(strData, inbox, error))
        return load;
    if (error.bNewer) {
        load.result = EInboxLoad::INBOX_NEWER;
        load.strReport = "The inbox file was " + error.strWhat + " and is left as it is";
        return load;
    }
    const std::string strWhy = error.strWhat;
    if (eDamaged == EDamagedInbox::LEAVE) {
        load.result = EInboxLoad::INBOX_FAILED;
        load.strReport = "The inbox file is damaged (" + strWhy + ") and is left as it is";
        return load;
    }
    if (!KeepDamaged(strPath, load.strKeptAs, strError)) {
        load.result = EInboxLoad::INBOX_FAILED;
        load.strReport = "The inbox file is damaged (" + strWhy + ") and cannot be kept aside: " + strError;
        return load;
    }
    load.result = EInboxLoad::INBOX_DAMAGED;
    load.strReport = "The inbox file was damaged (" + strWhy + "); it was kept as " + Utf8(load.strKeptAs) +
                     " and a new one is started.";
    return load;
}

bool SaveInbox(const WString& strPath, const CInbox& inbox, std::string& strError)
{
    return WriteFileAtomically(strPath, FormatInbox(inbox), strError);
}

CInboxChange ChangeInbox(const WString& strPath, const FnInboxChange& fnChange, CInbox& inbox)
{
    CInboxChange change;
    inbox = CInbox();
    CNamedLock lock("inbox");
    const uint32_t dwError = lock.Lock(kLockTimeoutMs);
    if (dwError != kErrorSuccess) {
        change.strError = dwError == kErrorWaitTimeout ? "another program kept the inbox file locked"
                                                       : "the inbox file's lock failed (error " +
                                                             std::to_string(dwError) + ")";
        return change;
    }
    const CInboxLoad load = LoadInbox(strPath, inbox);
    if (load.result == EInboxLoad::INBOX_FAILED || load.result == EInboxLoad::INBOX_NEWER) {
        change.strError = load.strReport;
        return change;
    }
    if (load.result == EInboxLoad::INBOX_DAMAGED)
        change.strNote = load.strReport;
    change.bStored = !fnChange(inbox) || SaveInbox(strPath, inbox, change.strError);
    return change;
}
