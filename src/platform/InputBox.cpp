#include "platform/InputBox.h"

#include "platform/Platform.h"

InputBox& InputBox::instance()
{
    return Platform::inputBox();
}
