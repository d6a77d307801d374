#include "documents/ZipArchive.h"

#include <utility>
#include <zip.h>

namespace {

QString describe(zip_error_t* error)
{
    return QString::fromUtf8(zip_error_strerror(error));
}

} // namespace

ZipArchive::Entry::Entry(zip_file* file, QString error) : m_file(file), m_error(std::move(error)) {}

ZipArchive::Entry::Entry(Entry&& other) noexcept
    : m_file(std::exchange(other.m_file, nullptr)), m_error(std::move(other.m_error))
{
}

ZipArchive::Entry& ZipArchive::Entry::operator=(Entry&& other) noexcept
{
    if (this != &other) {
        if (m_file)
            zip_fclose(m_file);
        m_file = std::exchange(other.m_file, nullptr);
        m_error = std::move(other.m_error);
    }
    return *this;
}

ZipArchive::Entry::~Entry()
{
    if (m_file)
        zip_fclose(m_file);
}

qint64 ZipArchive::Entry::read(char* data, qint64 size)
{
    if (!m_file)
        return -1;
    const zip_int64_t count = zip_fread(m_file, data, static_cast<zip_uint64_t>(size));
    if (count < 0)
        m_error = describe(zip_file_get_error(m_file));
    return count;
}

ZipArchive::ZipArchive(const QByteArray& bytes) : m_bytes(bytes)
{
    zip_error_t error;
    zip_error_init(&error);
    // An empty buffer still needs a valid pointer.
    const char* data = m_bytes.isEmpty() ? "" : m_bytes.constData();
    zip_source_t* source = zip_source_buffer_create(data, static_cast<zip_uint64_t>(m_bytes.size()), 0, &error);
    if (source) {
        m_archive = zip_open_from_source(source, ZIP_RDONLY, &error);
        // On success the archive owns the source; on failure it is still ours.
        if (!m_archive)
            zip_source_free(source);
    }
    if (!m_archive)
        m_error = describe(&error);
    zip_error_fini(&error);
}

ZipArchive::~ZipArchive()
{
    if (m_archive)
        zip_discard(m_archive);
}

QStringList ZipArchive::names() const
{
    QStringList result;
    if (!m_archive)
        return result;
    const zip_int64_t count = zip_get_num_entries(m_archive, 0);
    result.reserve(static_cast<qsizetype>(qMax<zip_int64_t>(count, 0)));
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(m_archive, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
        result.append(name ? QString::fromUtf8(name) : QString());
    }
    return result;
}

qint64 ZipArchive::indexOf(const QString& name) const
{
    if (!m_archive)
        return -1;
    return zip_name_locate(m_archive, name.toUtf8().constData(), ZIP_FL_ENC_GUESS);
}

bool ZipArchive::isEncrypted(qint64 index) const
{
    if (!m_archive || index < 0)
        return false;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_archive, static_cast<zip_uint64_t>(index), 0, &stat) != 0)
        return false;
    return (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE;
}

ZipArchive::Entry ZipArchive::open(qint64 index) const
{
    if (!m_archive || index < 0)
        return Entry(nullptr, QStringLiteral("no such entry"));
    zip_file* file = zip_fopen_index(m_archive, static_cast<zip_uint64_t>(index), 0);
    if (!file)
        return Entry(nullptr, describe(zip_get_error(m_archive)));
    return Entry(file, QString());
}
