// Tests of the simulated keyboard's memory file: round trip, saves interrupted by a crash, damaged files
// kept aside, and a parser that refuses every damaged image without reading outside it.
#include "service/sim/BinaryFile.h"
#include "service/sim/ByteStream.h"
#include "service/sim/StateFile.h"

#include "SimTestSupport.h"

#include <random>

TEST(StateFile, SaveAndLoadKeepEveryField)
{
    testfiles::CScopedFolder folder;
    const std::wstring path = folder.File(L"Tessary\\SimKeyboard.state");  // the folder is created
    CKeyboardState saved;
    ASSERT_NO_FATAL_FAILURE(FillKeyboard(saved));
    SimDeviceInfo other;
    other.productId = 0x0300;
    other.identity = 7;
    other.layoutCode = 12;
    other.plugged = false;
    saved.AddDevice(other, {MakeKeyRecord(0x0002001C, 0x1C, true)});
    saved.Keyboard().SetMode(kSimModeRecording);

    std::wstring error;
    ASSERT_EQ(SaveStateFile(path, saved, error), SimStatus::Ok) << error;
    EXPECT_FALSE(FileExists(ReplacementPathOf(path)));

    CKeyboardState loaded;
    const StateLoadResult result = LoadStateFile(path, loaded);
    EXPECT_EQ(result.outcome, StateLoadResult::Outcome::Loaded);
    EXPECT_TRUE(loaded == saved);
    // A keyboard starts in normal mode whatever it was doing when the state was saved.
    EXPECT_EQ(loaded.Keyboard().Mode(), kSimModeNormal);

    // Saving over an existing file replaces it.
    loaded.Keyboard().ResetToFactory();
    ASSERT_EQ(SaveStateFile(path, loaded, error), SimStatus::Ok) << error;
    CKeyboardState again;
    LoadStateFile(path, again);
    EXPECT_TRUE(again == loaded);
}

TEST(StateFile, NoFileGivesTheFactoryState)
{
    testfiles::CScopedFolder folder;
    CKeyboardState state;
    ASSERT_NO_FATAL_FAILURE(FillKeyboard(state));
    const StateLoadResult result = LoadStateFile(folder.File(L"missing.state"), state);
    EXPECT_EQ(result.outcome, StateLoadResult::Outcome::NoFile);
    EXPECT_EQ(state.Keyboard().ProfileCount(), 1u);
    EXPECT_EQ(state.Keyboard().MacroCount(), 0u);
    EXPECT_TRUE(folder.Names().empty());
}

TEST(StateFile, ASaveKilledHalfwayLeavesTheOldState)
{
    testfiles::CScopedFolder folder;
    const std::wstring path = folder.File(L"SimKeyboard.state");
    CKeyboardState old;
    std::wstring error;
    ASSERT_EQ(SaveStateFile(path, old, error), SimStatus::Ok) << error;

    // The crash hit while the replacement was being written: half of the new image lies next to the file.
    CKeyboardState changed;
    ASSERT_NO_FATAL_FAILURE(FillKeyboard(changed));
    std::vector<std::uint8_t> image = SerializeState(changed);
    image.resize(image.size() / 2);
    WriteBytes(ReplacementPathOf(path), image);

    CKeyboardState loaded;
    const StateLoadResult result = LoadStateFile(path, loaded);
    EXPECT_EQ(result.outcome, StateLoadResult::Outcome::Loaded);
    EXPECT_TRUE(loaded == old);
    EXPECT_EQ(folder.Names(), std::vector<std::wstring>{L"SimKeyboard.state"});

    // A replacement left complete but never moved is no obstacle to the next save either.
    WriteBytes(ReplacementPathOf(path), SerializeState(changed));
    ASSERT_EQ(SaveStateFile(path, old, error), SimStatus::Ok) << error;
    EXPECT_EQ(folder.Names(), std::vector<std::wstring>{L"SimKeyboard.state"});
}

