#pragma once

#include "users/PasswordGenerator.h"

#include <QString>
#include <QWidget>

class QCheckBox;
class InformationLabel;
class QPushButton;
class UserInformationFrame;

// The add-user dialog, captioned "Add New User". With `UserId` set before it is shown it
// becomes the user view: it shows that user, and "Update" writes the changed names and
// e-mail address back to the user's row. Opened as a child window of the main window.
class frmNewUser : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString UserId READ UserId WRITE setUserId)

public:
    explicit frmNewUser(QWidget* parent = nullptr);

    // SecurityId of an existing user to show; empty to add a user.
    QString UserId() const { return m_userId; }
    void setUserId(const QString& userId) { m_userId = userId; }

    // The first showing loads the user named by UserId, if any.
    void setVisible(bool visible) override;

private:
    void showUser();
    void generateUserName();
    void generatePassword();
    void save();
    void addUser();
    void updateUser();
    void clear();
    void reportFailure(const QString& message);

    QString m_userId;
    bool m_loaded = false;
    PasswordGenerator m_passwords;

    UserInformationFrame* m_frame = nullptr;
    QPushButton* m_generateUserName = nullptr;
    QPushButton* m_generatePassword = nullptr;
    InformationLabel* m_generatedPassword = nullptr;
    QCheckBox* m_administrator = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_cancel = nullptr;
};
