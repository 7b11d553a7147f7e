// Tests of the keyboard definition: key ids, the key record and defaults files as the writer makes them
// and as damaged files arrive, the KEYBOARDDEF element, and the product's generated keyboard files.
#include "../support/TestFiles.h"
#include "skin/KeyboardDef.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "data/KeyboardDefWriter.h"
#include "framework/Wnd.h"
#include "model/NameTables.h"
#include "skin/AppFolder.h"
#include "skin/SkinResources.h"

namespace {

std::vector<KeyDescription> Describe(const std::string& text)
{
    std::vector<KeyDescription> keys;
    std::string error;
    EXPECT_TRUE(ParseKeyboardDescription(text, keys, error)) << error;
    return keys;
}

bool Load(CKeyboardDef& def, const std::vector<BYTE>& bytes) { return def.LoadKeyRecords(bytes.data(), bytes.size()); }

void PutU32(std::vector<BYTE>& bytes, size_t offset, std::uint32_t value) { std::memcpy(&bytes[offset], &value, 4); }

// Two keys, Escape then Left Ctrl, with their defaults.
const char kTwoKeys[] =
    "- | Esc       | 0x29 | 0 | 01 | 01\n"
    "- | Left Ctrl | 0xE0 | 0 | 1D | 1D\n";

KeyDescription Key(const std::wstring& name, std::uint16_t code)
{
    KeyDescription key;
    key.name = name;
    key.blocks[0][0].code = code;
    return key;
}

// A Unix path of the build as the test program sees it under Wine.
std::wstring HostPath(const char* unixPath)
{
    return testfiles::WinePath(unixPath);
}

// A fresh program folder with bin\ and lang\ for the resource cache, removed with its files afterwards.
class TempAppFolder {
public:
    TempAppFolder()
    {
        static int serial = 0;
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_folder = std::wstring(temp) + L"tessary-kbd-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                   std::to_wstring(++serial) + L"\\";
        EXPECT_TRUE(CreateDirectoryW(m_folder.c_str(), nullptr));
        for (const wchar_t* sub : {L"bin", L"lang"})
            EXPECT_TRUE(CreateDirectoryW((m_folder + sub).c_str(), nullptr));
        ClearSkinResources();
        SetAppFolder(m_folder);
    }
    ~TempAppFolder()
    {
        ClearSkinResources();
        ResetAppFolder();
        for (const std::wstring& file : m_files)
            EXPECT_TRUE(DeleteFileW(file.c_str()));
        for (const wchar_t* sub : {L"bin", L"lang", L""})
            EXPECT_TRUE(RemoveDirectoryW((m_folder + sub).c_str()));
    }
    void Write(const std::wstring& relative, const std::vector<BYTE>& bytes)
    {
        const std::wstring path = m_folder + relative;
        std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        EXPECT_TRUE(out.good());
        if (std::find(m_files.begin(), m_files.end(), path) == m_files.end())
            m_files.push_back(path);
    }

private:
    std::wstring m_folder;
    std::vector<std::wstring> m_files;
};

} // namespace

TEST(KeyIds, HashKeyNameIsDjb2OverUtf16UpToTheFirstNul)
{
    EXPECT_EQ(5381, HashKeyName(L""));
    EXPECT_EQ(5381 * 33 + 65, HashKeyName(L"A"));
    EXPECT_EQ(5381 * 33 + 0xDC, HashKeyName(L"Ü"));
    // Eight units overflow 32 bits: the id wraps into a negative number.
    EXPECT_EQ(-1496262242, HashKeyName(L"Num Lock"));
    EXPECT_EQ(-1335167666, HashKeyName(std::wstring(L"Right Windows")));
    EXPECT_EQ(HashKeyName(L"A"), HashKeyName(std::wstring(L"A\0B", 3)));
    EXPECT_EQ(5381, HashKeyName(static_cast<const wchar_t*>(nullptr)));
    EXPECT_EQ(HashKeyName(L"Num Lock"), NumLockKeyId());
}

