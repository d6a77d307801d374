#pragma once

#include <QString>

// The scratch folders under the application folder: Temp for viewed copies of stored
// documents, Temp/Search for the copies the content search scans.
class TempFolders
{
public:
    // Creates Temp and Temp/Search where missing. Throws std::runtime_error when a folder
    // cannot be created.
    static void ensure();

    // Deletes the files directly in Temp; Temp/Search and folders are left alone. A file
    // that cannot be deleted (a viewer may still hold it) is skipped. Returns the number
    // of files deleted.
    static int clear();
};
