#include "platform/FileOpener.h"

#include "platform/Platform.h"

FileOpener& FileOpener::instance()
{
    return Platform::fileOpener();
}
