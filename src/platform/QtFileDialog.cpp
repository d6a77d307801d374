#include "platform/QtFileDialog.h"

#include <QFileDialog>

QString QtFileDialog::getOpenFileName(QWidget* parent, const QString& title, const QString& directory,
                                      const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, title, directory, filter);
}

QStringList QtFileDialog::getOpenFileNames(QWidget* parent, const QString& title, const QString& directory,
                                           const QString& filter)
{
    return QFileDialog::getOpenFileNames(parent, title, directory, filter);
}

QString QtFileDialog::getSaveFileName(QWidget* parent, const QString& title, const QString& suggestedPath,
                                      const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, title, suggestedPath, filter);
}

QString QtFileDialog::getExistingDirectory(QWidget* parent, const QString& title, const QString& directory)
{
    return QFileDialog::getExistingDirectory(parent, title, directory);
}
