// What the outbox of a program that is gone gives the next start: the entry
// with its recipients' states, and the note that names them; an entry with
// nothing left to say is removed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "app/Draft.h"
#include "app/Outbox.h"
#include "app/SendRun.h"

namespace {

namespace fs = std::filesystem;

// "Hi" to 111, 222 and 333, typed as numbers.
CSendRecord ThreeWaiting()
{
    CSendRecord entry;
    entry.strText = WSTR("Hi");
    for (const char* pszNumber : {"111", "222", "333"}) {
        CSendRecipient recipient;
        recipient.strTyped = recipient.contact.m_strNumber = Utf8ToWide(pszNumber);
        entry.recipients.push_back(recipient);
    }
    return entry;
}

struct CLeftCase {
    const char* pszCase;
    std::vector<ESendState> states;  // of 111, 222, 333, as the journal last had them
    const char* pszNote;               // nullptr: nothing restored, the journal removed
};

TEST(OutboxRestore, AJournalLeftBehindIsRestoredAndNamesWhatMayHaveGone)
{
    using S = ESendState;
    const CLeftCase cases[] = {
        {"killed with the last one submitting", {S::SENT, S::SENT, S::SUBMITTING},
         "Restored a message that was not sent to everyone: sent to 2, waiting 0, not confirmed 1 (333)"},
        {"killed with one submitting, one waiting", {S::SENT, S::SUBMITTING, S::WAITING},
         "Restored a message that was not sent to everyone: sent to 1, waiting 1, not confirmed 1 (222)"},
        {"a refusal and one waiting", {S::SENT, S::FAILED, S::WAITING},
         "Restored a message that was not sent to everyone: sent to 1, waiting 2"},
        {"every one sent", {S::SENT, S::SENT, S::SENT}, nullptr},
    };
    for (const CLeftCase& c : cases) {
        SCOPED_TRACE(c.pszCase);
        const fs::path folder = fs::temp_directory_path() / ("zandu-outbox-" + std::to_string(std::random_device()()));
        fs::create_directories(folder);
        CSendRecord left = ThreeWaiting();
        std::string strJournal = FormatOutboxEntry(left) + "\n";
        for (size_t i = 0; i < c.states.size(); ++i) {
            left.recipients[i].eState = c.states[i];
            strJournal += FormatOutboxChange(i, left.recipients[i]) + "\n";
        }
        std::ofstream(folder / "outbox-1-2-3.jsonl", std::ios::binary) << strJournal;

        COutbox outbox(Utf8ToWide((folder / "").string()));
        CSendRecord entry;
        ASSERT_EQ(outbox.TakeLeft(entry), c.pszNote != nullptr);
        if (c.pszNote) {
            EXPECT_EQ(WideToUtf8(DescribeRestored(entry)), c.pszNote);
        }
        EXPECT_EQ(fs::exists(folder / "outbox-1-2-3.jsonl"), c.pszNote != nullptr);
        outbox.End();  // the user lets it go
        EXPECT_FALSE(fs::exists(folder / "outbox-1-2-3.jsonl"));
        fs::remove_all(folder);
    }
}

// Journals as a power cut, a damaged disk or a newer version leave them: what
// can be read is restored, the rest is no reason to lose it, and a newer
// version's entry is that version's to restore.
TEST(OutboxRestore, ADamagedOrNewerJournalHasADefinedOutcome)
{
    const std::string strEntry =
        R"({"outbox":1,"text":"Hi","recipients":[{"typed":"Anna","name":"Anna","number":"111"},)"
        R"({"typed":"222","name":"","number":"222"}]})";
    const struct {
        const char* pszCase;
        std::string strJournal;
        const char* pszNote;  // nullptr: nothing restored
        bool bKept;           // the file is still there afterwards
    } cases[] = {
        {"the first change torn before its line end", strEntry + "\n" + R"({"r":0,"state":"subm)",
         "Restored a message that was not sent to everyone: sent to 0, waiting 2", true},
        {"a change that cannot be read ends the journal there",
         strEntry + "\n" + R"({"r":0,"state":"sent"})" "\n" "\x01garbage\n" R"({"r":1,"state":"sent"})" "\n",
         "Restored a message that was not sent to everyone: sent to 1, waiting 1", true},
        {"a change for a recipient the entry has not",
         strEntry + "\n" + R"({"r":7,"state":"sent"})" "\n",
         "Restored a message that was not sent to everyone: sent to 0, waiting 2", true},
        {"a state of no known name", strEntry + "\n" + R"({"r":1,"state":"queued"})" "\n",
         "Restored a message that was not sent to everyone: sent to 0, waiting 2", true},
        {"the entry itself torn", strEntry.substr(0, 40), nullptr, false},
        {"an empty file", "", nullptr, false},
        {"a newer version's entry", R"({"outbox":2,"text":"Hi","recipients":[]})" "\n", nullptr, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        const fs::path folder = fs::temp_directory_path() / ("zandu-outbox-" + std::to_string(std::random_device()()));
        fs::create_directories(folder);
        const fs::path journal = folder / "outbox-4-5-6.jsonl";
        std::ofstream(journal, std::ios::binary) << c.strJournal;
        {
            COutbox outbox(Utf8ToWide((folder / "").string()));
            CSendRecord entry;
            ASSERT_EQ(outbox.TakeLeft(entry), c.pszNote != nullptr);
            if (c.pszNote) {
                EXPECT_EQ(WideToUtf8(DescribeRestored(entry)), c.pszNote);
                EXPECT_EQ(WideToUtf8(entry.recipients[0].strTyped), "Anna");
            }
        }
        EXPECT_EQ(fs::exists(journal), c.bKept);
        fs::remove_all(folder);
    }
}

// Two windows: the one that starts while the other sends leaves that send's
// entry alone; once the sender is gone (killed: its outbox never ended) the
// next start restores it, the one that was submitting not confirmed.
TEST(OutboxRestore, TheEntryOfAProgramStillSendingIsLeftAlone)
{
    const fs::path folder = fs::temp_directory_path() / ("zandu-outbox-" + std::to_string(std::random_device()()));
    fs::create_directories(folder);
    const WString strFolder = Utf8ToWide((folder / "").string());
    CSendRecord entry = ThreeWaiting();
    {
        COutbox sending(strFolder);
        std::string strError;
        ASSERT_TRUE(sending.Begin(entry, strError)) << strError;
        entry.recipients[0].eState = ESendState::SENT;
        entry.recipients[1].eState = ESendState::SUBMITTING;
        ASSERT_TRUE(sending.Mark(0, entry.recipients[0], strError) && sending.Mark(1, entry.recipients[1], strError));
        COutbox starting(strFolder);
        CSendRecord found;
        EXPECT_FALSE(starting.TakeLeft(found));
        EXPECT_TRUE(sending.IsKept());
    }
    COutbox next(strFolder);
    CSendRecord found;
    ASSERT_TRUE(next.TakeLeft(found));
    EXPECT_EQ(WideToUtf8(DescribeRestored(found)),
              "Restored a message that was not sent to everyone: sent to 1, waiting 1, not confirmed 1 (222)");
    next.End();
    EXPECT_TRUE(fs::is_empty(folder));
    fs::remove_all(folder);
}

// Killed while a send again began: its entry, which names the one it carries
// on, is on the disk beside that one. Only the later one is restored.
TEST(OutboxRestore, AnEntryReplacedByALaterOneIsNotRestored)
{
    const fs::path folder = fs::temp_directory_path() / ("zandu-outbox-" + std::to_string(std::random_device()()));
    fs::create_directories(folder);
    CSendRecord before = ThreeWaiting();
    before.recipients[0].eState = ESendState::SENT;
    std::ofstream(folder / "outbox-1-1-1.jsonl", std::ios::binary)
        << FormatOutboxEntry(before) + "\n" + FormatOutboxChange(0, before.recipients[0]) + "\n";
    CSendRecord again = ThreeWaiting();
    again.recipients.erase(again.recipients.begin());
    std::ofstream(folder / "outbox-2-2-2.jsonl", std::ios::binary)
        << FormatOutboxEntry(again, WSTR("outbox-1-1-1.jsonl")) + "\n";
    {
        COutbox outbox(Utf8ToWide((folder / "").string()));
        CSendRecord record;
        ASSERT_TRUE(outbox.TakeLeft(record));
        EXPECT_EQ(WideToUtf8(DescribeRestored(record)), "Restored a message that was not sent to everyone: sent to 0, waiting 2");
        EXPECT_FALSE(fs::exists(folder / "outbox-1-1-1.jsonl"));
        COutbox next(Utf8ToWide((folder / "").string()));
        EXPECT_FALSE(next.TakeLeft(record));
    }
    fs::remove_all(folder);
}

// Two programs starting at once: the entry left behind is restored by one
// of them, never by both.
TEST(OutboxRestore, OfTwoStartsAtOnceOneRestores)
{
    const fs::path folder = fs::temp_directory_path() / ("zandu-outbox-" + std::to_string(std::random_device()()));
    fs::create_directories(folder);
    const WString strFolder = Utf8ToWide((folder / "").string());
    const std::string strJournal = FormatOutboxEntry(ThreeWaiting()) + "\n";
    int nBoth = 0, nNone = 0;
    for (int nRun = 0; nRun < 500; ++nRun) {
        std::ofstream(folder / "outbox-1-2-3.jsonl", std::ios::binary) << strJournal;
        COutbox first(strFolder), second(strFolder);
        CSendRecord a, b;
        bool bFirst = false, bSecond = false;
        std::thread other([&] { bSecond = second.TakeLeft(b); });
        bFirst = first.TakeLeft(a);
        other.join();
        nBoth += bFirst && bSecond;
        nNone += !bFirst && !bSecond;
        first.End();
        second.End();
    }
    EXPECT_EQ(nBoth, 0);
    EXPECT_EQ(nNone, 0);
    fs::remove_all(folder);
}

// A send through the window's draft: 222 refused, so what is left is 222 and
// 333 as typed, for the next Send and, were the program gone now, for the
// next start; once both have it the entry ends and the text counts as sent.
TEST(OutboxRestore, ASendCutShortLeavesTheRestForTheNextSendAndTheNextStart)
{
    const fs::path folder = fs::temp_directory_path() / ("zandu-outbox-" + std::to_string(std::random_device()()));
    fs::create_directories(folder);
    const WString strFolder = Utf8ToWide((folder / "").string());
    const WString strText = WSTR("Hi");
    std::vector<CSendRecipient> recipients(3);
    recipients[0].strTyped = WSTR("Anna");
    recipients[0].contact = CContact(WSTR("Anna"), WSTR("111"));
    for (size_t i = 1; i < 3; ++i)
        recipients[i].strTyped = recipients[i].contact.m_strNumber = Utf8ToWide(std::to_string(111 * (i + 1)));
    auto send = [&](CDraft& draft, std::vector<CSendRecipient> to, size_t nRefused) {
        draft.BeginSend(strText, to);
        CSendRun run;
        std::string strError;
        EXPECT_TRUE(run.Start(to, strText, false, draft.GetOutbox(), strError)) << strError;
        for (size_t i = 0; run.FindNext(i);) {
            EXPECT_TRUE(run.OnSubmitting(i, 0, strError)) << strError;
            if (i == nRefused)
                run.OnFailed(i, WSTR("unknown error (+CMS ERROR: 500)"));
            else
                run.OnPartAccepted(i, static_cast<unsigned>(i), true);
        }
        run.OnEnded();
        draft.EndSend(run.GetRecord(), strText);
        return WideToUtf8(run.GetRecord().DescribeProgress());
    };
    {
        CDraft draft;
        CSendRecord none;
        ASSERT_FALSE(draft.OpenOutbox(strFolder, none));
        EXPECT_EQ(send(draft, recipients, 1), "; sent to 1 of 3");
        ASSERT_EQ(draft.GetLeft().size(), 2u);
        EXPECT_EQ(WideToUtf8(draft.GetLeft()[0].strTyped + draft.GetLeft()[1].strTyped), "222333");
        EXPECT_FALSE(draft.IsSentWhole());
        EXPECT_EQ(WideToUtf8(DescribeUnsent(1, 3, false)),
                  "Your message has been sent to 1 of 3 recipients; 2 have not got it.");
    }
    CDraft next;
    CSendRecord left;
    ASSERT_TRUE(next.OpenOutbox(strFolder, left));
    EXPECT_EQ(WideToUtf8(DescribeRestored(left)), "Restored a message that was not sent to everyone: sent to 1, waiting 2");
    EXPECT_EQ(send(next, next.GetLeft(), 99), "; sent to 2 of 2");
    EXPECT_TRUE(next.IsSentWhole());
    EXPECT_TRUE(next.GetLeft().empty());
    EXPECT_TRUE(fs::is_empty(folder));
    fs::remove_all(folder);
}

} // namespace
