#pragma once

#include <QString>
#include <QStringList>

// The folder that holds Settings.ini, Dravolin.mdb and Temp.
class ApplicationFolder
{
public:
    static QString path();
    static void setPath(const QString& path);

    // --app-dir DIR when given; else the executable's folder; else, when that is not
    // writable or the program is an installed one, the user's data folder (created when
    // missing).
    static QString resolve(const QStringList& arguments, const QString& executableFolder);

    static QString filePath(const QString& name); // a file directly in the folder
    static QString tempPath();                    // <folder>/Temp
    static QString searchTempPath();              // <folder>/Temp/Search
};
