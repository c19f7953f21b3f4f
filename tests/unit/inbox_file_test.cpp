// The inbox file: what is stored reads back the same, a listing seen again
// (through any phone) stores nothing twice, a damaged file is kept, never
// overwritten, a newer version's is left alone, and two writers at once both
// keep what they stored.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <random>

#include "sms/InboxFile.h"
#include "support/TestText.h"

namespace {

namespace fs = std::filesystem;

using test::PathText;

class CTempFolder {
public:
    CTempFolder()
    {
        std::random_device random;
        m_path = fs::temp_directory_path() / ("zandu-inbox-" + std::to_string(random()));
        fs::create_directories(m_path);
    }
    ~CTempFolder()
    {
        std::error_code error;
        fs::remove_all(m_path, error);
    }
    fs::path operator/(const char* pszName) const { return m_path / pszName; }
    size_t Count() const { return static_cast<size_t>(std::distance(fs::directory_iterator(m_path), {})); }

private:
    fs::path m_path;
};

std::string ReadFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& str)
{
    std::ofstream(path, std::ios::binary) << str;
}

// python3-gammu's PDUs: a 16-bit concatenated message in two parts, UCS-2
// with emoji, an alphanumeric sender, 8-bit data of class 1; and a PDU that
// cannot be decoded.
const char* const kPart1 =
    "0791947101670000400A919471103254000042507141309000A006080416DA0201F3349E5E2EBB4130180C344FE3E9E5B21B0483C5"
    "40F3349E5E2EBB4130980C344FE3E9E5B21B0483CD40F3349E5E2EBB4130180D344FE3E9E5B21B0483D540F3349E5E2EBB4130980D"
    "344FE3E9E5B21B0483DD40F3349E5E2EBB4130180E344FE3E9E5B21B0483E540F3349E5E2EBB41B0180C344FE3E9E5B21B048BC540"
    "F3349E5E2EBB41";
const char* const kPart2 =
    "0791947101670000400A9194711032540000425071413090006006080416DA0202B0980C344FE3E9E5B21B048BCD40F3349E5E2EBB"
    "41B0180D344FE3E9E5B21B048BD540F3349E5E2EBB41B0980D344FE3E9E5B21B048BDD40F3349E5E2EBB41B0180E344FE3E9E5B21B"
    "048BE540";
const char* const kOthers[] = {
    "0791947101670000000A91947110325400084250714130900022041F044004380432043504420020D83DDE000020043C043804400020"
    "D83CDF890021",
    "0791947101670000000AD0DAB09B5C0700004250714130900009C337B90C8AC96634",
    "0791947101670000000A91947110325400F542507141309000040001FFFE",
    "0791947101670000000A9194711032540000425071413090FF05C834",
};

CInbox Listed(bool bWithPart2)
{
    CInbox inbox;
    for (const char* psz : kOthers)
        inbox.Add(DecodeDeliverPdu(psz));
    inbox.Add(DecodeDeliverPdu(kPart1));
    if (bWithPart2)
        inbox.Add(DecodeDeliverPdu(kPart2));
    return inbox;
}