TEST(KeyScanCodes, DerivedFromTheMakeSequence)
{
    KeyCodeEntry rightCtrl[kKeySequenceLength] = {{0xE0, 1}, {0x1D, 0}};
    KeyCodeEntry keyA[kKeySequenceLength] = {{0x1E, 0}};
    KeyCodeEntry pause[kKeySequenceLength] = {{0xE1, 2}, {0x1D, 0}, {0x45, 0}, {0xE1, 2}, {0x9D, 0}, {0xC5, 0}};
    KeyCodeEntry prefixOnly[kKeySequenceLength] = {{0xE0, 1}};
    KeyCodeEntry longRun[kKeySequenceLength] = {{0xE0, 1}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0},
                                                {6, 0},    {7, 0}, {8, 0}, {9, 0}};
    auto same = [](KeyScanCode a, std::uint16_t code, std::uint8_t extended) {
        return a.code == code && a.extended == extended;
    };
    EXPECT_TRUE(same(DeriveKeyScanCode(rightCtrl), 0x1D, 1));
    EXPECT_TRUE(same(DeriveKeyScanCode(keyA), 0x1E, 0));
    EXPECT_TRUE(same(DeriveKeyScanCode(pause), 0x45, 2));
    EXPECT_TRUE(same(DeriveKeyScanCode(prefixOnly), 0xE0, 1));
    EXPECT_TRUE(same(DeriveKeyScanCode(longRun), 8, 1)) << "the walk never takes the tenth entry";
}

TEST(KeyRecordFile, WrittenRecordsReadBackUnchanged)
{
    const std::vector<KeyDescription> keys = Describe(
        "BUTTON_KB_ESC | Esc        | 0x29 | 0  | 01                    | 01\n"
        "-             | Right Ctrl | 0xE4 | -2 | E0:1 1D               | 1D:1 | E0:1 9D | 7 | FFFF:FF 1\n"
        "-             | Pause      | 0x48 | 85 | E1:2 1D 45 E1:2 9D C5 | 45:2\n"
        "-             | Grüße      | 0x7FFF | 0xFFFF | 29              | -\n");
    ASSERT_EQ(4u, keys.size());

    CKeyboardDef def;
    ASSERT_TRUE(Load(def, WriteKeyRecordFile(keys)));
    const std::vector<BYTE> defaults = WriteKeyDefaultsFile(keys);
    ASSERT_TRUE(def.LoadKeyDefaults(defaults.data(), defaults.size()));

    ASSERT_EQ(4u, def.Records().size());
    for (const KeyDescription& key : keys) {
        const KeyRecord* record = def.FindKeyRecord(HashKeyName(key.name));
        ASSERT_NE(nullptr, record) << "line " << key.line;
        EXPECT_EQ(key.name, record->name);
        EXPECT_EQ(HashKeyName(key.name), record->id);
        EXPECT_EQ(key.code1, record->code1);
        EXPECT_EQ(key.code2, record->code2);
        EXPECT_EQ(0, std::memcmp(key.blocks[0], record->makeSequence, kKeyBlockBytes));
        EXPECT_EQ(0, std::memcmp(key.blocks[1], record->blockB, kKeyBlockBytes));
        EXPECT_EQ(0, std::memcmp(key.blocks[2], record->blockC, kKeyBlockBytes));
        EXPECT_EQ(0, std::memcmp(key.blocks[3], record->blockD, kKeyBlockBytes));
    }
    EXPECT_EQ(-1, def.FindKeyRecord(HashKeyName(L"Grüße"))->code2);
    EXPECT_EQ(HashKeyName(L"Right Ctrl"), def.FindKeyByScanCode(0x1D | 1 << 16));
    EXPECT_EQ(HashKeyName(L"Pause"), def.FindKeyByScanCode(0x45 | 2 << 16));
    EXPECT_EQ(0, def.FindKeyByScanCode(0x1D));

    EXPECT_EQ(3u, def.Defaults().size());
    EXPECT_EQ(0x45, def.GetDefaultScanCode(HashKeyName(L"Pause")).code);
    EXPECT_EQ(2, def.GetDefaultScanCode(HashKeyName(L"Pause")).extended);
    EXPECT_EQ(1, def.GetDefaultScanCode(HashKeyName(L"Right Ctrl")).extended);
}

