#pragma once
#include <QByteArray>
#include <QtGlobal>

namespace korvel {

// Bounds-checked view of a file's bytes for the header parsers. Every read is
// preceded by has(): positions and lengths come from the file itself and may be
// anything, so the check is written to be free of overflow.
class ByteReader {
public:
    explicit ByteReader(const QByteArray &bytes)
        : m_data(reinterpret_cast<const uchar *>(bytes.constData())), m_size(bytes.size())
    {
    }
    ByteReader(const uchar *data, qint64 size) : m_data(data), m_size(size) {}

    qint64 size() const { return m_size; }
    const uchar *data() const { return m_data; }

    // True when count bytes starting at pos lie inside the data.
    bool has(qint64 pos, qint64 count) const
    {
        return pos >= 0 && count >= 0 && pos <= m_size && count <= m_size - pos;
    }

    quint8 u8(qint64 pos) const { return m_data[pos]; }
    quint16 le16(qint64 pos) const { return quint16(m_data[pos] | (m_data[pos + 1] << 8)); }
    quint32 le32(qint64 pos) const
    {
        return quint32(m_data[pos]) | (quint32(m_data[pos + 1]) << 8)
            | (quint32(m_data[pos + 2]) << 16) | (quint32(m_data[pos + 3]) << 24);
    }
    qint16 les16(qint64 pos) const { return qint16(le16(pos)); }
    qint32 les32(qint64 pos) const { return qint32(le32(pos)); }
    quint16 be16(qint64 pos) const { return quint16((m_data[pos] << 8) | m_data[pos + 1]); }
    quint32 be32(qint64 pos) const
    {
        return (quint32(m_data[pos]) << 24) | (quint32(m_data[pos + 1]) << 16)
            | (quint32(m_data[pos + 2]) << 8) | quint32(m_data[pos + 3]);
    }

private:
    const uchar *m_data;
    qint64 m_size;
};

} // namespace korvel
