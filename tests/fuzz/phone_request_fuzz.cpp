// The request logic the window and the console tool share, with the modem
// driver below it, fed arbitrary bursts of a phone in every request and
// state, the user's Cancel and the timer firing in between. Whatever the
// phone says, a request either goes on because the phone answered what it
// was asked, or waits with its clock running and ends when that runs out:
// bursts alone (a babbling phone) restart the clock no more often than one
// answer may have lines, no wait is without one, and a request ends exactly
// once, with one close of the port and nothing after it.
//
// Input: the first byte chooses the request (bits 0-1: send, store, phone
// book, device test), the recipients (bits 2-3: 1 to 3), a text of two
// parts (bit 4), and (bit 5) a send that asks for delivery reports and
// lists the awaited ones first, or reading the phone's messages instead of
// the phone book (the host deletes every message listed whole). The rest is
// bursts separated by 0xFF; a burst of the one byte 0xFE fires the timer,
// one of 0xFD is the user's Cancel.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "../support/ModemHarness.h"
#include "../support/FakeListKey.h"
#include "FuzzInput.h"
#include "../support/RequestHarness.h"
#include "phone/ListingStep.h"

namespace {

// Enough for every retry of every part and recipient to time out once more.
const int kMaxIdleFirings = 16;

class CFuzzHost : public CTestHost, public CDialogueTimer {
public:
    explicit CFuzzHost(const CFakePortOperations& queue) : m_queue(queue) {}

    void OnStatus(const WString&, bool) override {}
    void SetTimeout(uint32_t) override
    {
        // An answer starts the clock anew with the command it is followed
        // by; a firing, with the part offered again. Each line of a long
        // answer and a refusal for a moment start it without a command, but
        // no more often in a row than an answer may have lines: a phone that
        // keeps talking cannot keep the clock from running out.
        const size_t nWrites = CountWrites();
        const bool bByBurst = m_bStarted && nWrites == m_nWritesAtStart && m_nFirings == m_nFiringsAtStart;
        m_nByBurst = bByBurst ? m_nByBurst + 1 : 0;
        Check(m_nByBurst <= CListingStep::kMaxLines + 1);
        m_bStarted = m_bArmed = true;
        m_nWritesAtStart = nWrites;
        m_nFiringsAtStart = m_nFirings;
    }
    void KillTimeout() override { m_bArmed = false; }
    void OnRequestEnded() override { ++m_nEnded; }
    void OnMessageDone(const CSendRecord&, size_t) override { ++m_nDone; }

    size_t CountWrites() const
    {
        size_t n = 0;
        for (const std::string& strOp : m_queue.m_log)
            n += strOp.compare(0, 6, "write ") == 0;
        return n;
    }

    bool m_bArmed = false;
    int m_nFirings = 0;
    int m_nEnded = 0;
    size_t m_nDone = 0;

private:
    const CFakePortOperations& m_queue;
    bool m_bStarted = false;
    size_t m_nByBurst = 0;  // clock starts in a row without a write or a firing
    size_t m_nWritesAtStart = 0;
    int m_nFiringsAtStart = 0;
};

struct CRig {
    CFakePortOperations queue;
    CFuzzHost host{queue};
    CTestRequests request{&queue, &host, &host};
    CFakeListKey key;
    // What is listed is stored in an inbox file of this input's, and then deleted.
    CRequestRecorder recorder{key, [] { return WString(WSTR("T")); }};
    const std::filesystem::path inbox = std::filesystem::temp_directory_path() / "zandu-fuzz-inbox.json";
    CPhoneLink phone{queue, [this](std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError) {
                         request.OnOperationComplete(std::move(pOp), std::move(pError));
                     }};

    CRig()
    {
        std::error_code error;
        std::filesystem::remove(inbox, error);
        recorder.StartInbox(Utf8ToWide(inbox.string()), true);
        request.SetRecorder(&recorder);
    }

    void Fire()
    {
        ++host.m_nFirings;
        host.m_bArmed = false;  // a window timer is killed by the driver or started again
        request.OnTimer(CPhoneSession::TIMER_DIALOGUE);
        phone.Run();
    }
};

void Start(CRig& rig, uint8_t btMode)
{
    std::vector<CContact> recipients;
    for (int i = 0; i <= ((btMode >> 2) & 3) % 3; ++i)
        recipients.emplace_back(i ? WSTR("Anna") : WString(), WSTR("012345") + WString(1, WChar('0' + i)));
    const WString strText = (btMode & 16) ? WString(161, WChar('x')) : WString(WSTR("Hi"));
    const bool bMessages = (btMode & 32) != 0;
    switch (btMode & 3) {
    case 0:
        rig.request.SetDeliveryReports(bMessages, bMessages);
        Check(rig.request.Send(WSTR("COM5"), recipients, strText));
        break;
    case 1: Check(rig.request.Save(WSTR("COM5"), recipients, strText)); break;
    case 2:
        if (bMessages)
            rig.request.ReadMessages(WSTR("COM5"));
        else
            rig.request.DownloadPhonebook(WSTR("COM5"));
        break;
    default: rig.request.TestPort(WSTR("COM5")); break;
    }
    rig.phone.Run();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFuzzInput in(data, size);
    const uint8_t btMode = in.Byte();
    CRig rig;
    Start(rig, btMode);
    for (const std::string& strBurst : SplitBytes(in.Rest(), '\xFF')) {
        if (strBurst == "\xFE") {
            if (rig.host.m_bArmed)
                rig.Fire();
        } else if (strBurst == "\xFD") {
            if (rig.host.m_nEnded)
                break;  // Cancel is the button of a request that runs
            rig.request.Cancel();
            rig.phone.Run();
        } else if (rig.phone.IsReadPending()) {
            rig.phone.Reply(strBurst.substr(0, CModem::kReadSize));
        } else if (rig.host.m_bArmed) {
            rig.Fire();  // waiting to offer a part again: the phone's burst finds no read
        } else {
            break;
        }
    }
    // The phone says nothing more: the clock must end the request.
    for (int i = 0; i < kMaxIdleFirings && rig.phone.IsReadPending(); ++i) {
        Check(rig.host.m_bArmed);
        rig.Fire();
    }
    for (int i = 0; i < kMaxIdleFirings && rig.host.m_bArmed && rig.host.m_nEnded == 0; ++i)
        rig.Fire();
    Check(!rig.phone.IsReadPending());
    Check(rig.host.m_nEnded == 1 && rig.queue.Count("close") == 1 && rig.queue.m_log.back() == "close");
    Check(rig.host.m_nDone <= rig.request.GetRecipientCount());
    return 0;
}
