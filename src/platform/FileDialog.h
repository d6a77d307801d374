#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The open and save file dialogs, and the dialog that chooses a folder. An empty result means
// the user cancelled.
// `filter` is in Qt's form: "Documents (*.doc *.txt);;All Files (*)".
class FileDialog
{
public:
    virtual ~FileDialog() = default;
    virtual QString getOpenFileName(QWidget* parent, const QString& title, const QString& directory,
                                    const QString& filter) = 0;
    virtual QStringList getOpenFileNames(QWidget* parent, const QString& title, const QString& directory,
                                         const QString& filter) = 0;
    virtual QString getSaveFileName(QWidget* parent, const QString& title, const QString& suggestedPath,
                                    const QString& filter) = 0;
    // An existing folder, starting in `directory`.
    virtual QString getExistingDirectory(QWidget* parent, const QString& title, const QString& directory) = 0;
    static FileDialog& instance();
};
