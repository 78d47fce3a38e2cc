#pragma once
// Little- and big-endian readers and writers over byte buffers. Every file
// and frame layout of the system goes through these; no struct is ever cast
// onto raw bytes.

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <string>

namespace h5 {

// Reads fixed-width numbers from a position in a buffer the caller has
// already checked to be long enough.
inline uint8_t getU8(const char *p) { return static_cast<uint8_t>(p[0]); }
inline uint16_t getLe16(const char *p)
{
    return static_cast<uint16_t>(getU8(p) | (getU8(p + 1) << 8));
}
inline uint32_t getLe32(const char *p)
{
    return uint32_t(getU8(p)) | (uint32_t(getU8(p + 1)) << 8) | (uint32_t(getU8(p + 2)) << 16)
        | (uint32_t(getU8(p + 3)) << 24);
}
inline uint16_t getBe16(const char *p)
{
    return static_cast<uint16_t>((getU8(p) << 8) | getU8(p + 1));
}

// Writes fixed-width numbers in place.
inline void putU8(char *p, uint32_t v) { p[0] = static_cast<char>(v & 0xFF); }
inline void putLe16(char *p, uint32_t v)
{
    p[0] = static_cast<char>(v & 0xFF);
    p[1] = static_cast<char>((v >> 8) & 0xFF);
}
inline void putLe32(char *p, uint32_t v)
{
    putLe16(p, v & 0xFFFF);
    putLe16(p + 2, v >> 16);
}
inline void putBe16(char *p, uint32_t v)
{
    p[0] = static_cast<char>((v >> 8) & 0xFF);
    p[1] = static_cast<char>(v & 0xFF);
}

// Appends numbers and bytes to a QByteArray.
class ByteWriter
{
public:
    explicit ByteWriter(QByteArray &out) : m_out(out) {}

    void u8(uint32_t v) { m_out.append(static_cast<char>(v & 0xFF)); }
    void le16(uint32_t v)
    {
        char b[2];
        putLe16(b, v);
        m_out.append(b, 2);
    }
    void le32(uint32_t v)
    {
        char b[4];
        putLe32(b, v);
        m_out.append(b, 4);
    }
    void be16(uint32_t v)
    {
        char b[2];
        putBe16(b, v);
        m_out.append(b, 2);
    }
    void bytes(const char *data, std::size_t n) { m_out.append(data, static_cast<qsizetype>(n)); }
    void bytes(const QByteArray &data) { m_out.append(data); }
    void bytes(const std::string &data) { bytes(data.data(), data.size()); }
    void fill(char c, std::size_t n) { m_out.append(static_cast<qsizetype>(n), c); }
    qsizetype size() const { return m_out.size(); }
    QByteArray &buffer() { return m_out; }

private:
    QByteArray &m_out;
};

// Reads numbers and bytes from a buffer, never past its end. Every read
// returns false once the buffer is exhausted and leaves the position
// unchanged, so a truncated file is an error and never undefined behaviour.
class ByteReader
{
public:
    ByteReader(const char *data, std::size_t size) : m_data(data), m_size(size) {}
    explicit ByteReader(const QByteArray &data)
        : m_data(data.constData()), m_size(static_cast<std::size_t>(data.size()))
    {
    }

    std::size_t pos() const { return m_pos; }
    std::size_t size() const { return m_size; }
    std::size_t remaining() const { return m_size - m_pos; }
    bool atEnd() const { return m_pos >= m_size; }

    bool u8(uint8_t &v)
    {
        if (remaining() < 1)
            return false;
        v = getU8(m_data + m_pos);
        m_pos += 1;
        return true;
    }
    bool le16(uint16_t &v)
    {
        if (remaining() < 2)
            return false;
        v = getLe16(m_data + m_pos);
        m_pos += 2;
        return true;
    }
    bool le32(uint32_t &v)
    {
        if (remaining() < 4)
            return false;
        v = getLe32(m_data + m_pos);
        m_pos += 4;
        return true;
    }
    bool le32(int32_t &v)
    {
        uint32_t u;
        if (!le32(u))
            return false;
        v = static_cast<int32_t>(u);
        return true;
    }
    bool be16(uint16_t &v)
    {
        if (remaining() < 2)
            return false;
        v = getBe16(m_data + m_pos);
        m_pos += 2;
        return true;
    }
    bool bytes(std::size_t n, std::string &out)
    {
        if (remaining() < n)
            return false;
        out.assign(m_data + m_pos, n);
        m_pos += n;
        return true;
    }
    bool skip(std::size_t n)
    {
        if (remaining() < n)
            return false;
        m_pos += n;
        return true;
    }
    // True when the next bytes equal `expected`; consumes them only then.
    bool expect(const char *expected, std::size_t n)
    {
        if (remaining() < n || std::char_traits<char>::compare(m_data + m_pos, expected, n) != 0)
            return false;
        m_pos += n;
        return true;
    }

private:
    const char *m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// Number of whole units of `unit` bytes needed to hold `bytes` bytes.
inline uint64_t ceilDiv(uint64_t bytes, uint64_t unit) { return (bytes + unit - 1) / unit; }

} // namespace h5