TEST(InboxFile, WhatIsStoredReadsBackAndIsStoredOnce)
{
    CTempFolder folder;
    const WString strPath = PathText(folder / "inbox.json");
    std::string strError;
    ASSERT_TRUE(SaveInbox(strPath, Listed(false), strError)) << strError;
    EXPECT_EQ(folder.Count(), 1u);  // no temporary file left

    CInbox inbox;
    const CInboxLoad load = LoadInbox(strPath, inbox);
    ASSERT_EQ(load.result, EInboxLoad::INBOX_LOADED) << load.strReport;
    EXPECT_EQ(FormatInbox(inbox), ReadFile(folder / "inbox.json"));
    const std::vector<CReceivedMsg>& messages = inbox.GetMessages();
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(WideToUtf8(messages[0].GetText()),
              "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xF0\x9F\x98\x80 \xD0\xBC\xD0\xB8\xD1\x80 "
              "\xF0\x9F\x8E\x89!");
    EXPECT_EQ(messages[0].alphabet, EAlphabet::ALPHABET_UCS2);
    EXPECT_EQ(messages[0].time.Format(), "2024-05-17T14:03:09+00:00");
    EXPECT_EQ(WideToUtf8(messages[1].strSender), "Zandu");
    EXPECT_EQ(messages[2].alphabet, EAlphabet::ALPHABET_8BIT);
    EXPECT_FALSE(messages[3].bDecoded);
    EXPECT_EQ(messages[3].parts[0].strPdu, kOthers[3]);
    EXPECT_FALSE(messages[3].strNote.empty());
    EXPECT_EQ(WideToUtf8(messages[4].GetText()).substr(0, 12), "sixteen 000 ");
    EXPECT_NE(WideToUtf8(messages[4].GetText()).find("[part 2 of 2 missing]"), std::string::npos);

    // The phone lists everything again, now with the part that was missing.
    for (const char* psz : kOthers)
        EXPECT_EQ(inbox.Add(DecodeDeliverPdu(psz)), CInbox::EAdded::ADDED_DUPLICATE);
    EXPECT_EQ(inbox.Add(DecodeDeliverPdu(kPart1)), CInbox::EAdded::ADDED_DUPLICATE);
    EXPECT_EQ(inbox.Add(DecodeDeliverPdu(kPart2)), CInbox::EAdded::ADDED_JOINED);
    EXPECT_EQ(FormatInbox(inbox), FormatInbox(Listed(true)));
    EXPECT_TRUE(inbox.GetMessages()[4].IsComplete());
}

TEST(InboxFile, ADamagedFileIsKeptAsideAndReported)
{
    const std::string strGood = FormatInbox(Listed(true));
    std::string strDuplicate = strGood;
    const std::string strKey = "\"key\": \"";
    const size_t nFirstKey = strDuplicate.find(strKey) + strKey.size();
    const size_t nSecondKey = strDuplicate.find(strKey, nFirstKey) + strKey.size();
    strDuplicate.replace(nSecondKey, 16, strDuplicate.substr(nFirstKey, 16));
    auto replaced = [&strGood](const std::string& strFrom, const std::string& strTo) {
        std::string str = strGood;
        return str.replace(str.find(strFrom), strFrom.size(), strTo);
    };
    const std::string damaged[] = {
        strGood.substr(0, strGood.size() / 2),  // cut off by a crash of an older writer
        "",
        "\xFF\xFE{",
        "[]",
        replaced("Zandu SMS inbox", "something else"),
        replaced("\"encoding\": \"ucs2\"", "\"encoding\": \"utf-7\""),
        replaced("\"time\": \"2024-05-17T14:03:09+00:00\"", "\"time\": \"yesterday\""),
        replaced("\"part\": 1", "\"part\": 0"),
        replaced("\"sender\": \"Zandu\"", "\"sender\": 7"),
        replaced("\"total\": 2", "\"total\": 1e30"),  // no number is cast out of its range
        replaced("\"part\": 1", "\"part\": 1.5"),
        strDuplicate,
    };
    for (const std::string& str : damaged) {
        CTempFolder folder;
        const WString strPath = PathText(folder / "inbox.json");
        WriteFile(folder / "inbox.json", str);
        CInbox inbox;
        inbox.Add(DecodeDeliverPdu(kPart1));
        // A reader that changes no file leaves it; what it says names the fault, not the bytes.
        const CInboxLoad left = LoadInbox(strPath, inbox, EDamagedInbox::LEAVE);
        EXPECT_EQ(left.result, EInboxLoad::INBOX_FAILED) << str;
        EXPECT_EQ(ReadFile(folder / "inbox.json"), str);
        for (const char* pszBytes : {"yesterday", "utf-7", "something", "\xFF", "1e30", "1.5"})
            EXPECT_EQ(left.strReport.find(pszBytes), std::string::npos) << left.strReport;
        const CInboxLoad load = LoadInbox(strPath, inbox);
        EXPECT_EQ(load.result, EInboxLoad::INBOX_DAMAGED) << str;
        EXPECT_TRUE(inbox.GetMessages().empty());
        EXPECT_EQ(load.strKeptAs, strPath + WSTR(".damaged"));
        EXPECT_EQ(ReadFile(folder / "inbox.json.damaged"), str);
        EXPECT_NE(load.strReport.find("inbox.json.damaged"), std::string::npos) << load.strReport;
        EXPECT_FALSE(fs::exists(folder / "inbox.json"));

        // A second damaged file does not replace the first.
        WriteFile(folder / "inbox.json", str + " ");
        EXPECT_EQ(LoadInbox(strPath, inbox).result, EInboxLoad::INBOX_DAMAGED);
        EXPECT_EQ(ReadFile(folder / "inbox.json.damaged"), str);
        EXPECT_EQ(ReadFile(folder / "inbox.json.damaged2"), str + " ");
    }
}

