// One outgoing message to one recipient, and the way a text is cut into parts.
//
// Errors in this layer: nothing throws out of it. A text, a number or a PDU
// that cannot be built or read gives false (a file's or a decoder's with the
// reason in a std::string&); a reader that throws inside catches at its own
// entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Text.h"
#include "sms/GsmAlphabet.h"

const unsigned kSingleSeptets = 160;  // one SMS without user data header
const unsigned kPartSeptets = 153;    // 160 less the 7 septets of the concatenation header
const unsigned kSingleUnits = 70;     // UCS-2: 140 octets, two per UTF-16 code unit
const unsigned kPartUnits = 67;       // 140 less the 6 octets of the concatenation header
const unsigned kMaxParts = 255;       // part numbers and the total are single octets

// How a message's text goes to the phone. A text goes in the GSM 7-bit
// alphabet when FitsGsmAlphabet says so; any other goes whole in UCS-2, so
// that nothing the user typed is lost.
enum class EEncoding {
    ENC_GSM7 = 0,
    ENC_UCS2 = 1,
};
EEncoding ChooseEncoding(const WString& strText);

// The text as a UCS-2 message carries it: its code units up to the first NUL.
WString TextToUcs2(const WString& strText);

// The reference counter starts every run at 240, so the first message is 241.
// Tests restart it here.
void ResetMsgReferences(uint8_t btCounter = 240);

// Septets of the part that starts at nPos. A text of up to 160 septets is one
// SMS; a longer one is cut every 153 septets, except that a part never ends
// in an escape septet: the extension character it begins moves whole to the
// next part, because the recipient's phone decodes every part by itself.
size_t GetPartLength(const SeptetString& strSeptets, size_t nPos);
// The same for UCS-2 code units: 70 in one SMS, else parts of 67, and a
// surrogate pair is never split (that part holds 66).
size_t GetUcs2PartLength(const WString& strUnits, size_t nPos);

// Number of SMS the septets, or the UCS-2 code units, are sent as.
unsigned CountParts(const SeptetString& strSeptets);
unsigned CountUcs2Parts(const WString& strUnits);
// Number of SMS a text is sent as, in the encoding it is sent with.
unsigned CountTextParts(const WString& strText);

// A recipient as the window names it: "Name (number)", or the number alone
// when there is no name.
WString FormatDisplayName(const WString& strName, const WString& strNumber);

class CMsg {
public:
    CMsg(const WString& strText, const WString& strName, const WString& strNumber);

    bool IsUnicode() const { return m_eEncoding == EEncoding::ENC_UCS2; }

    // Septets of the part to send next (a GSM message), or its code units (a
    // UCS-2 message).
    SeptetString GetPart() const;
    WString GetUcs2Part() const;
    // The SMS-SUBMIT PDU of the part to send next, in the message's encoding.
    // False, with strPdu empty, when the number cannot be encoded.
    bool BuildPdu(std::string& strPdu) const;
    void NextPart();
    bool IsComplete() const { return m_dwPos >= GetLength(); }
    unsigned GetTotalParts() const;

    // More parts than a concatenated SMS can number: such a text must be refused.
    bool IsTooLong() const { return GetTotalParts() > kMaxParts; }

    // "Name (number)", or the number alone when the recipient was typed as one.
    WString GetDisplayName() const;

    uint32_t m_dwRef;
    EEncoding m_eEncoding;
    SeptetString m_strSeptets;  // the whole text as septets; empty in UCS-2
    WString m_strUnits;         // the whole text as UCS-2 code units; empty in GSM
    WString m_strName;
    WString m_strNumber;
    WString m_strText;
    uint8_t m_btCurSms;
    uint32_t m_dwPos;  // first septet or code unit of the part to send next
    bool m_bStatusReport = false;  // every part asks for a delivery report (TP-SRR)

private:
    size_t GetLength() const { return IsUnicode() ? m_strUnits.size() : m_strSeptets.size(); }
};

// The message-length counter under the message box: what the text will
// really occupy, in the encoding and with the part boundaries it will be
// sent with. nLeft is what the last part still holds (septets or UTF-16 code
// units), nPart the number of that part.
struct CCharCount {
    unsigned nLeft;
    unsigned nPart;
    bool bUnicode;
};
CCharCount CountChars(const WString& strText);
// The counter's label: "%u characters left in SMS %u", with " (Unicode)"
// after it for a text that goes in UCS-2.
WString FormatCharCount(const CCharCount& count);
