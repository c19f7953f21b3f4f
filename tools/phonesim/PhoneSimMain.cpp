// phonesim: a GSM phone on a pseudo-terminal. It owns the master side, keeps
// the slave open itself (so the program may close and reopen the port),
// watches the slave for the program's opens and closes, and carries out what
// the AT engine decides: bursts with pauses between them, paced like a serial
// line when asked, what falls due on its clock, the disconnect, the cable
// pulled and put back, the log. Idle, it sleeps until input or the next due.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "SimJson.h"
#include "SimOptions.h"
#include "SimPhone.h"
#include "SimIncoming.h"
#include "SimPhonebook.h"
#include "SimStore.h"

namespace {

typedef std::chrono::steady_clock Clock;

int g_anStopPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char ch = 0;
    ssize_t n = write(g_anStopPipe[1], &ch, 1);
    (void)n;
}

class CPhoneLine {
public:
    explicit CPhoneLine(const CSimOptions& options) : m_options(options) {}
    ~CPhoneLine() { Close(); }

    bool Open(std::string& strError)
    {
        m_nMaster = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_nMaster < 0 || grantpt(m_nMaster) != 0 || unlockpt(m_nMaster) != 0) {
            strError = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
            return false;
        }
        m_strSlave = ptsname(m_nMaster);
        // The phone's own hold on the slave: without it, the master would see
        // a hang-up whenever the program closes the port.
        m_nSlave = open(m_strSlave.c_str(), O_RDWR | O_NOCTTY);
        if (m_nSlave < 0) {
            strError = "cannot open " + m_strSlave + ": " + std::strerror(errno);
            return false;
        }
        termios tio;
        tcgetattr(m_nSlave, &tio);
        cfmakeraw(&tio);
        cfsetispeed(&tio, B9600);
        cfsetospeed(&tio, B9600);
        tcsetattr(m_nSlave, TCSANOW, &tio);
        fcntl(m_nMaster, F_SETFL, fcntl(m_nMaster, F_GETFL) | O_NONBLOCK);
        if (m_options.bBusy) {
            // Another program holds the port: every further open fails.
            int nLock = 1;
            ioctl(m_nMaster, TIOCSPTLCK, &nLock);
        }
        if (!m_options.strLink.empty() && !MakeLink(strError))
            return false;
        // The program's opens and closes of the slave; without them, its
        // first byte tells the phone of an open.
        m_nWatch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_nWatch >= 0 && inotify_add_watch(m_nWatch, m_strSlave.c_str(), IN_OPEN | IN_CLOSE) < 0) {
            close(m_nWatch);
            m_nWatch = -1;
        }
        return true;
    }

    // The opens (true) and closes (false) of the slave since the last call, in order.
    std::vector<bool> TakeOpens()
    {
        alignas(inotify_event) char buf[4096];
        std::vector<bool> opens;
        ssize_t n = 0;
        while (m_nWatch >= 0 && (n = read(m_nWatch, buf, sizeof(buf))) > 0) {
            for (ssize_t i = 0; i < n;) {
                const inotify_event* pEvent = reinterpret_cast<const inotify_event*>(buf + i);
                if (pEvent->mask & (IN_OPEN | IN_CLOSE))
                    opens.push_back((pEvent->mask & IN_OPEN) != 0);
                i += static_cast<ssize_t>(sizeof(inotify_event) + pEvent->len);
            }
        }
        return opens;
    }

    void Close()
    {
        if (m_nWatch >= 0)
            close(m_nWatch);
        m_nWatch = -1;
        RemoveLink();
        if (m_nSlave >= 0)
            close(m_nSlave);
        if (m_nMaster >= 0)
            close(m_nMaster);
        m_nSlave = m_nMaster = -1;
    }

    int Master() const { return m_nMaster; }
    int Watch() const { return m_nWatch; }
    const std::string& Slave() const { return m_strSlave; }

