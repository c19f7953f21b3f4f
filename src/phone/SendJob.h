// Sending a message with "AT+CMGS", or storing it in the phone's memory with
// "AT+CMGW", part by part: each part announced with its TPDU length, its PDU
// written after the phone's "> " prompt, and the phone's answer awaited
// before the next part. A part the phone refuses for a moment (a busy network
// or SIM) is offered again, the same PDU with the same reference, after 2 s
// and then after 5 s; an answer that leaves open whether the network took it
// ("+CMS ERROR: 332", or none at all) makes the message not confirmed.
#pragma once

#include <memory>
#include <string>

#include "phone/ListingStep.h"
#include "phone/ModemJob.h"
#include "phone/SendListener.h"
#include "sms/Msg.h"

class CSendJob : public CModemJob {
public:
    // The message goes from its current part on (an earlier send may have
    // sent the parts before); what becomes of each part goes to the
    // listener. bListFirst: the phone's memory is listed for the delivery
    // reports the owner awaits before the first part.
    CSendJob(CModemLink& link, std::unique_ptr<CMsg> pMsg, std::unique_ptr<CSendListener> pListener, bool bSave,
             bool bListFirst);

    void Start() override;
    void OnLine(const std::string& strLine) override;
    void OnPrompt() override;
    void RepeatStep() override;
    void OnNotConfirmed(const WString& strReason) override;

    // Asks the phone to keep delivery reports and announce them ("+CDSI").
    static const char kReportMode[];

private:
    enum class EStep { REPORT_MODE, PDU_MODE, LISTING, PROMPT, SUBMIT, DONE };

    // The step, and how the session treats its answers.
    void SetStep(EStep eStep);
    void OnPromptLine(const std::string& strLine);
    void OnSubmitLine(const std::string& strLine);
    void OnAcknowledged(const std::string& strAck);
    void AnnouncePart(bool bNewPart);
    bool RetryRefusedPart(const std::string& strLine);
    // A refusal the phone says the part did not leave by: the request fails.
    [[noreturn]] void Refused(const std::string& strExpected, const std::string& strLine);
    unsigned Part() const { return m_msg.m_btCurSms; }

    std::unique_ptr<CMsg> m_pMsg;
    CMsg& m_msg;
    std::unique_ptr<CSendListener> m_pListener;
    bool m_bSave;
    bool m_bListFirst;
    EStep m_eStep = EStep::PDU_MODE;
    std::string m_strPdu;  // the PDU of the current part
    std::unique_ptr<CListingStep> m_pListing;
};
