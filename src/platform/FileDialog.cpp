#include "platform/FileDialog.h"

#include "platform/Platform.h"

FileDialog& FileDialog::instance()
{
    return Platform::fileDialog();
}
