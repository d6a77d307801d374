#include "platform/ScriptedFileDialog.h"

QStringList ScriptedFileDialog::next()
{
    return m_names.isEmpty() ? QStringList() : m_names.takeFirst();
}

QString ScriptedFileDialog::getOpenFileName(QWidget* parent, const QString& title, const QString& directory,
                                            const QString& filter)
{
    Q_UNUSED(parent);
    Q_UNUSED(title);
    Q_UNUSED(directory);
    m_filters.append(filter);
    const QStringList names = next();
    return names.isEmpty() ? QString() : names.first();
}

QStringList ScriptedFileDialog::getOpenFileNames(QWidget* parent, const QString& title, const QString& directory,
                                                 const QString& filter)
{
    Q_UNUSED(parent);
    Q_UNUSED(title);
    Q_UNUSED(directory);
    m_filters.append(filter);
    return next();
}

QString ScriptedFileDialog::getSaveFileName(QWidget* parent, const QString& title, const QString& suggestedPath,
                                            const QString& filter)
{
    Q_UNUSED(parent);
    Q_UNUSED(title);
    m_filters.append(filter);
    m_suggested.append(suggestedPath);
    const QStringList names = next();
    return names.isEmpty() ? QString() : names.first();
}

QString ScriptedFileDialog::getExistingDirectory(QWidget* parent, const QString& title, const QString& directory)
{
    Q_UNUSED(parent);
    Q_UNUSED(title);
    m_startFolders.append(directory);
    const QStringList names = next();
    return names.isEmpty() ? QString() : names.first();
}