TEST(StateFile, UnusableFilesAreKeptAsideAndReported)
{
    testfiles::CScopedFolder folder;
    const std::wstring path = folder.File(L"SimKeyboard.state");
    CKeyboardState filled;
    ASSERT_NO_FATAL_FAILURE(FillKeyboard(filled));
    const std::vector<std::uint8_t> image = SerializeState(filled);

    std::vector<std::uint8_t> flipped = image;
    flipped[image.size() / 2] ^= 0x10;
    std::vector<std::uint8_t> truncated(image.begin(), image.end() - 1);
    const std::string text = "profile=Games\r\n";
    const std::vector<std::vector<std::uint8_t>> damaged = {
        flipped, truncated, {}, std::vector<std::uint8_t>(text.begin(), text.end())};

    for (std::size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE(i);
        WriteBytes(path, damaged[i]);
        CKeyboardState state;
        ASSERT_NO_FATAL_FAILURE(FillKeyboard(state));
        const StateLoadResult result = LoadStateFile(path, state);
        EXPECT_EQ(result.outcome, StateLoadResult::Outcome::Recovered);
        const std::wstring aside = path + L".corrupt-" + std::to_wstring(i + 1);
        EXPECT_EQ(result.keptAsidePath, aside);
        EXPECT_NE(result.message.find(aside), std::wstring::npos);
        EXPECT_EQ(testfiles::ReadBytes(aside), damaged[i]);
        EXPECT_FALSE(FileExists(path));
        EXPECT_EQ(state.Keyboard().ProfileCount(), 1u);
        EXPECT_EQ(state.Keyboard().MacroCount(), 0u);
    }
    EXPECT_EQ(folder.Names().size(), damaged.size());
}

