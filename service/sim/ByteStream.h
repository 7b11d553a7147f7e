// Little-endian byte writing and bounded reading for the simulated keyboard's files, and the CRC-32 that
// guards their bodies.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// CRC-32 (polynomial 0xEDB88320, initial and final value 0xFFFFFFFF), the common one of zip files.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size);

class CByteWriter {
public:
    explicit CByteWriter(std::vector<std::uint8_t>& out) : m_out(out) {}

    void U8(std::uint8_t value) { m_out.push_back(value); }
    void U16(std::uint16_t value);
    void U32(std::uint32_t value);
    void Guid(const GUID& value);
    void Bytes(const void* data, std::size_t size);
    // A 32-bit count of UTF-16 units, then the units.
    void Text(const std::wstring& text);

private:
    std::vector<std::uint8_t>& m_out;
};

// Reads from a buffer it never leaves. The first read that does not fit marks the reader failed; every
// later read then fails too and yields zeros, so a parser may check once at the end of a record.
class CByteReader {
public:
    CByteReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool Ok() const { return m_ok; }
    void Fail() { m_ok = false; }
    std::size_t Remaining() const { return m_ok ? m_size - m_pos : 0; }
    bool AtEnd() const { return m_ok && m_pos == m_size; }
    // Whether `count` items of `itemSize` bytes fit in what remains; the product is taken in 64 bits so
    // no count from a file can wrap it.
    bool Fits(std::uint64_t count, std::uint64_t itemSize) const;

    std::uint8_t U8();
    std::uint16_t U16();
    std::uint32_t U32();
    GUID Guid();
    bool Bytes(void* out, std::size_t size);
    // Text as CByteWriter::Text writes it; the whole text is read (it must fit in the buffer) and
    // `maxUnits` (when not 0) bounds what is kept: `cut` tells whether the text was longer.
    std::wstring Text(std::size_t maxUnits, bool* cut = nullptr);

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    bool m_ok = true;
};
