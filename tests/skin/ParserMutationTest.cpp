// Mutation tests of the skin library's file parsers: thousands of damaged variants of valid key record,
// key defaults, language text and skin XML files (fixed seeds, bounded counts) must each be refused or
// read for what is valid in them, without a crash and without a read past the end of their data.
#include <windows.h>

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "../framework/TestSupport.h"
#include "../support/TestFiles.h"
#include "SkinLoaderTestSupport.h"
#include "data/KeyboardDefWriter.h"
#include "skin/KeyboardDef.h"
#include "skin/LangTable.h"
#include "skin/SkinLoader.h"
#include "skin/SkinResources.h"
#include "skin/SkinValues.h"

namespace {

using Bytes = std::vector<BYTE>;

// Variants per group. The in-memory parsers are cheap; every variant that goes through a file costs a
// write and a cache load, and a skin file also decodes images and creates fonts.
constexpr int kKeyRecordVariants = 20000;
constexpr int kKeyRecordFileVariants = 2000;
constexpr int kDefaultsVariants = 20000;
constexpr int kDefaultsFileVariants = 2000;
constexpr int kLanguageVariants = 20000;
constexpr int kLanguageFileVariants = 2000;
constexpr int kSkinFileVariants = 6000;

std::uint32_t GetU32(const Bytes& data, size_t offset)
{
    std::uint32_t value;
    std::memcpy(&value, &data[offset], sizeof(value));
    return value;
}

void PutU32(Bytes& data, size_t offset, std::uint32_t value)
{
    std::memcpy(&data[offset], &value, sizeof(value));
}

// Where `damaged` first differs from `original` (its length when one is a prefix of the other): every
// byte before it is as it was.
size_t FirstChange(const Bytes& original, const Bytes& damaged)
{
    const size_t common = std::min(original.size(), damaged.size());
    return static_cast<size_t>(std::mismatch(damaged.begin(), damaged.begin() + common, original.begin()).first -
                               damaged.begin());
}

// Memory in which the byte after the placed data is a no-access page: a parser that reads past its data
// faults there at once instead of reading whatever happens to follow.
class GuardedBuffer {
public:
    GuardedBuffer()
    {
        SYSTEM_INFO info = {};
        GetSystemInfo(&info);
        m_page = info.dwPageSize;
    }
    ~GuardedBuffer() { Release(); }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    // Copies the data flush against the guard page and returns where it starts (never null, even for no
    // data).
    const BYTE* Place(const Bytes& data)
    {
        const size_t needed = (std::max<size_t>(data.size(), 1) + m_page - 1) / m_page * m_page;
        if (needed > m_capacity) {
            Release();
            m_base = static_cast<BYTE*>(
                VirtualAlloc(nullptr, needed + m_page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
            if (!m_base)
                return nullptr;
            m_capacity = needed;
            DWORD previous = 0;
            if (!VirtualProtect(m_base + needed, m_page, PAGE_NOACCESS, &previous)) {
                Release();
                return nullptr;
            }
        }
        BYTE* start = m_base + m_capacity - data.size();
        if (!data.empty())
            std::memcpy(start, data.data(), data.size());
        return start;
    }

    bool GuardArmed() const
    {
        MEMORY_BASIC_INFORMATION page = {};
        return m_base && VirtualQuery(m_base + m_capacity, &page, sizeof(page)) == sizeof(page) &&
               page.Protect == PAGE_NOACCESS;
    }

private:
    void Release()
    {
        if (m_base)
            VirtualFree(m_base, 0, MEM_RELEASE);
        m_base = nullptr;
        m_capacity = 0;
    }

    size_t m_page = 4096;
    BYTE* m_base = nullptr;
    size_t m_capacity = 0;
};

// The damage done to files, from one fixed-seed generator so that every run feeds the same variants.
class Mutator {
public:
    explicit Mutator(std::uint32_t seed) : m_random(seed) {}

    size_t Below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(m_random() % n); }
    size_t Between(size_t low, size_t high) { return low + Below(high - low + 1); }
    BYTE Byte() { return static_cast<BYTE>(m_random()); }

    // A length short of `size` from each class damaged files come in: nearly nothing, just short of the
    // end, odd, anywhere.
    size_t ShorterLength(size_t size)
    {
        if (size == 0)
            return 0;
        switch (Below(4)) {
        case 0:
            return std::min(size - 1, Below(9));
        case 1:
            return size - 1 - std::min(size - 1, Below(8));
        case 2: {
            size_t length = Below(size) | 1;
            return length < size ? length : size - 1;
        }
        default:
            return Below(size);
        }
    }

    // A length field meant to make a reader run off its data.
    std::uint32_t HugeValue(size_t size, size_t offset)
    {
        static const std::uint32_t kFixed[] = {0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFEu,
                                               0x7FFFFFFEu, 0x80000001u, 0x00010000u, 0x0000FFFFu};
        const std::uint32_t delta = static_cast<std::uint32_t>(Below(17)) - 8u;
        switch (Below(3)) {
        case 0:
            return kFixed[Below(std::size(kFixed))];
        case 1:
            return static_cast<std::uint32_t>(size) + delta;
        default:
            return static_cast<std::uint32_t>(size - std::min(size, offset)) + delta;
        }
    }

    // One random piece of damage of any kind.
    void Damage(Bytes& data)
    {
        switch (Below(7)) {
        case 0:  // bit flips
            for (size_t n = Between(1, 8); n > 0 && !data.empty(); --n)
                data[Below(data.size())] ^= static_cast<BYTE>(1u << Below(8));
            break;
        case 1: {  // bytes overwritten, with random or boundary values
            static const BYTE kSpecial[] = {0x00, 0xFF, 0x7F, 0x80, 0x0D, 0x0A, 0x01};
            for (size_t n = Between(1, 16); n > 0 && !data.empty(); --n)
                data[Below(data.size())] = Below(2) ? Byte() : kSpecial[Below(std::size(kSpecial))];
            break;
        }
        case 2: {  // random bytes inserted
            Bytes chunk(Below(8) ? Between(1, 64) : Between(65, 4096));
            for (BYTE& b : chunk)
                b = Byte();
            data.insert(data.begin() + static_cast<std::ptrdiff_t>(Below(data.size() + 1)), chunk.begin(), chunk.end());
            break;
        }
        case 3: {  // a chunk of the data repeated elsewhere
            if (data.empty())
                break;
            const size_t from = Below(data.size());
            const size_t length = Between(1, std::min<size_t>(data.size() - from, 2048));
            const Bytes chunk(data.begin() + static_cast<std::ptrdiff_t>(from),
                              data.begin() + static_cast<std::ptrdiff_t>(from + length));
            data.insert(data.begin() + static_cast<std::ptrdiff_t>(Below(data.size() + 1)), chunk.begin(), chunk.end());
            break;
        }
        case 4: {  // a chunk cut out
            if (data.empty())
                break;
            const size_t from = Below(data.size());
            const size_t length = Between(1, std::min<size_t>(data.size() - from, 512));
            data.erase(data.begin() + static_cast<std::ptrdiff_t>(from),
                       data.begin() + static_cast<std::ptrdiff_t>(from + length));
            break;
        }
        case 5:
            data.resize(ShorterLength(data.size()));
            break;
        default:  // a huge value over any four bytes
            if (data.size() >= 4) {
                const size_t offset = Below(2) ? Below(data.size() / 4) * 4 : Below(data.size() - 3);
                PutU32(data, offset, HugeValue(data.size(), offset));
            }
            break;
        }
    }

    // Variant i of a file's bytes: in turn cut short, damaged, or replaced by bytes with no structure.
    Bytes FileVariant(const Bytes& valid, int i)
    {
        Bytes data = valid;
        if (i % 3 == 0)
            data.resize(ShorterLength(data.size()));
        else if (i % 3 == 1)
            Damage(data);
        else
            data = RandomBuffer();
        return data;
    }

    // Bytes with no structure: mostly small, now and then large.
    Bytes RandomBuffer()
    {
        size_t size = 0;
        switch (Below(6)) {
        case 0:
        case 1:
            size = Below(9);
            break;
        case 5:
            size = Between(4097, 256 * 1024);
            break;
        default:
            size = Between(9, 4096);
            break;
        }
        Bytes data(size);
        for (BYTE& b : data)
            b = Byte();
        return data;
    }

private:
    std::mt19937 m_random;
};

// A Unix path of the build as a Windows path under Wine.
std::wstring HostPath(const char* unixPath)
{
    return testfiles::WinePath(unixPath);
}

// The product keyboard's files as the writer makes them, with where each record starts.
struct ProductKeyboard {
    std::vector<KeyDescription> keys;
    Bytes records;
    Bytes defaults;
    std::vector<size_t> recordStart;  // one per key, then the end of the file
};

ProductKeyboard MakeProductKeyboard()
{
    ProductKeyboard keyboard;
    const std::string text = testfiles::ReadText(HostPath(KEYBOARD_DESCRIPTION));
    std::string error;
    EXPECT_TRUE(ParseKeyboardDescription(text, keyboard.keys, error)) << error;
    keyboard.records = WriteKeyRecordFile(keyboard.keys);
    keyboard.defaults = WriteKeyDefaultsFile(keyboard.keys);

    Bytes rebuilt(4, 0);
    PutU32(rebuilt, 0, static_cast<std::uint32_t>(keyboard.keys.size()));
    for (const KeyDescription& key : keyboard.keys) {
        keyboard.recordStart.push_back(rebuilt.size());
        AppendKeyRecord(rebuilt, key);
    }
    keyboard.recordStart.push_back(rebuilt.size());
    EXPECT_EQ(keyboard.records, rebuilt) << "records are not laid out one after the other";
    return keyboard;
}

bool SameRecord(const KeyRecord& a, const KeyRecord& b)
{
    return a.id == b.id && a.name == b.name && a.code1 == b.code1 && a.code2 == b.code2 &&
           std::memcmp(a.makeSequence, b.makeSequence, sizeof(a.makeSequence)) == 0 &&
           std::memcmp(a.blockB, b.blockB, sizeof(a.blockB)) == 0 &&
           std::memcmp(a.blockC, b.blockC, sizeof(a.blockC)) == 0 &&
           std::memcmp(a.blockD, b.blockD, sizeof(a.blockD)) == 0;
}

// What holds for every record a parse keeps, whatever the data was.
void ExpectSoundRecords(const CKeyboardDef& def, std::uint32_t announced, const std::string& what)
{
    EXPECT_LE(def.Records().size(), announced) << what;
    for (const auto& [id, record] : def.Records()) {
        EXPECT_EQ(id, record.id) << what;
        EXPECT_EQ(HashKeyName(record.name), record.id) << what;
        EXPECT_LE(record.name.size(), static_cast<size_t>(kMaxKeyNameBytes / 2)) << what;
        EXPECT_TRUE(IsUsableKeyName(record)) << what;
        const KeyScanCode derived = DeriveKeyScanCode(record.makeSequence);
        EXPECT_TRUE(derived.code == record.scanCode.code && derived.extended == record.scanCode.extended) << what;
    }
}

// A valid language text (UTF-16LE, no byte-order mark) and what it holds, with the code unit offsets of
// its lines so that a damaged copy can be judged line by line.
struct LanguageSample {
    Bytes bytes;
    std::wstring title;
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    std::vector<size_t> textStart;  // code unit where each pair's text line begins
    std::vector<size_t> textEnd;    // code unit of the CR that ends it
    size_t markerStart = 0;         // code unit where "END OF FILE" begins
};

LanguageSample MakeLanguageSample()
{
    static const wchar_t* const kEndings[] = {L"\r\n", L"\r", L"\r\r\n", L"\r\n\n\n"};
    LanguageSample sample;
    sample.title = L"Deutsch \x00DC \x4E2D\x6587";
    std::wstring text = sample.title + L"\r\n" + L"Version 2\r\n";
    for (int i = 0; i < 60; ++i) {
        const std::wstring key = L"KEY_" + std::to_wstring(i) + L" W\x00F6rter";
        const std::wstring value = L"Text " + std::to_wstring(i) + L" \x00E4\x00DF \xD83D\xDE00 " +
                                   std::wstring(static_cast<size_t>(i % 7) * 9, L'x');
        text += key + kEndings[i % 4];
        sample.textStart.push_back(text.size());
        text += value;
        sample.textEnd.push_back(text.size());
        text += kEndings[(i + 1) % 4];
        sample.pairs.emplace_back(key, value);
    }
    sample.markerStart = text.size();
    text += L"end of file\r\nKEY_AFTER\r\nnot read\r\n";
    for (wchar_t c : text) {
        sample.bytes.push_back(static_cast<BYTE>(c & 0xFF));
        sample.bytes.push_back(static_cast<BYTE>((c >> 8) & 0xFF));
    }
    return sample;
}

// What holds for every table a parse fills, whatever the data was.
void ExpectSoundTable(const CLangTable& table, bool result, const std::string& what)
{
    EXPECT_EQ(result, !table.m_pairs.empty()) << what;
    EXPECT_EQ(static_cast<size_t>(table.m_pairCount), table.m_pairs.size()) << what;
    auto clean = [](const std::wstring& s) { return s.find_first_of(std::wstring(L"\r\0", 2)) == std::wstring::npos; };
    EXPECT_TRUE(clean(table.m_title)) << what;
    for (const auto& pair : table.m_pairs)
        EXPECT_TRUE(clean(pair.first) && clean(pair.second)) << what;
}

bool SameTable(const CLangTable& a, const CLangTable& b)
{
    return a.m_title == b.m_title && a.m_pairs == b.m_pairs;
}

// Each group in its own program folder (xml, skins, fonts, lang and bin), with the program-wide keyboard
// definition fresh before and after.
class ParserMutation : public SkinFolderTest {
protected:
    void SetUp() override
    {
        SkinFolderTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(CreateDirectoryW((m_folder + L"bin").c_str(), nullptr));
        KeyboardDef().Clear();
        InitNameTables();
    }
    void TearDown() override
    {
        KeyboardDef().Clear();
        SkinFolderTest::TearDown();
    }