TEST(KeyRecordFile, OnlyAFileEndingWithItsLastRecordLoadsCompletely)
{
    std::vector<BYTE> exact = WriteKeyRecordFile(Describe(kTwoKeys));
    CKeyboardDef def;
    EXPECT_TRUE(Load(def, exact));
    EXPECT_EQ(2u, def.Records().size());

    std::vector<BYTE> trailing = exact;
    trailing.insert(trailing.end(), 4, 0);
    CKeyboardDef withTrailing;
    EXPECT_FALSE(Load(withTrailing, trailing));
    EXPECT_EQ(2u, withTrailing.Records().size());

    std::vector<BYTE> shortCount = exact;
    PutU32(shortCount, 0, 3);
    CKeyboardDef endsEarly;
    EXPECT_FALSE(Load(endsEarly, shortCount));
    EXPECT_EQ(2u, endsEarly.Records().size());

    std::vector<BYTE> empty(4, 0);
    CKeyboardDef countZero;
    EXPECT_FALSE(countZero.LoadKeyRecords(nullptr, 0));
    EXPECT_FALSE(countZero.IsLoaded()) << "no data does not count as the first file";
    EXPECT_FALSE(Load(countZero, empty));
    EXPECT_TRUE(countZero.IsLoaded());
    // Only the first file with data is parsed.
    EXPECT_TRUE(Load(countZero, exact));
    EXPECT_TRUE(countZero.Records().empty());
}

TEST(KeyRecordFile, DamagedRecordsStopTheParseAndKeepWhatWasRead)
{
    const std::vector<BYTE> good = WriteKeyRecordFile(Describe(kTwoKeys));
    const size_t secondRecord = 4 + 4 + 6 + kKeyRecordFixedBytes;  // after "Esc"

    // Cut anywhere inside the second record, even inside its length field.
    for (size_t cut : {size_t(1), size_t(3), size_t(10), size_t(100)}) {
        std::vector<BYTE> truncated(good.begin(), good.end() - cut);
        CKeyboardDef def;
        EXPECT_FALSE(Load(def, truncated)) << cut;
        EXPECT_NE(nullptr, def.FindKeyRecord(HashKeyName(L"Esc")));
        EXPECT_EQ(nullptr, def.FindKeyRecord(HashKeyName(L"Left Ctrl"))) << cut;
    }
    // Name lengths that run past the data, including ones whose 32-bit record size wraps to 0 or 168.
    for (std::uint32_t length : {0xFFFFFFFFu, 0xFFFFFF58u, 0x100u, 0x80000000u}) {
        std::vector<BYTE> oversized = good;
        PutU32(oversized, secondRecord, length);
        CKeyboardDef def;
        EXPECT_FALSE(Load(def, oversized)) << length;
        EXPECT_EQ(1u, def.Records().size()) << length;
    }
    // Less than the count field.
    const BYTE three[] = {1, 0, 0};
    CKeyboardDef tiny;
    EXPECT_FALSE(tiny.LoadKeyRecords(three, sizeof(three)));
    EXPECT_TRUE(tiny.Records().empty());
}

TEST(KeyRecordFile, NamesAreCutAtNulAndAt256Units)
{
    std::vector<BYTE> bytes(4);
    PutU32(bytes, 0, 3);
    AppendKeyRecord(bytes, Key(std::wstring(300, L'x'), 0x10));
    AppendKeyRecord(bytes, Key(std::wstring(L"Tab\0XX", 6), 0x0F));
    AppendKeyRecord(bytes, Key(L"After", 0x11));

    CKeyboardDef def;
    ASSERT_TRUE(Load(def, bytes));
    EXPECT_NE(nullptr, def.FindKeyRecord(HashKeyName(std::wstring(256, L'x'))));
    const KeyRecord* cut = def.FindKeyRecord(HashKeyName(L"Tab"));
    ASSERT_NE(nullptr, cut);
    EXPECT_EQ(L"Tab", cut->name);
    EXPECT_EQ(0x0F, cut->scanCode.code);
    EXPECT_NE(nullptr, def.FindKeyRecord(HashKeyName(L"After"))) << "records after a long name are found";
}

