#pragma once

#include "platform/FileDialog.h"

#include <QList>

// Test double: answers from queues of preset file names; an empty queue answers "" (cancel).
class ScriptedFileDialog : public FileDialog
{
public:
    QString getOpenFileName(QWidget* parent, const QString& title, const QString& directory,
                            const QString& filter) override;
    QStringList getOpenFileNames(QWidget* parent, const QString& title, const QString& directory,
                                 const QString& filter) override;
    QString getSaveFileName(QWidget* parent, const QString& title, const QString& suggestedPath,
                            const QString& filter) override;
    QString getExistingDirectory(QWidget* parent, const QString& title, const QString& directory) override;

    void setNextFileName(const QString& path) { m_names.append(QStringList{path}); }
    void setNextFileNames(const QStringList& paths) { m_names.append(paths); }
    void setNextFolder(const QString& path) { m_names.append(QStringList{path}); }
    const QStringList& filters() const { return m_filters; }           // filter of every file dialog shown
    const QStringList& suggested() const { return m_suggested; }       // suggested path of every save dialog
    const QStringList& startFolders() const { return m_startFolders; } // of every folder dialog

private:
    QStringList next();

    QList<QStringList> m_names;
    QStringList m_filters;
    QStringList m_suggested;
    QStringList m_startFolders;
};
