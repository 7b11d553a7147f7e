// Little-endian writer, bounded reader and CRC-32.
#include "service/sim/ByteStream.h"

#include <array>
#include <cstring>

namespace {

std::array<std::uint32_t, 256> MakeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

} // namespace

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size)
{
    static const std::array<std::uint32_t, 256> table = MakeCrcTable();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void CByteWriter::U16(std::uint16_t value)
{
    U8(static_cast<std::uint8_t>(value));
    U8(static_cast<std::uint8_t>(value >> 8));
}

void CByteWriter::U32(std::uint32_t value)
{
    U16(static_cast<std::uint16_t>(value));
    U16(static_cast<std::uint16_t>(value >> 16));
}

void CByteWriter::Guid(const GUID& value)
{
    U32(value.Data1);
    U16(value.Data2);
    U16(value.Data3);
    Bytes(value.Data4, sizeof(value.Data4));
}

void CByteWriter::Bytes(const void* data, std::size_t size)
{
    const std::uint8_t* bytes = static_cast<const std::uint8_t*>(data);
    m_out.insert(m_out.end(), bytes, bytes + size);
}

void CByteWriter::Text(const std::wstring& text)
{
    U32(static_cast<std::uint32_t>(text.size()));
    for (wchar_t unit : text)
        U16(static_cast<std::uint16_t>(unit));
}

bool CByteReader::Fits(std::uint64_t count, std::uint64_t itemSize) const
{
    if (!m_ok)
        return false;
    if (itemSize != 0 && count > UINT64_MAX / itemSize)
        return false;
    return count * itemSize <= static_cast<std::uint64_t>(m_size - m_pos);
}

std::uint8_t CByteReader::U8()
{
    if (!Fits(1, 1)) {
        m_ok = false;
        return 0;
    }
    return m_data[m_pos++];
}

std::uint16_t CByteReader::U16()
{
    if (!Fits(1, 2)) {
        m_ok = false;
        return 0;
    }
    const std::uint16_t value = static_cast<std::uint16_t>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
    m_pos += 2;
    return value;
}

std::uint32_t CByteReader::U32()
{
    if (!Fits(1, 4)) {
        m_ok = false;
        return 0;
    }
    const std::uint32_t low = U16();
    const std::uint32_t high = U16();
    return low | (high << 16);
}

GUID CByteReader::Guid()
{
    GUID value{};
    if (!Fits(1, 16)) {
        m_ok = false;
        return value;
    }
    value.Data1 = static_cast<unsigned long>(U32());
    value.Data2 = U16();
    value.Data3 = U16();
    Bytes(value.Data4, sizeof(value.Data4));
    return value;
}

bool CByteReader::Bytes(void* out, std::size_t size)
{
    if (!Fits(size, 1)) {
        m_ok = false;
        std::memset(out, 0, size);
        return false;
    }
    std::memcpy(out, m_data + m_pos, size);
    m_pos += size;
    return true;
}

std::wstring CByteReader::Text(std::size_t maxUnits, bool* cut)
{
    if (cut != nullptr)
        *cut = false;
    const std::uint32_t units = U32();
    if (!Fits(units, 2)) {
        m_ok = false;
        return std::wstring();
    }
    const std::size_t kept = (maxUnits != 0 && units > maxUnits) ? maxUnits : units;
    std::wstring text(kept, L'\0');
    for (std::size_t i = 0; i < kept; ++i)
        text[i] = static_cast<wchar_t>(m_data[m_pos + 2 * i] | (m_data[m_pos + 2 * i + 1] << 8));
    m_pos += static_cast<std::size_t>(units) * 2;
    if (cut != nullptr)
        *cut = kept < units;
    return text;
}