TEST(UnusableKeys, AreInNoLookup)
{
    const std::vector<KeyDescription> keys = Describe(
        "- | unassigned | 0 | 0 | 30   | 30\n"
        "- | DO NOT USE | 0 | 0 | 31   | -\n"
        "- | Reserved   | 0 | 0 | 32   | -\n"
        "- | NONE       | 0 | 0 | 33   | -\n"
        "- | Fn         | 0 | 0 | FFFF | -\n"
        "- | Fn2        | 0 | 0 | 8000 | -\n"
        "- | None2      | 0 | 0 | 7FFF | -\n"
        "- | RESERVED   | 0 | 0 | 34   | -\n");
    CKeyboardDef def;
    EXPECT_TRUE(Load(def, WriteKeyRecordFile(keys)));
    ASSERT_EQ(1u, def.Records().size());
    EXPECT_NE(nullptr, def.FindKeyRecord(HashKeyName(L"None2")));
    for (const wchar_t* name : {L"unassigned", L"DO NOT USE", L"Reserved", L"NONE", L"Fn", L"Fn2"}) {
        EXPECT_EQ(nullptr, def.FindKeyRecord(HashKeyName(name))) << name;
        EXPECT_EQ(0, def.GetKeyScanCode(HashKeyName(name)).code) << name;
    }
    for (std::uint32_t code : {0x30u, 0x31u, 0x32u, 0x33u, 0xFFFFu, 0x8000u})
        EXPECT_EQ(0, def.FindKeyByScanCode(code)) << code;
}

TEST(KeyLookups, SharedScanCodeFindsTheSmallerKeyId)
{
    // Backslash and the ISO key beside Enter report the same code.
    CKeyboardDef def;
    ASSERT_TRUE(Load(def, WriteKeyRecordFile(Describe("- | Europe 1  | 0 | 0 | 2B | -\n"
                                                      "- | Backslash | 0 | 0 | 2B | -\n"
                                                      "- | Right Ctrl | 0 | 0 | E0:1 1D | -\n"))));
    ASSERT_LT(HashKeyName(L"Backslash"), HashKeyName(L"Europe 1"));
    EXPECT_EQ(HashKeyName(L"Backslash"), def.FindKeyByScanCode(0x2B));
    // A negative id sorts before the positive ones.
    ASSERT_LT(HashKeyName(L"Right Ctrl"), 0);
    EXPECT_EQ(HashKeyName(L"Right Ctrl"), def.FindKeyByScanCode(0x1D | 1 << 16));
}

TEST(KeyDefaultsFile, SizeMustFitTheCount)
{
    std::vector<BYTE> file = WriteKeyDefaultsFile(Describe(kTwoKeys));
    ASSERT_EQ(4u + 16u, file.size());

    CKeyboardDef def;
    std::vector<BYTE> withSlack = file;
    withSlack.insert(withSlack.end(), 3, 0xEE);
    EXPECT_TRUE(def.LoadKeyDefaults(withSlack.data(), withSlack.size()));
    EXPECT_EQ(2u, def.Defaults().size());

    CKeyboardDef refused;
    EXPECT_FALSE(refused.LoadKeyDefaults(file.data(), file.size() - 8));
    EXPECT_FALSE(refused.LoadKeyDefaults(file.data(), 3)) << "shorter than the count";
    EXPECT_FALSE(refused.LoadKeyDefaults(nullptr, 0));
    std::vector<BYTE> hugeCount = file;
    PutU32(hugeCount, 0, 0x20000000);  // 8 * count wraps to 0 in 32 bits
    EXPECT_FALSE(refused.LoadKeyDefaults(hugeCount.data(), hugeCount.size()));
    EXPECT_TRUE(refused.Defaults().empty());
}

