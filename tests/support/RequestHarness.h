// The request logic as the window and the console tool drive it, for tests:
// a host that may note whatever it hears (CTestHost, every call a no-op
// unless overridden), and CTestRequests, which makes each request class and
// runs it on a session as the window does. No test framework here: the fuzz
// target uses it too.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/DeviceTestRequest.h"
#include "app/PhoneSession.h"
#include "app/PhonebookRequest.h"
#include "app/ReadMessagesRequest.h"
#include "app/SendList.h"
#include "app/SendRequest.h"

class CTestHost : public CSessionHost, public CSendHost, public CReadingHost {
public:
    // CSessionHost
    void OnStatus(const WString&, bool) override {}
    void OnRequestEnded() override {}
    bool OnPinRequired(bool) override { return false; }
    void OnPortError(uint32_t, const WString&) override {}
    void OnPhoneRefused(const CSmsException&, const WString&) override {}
    void OnNoAnswer() override {}
    void OnNoProgress() override { OnStatus(WSTR("Error: timed out waiting for data"), false); }
    void OnStoreFailure(const WString&, uint32_t) override {}
    // CSendHost
    void OnMessageStarted(const CSendRecord&, size_t) override {}
    void OnMessageDone(const CSendRecord&, size_t) override {}
    void OnMessageNotConfirmed(const CSendRecord&, size_t) override {}
    void OnMessagesEnded(const CSendRecord&) override {}
    // CReadingHost, and a send's listing
    void OnMessagesRead(size_t) override {}
    void OnListingNotStored(const std::string&) override {}
    void OnInboxNote(const std::string&) override {}
    // A phone book downloaded whole.
    virtual void OnPhonebook(const std::vector<CContact>&) {}
};

class CTestRequests {
public:
    CTestRequests(CPortOperations* pQueue, CTestHost* pHost, CDialogueTimer* pTimer)
        : m_session(pQueue, pHost, pTimer), m_host(*pHost)
    {
    }

    void SetOutbox(COutbox* pOutbox) { m_pOutbox = pOutbox; }
    void SetRecorder(CRequestRecorder* pRecorder)
    {
        m_pRecorder = pRecorder;
        m_session.SetRecorder(pRecorder);
    }
    void SetDeliveryReports(bool bRequest, bool bReadPending)
    {
        m_options.bReports = bRequest;
        m_options.bReadPending = bReadPending;
    }

    bool Send(const WString& strPort, const std::vector<CSendRecipient>& recipients, const WString& strText,
              bool bSave = false)
    {
        CSendOptions options = m_options;
        options.bSave = bSave;
        auto pSend = std::make_unique<CSendRequest>(m_host, recipients, strText, options, m_pOutbox, m_pRecorder);
        m_pSend = pSend.get();
        return m_session.Run(std::move(pSend), strPort);
    }
    bool Send(const WString& strPort, const std::vector<CContact>& recipients, const WString& strText)
    {
        return Send(strPort, AsTyped(recipients), strText);
    }
    bool Save(const WString& strPort, const std::vector<CContact>& recipients, const WString& strText)
    {
        return Send(strPort, AsTyped(recipients), strText, true);
    }
    void DownloadPhonebook(const WString& strPort)
    {
        m_session.Run(std::make_unique<CPhonebookRequest>(
                          [this](const std::vector<CContact>& phonebook) { m_host.OnPhonebook(phonebook); }),
                      strPort);
    }
    void TestPort(const WString& strPort) { m_session.Run(std::make_unique<CDeviceTestRequest>(), strPort); }
    void ReadMessages(const WString& strPort, bool bReportsOnly = false)
    {
        m_session.Run(std::make_unique<CReadMessagesRequest>(m_host, m_pRecorder, bReportsOnly), strPort);
    }

    void Cancel() { m_session.Cancel(); }
    void EnterPin(const std::string& strPin) { m_session.EnterPin(strPin); }
    void OnOperationComplete(std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError)
    {
        m_session.OnOperationComplete(std::move(pOp), std::move(pError));
    }
    void OnTimer(unsigned nId = CPhoneSession::TIMER_DIALOGUE) { m_session.OnTimer(nId); }
    CPhoneSession& Session() { return m_session; }

    // The last send's record.
    const CSendRecord& GetRecord() const { return m_pSend ? m_pSend->GetRecord() : m_none; }
    size_t GetMessagesDone() const { return GetRecord().Count(ESendState::SENT); }
    size_t GetRecipientCount() const { return GetRecord().recipients.size(); }

private:
    CPhoneSession m_session;
    CTestHost& m_host;
    COutbox* m_pOutbox = nullptr;
    CRequestRecorder* m_pRecorder = nullptr;
    CSendOptions m_options;
    const CSendRequest* m_pSend = nullptr;  // the session owns it
    CSendRecord m_none;
};
