#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace korvel::metafile {

// A read-only window on part of a metafile. Every read is checked against the
// window: reading outside gives zero instead of touching memory beyond the file,
// and has() lets a record check a whole array before it loops over it.
class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const unsigned char *data, std::size_t size) : m_data(data), m_size(size) {}

    std::size_t size() const { return m_size; }
    const unsigned char *data() const { return m_data; }

    // True when [offset, offset + length) lies inside the window; 64-bit so that
    // count * element size from a file cannot wrap around.
    bool has(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= m_size && length <= m_size - offset;
    }

    std::uint8_t u8(std::uint64_t off) const { return has(off, 1) ? m_data[off] : 0; }
    std::uint16_t u16(std::uint64_t off) const
    {
        return has(off, 2) ? std::uint16_t(m_data[off] | (m_data[off + 1] << 8)) : 0;
    }
    std::int16_t i16(std::uint64_t off) const { return std::int16_t(u16(off)); }
    std::uint32_t u32(std::uint64_t off) const
    {
        if (!has(off, 4))
            return 0;
        return std::uint32_t(m_data[off]) | (std::uint32_t(m_data[off + 1]) << 8)
            | (std::uint32_t(m_data[off + 2]) << 16) | (std::uint32_t(m_data[off + 3]) << 24);
    }
    std::int32_t i32(std::uint64_t off) const { return std::int32_t(u32(off)); }
    float f32(std::uint64_t off) const
    {
        const std::uint32_t bits = u32(off);
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    }

    // A sub-window; empty when the range is not inside this one.
    ByteReader sub(std::uint64_t off, std::uint64_t length) const
    {
        if (!has(off, length))
            return ByteReader();
        return ByteReader(m_data + off, std::size_t(length));
    }

private:
    const unsigned char *m_data = nullptr;
    std::size_t m_size = 0;
};

} // namespace korvel::metafile