TEST(KeyDefaultsFile, LaterPairsReplaceAndUnknownIdsGetAnEntry)
{
    std::vector<KeyDescription> first = Describe("- | Esc | 0 | 0 | 01 | 01\n- | Tab | 0 | 0 | 0F | 0F\n");
    std::vector<KeyDescription> second = Describe("- | Esc | 0 | 0 | 01 | 3A:1\n- | Ghost | 0 | 0 | 00 | 59\n");
    std::vector<BYTE> a = WriteKeyDefaultsFile(first);
    std::vector<BYTE> b = WriteKeyDefaultsFile(second);
    PutU32(b, 8, 0xFF00003A | 1 << 16);  // bits 24-31 are not part of the value

    CKeyboardDef def;
    ASSERT_TRUE(def.LoadKeyDefaults(a.data(), a.size()));
    ASSERT_TRUE(def.LoadKeyDefaults(b.data(), b.size()));
    EXPECT_EQ(0x3A, def.GetDefaultScanCode(HashKeyName(L"Esc")).code);
    EXPECT_EQ(1, def.GetDefaultScanCode(HashKeyName(L"Esc")).extended);
    EXPECT_EQ(0x0F, def.GetDefaultScanCode(HashKeyName(L"Tab")).code);
    EXPECT_EQ(0x59, def.GetDefaultScanCode(HashKeyName(L"Ghost")).code) << "no record needed";

    const size_t before = def.Defaults().size();
    KeyScanCode& none = def.GetDefaultScanCode(12345);
    EXPECT_EQ(0, none.code);
    EXPECT_EQ(0, none.extended);
    EXPECT_EQ(before + 1, def.Defaults().size());
}

TEST(KeyboardDescription, MistakesAreReportedWithTheirLine)
{
    std::vector<KeyDescription> keys;
    std::string error;
    const char* const bad[] = {
        "- | Esc | 0 | 0 | 01\n",                                     // too few columns
        "- | Esc | 0 | 0 | 0G | -\n",                                 // not hexadecimal
        "- | Esc | 0 | 0 | 01 02 03 04 05 06 07 08 09 0A 0B | -\n",   // longer than a block
        "- | Esc | 0 | 0 | E0:100 | -\n",                             // flag above 8 bits
        "- | Esc | 0 | 0 | 01 | 01\n- | Esc | 0 | 0 | 02 | 02\n",     // the same usable name twice
        "BUTTON_KB_A | A | 0 | 0 | 1E | -\nBUTTON_KB_A | B | 0 | 0 | 30 | -\n",
    };
    for (const char* text : bad) {
        EXPECT_FALSE(ParseKeyboardDescription(text, keys, error)) << text;
        EXPECT_EQ(0u, error.find("line ")) << error;
    }
    EXPECT_TRUE(ParseKeyboardDescription("# comment\n\n- | RESERVED | 0 | 0 | 00 | -\n- | RESERVED | 0 | 0 | 00 | -",
                                         keys, error))
        << error;
    EXPECT_EQ(2u, keys.size());
    EXPECT_EQ(3, keys[0].line);
}

// The KEYBOARDDEF element reads its files through the resource cache (bin\) into the program-wide
// definition, which each test starts afresh.
class KeyboardDefElement : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitNameTables();
        KeyboardDef().Clear();
        m_folder.Write(L"bin\\keys.bin", WriteKeyRecordFile(Describe(kTwoKeys)));
        m_folder.Write(L"bin\\defaults.bin", WriteKeyDefaultsFile(Describe(kTwoKeys)));
    }
    void TearDown() override
    {
        DeleteSkinItems(m_list);
        KeyboardDef().Clear();
        KeyboardDef().m_id = KeyboardDef().m_type = -1;
        KeyboardDef().m_window = reinterpret_cast<HWND>(static_cast<INT_PTR>(-1));
        KeyboardDef().m_owner = nullptr;
    }

    bool LoadXml(const char* xml)
    {
        pugi::xml_document doc;
        EXPECT_TRUE(doc.load_string(xml));
        return LoadKeyboardDef(doc.child("KEYBOARD"), &m_owner, m_list);
    }

    TempAppFolder m_folder;
    CWnd m_owner;
    SkinItemList m_list;
};

