#include "app/frmLogin.h"

#include "app/MDIBaseForm.h"
#include "app/TempFolders.h"
#include "app/frmSplash.h"
#include "platform/MessageBox.h"
#include "store/StartupSettings.h"
#include "users/UserAuthenticator.h"
#include "widgets/PasswordLineEdit.h"
#include "widgets/Twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>

namespace {

const QString Title = QStringLiteral("Orvanta");

QLabel* addLabel(QWidget* parent, const QString& name, const QString& caption, QWidget* buddy, const QRect& geometry)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setBuddy(buddy);
    label->setGeometry(geometry);
    return label;
}

} // namespace

frmLogin::frmLogin(MDIBaseForm* mainWindow, QWidget* parent) : QWidget(parent, Qt::Dialog), m_main(mainWindow)
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("Orvanta Login"));
    setFixedSize(Twips::size(3750, 1560));

    m_userName = new QLineEdit(this);
    m_userName->setObjectName(QStringLiteral("txtUserName"));
    m_userName->setGeometry(Twips::rect(1290, 135, 2325, 345));

    m_password = new PasswordLineEdit(this);
    m_password->setObjectName(QStringLiteral("txtPassword"));
    m_password->setGeometry(Twips::rect(1290, 525, 2325, 345));

    addLabel(this, QStringLiteral("lblLabels_0"), QStringLiteral("&User Name:"), m_userName,
             Twips::rect(105, 150, 1080, 270));
    addLabel(this, QStringLiteral("lblLabels_1"), QStringLiteral("&Password:"), m_password,
             Twips::rect(105, 540, 1080, 270));

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_ok->setGeometry(Twips::rect(495, 1020, 1140, 390));
    m_ok->setDefault(true);
    m_ok->setAutoDefault(true);

    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cancel->setGeometry(Twips::rect(2100, 1020, 1140, 390));
    m_cancel->setAutoDefault(true);

    setTabOrder(m_userName, m_password);
    setTabOrder(m_password, m_ok);
    setTabOrder(m_ok, m_cancel);

    connect(m_ok, &QPushButton::clicked, this, &frmLogin::okClicked);
    connect(m_cancel, &QPushButton::clicked, this, &frmLogin::cancelClicked);
}

void frmLogin::load()
{
    const StartupSettings settings = StartupSettings::readOrCreate();
    const bool quick = settings.quickLogin();
    if (quick)
        quickLogin();

    if (UserAuthenticator::userCount() == 1)
        MessageBox::inform(quick ? static_cast<QWidget*>(m_main.data()) : this, Title,
                           UserAuthenticator::onlyBuiltInAccountMessage(), MessageBox::Information);

    // A quick login never shows this window.
    if (quick)
        close();
    else
        show();
}

void frmLogin::quickLogin()
{
    const QScopedValueRollback<bool> busy(m_busy, true);
    const QString blank = QStringLiteral(" ");
    m_main->setUFirstName(blank);
    m_main->setUMiddleName(blank);
    m_main->setULastName(blank);
    m_main->setUserId(QStringLiteral("1"));
    m_main->UserLevel = 66;
    if (!LogDiffUser)
        showSplash();
    TempFolders::ensure();
    m_main->setWindowTitle(QStringLiteral("Orvanta : Quick Loging"));
}

void frmLogin::okClicked()
{
    if (m_busy || !m_main)
        return;
    const QScopedValueRollback<bool> busy(m_busy, true);

    const std::optional<UserAuthenticator::User> user =
        UserAuthenticator::authenticate(m_userName->text(), m_password->text());
    if (!user) {
        MessageBox::inform(this, Title, QStringLiteral("Incorrect user name and/or password"));
        m_password->clear();
        m_password->setFocus();
        return;
    }

    m_main->setUFirstName(user->firstName);
    m_main->setUMiddleName(user->middleName);
    m_main->setULastName(user->lastName);
    m_main->setUserId(user->securityId);
    m_main->UserLevel = user->level;
    if (!LogDiffUser)
        showSplash();
    TempFolders::ensure();
    // The names as read, so that a missing middle name leaves two spaces.
    m_main->setWindowTitle(QStringLiteral("Orvanta : ") + user->firstName.toString() + QStringLiteral(" ") +
                           user->middleName.toString() + QStringLiteral(" ") + user->lastName.toString());

    m_busy = false;
    close();
}

void frmLogin::cancelClicked()
{
    if (!m_busy)
        close();
}

void frmLogin::showSplash()
{
    frmSplash splash;
    splash.show();
    splash.repaint();

    // Events keep flowing while the splash is up: the user may click it away.
    if (SplashDuration > 0) {
        QEventLoop wait;
        QTimer::singleShot(SplashDuration, &wait, &QEventLoop::quit);
        wait.exec();
    }

    if (m_main)
        m_main->showMaximized(); // a workstation program fills the screen
    splash.close();
}

void frmLogin::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_ok->click();
        break;
    case Qt::Key_Escape:
        m_cancel->click();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void frmLogin::closeEvent(QCloseEvent* event)
{
    // Not while a login is under way.
    if (m_busy)
        event->ignore();
    else
        QWidget::closeEvent(event);
}
