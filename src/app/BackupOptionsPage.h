#pragma once

#include <QList>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// The "Backups" page of the options dialog: whether the database is backed up when the
// program closes, into which folder, keeping how many (Backup.ini). Everyone sees the
// settings; only an administrator changes them.
class BackupOptionsPage : public QWidget
{
    Q_OBJECT

public:
    explicit BackupOptionsPage(QWidget* parent = nullptr);

    // Shows the saved settings, and lets them be changed when `mayChange`.
    void load(bool mayChange);

private:
    void browse();
    void save();

    QCheckBox* m_automatic = nullptr;
    QLineEdit* m_folder = nullptr;
    QPushButton* m_browse = nullptr;
    QSpinBox* m_keep = nullptr;
    QPushButton* m_save = nullptr;
    QLabel* m_administratorsOnly = nullptr;
    QList<QWidget*> m_changers; // every control that changes a setting, with their labels
};
