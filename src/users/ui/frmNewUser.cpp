#include "users/ui/frmNewUser.h"

#include "platform/MessageBox.h"
#include "store/StoreError.h"
#include "users/NewUserCheck.h"
#include "users/UserAccounts.h"
#include "users/UserNameRule.h"
#include "users/ui/InformationLabel.h"
#include "users/ui/UserInformationFrame.h"
#include "widgets/ChildWindow.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString Title = QStringLiteral("Orvanta");

QPushButton* button(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry)
{
    auto* control = new QPushButton(caption, parent);
    control->setObjectName(name);
    control->setGeometry(geometry);
    return control;
}

} // namespace

frmNewUser::frmNewUser(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmNewUser"));
    setWindowTitle(QStringLiteral("Add New User"));
    // The dialog keeps its designed size whatever the user drags.
    setFixedSize(Twips::size(8670, 4935));

    m_frame = new UserInformationFrame(2640, this);
    m_frame->setGeometry(Twips::rect(120, 60, 8295, 3975));

    m_generateUserName = button(m_frame, QStringLiteral("CmdUserName"), QStringLiteral("Generate User Name"),
                                Twips::rect(3840, 1800, 1935, 375));
    m_generatePassword = button(m_frame, QStringLiteral("CmdPassword"), QStringLiteral("Generate Password"),
                                Twips::rect(360, 2220, 1995, 375));
    m_generatedPassword = new InformationLabel(m_frame);
    m_generatedPassword->setObjectName(QStringLiteral("lblGeneratedPassword"));
    m_generatedPassword->setGeometry(Twips::rect(5340, 2280, 2775, 255));
    m_generatedPassword->setAccessibleDescription(QStringLiteral("Generated password"));
    m_administrator = new QCheckBox(QStringLiteral("Administrator"), m_frame);
    m_administrator->setObjectName(QStringLiteral("Check1"));
    m_administrator->setGeometry(Twips::rect(360, 3360, 3195, 255));

    m_ok = button(this, QStringLiteral("cmdOK"), QStringLiteral("Save"), Twips::rect(2179, 4140, 1335, 375));
    m_clear = button(this, QStringLiteral("cmdClear"), QStringLiteral("Clear"), Twips::rect(3622, 4140, 1335, 375));
    m_cancel = button(this, QStringLiteral("cmdCancel"), QStringLiteral("Cancel"), Twips::rect(5066, 4140, 1335, 375));

    const QList<QWidget*> order{m_frame->firstName(),
                                m_frame->middleName(),
                                m_frame->lastName(),
                                m_frame->eMailAddress(),
                                m_frame->userName(),
                                m_generateUserName,
                                m_generatePassword,
                                m_frame->password(),
                                m_frame->passwordRetyped(),
                                m_administrator,
                                m_ok,
                                m_clear,
                                m_cancel};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));

    connect(m_generateUserName, &QPushButton::clicked, this, &frmNewUser::generateUserName);
    connect(m_generatePassword, &QPushButton::clicked, this, &frmNewUser::generatePassword);
    connect(m_ok, &QPushButton::clicked, this, &frmNewUser::save);
    connect(m_clear, &QPushButton::clicked, this, &frmNewUser::clear);
    connect(m_cancel, &QPushButton::clicked, this, [this] { ChildWindow::close(this); });
}

void frmNewUser::setVisible(bool visible)
{
    if (visible && !m_loaded) {
        m_loaded = true;
        if (!m_userId.isEmpty())
            showUser();
    }
    QWidget::setVisible(visible);
}

void frmNewUser::showUser()
{
    m_clear->hide();
    m_ok->setText(QStringLiteral("Update"));
    m_generateUserName->hide();
    m_generatePassword->hide();
    m_frame->passwordRetypedLabel()->hide();
    m_frame->passwordRetyped()->hide();
    m_frame->userName()->setEnabled(false);
    // Only a hash of the password is stored, so there is nothing to show in its box.
    m_frame->password()->clear();
    m_frame->password()->setEnabled(false);

    try {
        const std::optional<UserAccounts::Details> user = UserAccounts::find(m_userId);
        if (!user) {
            reportFailure(QStringLiteral("There is no user with the identifier %1.").arg(m_userId));
            return;
        }
        setWindowTitle(QStringLiteral("User Information for ") + user->firstName + QLatin1Char(' ') + user->middleName +
                       QLatin1Char(' ') + user->lastName);
        m_frame->firstName()->setText(user->firstName);
        m_frame->middleName()->setText(user->middleName);
        m_frame->lastName()->setText(user->lastName);
        m_frame->userName()->setText(user->userName);
        m_frame->eMailAddress()->setText(user->eMailAddress);
    } catch (const StoreError& error) {
        reportFailure(error.message());
    }
}

void frmNewUser::generateUserName()
{
    m_frame->userName()->setText(UserNameRule::generate(m_frame->firstName()->text(), m_frame->middleName()->text(),
                                                        m_frame->lastName()->text()));
}

void frmNewUser::generatePassword()
{
    const QString password = m_passwords.generate(m_frame->lastName()->text());
    m_frame->password()->setText(password);
    m_frame->passwordRetyped()->setText(password);
    m_generatedPassword->setValue(password);
}

void frmNewUser::save()
{
    if (m_userId.isEmpty())
        addUser();
    else
        updateUser();
}

void frmNewUser::addUser()
{
    const QString password = m_frame->password()->text();
    const NewUserCheck::Result checked =
        NewUserCheck::check(password, m_frame->passwordRetyped()->text(), m_frame->userName()->text());
    if (checked != NewUserCheck::Result::Valid) {
        MessageBox::inform(this, Title, NewUserCheck::message(checked));
        return;
    }
    try {
        UserAccounts::add({m_frame->userName()->text(), m_frame->firstName()->text(), m_frame->middleName()->text(),
                           m_frame->lastName()->text(), m_frame->eMailAddress()->text()},
                          password, m_administrator->isChecked());
    } catch (const StoreError& error) {
        reportFailure(error.message());
        return;
    }
    ChildWindow::close(this);
}

void frmNewUser::updateUser()
{
    try {
        UserAccounts::updateNames(m_userId, {QString(), m_frame->firstName()->text(), m_frame->middleName()->text(),
                                             m_frame->lastName()->text(), m_frame->eMailAddress()->text()});
    } catch (const StoreError& error) {
        reportFailure(error.message());
        return;
    }
    ChildWindow::close(this);
}

void frmNewUser::clear()
{
    for (QLineEdit* box : {m_frame->firstName(), m_frame->middleName(), m_frame->lastName(), m_frame->eMailAddress(),
                           m_frame->userName(), m_frame->password(), m_frame->passwordRetyped()})
        box->clear();
    m_generatedPassword->setValue(QString());
}

void frmNewUser::reportFailure(const QString& message)
{
    MessageBox::inform(this, Title, message, MessageBox::Critical);
}
