#include "documents/DocumentLibraryVersions.h"

#include <poppler-version.h>
#include <zip.h>

QList<LibraryVersion> DocumentLibraryVersions::list()
{
    return {
        {QStringLiteral("poppler"), QString::fromStdString(poppler::version_string()),
         QStringLiteral("GPL-2.0-or-later")},
        {QStringLiteral("libzip"), QString::fromLatin1(zip_libzip_version()), QStringLiteral("BSD-3-Clause")},
    };
}
