#include "platform/Platform.h"

#include "platform/QtFileDialog.h"
#include "platform/QtFileOpener.h"
#include "platform/QtInputBox.h"
#include "platform/QtMessageBox.h"
#include "platform/QtTextPrinter.h"

namespace {

// The installed implementation of one seam; empty until first use or after install(nullptr).
template <typename Seam>
std::unique_ptr<Seam>& slot()
{
    static std::unique_ptr<Seam> current;
    return current;
}

// The installed implementation, or the Qt one created on demand.
template <typename Seam, typename QtImpl>
Seam& current()
{
    std::unique_ptr<Seam>& impl = slot<Seam>();
    if (!impl)
        impl = std::make_unique<QtImpl>();
    return *impl;
}

} // namespace

MessageBox& Platform::messageBox()
{
    return current<MessageBox, QtMessageBox>();
}

InputBox& Platform::inputBox()
{
    return current<InputBox, QtInputBox>();
}

FileDialog& Platform::fileDialog()
{
    return current<FileDialog, QtFileDialog>();
}

FileOpener& Platform::fileOpener()
{
    return current<FileOpener, QtFileOpener>();
}

TextPrinter& Platform::textPrinter()
{
    return current<TextPrinter, QtTextPrinter>();
}

// A null implementation empties the slot, so the next access creates the Qt one again.
void Platform::install(std::unique_ptr<MessageBox> impl)
{
    slot<MessageBox>() = std::move(impl);
}

void Platform::install(std::unique_ptr<InputBox> impl)
{
    slot<InputBox>() = std::move(impl);
}

void Platform::install(std::unique_ptr<FileDialog> impl)
{
    slot<FileDialog>() = std::move(impl);
}

void Platform::install(std::unique_ptr<FileOpener> impl)
{
    slot<FileOpener>() = std::move(impl);
}

void Platform::install(std::unique_ptr<TextPrinter> impl)
{
    slot<TextPrinter>() = std::move(impl);
}
