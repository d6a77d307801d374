#pragma once

#include "documents/ZipArchive.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QXmlStreamReader>
#include <functional>
#include <optional>

// Reads the XML parts of an office document's archive as a stream of tokens, a piece at a
// time, so no part is ever unpacked whole. All parts read through one reader share one budget
// of unpacked bytes: past it (a "ZIP bomb") reading fails. A part that cannot be read —
// encrypted, damaged, malformed XML, over the budget, or with one piece of XML (a text, a
// comment) too long to hold — fails, with a note in the log.
class OfficePartReader
{
public:
    // Called after each token; returns false to stop reading the part early (not a failure).
    using TokenHandler = std::function<bool(const QXmlStreamReader&)>;

    OfficePartReader(const ZipArchive& archive, qint64 unpackLimit);

    bool has(const QString& name) const;

    // Elements (namespace URI, local name) whose content the handlers never see: alternative
    // renderings of the same content, comments, speaker notes.
    void setSkippedElements(QList<QPair<QString, QString>> elements) { m_skipped = std::move(elements); }

    // Streams part `name` through `handler`; false when it failed.
    bool read(const QString& name, const TokenHandler& handler);
    // The first `maxBytes` bytes of entry `name` (fewer when it is shorter); nothing when it
    // cannot be read.
    std::optional<QByteArray> readBytes(const QString& name, qint64 maxBytes);

private:
    bool isSkipped(const QXmlStreamReader& xml) const;
    bool spend(qint64 count, const QString& name);
    bool drain(ZipArchive::Entry& entry, QByteArray& piece, const QString& name);

    const ZipArchive& m_archive;
    qint64 m_budget;
    qint64 m_tokenLimit;
    QList<QPair<QString, QString>> m_skipped;
};