TEST_F(KeyboardDefElement, RegistersTheProgramWideDefinitionWithoutOwningIt)
{
    ASSERT_TRUE(LoadXml("<KEYBOARD><KEYBOARDDEF name='KBDDEF_WINDOWS' file=' keys.bin ' "
                        "kbddefaults='defaults.bin'/></KEYBOARD>"));
    ASSERT_EQ(1u, m_list.size());
    EXPECT_EQ(&KeyboardDef(), m_list[0]);
    EXPECT_EQ(FindSkinResourceId(L"KBDDEF_WINDOWS"), KeyboardDef().m_id);
    EXPECT_EQ(SkinItemType::KeyboardDef, KeyboardDef().m_type);
    EXPECT_EQ(nullptr, KeyboardDef().m_window);
    EXPECT_EQ(&m_owner, KeyboardDef().m_owner);
    EXPECT_EQ(2u, KeyboardDef().Records().size());
    EXPECT_EQ(0x1D, KeyboardDef().GetDefaultScanCode(HashKeyName(L"Left Ctrl")).code);

    DeleteSkinItems(m_list);
    EXPECT_TRUE(m_list.empty());
    EXPECT_NE(nullptr, KeyboardDef().FindKeyRecord(HashKeyName(L"Esc"))) << "the definition outlives the list";
}

TEST_F(KeyboardDefElement, MissingPartsFailTheElement)
{
    EXPECT_FALSE(LoadXml("<KEYBOARD/>"));
    EXPECT_FALSE(LoadXml("<KEYBOARD><KEYBOARDDEF name='NO_SUCH_ID' file='keys.bin'/></KEYBOARD>"));
    EXPECT_FALSE(LoadXml("<KEYBOARD><KEYBOARDDEF name='KBDDEF_WINDOWS'/></KEYBOARD>"));
    EXPECT_FALSE(LoadXml("<KEYBOARD><KEYBOARDDEF name='KBDDEF_WINDOWS' file='missing.bin'/></KEYBOARD>"));
    EXPECT_TRUE(m_list.empty());
    EXPECT_FALSE(KeyboardDef().IsLoaded());

    // Records without their defaults: registered, but the file as a whole fails.
    EXPECT_FALSE(LoadXml("<KEYBOARD><KEYBOARDDEF name='KBDDEF_WINDOWS' file='keys.bin' "
                         "kbddefaults='missing-defaults.bin'/></KEYBOARD>"));
    EXPECT_EQ(1u, m_list.size());
    EXPECT_TRUE(LoadXml("<KEYBOARD><KEYBOARDDEF name='KBDDEF_WINDOWS' file='keys.bin'/></KEYBOARD>"));
}

TEST_F(KeyboardDefElement, LaterKeyboardFilesKeepTheRecordsAndReplaceDefaults)
{
    m_folder.Write(L"bin\\other.bin", WriteKeyRecordFile(Describe("- | Tab | 0 | 0 | 0F | -\n")));
    m_folder.Write(L"bin\\other-defaults.bin", WriteKeyDefaultsFile(Describe("- | Esc | 0 | 0 | 01 | 46\n")));
    ASSERT_TRUE(LoadXml("<KEYBOARD><KEYBOARDDEF name='KBDDEF_WINDOWS' file='keys.bin' "
                        "kbddefaults='defaults.bin'/></KEYBOARD>"));
    ASSERT_TRUE(LoadXml("<KEYBOARD><KEYBOARDDEF name='BACKGROUND' file='other.bin' "
                        "kbddefaults='other-defaults.bin'/></KEYBOARD>"));
    EXPECT_EQ(2u, m_list.size());
    EXPECT_EQ(0, KeyboardDef().m_id);
    EXPECT_EQ(nullptr, KeyboardDef().FindKeyRecord(HashKeyName(L"Tab")));
    EXPECT_EQ(0x46, KeyboardDef().GetDefaultScanCode(HashKeyName(L"Esc")).code);
    EXPECT_EQ(0x1D, KeyboardDef().GetDefaultScanCode(HashKeyName(L"Left Ctrl")).code);
}