private:
    // Made under a temporary name and renamed over the old link, so that the
    // link never points nowhere while it is replaced.
    bool MakeLink(std::string& strError)
    {
        const std::string strTemp = m_options.strLink + ".new" + std::to_string(getpid());
        unlink(strTemp.c_str());
        if (symlink(m_strSlave.c_str(), strTemp.c_str()) != 0 || rename(strTemp.c_str(), m_options.strLink.c_str()) != 0) {
            strError = "cannot link " + m_options.strLink + ": " + std::strerror(errno);
            unlink(strTemp.c_str());
            return false;
        }
        m_bLinked = true;
        return true;
    }

    // Only a link that still points at this phone is removed.
    void RemoveLink()
    {
        if (!m_bLinked)
            return;
        m_bLinked = false;
        char szTarget[4096];
        const ssize_t n = readlink(m_options.strLink.c_str(), szTarget, sizeof(szTarget) - 1);
        if (n > 0 && std::string(szTarget, static_cast<size_t>(n)) == m_strSlave)
            unlink(m_options.strLink.c_str());
    }

    const CSimOptions& m_options;
    int m_nMaster = -1;
    int m_nSlave = -1;
    int m_nWatch = -1;  // inotify on the slave
    std::string m_strSlave;
    bool m_bLinked = false;
};

class CSimulator {
public:
    CSimulator(const CSimOptions& options, const CSimPhonebook& phonebook, CSimStore& store,
               const std::vector<CIncomingPlan>& incoming)
        : m_options(options), m_store(store), m_phone(options, phonebook, store), m_line(options), m_start(Clock::now()),
          m_byteTime(options.nBaud ? std::chrono::microseconds(10000000 / options.nBaud) : std::chrono::microseconds(0))
    {
        m_phone.SetIncoming(incoming);
    }

    int Run()
    {
        std::string strError;
        if (!m_options.strLog.empty()) {
            m_log.open(m_options.strLog.c_str(), std::ios::out | std::ios::trunc);
            if (!m_log) {
                std::fprintf(stderr, "phonesim: cannot write %s\n", m_options.strLog.c_str());
                return 1;
            }
        }
        if (!m_line.Open(strError)) {
            std::fprintf(stderr, "phonesim: %s\n", strError.c_str());
            return 1;
        }
        CJsonFields ready;
        ready.Add("event", "ready").Add("slave", m_line.Slave());
        if (!m_options.strLink.empty())
            ready.Add("link", m_options.strLink);
        if (m_options.bBusy)
            ready.Add("busy", true);
        if (!m_options.strProfile.empty())
            ready.Add("profile", m_options.strProfile);
        if (m_options.bLeftAtPrompt)
            ready.Add("left_at_prompt", true);
        WriteLog(ready.Text());
        Print("Phone simulator on " + m_line.Slave() +
              (m_options.strLink.empty() ? std::string() : " (" + m_options.strLink + ")") +
              (m_options.bBusy ? ", busy" : "") + "; Ctrl-C stops it");
        if (!m_options.strMessagesFile.empty())
            Print("Holding " + std::to_string(m_store.GetPdus().size()) + " received PDUs from " +
                  m_options.strMessagesFile);
        Loop();
        WriteLog(CJsonFields().Add("event", "stop").Text());
        m_line.Close();
        return 0;
    }

private:
    struct CBurst {
        std::string strData;
        unsigned nDelayMs;
        bool bStarted = false;
    };

    void Loop()
    {
        std::vector<char> buf(4096);
        while (!m_bHungUp) {
            int nTimeout = -1;
            if (!Due(nTimeout))
                return;
            const Clock::time_point now = Clock::now();
            const bool bWantOutput = WantOutput(now, nTimeout);
            const bool bMayRead = MayRead(now, nTimeout);
            pollfd fds[3] = {{g_anStopPipe[0], POLLIN, 0}, {m_line.Master(), 0, 0}, {m_line.Watch(), POLLIN, 0}};
            if (bMayRead)
                fds[1].events |= POLLIN;
            if (bWantOutput)
                fds[1].events |= POLLOUT;
            if (poll(fds, 3, nTimeout) < 0 && errno != EINTR)
                return;
            if (fds[0].revents & POLLIN)
                return;
            if (fds[2].revents & POLLIN)
                CountOpens(m_line.TakeOpens());
            if (fds[1].revents & POLLIN) {
                // Paced: one byte per byte time, as a serial line delivers them.
                // The first byte after a pause starts a new schedule.
                if (m_bReadIdle)
                    m_nextRead = Clock::now();
                const size_t nMax = m_byteTime.count() ? DueBytes(m_nextRead, buf.size()) : buf.size();
                const ssize_t n = read(m_line.Master(), buf.data(), nMax);
                for (ssize_t i = 0; i < n && !m_bHungUp; ++i)
                    Feed(buf[static_cast<size_t>(i)]);
                if (n > 0 && m_byteTime.count())
                    m_nextRead += m_byteTime * n;
                int nPending = 0;
                m_bReadIdle = ioctl(m_line.Master(), FIONREAD, &nPending) != 0 || nPending == 0;
            }
            if (!m_bHungUp && (fds[1].revents & POLLOUT))
                WriteSome();
        }
    }

