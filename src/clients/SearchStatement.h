#pragma once

#include "store/ClientId.h"

#include <QString>
#include <QVariantList>

// The statement the document search runs, built from the dialog's choices. Every value
// travels as a bound parameter. A summary matches without regard to the case of any letter
// ("müller" finds "MÜLLER Notizen"), in both match types.
class SearchStatement
{
public:
    enum class ClientScope
    {
        All,
        Current,
        Specified
    };

    struct Options
    {
        QString text;             // the search text as typed
        bool content = false;     // search inside the documents rather than their summaries
        bool exactPhrase = false; // summary equal to the text, rather than containing it
        ClientScope scope = ClientScope::All;
        ClientId clientId = NoClient; // for Current and Specified
        QString fileType;             // an extension; empty for "All"
        bool specifyVersion = false;
        int version = 0;
    };

    QString sql;
    QVariantList params;

    static SearchStatement build(const Options& options);

    // A version typed by the user: a whole number, or nothing.
    static bool parseVersion(const QString& text, int& version);
};
