// A user at the main window, as far as sending goes: types the recipients
// and the text, presses Send or Cancel, presses Send again for what the
// recipients box holds once a send has ended, and starts the program again
// after it was killed. It does what the window does (MainDlg: RestoreOutbox,
// OnSendOrSave, OnSendEnded), with the request logic and the outbox under
// it; every tie to their send API is here and nowhere else in the tests.
#pragma once

#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/Draft.h"
#include "support/RequestHarness.h"
#include "app/SendInput.h"
#include "app/SendList.h"

class CSendUser : private CTestHost {
public:
    // What the window last said of a recipient, by number; kept across the
    // program's lives by whoever starts it.
    enum class EState { WAITING, SENT, FAILED, NOT_CONFIRMED };
    struct CSeen {
        EState eState = EState::WAITING;
        unsigned nParts = 0;  // the parts it counts as gone
    };
    typedef std::map<std::string, CSeen> CSeenMap;

    // The window starts with the outbox in strFolder (ending in a separator):
    // what a program that is gone left there comes back into the boxes.
    CSendUser(CPortOperations& port, CDialogueTimer& timer, const WString& strFolder, CSeenMap& seen)
        : m_pPort(&port), m_pTimer(&timer), m_seen(seen)
    {
        CSendRecord record;
        m_bRestored = m_draft.OpenOutbox(strFolder, record);
        m_request.SetOutbox(m_draft.GetOutbox());
        if (!m_bRestored)
            return;
        m_strText = record.strText;
        m_strBox = JoinTyped(m_draft.GetLeft());
        for (const CSendRecipient& r : record.recipients)
            See(r);
    }

    void Type(const WString& strRecipients, const WString& strText)
    {
        m_strBox = strRecipients;
        m_strText = strText;
    }
    // False when nothing was started (nothing to send, or it was refused).
    bool Send()
    {
        std::vector<CSendRecipient> recipients;
        CResolveNotes notes;
        std::string strError;
        if (!ResolveSendList(m_strBox, std::vector<CContact>(), recipients, notes, strError) ||
            !CheckText(m_strText, strError))
            return false;
        m_draft.BeginSend(m_strText, recipients);
        m_bRunning = m_request.Send(WSTR("COM5"), recipients, m_strText);
        if (!m_bRunning)
            m_draft.CancelSend();
        return m_bRunning;
    }
    void Cancel() { m_request.Cancel(); }

    bool IsSending() const { return m_bRunning; }
    // The program found what an earlier one left.
    bool IsRestored() const { return m_bRestored; }
    // Whom the last send left for the next Send; empty once everyone has had it.
    bool HasLeft() const { return !m_draft.GetLeft().empty(); }
    const WString& GetBox() const { return m_strBox; }
    const std::vector<std::string>& GetStatus() const { return m_status; }

    // What the serial worker and the dialogue timer bring.
    void OnOperationComplete(std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError)
    {
        m_request.OnOperationComplete(std::move(pOp), std::move(pError));
    }
    void OnTimer() { m_request.OnTimer(); }

private:
    void See(const CSendRecipient& recipient)
    {
        static const EState kStates[] = {EState::WAITING, EState::WAITING, EState::SENT, EState::FAILED,
                                          EState::NOT_CONFIRMED};
        m_seen[WideToUtf8(recipient.contact.m_strNumber)] =
            CSeen{kStates[static_cast<size_t>(recipient.eState)], recipient.GetPartsDone()};
    }

    // CTestHost
    void OnStatus(const WString& strText, bool) override { m_status.push_back(WideToUtf8(strText)); }
    void OnMessageDone(const CSendRecord& record, size_t nIndex) override { See(record.recipients[nIndex]); }
    void OnMessageNotConfirmed(const CSendRecord& record, size_t nIndex) override { See(record.recipients[nIndex]); }
    // After a failure or Cancel the box keeps only those not served.
    void OnMessagesEnded(const CSendRecord& record) override
    {
        if (!m_draft.IsSending())
            return;
        m_draft.EndSend(record, m_strText);
        for (const CSendRecipient& recipient : record.recipients)
            See(recipient);
        if (record.Count(ESendState::SENT) < record.recipients.size())
            m_strBox = JoinTyped(m_draft.GetLeft());
    }
    void OnRequestEnded() override { m_bRunning = false; }

    CPortOperations* m_pPort;
    CDialogueTimer* m_pTimer;
    CDraft m_draft;
    CTestRequests m_request{m_pPort, this, m_pTimer};
    CSeenMap& m_seen;
    WString m_strBox, m_strText;
    bool m_bRunning = false;
    bool m_bRestored = false;
    std::vector<std::string> m_status;
};

// A data folder of the program's own (ending in a separator), on a memory
// file system where there is one, so that the journal's flushes cost nothing.
inline std::string NewDataFolder()
{
    namespace fs = std::filesystem;
    const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path folder = base / ("zandu-data-" + std::to_string(std::random_device()()));
    fs::create_directories(folder);
    return (folder / "").string();
}
