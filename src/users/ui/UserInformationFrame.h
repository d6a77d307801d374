#pragma once

#include <QGroupBox>

class QLabel;
class QLineEdit;

// The frame "User Information" shared by the add-user dialog and the user management
// window: names, e-mail address, user name and the two password boxes, each with its
// label, at the same places in both windows except for the height of the password row.
class UserInformationFrame : public QGroupBox
{
    Q_OBJECT

public:
    // `passwordTop`: top, in twips, of the labels of the password row; the boxes lie 240 lower.
    explicit UserInformationFrame(double passwordTop, QWidget* parent = nullptr);

    QLineEdit* firstName() const { return m_firstName; }
    QLineEdit* middleName() const { return m_middleName; }
    QLineEdit* lastName() const { return m_lastName; }
    QLineEdit* eMailAddress() const { return m_eMailAddress; }
    QLineEdit* userName() const { return m_userName; }
    QLineEdit* password() const { return m_password; }
    QLineEdit* passwordRetyped() const { return m_passwordRetyped; }
    QLabel* passwordRetypedLabel() const { return m_passwordRetypedLabel; }

private:
    QLineEdit* m_firstName = nullptr;
    QLineEdit* m_middleName = nullptr;
    QLineEdit* m_lastName = nullptr;
    QLineEdit* m_eMailAddress = nullptr;
    QLineEdit* m_userName = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_passwordRetyped = nullptr;
    QLabel* m_passwordRetypedLabel = nullptr;
};
