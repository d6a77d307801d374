#include "documents/OfficePartReader.h"

#include "documents/TextLog.h"
#include "documents/ZipArchive.h"

#include <algorithm>

namespace {

// Unpacked bytes handed to the XML reader at a time, at least.
constexpr qint64 PieceSize = 64 * 1024;
// The longest single piece of XML (a text, a comment, a tag) a part may hold.
constexpr qint64 TokenLimit = 16 << 20;

} // namespace

OfficePartReader::OfficePartReader(const ZipArchive& archive, qint64 unpackLimit)
    : m_archive(archive), m_budget(unpackLimit), m_tokenLimit(std::clamp(unpackLimit / 16, PieceSize, TokenLimit))
{
}

bool OfficePartReader::has(const QString& name) const
{
    return m_archive.indexOf(name) >= 0;
}

bool OfficePartReader::isSkipped(const QXmlStreamReader& xml) const
{
    for (const auto& [ns, name] : m_skipped) {
        if (xml.name() == name && xml.namespaceUri() == ns)
            return true;
    }
    return false;
}

bool OfficePartReader::spend(qint64 count, const QString& name)
{
    m_budget -= count;
    if (m_budget >= 0)
        return true;
    qCWarning(textLog) << "Office document unpacks past the limit, at part" << name;
    return false;
}

// Reads what follows the end of a part's XML, so that its checksum is checked.
bool OfficePartReader::drain(ZipArchive::Entry& entry, QByteArray& piece, const QString& name)
{
    for (;;) {
        const qint64 count = entry.read(piece.data(), piece.size());
        if (count == 0)
            return true;
        if (count < 0) {
            qCWarning(textLog) << "Office document part" << name << "cannot be unpacked:" << entry.errorString();
            return false;
        }
        if (!spend(count, name))
            return false;
    }
}

bool OfficePartReader::read(const QString& name, const TokenHandler& handler)
{
    const qint64 index = m_archive.indexOf(name);
    if (index < 0) {
        qCWarning(textLog) << "Office document lacks part" << name;
        return false;
    }
    if (m_archive.isEncrypted(index)) {
        qCWarning(textLog) << "Office document has an encrypted part" << name;
        return false;
    }
    ZipArchive::Entry entry = m_archive.open(index);
    if (!entry.isOpen()) {
        qCWarning(textLog) << "Office document part" << name << "cannot be opened:" << entry.errorString();
        return false;
    }

    QXmlStreamReader xml;
    QByteArray piece;
    qint64 pieceSize = PieceSize;
    // Bytes handed to the XML reader since it last gave a token.
    qint64 stalled = 0;
    int skipDepth = 0;
    bool moreData = true;
    while (moreData) {
        if (piece.size() < pieceSize)
            piece.resize(pieceSize);
        const qint64 count = entry.read(piece.data(), pieceSize);
        if (count < 0) {
            qCWarning(textLog) << "Office document part" << name << "cannot be unpacked:" << entry.errorString();
            return false;
        }
        moreData = count > 0;
        if (moreData) {
            if (!spend(count, name))
                return false;
            xml.addData(QByteArrayView(piece.constData(), count).toByteArray());
            stalled += count;
        }
        for (;;) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (token == QXmlStreamReader::Invalid)
                break;
            stalled = 0;
            if (token == QXmlStreamReader::EndDocument)
                return drain(entry, piece, name);
            if (token == QXmlStreamReader::StartElement && (skipDepth > 0 || isSkipped(xml))) {
                ++skipDepth;
                continue;
            }
            if (skipDepth > 0) {
                if (token == QXmlStreamReader::EndElement)
                    --skipDepth;
                continue;
            }
            if (!handler(xml))
                return true;
        }
        if (xml.error() != QXmlStreamReader::PrematureEndOfDocumentError || !moreData) {
            qCWarning(textLog) << "Office document part" << name << "is not well-formed XML:" << xml.errorString()
                               << "at line" << xml.lineNumber();
            return false;
        }
        if (stalled > m_tokenLimit) {
            qCWarning(textLog) << "Office document part" << name << "has a piece of XML longer than" << m_tokenLimit
                               << "bytes";
            return false;
        }
        // The reader starts an unfinished comment or section over each time data comes; giving
        // it pieces as large as what it holds keeps a long one from costing quadratic time.
        pieceSize = std::clamp(stalled, PieceSize, m_tokenLimit);
    }
    return false;
}

std::optional<QByteArray> OfficePartReader::readBytes(const QString& name, qint64 maxBytes)
{
    const qint64 index = m_archive.indexOf(name);
    if (index < 0 || m_archive.isEncrypted(index))
        return std::nullopt;
    ZipArchive::Entry entry = m_archive.open(index);
    if (!entry.isOpen())
        return std::nullopt;
    QByteArray bytes(maxBytes, Qt::Uninitialized);
    qint64 size = 0;
    while (size < maxBytes) {
        const qint64 count = entry.read(bytes.data() + size, maxBytes - size);
        if (count < 0)
            return std::nullopt;
        if (count == 0)
            break;
        if (!spend(count, name))
            return std::nullopt;
        size += count;
    }
    bytes.truncate(size);
    return bytes;
}
