#include "app/frmLogin.h"

#include "app/TempFolders.h"
#include "app/frmSplash.h"
#include "platform/MessageBox.h"
#include "store/StartupSettings.h"
#include "users/UserAuthenticator.h"
#include "widgets/BusyWork.h"
#include "widgets/PasswordLineEdit.h"
#include "widgets/Twips.h"

#include <QApplication>
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

frmLogin::frmLogin(QWidget* parent) : QWidget(parent, Qt::Dialog)
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
        // After a quick login this window is never shown: the message goes with the main window.
        MessageBox::inform(quick ? QApplication::activeWindow() : this, Title,
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
    begin(UserSession::quickLogin());
}

void frmLogin::begin(const UserSession& session)
{
    emit loggedIn(session);
    if (!LogDiffUser)
        showSplash();
    TempFolders::ensure();
}

void frmLogin::okClicked()
{
    if (m_busy)
        return;
    const QScopedValueRollback<bool> busy(m_busy, true);

    // Checking a password takes a noticeable moment on purpose: the window keeps painting.
    const std::optional<UserSession> user = runWhileBusy([name = m_userName->text(), password = m_password->text()] {
        return UserAuthenticator::authenticate(name, password);
    });
    if (!user) {
        MessageBox::inform(this, Title, QStringLiteral("Incorrect user name and/or password"));
        m_password->clear();
        m_password->setFocus();
        return;
    }

    begin(*user);

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

    emit mainWindowDue();
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