    void Feed(char ch)
    {
        std::vector<CSimAction> actions;
        m_phone.Receive(ch, actions);
        Carry(actions);
    }

    // What fell due on the phone's clock; the wait shortened to the next.
    // False when the cable could not be put back.
    bool Due(int& nTimeout)
    {
        std::vector<CSimAction> actions;
        m_phone.Tick(actions);
        Carry(actions);
        const long long nDue = m_phone.GetNextDue();
        if (nDue >= 0)
            Shorten(nTimeout, std::chrono::milliseconds(std::max(0LL, nDue - NowMs())));
        return m_line.Master() >= 0 || m_phone.IsUnplugged();
    }

    static long long NowMs()
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
    }

    // The program holds the slave while its opens outnumber its closes.
    void CountOpens(const std::vector<bool>& opens)
    {
        std::vector<CSimAction> actions;
        for (bool bOpen : opens) {
            m_nHolders = std::max(0, m_nHolders + (bOpen ? 1 : -1));
            if (bOpen && m_nHolders == 1)
                m_phone.PortOpened(actions);
            else if (!bOpen && m_nHolders == 0)
                m_phone.PortClosed(actions);
        }
        Carry(actions);
    }

    void Carry(std::vector<CSimAction>& actions)
    {
        for (CSimAction& action : actions) {
            switch (action.nKind) {
            case CSimAction::SEND:
                m_out.push_back(CBurst{action.strData, action.nDelayMs});
                break;
            case CSimAction::LOG:
                WriteLog(action.strData);
                break;
            case CSimAction::PRINT:
                Print(action.strData);
                break;
            case CSimAction::HANGUP:
                m_bHungUp = true;
                m_out.clear();
                break;
            case CSimAction::REPEAT:
                m_strRepeat = action.strData;
                m_repeatEvery = std::chrono::milliseconds(action.nDelayMs ? action.nDelayMs : 1);
                m_nextRepeat = Clock::now() + m_repeatEvery;
                break;
            case CSimAction::UNPLUG:
                m_line.Close();
                m_out.clear();
                m_strRepeat.clear();
                m_nHolders = 0;
                break;
            case CSimAction::PLUG:
                Plug();
                break;
            }
        }
    }

    // A new pty under the same link, as a phone plugged in again gets a new device.
    void Plug()
    {
        std::string strError;
        if (!m_line.Open(strError)) {
            std::fprintf(stderr, "phonesim: %s\n", strError.c_str());
            m_line.Close();
            return;
        }
        WriteLog(CJsonFields().Add("event", "plugged").Add("slave", m_line.Slave()).Text());
        Print("Phone back on " + m_line.Slave());
    }

    // Whether the head burst may be written now; else when it may.
    bool WantOutput(Clock::time_point now, int& nTimeout)
    {
        if (m_out.empty() && !m_strRepeat.empty()) {
            if (now < m_nextRepeat) {
                Shorten(nTimeout, m_nextRepeat - now);
                return false;
            }
            m_out.push_back(CBurst{m_strRepeat, 0});
            m_nextRepeat = now + m_repeatEvery;
        }
        if (m_out.empty())
            return false;
        CBurst& burst = m_out.front();
        if (!burst.bStarted) {
            burst.bStarted = true;
            m_nextWrite = std::max(m_nextWrite, now) + std::chrono::milliseconds(burst.nDelayMs);
        }
        if (now >= m_nextWrite)
            return true;
        Shorten(nTimeout, m_nextWrite - now);
        return false;
    }

    bool MayRead(Clock::time_point now, int& nTimeout)
    {
        if (!m_byteTime.count() || now >= m_nextRead)
            return true;
        Shorten(nTimeout, m_nextRead - now);
        return false;
    }

    // Paced bytes keep to a schedule of one per byte time from next. poll()
    // waits whole milliseconds and may wake late, so the bytes that fell due
    // meanwhile go at once (one at a time, a 9600-baud line ran at half its
    // speed); a line idle for longer than kCatchUp earns no credit.
    size_t DueBytes(Clock::time_point& next, size_t nMax) const
    {
        const Clock::time_point now = Clock::now();
        next = std::max(next, now - kCatchUp);
        const size_t nDue = now < next ? 1 : 1 + static_cast<size_t>((now - next) / m_byteTime);
        return std::min(nDue, nMax);
    }

    static void Shorten(int& nTimeout, Clock::duration wait)
    {
        const int nMs = static_cast<int>((std::chrono::duration_cast<std::chrono::microseconds>(wait).count() + 999) / 1000);
        if (nTimeout < 0 || nMs < nTimeout)
            nTimeout = nMs;
    }

    void WriteSome()
    {
        CBurst& burst = m_out.front();
        const size_t nMax = m_byteTime.count() ? DueBytes(m_nextWrite, burst.strData.size()) : burst.strData.size();
        const ssize_t n = write(m_line.Master(), burst.strData.data(), nMax);
        if (n <= 0)
            return;  // the pty is full: try again when it has room
        burst.strData.erase(0, static_cast<size_t>(n));
        m_nextWrite = m_byteTime.count() ? m_nextWrite + m_byteTime * n : Clock::now();
        if (burst.strData.empty())
            m_out.pop_front();
    }

    void WriteLog(const std::string& strFields)
    {
        if (!m_log.is_open())
            return;
        const long long nMs =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_start).count();
        m_log << "{\"t\":" << nMs << (strFields.empty() ? "" : ",") << strFields << "}\n";
        m_log.flush();
    }

    void Print(const std::string& strLine)
    {
        if (m_options.bQuiet)
            return;
        std::fprintf(stdout, "%s\n", strLine.c_str());
        std::fflush(stdout);
    }

    const CSimOptions& m_options;
    CSimStore& m_store;
    CSimPhone m_phone;
    CPhoneLine m_line;
    Clock::time_point m_start;
    std::chrono::microseconds m_byteTime;
    Clock::time_point m_nextRead{};
    bool m_bReadIdle = true;
    Clock::time_point m_nextWrite{};
    static constexpr std::chrono::milliseconds kCatchUp{20};
    std::deque<CBurst> m_out;
    std::string m_strRepeat;  // babble: sent again and again while nothing else is
    Clock::duration m_repeatEvery{};
    Clock::time_point m_nextRepeat{};
    std::ofstream m_log;
    bool m_bHungUp = false;
    int m_nHolders = 0;  // the program's opens of the slave not yet closed
};