TEST(InboxFile, NoFileAndFilesThatCannotBeReadOrWritten)
{
    CTempFolder folder;
    CInbox inbox;
    inbox.Add(DecodeDeliverPdu(kPart1));
    CInboxLoad load = LoadInbox(PathText(folder / "inbox.json"), inbox);
    EXPECT_EQ(load.result, EInboxLoad::INBOX_LOADED);
    EXPECT_TRUE(inbox.GetMessages().empty());

    // A folder where the file should be: it is neither read nor moved, nor written over.
    fs::create_directory(folder / "taken.json");
    load = LoadInbox(PathText(folder / "taken.json"), inbox);
    EXPECT_EQ(load.result, EInboxLoad::INBOX_FAILED);
    EXPECT_FALSE(load.strReport.empty());
    EXPECT_TRUE(fs::is_directory(folder / "taken.json"));
    std::string strError;
    EXPECT_FALSE(SaveInbox(PathText(folder / "taken.json"), Listed(true), strError));
    EXPECT_FALSE(strError.empty());
    EXPECT_TRUE(fs::is_directory(folder / "taken.json"));
    EXPECT_FALSE(SaveInbox(PathText(folder / "missing" / "inbox.json"), Listed(true), strError));
    EXPECT_EQ(folder.Count(), 1u);
}

} // namespace

