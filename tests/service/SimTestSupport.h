// Helpers of the simulated keyboard's tests: a fresh temporary folder per test, whole-file writing, damaged
// images resealed, and a device whose every kind of content differs from the factory's.
#pragma once

#include "../support/TestFiles.h"

#include "service/sim/BinaryFile.h"
#include "service/sim/ByteStream.h"
#include "service/sim/KeyboardState.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

inline void WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The image with its body changed and the envelope made consistent again, so that the body parser
// itself, not the checksum, meets the change.
inline std::vector<std::uint8_t> Reseal(std::vector<std::uint8_t> image)
{
    const std::uint32_t length = static_cast<std::uint32_t>(image.size() - kEnvelopeHeaderBytes);
    const std::uint32_t crc = Crc32(image.data() + kEnvelopeHeaderBytes, length);
    std::memcpy(&image[16], &length, 4);
    std::memcpy(&image[20], &crc, 4);
    return image;
}

inline bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Gives the keyboard of `state` a second profile (active), changed records, flags, linked program and
// lights, a macro with events and a program entry, so that a lost field shows in a comparison. Callers
// wrap it in ASSERT_NO_FATAL_FAILURE.
inline void FillKeyboard(CKeyboardState& state)
{
    CSimDevice& keyboard = state.Keyboard();
    GUID profile{};
    ASSERT_EQ(keyboard.CreateProfile(profile), SimStatus::Ok);
    ASSERT_EQ(keyboard.SetProfileName(profile, L"Games \u00e9\u4e2d"), SimStatus::Ok);
    ASSERT_EQ(keyboard.ActivateProfile(profile), SimStatus::Ok);

    SimButtonRecord record = keyboard.DefaultRecords()[3];
    record.leading = 0;
    record.serviceType = 8;
    for (int i = 0; i < 20; ++i)
        record.data[i] = static_cast<std::uint8_t>(0xA0 + i);
    ASSERT_EQ(keyboard.SetButtonRecords(profile, &record, 1), SimStatus::Ok);

    for (std::uint16_t bit : {1, 4}) {
        const ProfileFlagsWrite write = {bit, 1};
        ASSERT_EQ(keyboard.SetProperty(profile, kSimProfileFlagsProperty, reinterpret_cast<const std::uint8_t*>(&write),
                                       sizeof(write)),
                  SimStatus::Ok);
    }
    const std::wstring program = L"game.exe";
    std::vector<std::uint8_t> buffer(kSimLinkedProgramBytes, 0);
    std::memcpy(buffer.data(), program.c_str(), program.size() * sizeof(wchar_t));
    ASSERT_EQ(keyboard.SetProperty(profile, kSimLinkedProgramProperty, buffer.data(), buffer.size()), SimStatus::Ok);
    ASSERT_EQ(keyboard.SetLedBlink(profile, 7, true, 300, 200), SimStatus::Ok);
    ASSERT_EQ(keyboard.SetLedValue(profile, 7, 128), SimStatus::Ok);
    ASSERT_EQ(keyboard.SetLedAuxValue(profile, 7, 42), SimStatus::Ok);
    ASSERT_EQ(keyboard.SetLedOn(profile, 7, true), SimStatus::Ok);

    GUID macro{};
    ASSERT_EQ(keyboard.CreateMacro(macro), SimStatus::Ok);
    ASSERT_EQ(keyboard.SetMacroName(macro, L"New Macro3"), SimStatus::Ok);
    ASSERT_EQ(keyboard.SetMacroEvents(macro, {{2, 0x1E}, {3, 50}, {2, 0x1001E}, {1, 0x2}}), SimStatus::Ok);

    GUID app{};
    ASSERT_EQ(keyboard.CreateApp(app), SimStatus::Ok);
    ASSERT_EQ(keyboard.SetAppName(app, L"C:\\Tools\\editor.exe"), SimStatus::Ok);
}
