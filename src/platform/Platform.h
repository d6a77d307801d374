#pragma once

#include <memory>

class MessageBox;
class InputBox;
class FileDialog;
class FileOpener;
class TextPrinter;

// Holds the current implementation of each platform seam. The Qt implementations are
// used until a test installs its doubles; install(nullptr) restores the Qt one.
class Platform
{
public:
    static MessageBox& messageBox();
    static InputBox& inputBox();
    static FileDialog& fileDialog();
    static FileOpener& fileOpener();
    static TextPrinter& textPrinter();

    static void install(std::unique_ptr<MessageBox> impl);
    static void install(std::unique_ptr<InputBox> impl);
    static void install(std::unique_ptr<FileDialog> impl);
    static void install(std::unique_ptr<FileOpener> impl);
    static void install(std::unique_ptr<TextPrinter> impl);
};
