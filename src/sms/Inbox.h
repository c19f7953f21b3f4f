// The received messages: listed PDUs joined into messages, each stored once
// however often the phone lists it.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "base/Text.h"
#include "sms/DeliverPdu.h"
#include "sms/SmsTime.h"

// What identifies a listed PDU, so the phone listing it again (or in a
// second storage, or another phone with the same SIM) stores nothing twice:
// a 64-bit hash of its hex text without the service-centre field (which
// phones fill in as they like; case does not matter), as 16 hex digits. A
// text whose field cannot be told is hashed whole.
std::string GetPduKey(const std::string& strHex);
// The key of the same PDU as versions before this one made it, of the whole
// text with its service-centre field: the files they wrote hold such keys.
std::string GetLegacyPduKey(const std::string& strHex);

struct CReceivedPart {
    unsigned nPart = 1;   // 1 to the message's total
    std::string strKey;   // GetPduKey of its PDU
    CSmsTime time;        // its service-centre time
    WString strText;      // as decoded (8-bit data in hex)
    std::string strPdu;   // the PDU, kept when it could not be decoded
};

struct CReceivedMsg {
    bool bDecoded = true;  // false: one PDU that could not be decoded, kept in its part
    WString strSender;
    CSmsTime time;         // the service-centre time of its first part present
    EAlphabet alphabet = EAlphabet::ALPHABET_GSM7;
    bool bConcatenated = false;
    bool b16BitRef = false;
    unsigned nRef = 0;
    unsigned nTotal = 1;
    std::vector<CReceivedPart> parts;  // ascending part numbers, each at most once
    std::string strNote;   // the parts' notes, each once
    bool bNew = false;     // stored (or a part joined it) since the Inbox window last showed it

    bool IsComplete() const { return parts.size() >= nTotal; }
    // The parts' texts in part order, a missing one as "[part 2 of 3 missing]";
    // the hex PDU of one that could not be decoded. A surrogate left without
    // its partner (its part is missing) becomes U+FFFD.
    WString GetText() const;
};

class CInbox {
public:
    enum class EAdded {
        ADDED_NEW,        // a message of its own
        ADDED_JOINED,     // a part of a message the inbox holds
        ADDED_DUPLICATE,  // a PDU the inbox holds already: nothing changed
    };
    // A part joins the message with its sender, reference (8 or 16 bits)
    // and total that lacks its part number and whose time is within 3 days
    // of its own: parts of one message come within hours, while a sender's
    // references repeat after 256 (or 65536) messages. Otherwise, and for a
    // PDU that could not be decoded, it starts a message. A PDU whose key or
    // legacy key the inbox holds is a duplicate. What was added is new (bNew).
    EAdded Add(const CDeliverSms& sms);

    // A message as the inbox file holds it; false when it has no part,
    // parts out of order or beyond its total, a part without a key, or a key
    // the inbox knows already.
    bool Restore(const CReceivedMsg& msg);

    bool HasKey(const std::string& strKey) const { return m_keys.count(strKey) != 0; }
    // In the order they were added.
    const std::vector<CReceivedMsg>& GetMessages() const { return m_messages; }
    // The messages whose every part has one of these keys (those the Inbox
    // showed) are no longer new; true when any was.
    bool MarkSeen(const std::set<std::string>& keys);

private:
    CReceivedMsg* FindPartner(const CDeliverSms& sms);

    std::vector<CReceivedMsg> m_messages;
    std::set<std::string> m_keys;
};

// Joins the PDUs of one listing: CInbox::Add of each, in the order given.
std::vector<CReceivedMsg> JoinParts(const std::vector<CDeliverSms>& listed);
