// One outgoing message to one recipient, and the way a text is cut into parts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/Text.h"
#include "sms/GsmAlphabet.h"

const unsigned kSingleSeptets = 160;  // one SMS without user data header
const unsigned kPartSeptets = 153;    // 160 less the 7 septets of the concatenation header
const unsigned kMaxParts = 255;       // part numbers and the total are single octets

// The reference counter starts every run at 240, so the first message is 241.
// Tests restart it here.
void ResetMsgReferences(uint8_t btCounter = 240);

// Septets of the part that starts at nPos. A text of up to 160 septets is one
// SMS; a longer one is cut every 153 septets, except that a part never ends
// in an escape septet: the extension character it begins moves whole to the
// next part, because the recipient's phone decodes every part by itself.
size_t GetPartLength(const SeptetString& strSeptets, size_t nPos);

// Number of SMS the septets are sent as.
unsigned CountParts(const SeptetString& strSeptets);

class CMsg {
public:
    CMsg(const WString& strText, const WString& strName, const WString& strNumber);

    // Septets of the part to send next.
    SeptetString GetPart() const;
    void NextPart();
    bool IsComplete() const { return m_dwPos >= m_strSeptets.size(); }
    unsigned GetTotalParts() const { return CountParts(m_strSeptets); }

    // More parts than a concatenated SMS can number: such a text must be refused.
    bool IsTooLong() const { return GetTotalParts() > kMaxParts; }

    // "Name (number)", or the number alone when the recipient was typed as one.
    WString GetDisplayName() const;

    uint32_t m_dwRef;
    SeptetString m_strSeptets;
    WString m_strName;
    WString m_strNumber;
    WString m_strText;
    uint8_t m_btCurSms;
    uint32_t m_dwPos;
};

// The message-length counter under the message box. It counts UTF-16
// characters as typed, not septets, so it is a guide, not the part layout.
struct CCharCount {
    unsigned nLeft;
    unsigned nPart;
};
CCharCount CountChars(size_t nChars);