    // The KEYBOARDDEF reader on the files in bin\, loaded afresh; the definition it registers is taken
    // out of the list again.
    bool LoadKeyboardElement(const char* xml)
    {
        ClearSkinResources();
        KeyboardDef().Clear();
        pugi::xml_document document;
        EXPECT_TRUE(document.load_string(xml));
        SkinItemList list;
        const bool result = LoadKeyboardDef(document.child("KEYBOARD"), nullptr, list);
        m_registered = list.size();
        EXPECT_TRUE(list.empty() || (list.size() == 1 && list[0] == &KeyboardDef()));
        FreeSkinItemList(list);
        return result;
    }

    GuardedBuffer m_buffer;
    size_t m_registered = 0;  // items the last LoadKeyboardElement registered
};

const char kKeyboardElement[] =
    "<KEYBOARD><KEYBOARDDEF name='KBDDEF_WINDOWS' file='Keyboard.bin' kbddefaults='KeyboardDefaults.bin'/>"
    "</KEYBOARD>";

} // namespace

// Key record files: truncated anywhere, with huge counts and name lengths, records dropped or repeated,
// bytes appended, random damage and random data. Whatever the parse keeps is sound, a file that lost
// data is refused, and a damaged file never loses the records before its first damaged byte.
TEST_F(ParserMutation, KeyRecordFileSurvivesDamage)
{
    const ProductKeyboard keyboard = MakeProductKeyboard();
    ASSERT_GT(keyboard.keys.size(), 100u);
    const std::uint32_t keyCount = static_cast<std::uint32_t>(keyboard.keys.size());

    CKeyboardDef valid;
    ASSERT_TRUE(valid.LoadKeyRecords(keyboard.records.data(), keyboard.records.size()));
    // The ids of the usable records among the first k keys, for every k.
    std::vector<std::set<std::int32_t>> usableBefore(1);
    for (const KeyDescription& key : keyboard.keys) {
        usableBefore.push_back(usableBefore.back());
        if (valid.FindKeyRecord(HashKeyName(key.name)))
            usableBefore.back().insert(HashKeyName(key.name));
    }
    ASSERT_EQ(valid.Records().size(), usableBefore.back().size()) << "two usable keys share a name";

    // The parse holds exactly the valid records of the first `keys` keys.
    auto expectFirstRecords = [&](const CKeyboardDef& def, size_t keys, const std::string& what) {
        const std::set<std::int32_t>& wanted = usableBefore[keys];
        EXPECT_EQ(wanted.size(), def.Records().size()) << what;
        for (std::int32_t id : wanted) {
            const KeyRecord* record = def.FindKeyRecord(id);
            EXPECT_TRUE(record && SameRecord(*record, *valid.FindKeyRecord(id))) << what;
        }
    };
    // Keys whose records lie wholly before `offset`.
    auto keysBefore = [&](size_t offset) {
        size_t keys = 0;
        while (keys < keyCount && keyboard.recordStart[keys + 1] <= offset)
            ++keys;
        return keys;
    };

    ASSERT_NE(nullptr, m_buffer.Place(keyboard.records));
    ASSERT_TRUE(m_buffer.GuardArmed());
    // Every short length, and every length near a record boundary.
    std::set<size_t> cuts;
    for (size_t length = 0; length <= 1024; ++length)
        cuts.insert(length);
    for (size_t start : keyboard.recordStart) {
        for (size_t length = start > 8 ? start - 8 : 0; length <= start + 8; ++length)
            cuts.insert(length);
    }
    for (size_t length : cuts) {
        if (length >= keyboard.records.size())
            continue;
        const Bytes data(keyboard.records.begin(), keyboard.records.begin() + static_cast<std::ptrdiff_t>(length));
        const std::string what = "cut at " + std::to_string(length);
        CKeyboardDef def;
        EXPECT_FALSE(def.LoadKeyRecords(m_buffer.Place(data), data.size())) << what;
        expectFirstRecords(def, keysBefore(length), what);
    }

    Mutator mutator(0x4B455953u);
    for (int i = 0; i < kKeyRecordVariants; ++i) {
        Bytes data = keyboard.records;
        const std::string what = "variant " + std::to_string(i);
        std::uint32_t announced = keyCount;
        CKeyboardDef def;
        switch (i % 7) {
        case 0: {  // truncated: a refused prefix of the records
            data.resize(mutator.ShorterLength(data.size()));
            EXPECT_FALSE(def.LoadKeyRecords(m_buffer.Place(data), data.size())) << what;
            expectFirstRecords(def, keysBefore(data.size()), what);
            break;
        }
        case 1: {  // another count: too few leaves bytes over, too many runs out of data
            static const std::uint32_t kCounts[] = {0, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, keyCount + 1};
            announced = mutator.Below(2) ? kCounts[mutator.Below(std::size(kCounts))]
                                         : static_cast<std::uint32_t>(mutator.Below(keyCount));
            PutU32(data, 0, announced);
            EXPECT_FALSE(def.LoadKeyRecords(m_buffer.Place(data), data.size())) << what;
            expectFirstRecords(def, std::min(announced, keyCount), what);
            break;
        }
        case 2: {  // a huge or nearly fitting name length in one record
            const size_t key = mutator.Below(keyCount);
            const size_t offset = keyboard.recordStart[key];
            std::uint32_t length = mutator.HugeValue(data.size(), offset);
            if (mutator.Below(2)) {  // the name takes the rest of the file, give or take a few bytes
                const size_t rest = data.size() - offset - 4 - kKeyRecordFixedBytes;
                length = static_cast<std::uint32_t>(rest + mutator.Below(7)) - 3u;
            }
            PutU32(data, offset, length);
            const bool result = def.LoadKeyRecords(m_buffer.Place(data), data.size());
            if (4ull + length + kKeyRecordFixedBytes > data.size() - offset) {
                EXPECT_FALSE(result) << what;
                expectFirstRecords(def, key, what);
            } else {
                for (std::int32_t id : usableBefore[key])
                    EXPECT_NE(nullptr, def.FindKeyRecord(id)) << what;
            }
            break;
        }
        case 3: {  // a whole record left out, or one repeated
            const size_t key = mutator.Below(keyCount);
            const auto first = data.begin() + static_cast<std::ptrdiff_t>(keyboard.recordStart[key]);
            const auto last = data.begin() + static_cast<std::ptrdiff_t>(keyboard.recordStart[key + 1]);
            const bool drop = mutator.Below(2) == 0;
            if (drop) {
                data.erase(first, last);
            } else {
                const Bytes record(first, last);
                data.insert(data.begin() + static_cast<std::ptrdiff_t>(keyboard.recordStart[key + 1]), record.begin(),
                            record.end());
            }
            EXPECT_FALSE(def.LoadKeyRecords(m_buffer.Place(data), data.size())) << what;
            // Left out, the count runs past the data; repeated, the copy takes the last key's turn.
            std::set<std::int32_t> wanted = usableBefore[drop ? keyCount : keyCount - 1];
            const std::int32_t id = HashKeyName(keyboard.keys[key].name);
            if (drop)
                wanted.erase(id);
            else if (usableBefore.back().count(id))
                wanted.insert(id);
            EXPECT_EQ(wanted.size(), def.Records().size()) << what;
            for (std::int32_t wantedId : wanted)
                EXPECT_NE(nullptr, def.FindKeyRecord(wantedId)) << what;
            break;
        }
        case 4: {  // bytes after the last record
            const size_t extra = mutator.Below(4) ? mutator.Between(1, 8) : mutator.Between(9, 64 * 1024);
            for (size_t n = 0; n < extra; ++n)
                data.push_back(mutator.Byte());
            EXPECT_FALSE(def.LoadKeyRecords(m_buffer.Place(data), data.size())) << what;
            expectFirstRecords(def, keyCount, what);
            break;
        }
        case 5: {  // random damage: the records before it stay
            for (size_t n = mutator.Between(1, 3); n > 0; --n)
                mutator.Damage(data);
            if (data.size() >= 4)
                announced = GetU32(data, 0);
            def.LoadKeyRecords(m_buffer.Place(data), data.size());
            const size_t change = FirstChange(keyboard.records, data);
            if (change >= 4) {
                for (std::int32_t id : usableBefore[keysBefore(change)])
                    EXPECT_NE(nullptr, def.FindKeyRecord(id)) << what;
            }
            break;
        }
        default: {  // no structure at all
            data = mutator.RandomBuffer();
            announced = data.size() >= 4 ? GetU32(data, 0) : 0;
            const bool result = def.LoadKeyRecords(m_buffer.Place(data), data.size());
            if (data.size() < 4 + 4 + kKeyRecordFixedBytes) {
                EXPECT_FALSE(result) << what;
            }
            break;
        }
        }
        ExpectSoundRecords(def, announced, what);
    }

    // Through the resource cache and the KEYBOARDDEF reader: the cache hands over exactly the file's
    // bytes, and the reader registers the definition only when the records parse.
    Write(L"bin\\KeyboardDefaults.bin", keyboard.defaults);
    for (int i = 0; i < kKeyRecordFileVariants; ++i) {
        Bytes data = keyboard.records;
        const std::string what = "file variant " + std::to_string(i);
        if (i % 4 == 3)
            data = mutator.RandomBuffer();
        else if (i % 4 == 0)
            data.resize(mutator.ShorterLength(data.size()));
        else
            mutator.Damage(data);
        Write(L"bin\\Keyboard.bin", data);

        CKeyboardDef direct;
        const bool parsed = direct.LoadKeyRecords(m_buffer.Place(data), data.size());
        const bool result = LoadKeyboardElement(kKeyboardElement);
        EXPECT_EQ(static_cast<int>(data.size()), GetSkinResourceSize(L"Keyboard.bin", kSkinBinaryData)) << what;
        EXPECT_EQ(parsed, result) << what;
        EXPECT_EQ(parsed ? 1u : 0u, m_registered) << what;
        EXPECT_EQ(direct.Records().size(), KeyboardDef().Records().size()) << what;
        for (const auto& [id, record] : direct.Records()) {
            const KeyRecord* loaded = KeyboardDef().FindKeyRecord(id);
            EXPECT_TRUE(loaded && SameRecord(*loaded, record)) << what;
        }
    }
}

// Defaults files: a count that does not match the data applies nothing; a whole file applies every pair.
TEST_F(ParserMutation, KeyDefaultsFileSurvivesDamage)
{
    const ProductKeyboard keyboard = MakeProductKeyboard();
    const Bytes& valid = keyboard.defaults;
    const std::uint32_t pairCount = GetU32(valid, 0);
    ASSERT_EQ(valid.size(), 4 + 8 * static_cast<size_t>(pairCount));
    ASSERT_GT(pairCount, 100u);

    ASSERT_NE(nullptr, m_buffer.Place(valid));
    ASSERT_TRUE(m_buffer.GuardArmed());
    for (size_t length = 0; length < valid.size(); ++length) {
        const Bytes data(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(length));
        CKeyboardDef def;
        EXPECT_FALSE(def.LoadKeyDefaults(m_buffer.Place(data), data.size())) << "cut at " << length;
        EXPECT_TRUE(def.Defaults().empty()) << "cut at " << length;
    }

    Mutator mutator(0x44454641u);
    for (int i = 0; i < kDefaultsVariants; ++i) {
        Bytes data = valid;
        const std::string what = "variant " + std::to_string(i);
        switch (i % 5) {
        case 0:  // truncated
            data.resize(mutator.ShorterLength(data.size()));
            break;
        case 1:  // a huge or slightly wrong count
            PutU32(data, 0, mutator.Below(2) ? mutator.HugeValue(data.size(), 0)
                                             : pairCount + static_cast<std::uint32_t>(mutator.Below(5)) - 2u);
            break;
        case 2: {  // pairs left out or repeated without the count following
            const auto pair = data.begin() + static_cast<std::ptrdiff_t>(4 + 8 * mutator.Below(pairCount));
            if (mutator.Below(2))
                data.erase(pair, pair + 8);
            else
                data.insert(pair, valid.begin() + 4, valid.begin() + 12);
            break;
        }
        case 3:
            for (size_t n = mutator.Between(1, 3); n > 0; --n)
                mutator.Damage(data);
            break;
        default:
            data = mutator.RandomBuffer();
            break;
        }

        CKeyboardDef def;
        const bool result = def.LoadKeyDefaults(m_buffer.Place(data), data.size());
        const std::uint64_t announced = data.size() >= 4 ? GetU32(data, 0) : 0;
        if (data.size() < 4 || 4 + 8 * announced > data.size()) {
            EXPECT_FALSE(result) << what;
        } else if (4 + 8 * announced == data.size()) {
            EXPECT_TRUE(result) << what;
        }
        if (!result) {
            EXPECT_TRUE(def.Defaults().empty()) << what << ": a refused file applied defaults";
        } else {
            EXPECT_LE(def.Defaults().size(), announced) << what;
            for (std::uint64_t pair = 0; pair < announced; ++pair) {
                const auto found = def.Defaults().find(static_cast<std::int32_t>(GetU32(data, 4 + 8 * pair)));
                EXPECT_TRUE(found != def.Defaults().end()) << what;
            }
        }
    }

    // Through the cache and the KEYBOARDDEF reader: the records load, so the definition is registered
    // whatever the defaults file holds, and the answer is the defaults parse's.
    Write(L"bin\\Keyboard.bin", keyboard.records);
    for (int i = 0; i < kDefaultsFileVariants; ++i) {
        const Bytes data = mutator.FileVariant(valid, i);
        const std::string what = "file variant " + std::to_string(i);
        Write(L"bin\\KeyboardDefaults.bin", data);

        CKeyboardDef direct;
        const bool parsed = direct.LoadKeyDefaults(m_buffer.Place(data), data.size());
        EXPECT_EQ(parsed, LoadKeyboardElement(kKeyboardElement)) << what;
        EXPECT_EQ(1u, m_registered) << what;
        EXPECT_EQ(static_cast<int>(data.size()), GetSkinResourceSize(L"KeyboardDefaults.bin", kSkinBinaryData)) << what;
        EXPECT_EQ(direct.Defaults().size(), KeyboardDef().Defaults().size()) << what;
    }
}

// Language texts: truncated at every length class (odd ones included), without their end marker, damaged
// or random. A truncated text gives exactly the lines before the cut; damage never changes the pairs
// before it; a trailing odd byte is never read.
TEST_F(ParserMutation, LanguageTextSurvivesDamage)
{
    const LanguageSample sample = MakeLanguageSample();
    {
        CLangTable table;
        ASSERT_TRUE(ParseLanguageText(table, sample.bytes.data(), sample.bytes.size()));
        ASSERT_EQ(sample.title, table.m_title);
        ASSERT_EQ(sample.pairs, table.m_pairs);
    }

    // The table a cut after `units` code units has to give.
    auto expectCutAt = [&](const CLangTable& table, size_t units, const std::string& what) {
        EXPECT_EQ(sample.title.substr(0, std::min(units, sample.title.size())), table.m_title) << what;
        std::vector<std::pair<std::wstring, std::wstring>> pairs;
        for (size_t j = 0; j < sample.pairs.size() && sample.textStart[j] < units; ++j) {
            const size_t kept = std::min(units, sample.textEnd[j]) - sample.textStart[j];
            pairs.emplace_back(sample.pairs[j].first, sample.pairs[j].second.substr(0, kept));
        }
        EXPECT_EQ(pairs, table.m_pairs) << what;
    };

    ASSERT_NE(nullptr, m_buffer.Place(sample.bytes));
    ASSERT_TRUE(m_buffer.GuardArmed());
    for (size_t length = 0; length <= sample.bytes.size(); ++length) {
        const Bytes data(sample.bytes.begin(), sample.bytes.begin() + static_cast<std::ptrdiff_t>(length));
        const std::string what = "cut at " + std::to_string(length);
        CLangTable table;
        ExpectSoundTable(table, ParseLanguageText(table, m_buffer.Place(data), data.size()), what);
        expectCutAt(table, std::min(length / 2, sample.markerStart), what);
    }

    Mutator mutator(0x4C414E47u);
    for (int i = 0; i < kLanguageVariants; ++i) {
        Bytes data = sample.bytes;
        const std::string what = "variant " + std::to_string(i);
        CLangTable table;
        bool result = false;
        switch (i % 5) {
        case 0:  // truncated, often to an odd length
            data.resize(mutator.ShorterLength(data.size()));
            result = ParseLanguageText(table, m_buffer.Place(data), data.size());
            expectCutAt(table, data.size() / 2, what);
            break;
        case 1: {  // the end marker and what follows it gone, maybe with an odd byte left over
            data.resize(2 * sample.markerStart + mutator.Below(2));
            result = ParseLanguageText(table, m_buffer.Place(data), data.size());
            EXPECT_TRUE(result) << what;
            EXPECT_EQ(sample.pairs, table.m_pairs) << what;
            break;
        }
        case 2:
        case 3: {  // damage: every pair whose line ends before it stays
            for (size_t n = mutator.Between(1, 3); n > 0; --n)
                mutator.Damage(data);
            result = ParseLanguageText(table, m_buffer.Place(data), data.size());
            const size_t change = FirstChange(sample.bytes, data) / 2;
            for (size_t j = 0; j < sample.pairs.size() && sample.textEnd[j] < change; ++j) {
                ASSERT_LT(j, table.m_pairs.size()) << what;
                EXPECT_EQ(sample.pairs[j], table.m_pairs[j]) << what;
            }
            break;
        }
        default:
            data = mutator.RandomBuffer();
            result = ParseLanguageText(table, m_buffer.Place(data), data.size());
            break;
        }
        ExpectSoundTable(table, result, what);
        if (data.size() % 2) {  // the odd byte, whatever its value, is not half a character
            data.back() ^= 0xFF;
            CLangTable other;
            ParseLanguageText(other, m_buffer.Place(data), data.size());
            EXPECT_TRUE(SameTable(table, other)) << what;
        }
    }

    // Through the cache and the LANG reader: the table holds what the file's bytes parse to, and a file
    // without data makes no table.
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string("<LANG name='LANGUAGE_DEFAULT' file='damaged.txt'/>"));
    for (int i = 0; i < kLanguageFileVariants; ++i) {
        const Bytes data = mutator.FileVariant(sample.bytes, i);
        const std::string what = "file variant " + std::to_string(i);
        ClearSkinResources();
        Write(L"lang\\damaged.txt", data);

        SkinItemList list;
        CGUIItem* item = ReadLangElement(document.child("LANG"), nullptr, list);
        EXPECT_EQ(static_cast<int>(data.size()), GetSkinResourceSize(L"damaged.txt", kSkinLanguageData)) << what;
        if (data.empty()) {
            EXPECT_EQ(nullptr, item) << what;
            continue;
        }
        auto* table = dynamic_cast<CLangTable*>(item);
        ASSERT_NE(nullptr, table) << what;
        CLangTable direct;
        ParseLanguageText(direct, m_buffer.Place(data), data.size());
        EXPECT_TRUE(SameTable(direct, *table)) << what;
        list.push_back(table);
        FreeSkinItemList(list);
    }
    ClearSkinResources();
}

