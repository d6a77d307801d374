#pragma once

#include "store/LibraryVersion.h"

#include <QList>

// The libraries that read the text inside documents, for the About dialog: poppler (PDF) and
// libzip (the ZIP containers of office documents), as the versions loaded at run time report
// themselves.
class DocumentLibraryVersions
{
public:
    static QList<LibraryVersion> list();
};