TEST_F(KeyboardDefElement, DataIsBoundedByItsOwnBinaryEntry)
{
    // A language file of the same name, already in the cache and longer than the key file: reading
    // past the key file's data would see trailing bytes and fail.
    std::vector<BYTE> longer(4096, 0x41);
    m_folder.Write(L"lang\\shared.bin", longer);
    ASSERT_NE(nullptr, FindSkinResource(L"shared.bin", kSkinLanguageData)->Buffer());
    m_folder.Write(L"bin\\shared.bin", WriteKeyRecordFile(Describe(kTwoKeys)));
    EXPECT_TRUE(LoadXml("<KEYBOARD><KEYBOARDDEF name='KBDDEF_WINDOWS' file='shared.bin'/></KEYBOARD>"));
    EXPECT_EQ(2u, KeyboardDef().Records().size());
}

TEST_F(KeyboardDefElement, TheKeyboardPageFindsTheBuiltKeyFilesBesideThePrograms)
{
    ClearSkinResources();
    SetAppFolder(HostPath(PROGRAM_DIR));
    ASSERT_TRUE(LoadXml("<KEYBOARD><KEYBOARDDEF name='KBDDEF_WINDOWS' file='Keyboard.bin' "
                        "kbddefaults='KeyboardDefaults.bin'/></KEYBOARD>"));
    EXPECT_NE(nullptr, KeyboardDef().FindKeyRecord(HashKeyName(L"Esc")));
    EXPECT_EQ(1, KeyboardDef().GetDefaultScanCode(HashKeyName(L"Delete")).extended);
}

// The files the build made from the product's keyboard description.
TEST(ProductKeyboard, GeneratedFilesHoldEveryKeyOfTheKeyboardPage)
{
    InitNameTables();
    const std::string text = testfiles::ReadText(HostPath(KEYBOARD_DESCRIPTION));
    std::vector<KeyDescription> keys = Describe(text);
    ASSERT_FALSE(keys.empty());

    const std::vector<BYTE> records = testfiles::ReadBytes(HostPath(KEYBOARD_RECORDS_FILE));
    const std::vector<BYTE> defaults = testfiles::ReadBytes(HostPath(KEYBOARD_DEFAULTS_FILE));
    EXPECT_EQ(WriteKeyRecordFile(keys), records) << "the build's file is out of date";
    EXPECT_EQ(WriteKeyDefaultsFile(keys), defaults);

    CKeyboardDef def;
    ASSERT_TRUE(Load(def, records));
    ASSERT_TRUE(def.LoadKeyDefaults(defaults.data(), defaults.size()));

    for (int id = 420; id <= 539; ++id) {
        const wchar_t* skinName = SkinResourceName(id);
        ASSERT_NE(nullptr, skinName) << id;
        const KeyDescription* key = nullptr;
        for (const KeyDescription& k : keys) {
            if (k.skinName == skinName)
                key = &k;
        }
        ASSERT_NE(nullptr, key) << "no key for the item " << id;
        const KeyRecord* record = def.FindKeyRecord(HashKeyName(key->name));
        ASSERT_NE(nullptr, record) << "no usable record for the item " << id;
        EXPECT_NE(0, record->scanCode.code) << id;
    }

    const KeyRecord* numLock = def.FindKeyRecord(NumLockKeyId());
    ASSERT_NE(nullptr, numLock);
    EXPECT_EQ(85, numLock->code2);
    EXPECT_EQ(0x45, numLock->scanCode.code);
    EXPECT_EQ(0, numLock->scanCode.extended);
    const KeyScanCode pause = def.GetKeyScanCode(HashKeyName(L"Pause"));
    EXPECT_EQ(0x45, pause.code);
    EXPECT_EQ(2, pause.extended);
    EXPECT_EQ(HashKeyName(L"Right Ctrl"), def.FindKeyByScanCode(0x1D | 1 << 16));
    EXPECT_EQ(HashKeyName(L"Left Ctrl"), def.FindKeyByScanCode(0x1D));
    EXPECT_EQ(1, def.GetDefaultScanCode(HashKeyName(L"Delete")).extended);
    for (const wchar_t* unusable : {L"RESERVED", L"DO NOT USE", L"Fn"})
        EXPECT_EQ(nullptr, def.FindKeyRecord(HashKeyName(unusable))) << unusable;
    EXPECT_LT(def.Records().size(), keys.size()) << "the unusable records are in the file";
}