bool LoadPhonebook(const CSimOptions& options, CSimPhonebook& phonebook, std::string& strError)
{
    if (options.strPhonebookFile.empty()) {
        phonebook.Generate(options.nPhonebook);
    } else {
        std::ifstream file(options.strPhonebookFile.c_str(), std::ios::binary);
        if (!file) {
            strError = "cannot read " + options.strPhonebookFile;
            return false;
        }
        const std::string strText((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (!phonebook.Load(strText, strError)) {
            strError = options.strPhonebookFile + ": " + strError;
            return false;
        }
    }
    if (options.nPhonebookSize) {
        if (options.nPhonebookSize < phonebook.m_nCapacity) {
            strError = "--phonebook-size is smaller than the phone book given";
            return false;
        }
        phonebook.m_nCapacity = options.nPhonebookSize;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    CSimOptions options;
    std::string strError;
    if (!ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc), options, strError)) {
        std::fprintf(stderr, "phonesim: %s\n", strError.c_str());
        return 2;
    }
    if (options.bHelp) {
        std::fputs(SimHelp().c_str(), stdout);
        return 0;
    }
    CSimPhonebook phonebook;
    if (!LoadPhonebook(options, phonebook, strError)) {
        std::fprintf(stderr, "phonesim: %s\n", strError.c_str());
        return 2;
    }
    CSimStore store;
    std::vector<CIncomingPlan> messages, incoming;
    if ((!options.strMessagesFile.empty() &&
         (!LoadIncoming(options.strMessagesFile, messages, strError) || !store.Load(messages, strError))) ||
        (!options.strIncomingFile.empty() && !LoadIncoming(options.strIncomingFile, incoming, strError))) {
        std::fprintf(stderr, "phonesim: %s\n", strError.c_str());
        return 2;
    }
    // A simulator left behind would hold its link: it ends with its parent.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (pipe(g_anStopPipe) != 0)
        return 1;
    signal(SIGINT, OnSignal);
    signal(SIGTERM, OnSignal);
    signal(SIGHUP, OnSignal);
    signal(SIGPIPE, SIG_IGN);
    return CSimulator(options, phonebook, store, incoming).Run();
}