namespace {

// The same message through phones that fill the service-centre field each
// their own way, and as a file of an earlier version keyed it.
TEST(InboxFile, TheDuplicateKeyLeavesOutTheServiceCentre)
{
    const std::string strTpdu = std::string(kOthers[1]).substr(16);
    const std::string aListed[] = {"00" + strTpdu, "0791447700900123" + strTpdu, "07914477009001F3" + strTpdu};
    CInbox inbox;
    EXPECT_EQ(inbox.Add(DecodeDeliverPdu(kOthers[1])), CInbox::EAdded::ADDED_NEW);
    for (const std::string& strHex : aListed)
        EXPECT_EQ(inbox.Add(DecodeDeliverPdu(strHex)), CInbox::EAdded::ADDED_DUPLICATE) << strHex;
    EXPECT_EQ(inbox.GetMessages().size(), 1u);

    std::string strOld = FormatInbox(inbox);
    const std::string strKey = GetPduKey(kOthers[1]);
    strOld.replace(strOld.find(strKey), strKey.size(), GetLegacyPduKey(kOthers[1]));
    CInbox restored;
    std::string strError;
    ASSERT_TRUE(ParseInbox(strOld, restored, strError)) << strError;
    EXPECT_EQ(restored.Add(DecodeDeliverPdu(kOthers[1])), CInbox::EAdded::ADDED_DUPLICATE);
    EXPECT_EQ(restored.Add(DecodeDeliverPdu(aListed[0])), CInbox::EAdded::ADDED_NEW);  // its key was not kept
}

// Not damaged, and not this version's: neither moved nor written, and said.
TEST(InboxFile, AFileOfANewerVersionIsLeftAlone)
{
    CTempFolder folder;
    std::string strNewer = FormatInbox(Listed(false));
    strNewer.replace(strNewer.find("\"version\": 1"), 12, "\"version\": 2");
    WriteFile(folder / "inbox.json", strNewer);
    const WString strPath = PathText(folder / "inbox.json");
    CInbox inbox;
    const CInboxLoad load = LoadInbox(strPath, inbox);
    EXPECT_EQ(load.result, EInboxLoad::INBOX_NEWER);
    EXPECT_EQ(load.strReport,
              "The inbox file was written by a newer version of Zandu SMS (file version 2) and is left as it is");
    EXPECT_TRUE(inbox.GetMessages().empty());
    bool bCalled = false;
    const CInboxChange change = ChangeInbox(strPath, [&bCalled](CInbox&) { return bCalled = true; }, inbox);
    EXPECT_FALSE(change.bStored);
    EXPECT_FALSE(bCalled);
    EXPECT_EQ(change.strError, load.strReport);
    EXPECT_EQ(ReadFile(folder / "inbox.json"), strNewer);
    EXPECT_EQ(folder.Count(), 1u);
}

TEST(InboxFile, TwoWritersInterleavedLoseNothing)
{
    CTempFolder folder;
    const WString strPath = PathText(folder / "inbox.json");
    CInbox inbox, otherInbox;
    std::future<CInboxChange> other;
    auto adding = [](const char* pszPdu) {
        return [pszPdu](CInbox& stored) { return stored.Add(DecodeDeliverPdu(pszPdu)) == CInbox::EAdded::ADDED_NEW; };
    };
    // The other writer's turn comes between this one's read and its write; it
    // waits for the lock, so it reads what this one wrote.
    const CInboxChange change = ChangeInbox(
        strPath,
        [&](CInbox& stored) {
            other = std::async(std::launch::async, [&] { return ChangeInbox(strPath, adding(kOthers[1]), otherInbox); });
            other.wait_for(std::chrono::milliseconds(300));
            return adding(kOthers[0])(stored);
        },
        inbox);
    EXPECT_TRUE(change.bStored) << change.strError;
    EXPECT_TRUE(other.get().bStored);
    ASSERT_EQ(LoadInbox(strPath, inbox).result, EInboxLoad::INBOX_LOADED);
    ASSERT_EQ(inbox.GetMessages().size(), 2u);
    EXPECT_EQ(inbox.GetMessages()[1].strSender, WSTR("Zandu"));
    EXPECT_EQ(folder.Count(), 1u);  // each writer's temporary file is gone
}

// A message is new until the Inbox has shown it whole.
TEST(InboxFile, NewUntilShown)
{
    CInbox inbox;
    inbox.Add(DecodeDeliverPdu(kPart1));
    inbox.Add(DecodeDeliverPdu(kOthers[0]));
    EXPECT_FALSE(inbox.MarkSeen({inbox.GetMessages()[0].parts[0].strKey + "x"}));
    EXPECT_TRUE(inbox.MarkSeen({inbox.GetMessages()[0].parts[0].strKey}));
    EXPECT_EQ(inbox.Add(DecodeDeliverPdu(kPart2)), CInbox::EAdded::ADDED_JOINED);  // new again with its part
    CInbox restored;
    std::string strError;
    ASSERT_TRUE(ParseInbox(FormatInbox(inbox), restored, strError)) << strError;
    EXPECT_TRUE(restored.GetMessages()[0].bNew);
    EXPECT_TRUE(restored.GetMessages()[1].bNew);
    EXPECT_EQ(FormatInboxMessage(restored.GetMessages()[1]).find("\"new\""), std::string::npos);
    EXPECT_TRUE(restored.MarkSeen({restored.GetMessages()[0].parts[0].strKey, restored.GetMessages()[0].parts[1].strKey}));
    EXPECT_FALSE(restored.GetMessages()[0].bNew);
}

} // namespace
