#pragma once

#include "platform/FileDialog.h"

// The file dialogs as Qt's file dialogs.
class QtFileDialog : public FileDialog
{
public:
    QString getOpenFileName(QWidget* parent, const QString& title, const QString& directory,
                            const QString& filter) override;
    QStringList getOpenFileNames(QWidget* parent, const QString& title, const QString& directory,
                                 const QString& filter) override;
    QString getSaveFileName(QWidget* parent, const QString& title, const QString& suggestedPath,
                            const QString& filter) override;
    QString getExistingDirectory(QWidget* parent, const QString& title, const QString& directory) override;
};