TEST(StateFile, SaveFailureLeavesTheFileAlone)
{
    testfiles::CScopedFolder folder;
    const std::wstring path = folder.File(L"SimKeyboard.state");
    CKeyboardState state;
    std::wstring error;
    ASSERT_EQ(SaveStateFile(path, state, error), SimStatus::Ok) << error;
    const std::vector<std::uint8_t> before = testfiles::ReadBytes(path);

    // Another writer holds the replacement open: this save must fail without touching either file.
    CHandle held(CreateFileW(ReplacementPathOf(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_FALSE(held.IsNull());
    ASSERT_NO_FATAL_FAILURE(FillKeyboard(state));
    EXPECT_EQ(SaveStateFile(path, state, error), SimStatus::IoError);
    EXPECT_FALSE(error.empty());
    held.CloseHandle();
    EXPECT_EQ(testfiles::ReadBytes(path), before);

    // A file where the folder should be.
    WriteBytes(folder.File(L"plain"), {1});
    EXPECT_EQ(SaveStateFile(folder.File(L"plain\\SimKeyboard.state"), state, error), SimStatus::IoError);
}

TEST(StateFile, DamagedImagesAreRefusedWithoutTouchingTheState)
{
    CKeyboardState filled;
    ASSERT_NO_FATAL_FAILURE(FillKeyboard(filled));
    SimDeviceInfo other;
    other.productId = 0x0300;
    filled.AddDevice(other, {MakeKeyRecord(0x1C, 0x1C, false)});
    const std::vector<std::uint8_t> image = SerializeState(filled);

    CKeyboardState target;
    const GUID marker = target.Keyboard().ActiveProfile();
    std::wstring reason;
    auto refused = [&](const std::vector<std::uint8_t>& bytes) {
        const bool bad = ParseStateImage(bytes.data(), bytes.size(), target, reason) == SimStatus::BadFile;
        return bad && target.DeviceCount() == 1 && target.Keyboard().ActiveProfile() == marker;
    };

    for (std::size_t length = 0; length < image.size(); ++length)
        ASSERT_TRUE(refused(std::vector<std::uint8_t>(image.begin(), image.begin() + length))) << length;

    std::mt19937 random(20240611);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> bytes = image;
        const std::size_t at = random() % bytes.size();
        switch (round % 3) {
        case 0: bytes[at] ^= static_cast<std::uint8_t>(1u << (random() % 8)); break;
        case 1: bytes[at] = static_cast<std::uint8_t>(image[at] + 1 + random() % 255); break;
        default: bytes.insert(bytes.begin() + at, static_cast<std::uint8_t>(random())); break;
        }
        ASSERT_TRUE(refused(bytes)) << "round " << round;
    }

    // Changes the checksum cannot see: every count and length of the body, set to extreme values, must
    // be refused or give a state within the device's limits, never a read outside the image.
    const std::uint32_t extremes[] = {0, 1, 2, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x10000};
    for (std::size_t at = kEnvelopeHeaderBytes; at + 4 <= image.size(); at += 1 + random() % 7) {
        for (std::uint32_t value : extremes) {
            std::vector<std::uint8_t> bytes = image;
            std::memcpy(&bytes[at], &value, 4);
            bytes = Reseal(bytes);
            CKeyboardState parsed;
            if (ParseStateImage(bytes.data(), bytes.size(), parsed, reason) == SimStatus::Ok) {
                const std::vector<std::uint8_t> again = SerializeState(parsed);
                CKeyboardState reparsed;
                ASSERT_EQ(ParseStateImage(again.data(), again.size(), reparsed, reason), SimStatus::Ok) << at;
            }
        }
    }

    // A version this program does not know.
    std::vector<std::uint8_t> newer = image;
    newer[8] = 2;
    EXPECT_TRUE(refused(newer));
}

// The journal beside the memory file holds each change made since the file's last save: a load applies
// the whole records in order and stops at a torn one, ignores a journal the file has overtaken and keeps
// a damaged one aside.
TEST(StateFile, TheJournalBringsBackEveryWholeChangeSinceTheLastSave)
{
    testfiles::CScopedFolder folder;
    const std::wstring path = folder.File(L"SimKeyboard.state");
    const std::wstring journalPath = JournalPathOf(path);
    CKeyboardState state;
    std::wstring error;
    ASSERT_EQ(SaveStateFile(path, state, error), SimStatus::Ok) << error;
    CStateJournal journal;
    ASSERT_TRUE(journal.Start(journalPath, SerializeStateBody(state), error)) << error;

    GUID profile{};
    ASSERT_EQ(state.Keyboard().CreateProfile(profile), SimStatus::Ok);
    ASSERT_TRUE(journal.Append(SerializeStateBody(state), error)) << error;
    ASSERT_EQ(state.Keyboard().SetProfileName(profile, L"A much longer name than before"), SimStatus::Ok);
    ASSERT_TRUE(journal.Append(SerializeStateBody(state), error)) << error;
    const std::vector<std::uint8_t> beforeLast = SerializeStateBody(state);
    const std::size_t sizeBeforeLast = testfiles::ReadBytes(journalPath).size();
    ASSERT_EQ(state.Keyboard().ActivateProfile(profile), SimStatus::Ok);
    ASSERT_TRUE(journal.Append(SerializeStateBody(state), error)) << error;
    journal.Close();

    CKeyboardState loaded;
    StateLoadResult result = LoadStateFile(path, loaded);
    EXPECT_EQ(result.outcome, StateLoadResult::Outcome::Loaded);
    EXPECT_EQ(result.journal.records, 3u);
    EXPECT_TRUE(loaded == state);
    EXPECT_EQ(result.body, SerializeStateBody(state));

    // A kill while the last record was written: it was never answered, the others stand.
    const std::vector<std::uint8_t> whole = testfiles::ReadBytes(journalPath);
    WriteBytes(journalPath, std::vector<std::uint8_t>(whole.begin(), whole.begin() + (whole.size() + sizeBeforeLast) / 2));
    result = LoadStateFile(path, loaded);
    EXPECT_EQ(result.journal.records, 2u);
    EXPECT_TRUE(result.journal.tornTail);
    EXPECT_EQ(SerializeStateBody(loaded), beforeLast);

    // Saved since: the file has overtaken the journal, which changes nothing.
    WriteBytes(journalPath, whole);
    ASSERT_EQ(SaveStateFile(path, state, error), SimStatus::Ok) << error;
    result = LoadStateFile(path, loaded);
    EXPECT_EQ(result.journal.outcome, JournalReplay::Outcome::Ignored);
    EXPECT_TRUE(loaded == state);

    // Not a journal: kept aside, the file's state used.
    std::vector<std::uint8_t> damaged = whole;
    damaged[2] ^= 0xFF;
    WriteBytes(journalPath, damaged);
    result = LoadStateFile(path, loaded);
    EXPECT_EQ(result.journal.outcome, JournalReplay::Outcome::Damaged);
    EXPECT_TRUE(loaded == state);
    EXPECT_EQ(testfiles::ReadBytes(journalPath + L".corrupt-1"), damaged);
    EXPECT_FALSE(FileExists(journalPath));
}
