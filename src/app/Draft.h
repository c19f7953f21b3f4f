// The message the main window composes, across its sends: the text each
// send took, whether the message box's text has gone to every recipient (the
// window then closes without asking), the recipients the last send did not
// serve, for the next Send to go on where each stopped, and the outbox that
// keeps them across a crash.
#pragma once

#include <memory>
#include <vector>

#include "app/Outbox.h"
#include "app/SendList.h"
#include "app/SendRecord.h"
#include "base/Text.h"

class CDraft {
public:
    // The outbox in strFolder (the data folder, ending in a separator).
    // True with what a program that is gone (a crash, a kill, a power cut)
    // left there: its recipients waiting or failed become the ones left.
    bool OpenOutbox(const WString& strFolder, CSendRecord& record);
    // Null without a data folder: nothing is kept then.
    COutbox* GetOutbox() const { return m_pOutbox.get(); }

    // A send of strText begins; a recipient named again goes on where the
    // last send of the same text left it.
    void BeginSend(const WString& strText, std::vector<CSendRecipient>& recipients);
    // The send did not start after all.
    void CancelSend() { m_bSending = false; }
    bool IsSending() const { return m_bSending; }
    // The send is over, as its record says; strBoxText: what the message
    // box holds now.
    void EndSend(const CSendRecord& record, const WString& strBoxText);
    // The waiting and the failed, as typed.
    std::vector<CSendRecipient> GetLeft() const { return m_last.GetLeft(); }
    // The record of the last send that ended, or of what was restored.
    const CSendRecord& GetLast() const { return m_last; }

    void OnEdited() { m_bSentWhole = false; }
    bool IsSentWhole() const { return m_bSentWhole; }
    // The window closes: what was not sent, the user let go.
    void LetGo();

private:
    std::unique_ptr<COutbox> m_pOutbox;
    CSendRecord m_last;  // the last send's, or what a program that is gone left
    bool m_bSentWhole = false;
    bool m_bSending = false;
};

// The question before the window closes with a text not sent to everyone:
// "Your message has been sent to 2 of 3 recipients; 1 has not got it." once
// a send to some of them is over, else "Your message has not been sent.".
WString DescribeUnsent(size_t nSent, size_t nCount, bool bRunning);
