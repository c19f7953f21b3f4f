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

class CMsg;

class CSendJob : public CModemJob {
public:
    // bListFirst: the phone's memory is listed for the delivery reports the
    // owner awaits before the first part. nLastRef receives the reference of
    // each part the phone acknowledges.
    CSendJob(CModemLink& link, CMsg& msg, bool bSave, bool bListFirst, unsigned& nLastRef);

    void Start() override;
    void OnLine(const std::string& strLine) override;
    void OnPrompt() override;
    void RepeatStep() override;
    bool IsAwaitingSubmit() const override { return m_eStep == EStep::SUBMIT && !m_bSave; }
    size_t GetMaxLines() const override;
    // A part's refusals for a moment are its own, announced to the owner.
    bool RetriesWhenNotReady() const override { return m_eStep != EStep::PROMPT && m_eStep != EStep::SUBMIT; }

    // Asks the phone to keep delivery reports and announce them ("+CDSI").
    static const char kReportMode[];

private:
    enum class EStep { REPORT_MODE, PDU_MODE, LISTING, PROMPT, SUBMIT, DONE };

    void OnPromptLine(const std::string& strLine);
    void OnSubmitLine(const std::string& strLine);
    void OnAcknowledged(const std::string& strAck);
    void AnnouncePart(bool bNewPart);
    bool RetryRefusedPart(const std::string& strLine);

    CMsg& m_msg;
    bool m_bSave;
    bool m_bListFirst;
    unsigned& m_nLastRef;
    EStep m_eStep = EStep::PDU_MODE;
    std::string m_strPdu;  // the PDU of the current part
    std::unique_ptr<CListingStep> m_pListing;
};