namespace {

// A keyboard page with its key definitions, languages, a font and shared key images.
const char kKeyboardSkin[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<KEYBOARD>\n"
    "  <KEYBOARDDEF name=\"KBDDEF_WINDOWS\" file=\"Keyboard.bin\" kbddefaults=\"KeyboardDefaults.bin\"/>\n"
    "  <LANGLIST>\n"
    "    <LANG name=\"LANGUAGE_DEFAULT\" file=\"english.txt\">\n"
    "      <LANGFONT fontsearch=\"FONT_ARIAL12\" fontreplace=\"FONT_ARIAL14\"/>\n"
    "      <LANGOVERRIDE name=\"TEXT_LOGO\" caps=\"U\"/>\n"
    "      <LANGOVERRIDE item=\"TEXT_DRIVERVER\">\n"
    "        <RECT left=\"1\" top=\"2\" right=\"30\" bottom=\"40\"/>\n"
    "      </LANGOVERRIDE>\n"
    "      <LANGOVERRIDE item=\"BUTTON_KB_ESC\"><SBMN>mask.bmp</SBMN></LANGOVERRIDE>\n"
    "    </LANG>\n"
    "  </LANGLIST>\n"
    "  <FONTLIST><FONT name=\"FONT_ARIAL12\" typeface=\"Arial\" pitch=\"12\" boldlevel=\"700\"/></FONTLIST>\n"
    "  <BITMAPLIST><BITMAPITEM name=\"BITMAP_MECHKBD\"/></BITMAPLIST>\n"
    "  <KBDKEYLIST windowid=\"BITMAP_MECHKBD\">\n"
    "    <BUTTONBITMAPS><SBMN>background.bmp</SBMN><SBMM> mask.bmp </SBMM></BUTTONBITMAPS>\n"
    "    <KBDKEY name=\"BUTTON_KB_ESC\" kbddefid=\"Esc\">\n"
    "      <RECT left=\"0\" top=\"0\" right=\"20\" bottom=\"20\"/>\n"
    "    </KBDKEY>\n"
    "  </KBDKEYLIST>\n"
    "</KEYBOARD>\n";

// Words of the skin files, so that damage also swaps one known name for another.
const char* const kSkinWords[] = {
    "KEYBOARD", "GUIPANEL", "ITEMLIST", "KEYBOARDDEF", "LANGLIST", "LANG", "LANGFONT", "LANGOVERRIDE",
    "FONTLIST", "FONT", "BACKGROUND", "MASK", "RECT", "KBDKEYLIST", "KBDKEY", "BUTTONBITMAPS", "SBMN",
    "SBMM", "TEXTLIST", "TEXTITEM", "BITMAPLIST", "BITMAPITEM", "KBLAYOUTLIST", "KBLAYOUT", "LANGUAGE_DEFAULT",
    "LANGUAGE_GERMAN", "FONT_ARIAL12", "FONT_ARIAL14", "KBDDEF_WINDOWS", "TEXT_LOGO", "BITMAP_MECHKBD",
    "english.txt", "german.txt", "background.bmp", "mask.bmp", "Keyboard.bin", "KeyboardDefaults.bin",
    "missing.bmp", "name", "file", "", " "};

// Numbers past every range a value is read into.
const char* const kHugeNumbers[] = {"99999999999999999999999", "-99999999999999999999", "2147483648",
                                    "-2147483649", "4294967295", "4294967296", "0x7FFFFFFF", "1e308",
                                    "-0", "+-1", "2147483647", "-2147483648"};

// Pieces that break a file's structure where they land; the empty one stands for a NUL byte.
const char* const kXmlJunk[] = {"<", ">", "&", "&#0;", "&#xFFFF;", "&#x110000;", "&unknown;", "<![CDATA[", "]]>",
                                "<!--", "-->", "<?xml", "\"", "'", "</LANG>", "<LANG>", "</KEYBOARD>",
                                "<GUIPANEL>", "< name=\"x\"/>", "<A =\"x\"/>", "<>", "</>", "\xC3",
                                "\xFF\xFE", "\xEF\xBB\xBF", "", "<!DOCTYPE x [<!ENTITY e \"v\">]>"};

std::vector<size_t> FindAll(const std::string& text, const std::string& what)
{
    std::vector<size_t> found;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        found.push_back(at);
    return found;
}

// Damage that knows XML: tags and attributes taken out or repeated, names and values swapped, huge
// numbers, empty and very long values, structure-breaking pieces, and the byte damage of any file.
class XmlMutator {
public:
    explicit XmlMutator(Mutator& bytes) : m_bytes(bytes) {}

    void Damage(std::string& text)
    {
        switch (m_bytes.Below(12)) {
        case 0:
            EraseTag(text);
            break;
        case 1:
            RepeatTag(text);
            break;
        case 2:
            EraseAttribute(text);
            break;
        case 3:
            SetValue(text, "=\"", kHugeNumbers[m_bytes.Below(std::size(kHugeNumbers))]);
            break;
        case 4:
            SetValue(text, m_bytes.Below(2) ? "name=\"" : "=\"", "");
            break;
        case 5:
            SetValue(text, "=\"", LongText());
            break;
        case 6:
            SetValue(text, "=\"", kSkinWords[m_bytes.Below(std::size(kSkinWords))]);
            break;
        case 7:
            RenameTag(text);
            break;
        case 8: {
            const size_t at = Pick(FindAll(text, ">"));
            if (at != std::string::npos)
                text.insert(at + 1, LongText());
            break;
        }
        case 9: {
            const char* junk = kXmlJunk[m_bytes.Below(std::size(kXmlJunk))];
            text.insert(m_bytes.Below(text.size() + 1), junk[0] ? std::string(junk) : std::string(1, '\0'));
            break;
        }
        default: {
            Bytes raw(text.begin(), text.end());
            m_bytes.Damage(raw);
            text.assign(raw.begin(), raw.end());
            break;
        }
        }
    }

private:
    size_t Pick(const std::vector<size_t>& positions)
    {
        return positions.empty() ? std::string::npos : positions[m_bytes.Below(positions.size())];
    }

    std::string LongText()
    {
        const size_t length = m_bytes.Below(4) ? m_bytes.Between(300, 5000) : m_bytes.Between(60000, 300000);
        std::string text(length, static_cast<char>('A' + m_bytes.Below(26)));
        if (m_bytes.Below(2))
            text[length / 2] = ' ';
        return text;
    }

    void EraseTag(std::string& text)
    {
        // Closing tags half the time, so that an element is left open.
        const size_t at = Pick(FindAll(text, m_bytes.Below(2) ? "</" : "<"));
        if (at == std::string::npos)
            return;
        const size_t end = text.find('>', at);
        text.erase(at, end == std::string::npos ? std::string::npos : end - at + 1);
    }

    void RepeatTag(std::string& text)
    {
        const size_t at = Pick(FindAll(text, "<"));
        const size_t end = at == std::string::npos ? at : text.find('>', at);
        if (end == std::string::npos)
            return;
        const std::string tag = text.substr(at, end - at + 1);
        text.insert(m_bytes.Below(2) ? end + 1 : m_bytes.Below(text.size() + 1), tag);
    }

    void EraseAttribute(std::string& text)
    {
        const size_t at = Pick(FindAll(text, "=\""));
        if (at == std::string::npos)
            return;
        const size_t start = text.rfind(' ', at);
        const size_t end = text.find('"', at + 2);
        if (start != std::string::npos && end != std::string::npos)
            text.erase(start, end - start + 1);
    }

    // Replaces the value after one occurrence of `opening` (which ends with the opening quote).
    void SetValue(std::string& text, const char* opening, const std::string& value)
    {
        const size_t at = Pick(FindAll(text, opening));
        if (at == std::string::npos)
            return;
        const size_t first = at + std::strlen(opening);
        const size_t end = text.find('"', first);
        if (end != std::string::npos)
            text.replace(first, end - first, value);
    }

    void RenameTag(std::string& text)
    {
        const size_t at = Pick(FindAll(text, "<"));
        if (at == std::string::npos)
            return;
        size_t first = at + 1;
        if (first < text.size() && text[first] == '/')
            ++first;
        const size_t end = text.find_first_of(" />", first);
        if (end != std::string::npos)
            text.replace(first, end - first, kSkinWords[m_bytes.Below(std::size(kSkinWords))]);
    }

    Mutator& m_bytes;
};

} // namespace

// Skin files: the loader is given damaged copies of a panel, a language list, a file of every section and
// a keyboard page, now and then with one of the files they name damaged too. A file that ends before its
// top element does is refused with nothing read; every other outcome leaves a list of sound items that
// FreeSkinItemList takes apart, with no language table left registered behind it.
TEST_F(ParserMutation, SkinFileLoaderSurvivesDamage)
{
    const ProductKeyboard keyboard = MakeProductKeyboard();
    const LanguageSample language = MakeLanguageSample();
    const Bytes background = SolidBmpFile(24, 16, RGB(200, 10, 10));
    const Bytes mask =
        MakeBmpFile(24, 16, [](int x, int y) { return (x + y) % 3 ? RGB(0, 0, 0) : RGB(255, 255, 255); });
    // The files the skin files name; each variant may damage one of them and puts it back afterwards.
    const std::vector<std::pair<std::wstring, Bytes>> namedFiles = {
        {L"skins\\background.bmp", background}, {L"skins\\mask.bmp", mask},
        {L"lang\\english.txt", language.bytes},  {L"lang\\german.txt", language.bytes},
        {L"bin\\Keyboard.bin", keyboard.records}, {L"bin\\KeyboardDefaults.bin", keyboard.defaults}};
    for (const auto& [name, bytes] : namedFiles)
        Write(name, bytes);

    std::vector<std::string> bases;
    for (const wchar_t* fixture : {L"panel.xml", L"language.xml", L"order.xml"}) {
        bases.push_back(testfiles::ReadText(CopyFixture(fixture)));
        ASSERT_FALSE(bases.back().empty());
    }
    bases.push_back(kKeyboardSkin);

    // The window the controls are made in, as a panel's are, for every other variant (windows are what
    // a load costs most): the readers that make windows run too.
    CWnd window;
    ASSERT_TRUE(CreatePopup(window));
    CWnd* parent = &window;

    // Loads one file with the program-wide state fresh, its pictures decoded ahead as the configurator
    // does, checks what came back and frees it.
    auto load = [&](const std::string& text, const std::string& what) {
        ClearSkinResources();
        KeyboardDef().Clear();
        WriteXml(L"variant.xml", text);
        SkinItemList list;
        PrefetchSkinImages({L"variant.xml"});
        const bool result = LoadSkinPanelFile(m_folder + L"xml\\variant.xml", &list, parent);
        EndSkinImagePrefetch();
        size_t definitions = 0;
        for (const CGUIItem* item : list) {
            EXPECT_NE(nullptr, item) << what;
            if (!item)
                continue;
            EXPECT_TRUE(item->m_type >= SkinItemType::PanelBitmap && item->m_type <= SkinItemType::KeyboardLayout)
                << what;
            definitions += item->m_type == SkinItemType::KeyboardDef;
        }
        EXPECT_LE(definitions, 1u) << what;
        const bool empty = list.empty();
        FreeSkinItemList(list);
        EXPECT_TRUE(list.empty() && list.capacity() == 0) << what;
        EXPECT_TRUE(LanguageMap().empty()) << what << ": a freed language table is still registered";
        KeyboardLayoutMap().clear();
        SetCurrentLangTable(nullptr);
        return std::make_pair(result, empty);
    };

    for (size_t b = 0; b < bases.size(); ++b)
        ASSERT_TRUE(load(bases[b], "base " + std::to_string(b)).first) << "base " << b;

    Mutator mutator(0x534B494Eu);
    XmlMutator xml(mutator);
    for (int i = 0; i < kSkinFileVariants; ++i) {
        const std::string& base = bases[static_cast<size_t>(i) % bases.size()];
        parent = i % 2 ? &window : nullptr;
        std::string text = base;
        const std::string what = "variant " + std::to_string(i);
        if (i % 6 == 0) {  // cut: refused unless the top element's end tag made it
            const size_t topEnd = base.rfind('>') + 1;
            text.resize(mutator.ShorterLength(topEnd));
            const auto [result, empty] = load(text, what);
            EXPECT_FALSE(result) << what;
            EXPECT_TRUE(empty) << what;
            continue;
        }
        if (i % 6 == 5) {
            const Bytes random = mutator.RandomBuffer();
            load(std::string(random.begin(), random.end()), what);
            continue;
        }
        if (i % 6 == 3 && i % 4 == 3) {
            // Elements nested around the end of a tag, now and then far deeper than any skin file goes:
            // such a file is refused, and nothing that walks it may depend on its depth.
            const size_t levels = mutator.Below(2) ? mutator.Between(1, 2 * kMaxSkinFileDepth)
                                                   : mutator.Between(1000, 20000);
            std::string nest = testfiles::Repeated("<B>", levels);
            nest += mutator.Below(2) ? "background.bmp" : "";
            nest += testfiles::Repeated("</B>", levels);
            size_t top = std::string::npos;
            for (const char* tag : {"<GUIPANEL", "<KEYBOARD>", "<ITEMLIST"})
                top = std::min(top, text.find(tag));
            ASSERT_NE(top, std::string::npos) << what;
            text.insert(text.find('>', top) + 1, nest);
            pugi::xml_document document;
            const bool tooDeep = document.load_string(text.c_str()) && NestedDeeperThan(document, kMaxSkinFileDepth);
            const auto [result, empty] = load(text, what);
            if (tooDeep)
                EXPECT_TRUE(!result && empty) << what << ": a file nested " << levels << " levels deep was read";
            continue;
        }
        // Mostly one change, so that many variants are still well-formed and reach the element readers.
        for (size_t n = mutator.Below(3) ? 1 : mutator.Between(2, 4); n > 0; --n)
            xml.Damage(text);
        // One variant in four also finds a file it names damaged.
        const std::pair<std::wstring, Bytes>* damaged = nullptr;
        if (i % 4 == 1) {
            damaged = &namedFiles[mutator.Below(namedFiles.size())];
            Bytes bytes = damaged->second;
            mutator.Damage(bytes);
            Write(damaged->first, bytes);
        }
        load(text, what);
        if (damaged)
            Write(damaged->first, damaged->second);
    }
}
