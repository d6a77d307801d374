#pragma once

// A fresh application folder with a database (see TestDatabaseFolder), and the platform's
// test doubles installed, for one test of the windows. Restores the Qt seams when it ends.

#include "TestDatabaseFolder.h"
#include "platform/Platform.h"
#include "platform/RecordingFileOpener.h"
#include "platform/RecordingTextPrinter.h"
#include "platform/ScriptedFileDialog.h"
#include "platform/ScriptedInputBox.h"
#include "platform/ScriptedMessageBox.h"

#include <QTest>
#include <memory>

class TestAppFolder : public TestDatabaseFolder
{
public:
    explicit TestAppFolder(bool createDatabase = true) : TestDatabaseFolder(createDatabase)
    {
        auto box = std::make_unique<ScriptedMessageBox>();
        messages = box.get();
        Platform::install(std::move(box));
        auto input = std::make_unique<ScriptedInputBox>();
        inputs = input.get();
        Platform::install(std::move(input));
        auto dialog = std::make_unique<ScriptedFileDialog>();
        files = dialog.get();
        Platform::install(std::move(dialog));
        auto opener = std::make_unique<RecordingFileOpener>();
        opened = opener.get();
        Platform::install(std::move(opener));
        auto printer = std::make_unique<RecordingTextPrinter>();
        printed = printer.get();
        Platform::install(std::move(printer));
    }

    ~TestAppFolder()
    {
        Platform::install(std::unique_ptr<MessageBox>());
        Platform::install(std::unique_ptr<InputBox>());
        Platform::install(std::unique_ptr<FileDialog>());
        Platform::install(std::unique_ptr<FileOpener>());
        Platform::install(std::unique_ptr<TextPrinter>());
    }

    TestAppFolder(const TestAppFolder&) = delete;
    TestAppFolder& operator=(const TestAppFolder&) = delete;

    ScriptedMessageBox* messages = nullptr;
    ScriptedInputBox* inputs = nullptr;
    ScriptedFileDialog* files = nullptr;
    RecordingFileOpener* opened = nullptr;
    RecordingTextPrinter* printed = nullptr;
};
