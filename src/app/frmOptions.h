#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class BackupOptionsPage;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabBar;

// The options dialog: the start-up settings of Settings.ini, the password of the logged-in
// user and the automatic backups. Opened as a child window of the main window.
class frmOptions : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString SecId READ SecId WRITE setSecId)
    Q_PROPERTY(int UserLevel MEMBER UserLevel)

public:
    explicit frmOptions(QWidget* parent = nullptr);

    // The logged-in user's SecurityId, set before the dialog is shown.
    QString SecId() const { return m_secId; }
    void setSecId(const QString& secId) { m_secId = secId; }

    // The logged-in user's level (UserLevels), set before the dialog is shown: only an
    // administrator changes the backup settings.
    int UserLevel = 0;

    // The first showing loads the dialog from Settings.ini.
    void setVisible(bool visible) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void load();
    void centre();
    void saveStartup();
    void changePassword();
    void clearPasswords();
    void showPage(int index);
    void nextTab();

    QString m_secId;
    bool m_loaded = false;

    QRadioButton* m_byCompany = nullptr; // Option1 index 0
    QRadioButton* m_byClient = nullptr;  // Option1 index 1
    QCheckBox* m_quickStartup = nullptr;
    QTabBar* m_tabs = nullptr;
    QList<QWidget*> m_pages;
    QLineEdit* m_oldPassword = nullptr;
    QLineEdit* m_newPassword = nullptr;
    QLineEdit* m_retyped = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_cancel = nullptr;
    BackupOptionsPage* m_backups = nullptr;
};
