#include "app/frmOptions.h"

#include "app/BackupOptionsPage.h"
#include "platform/MessageBox.h"
#include "store/StartupSettings.h"
#include "store/UserLevels.h"
#include "users/PasswordChange.h"
#include "widgets/ChildWindow.h"
#include "widgets/PasswordLineEdit.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QTabBar>

namespace {

constexpr double PageLeft = 210;
constexpr double PageTop = 2460;
constexpr double HiddenPageLeft = -20000;

template <typename Control>
Control* place(Control* control, const QString& name, const QRect& geometry)
{
    control->setObjectName(name);
    control->setGeometry(geometry);
    return control;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry)
{
    return place(new QPushButton(caption, parent), name, geometry);
}

} // namespace

frmOptions::frmOptions(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    setFixedSize(Twips::size(6855, 5475));

    auto* startup = place(new QGroupBox(QStringLiteral("Startup Settings"), this), QStringLiteral("fraStartup"),
                          Twips::rect(120, 120, 6615, 1815));
    m_byClient = place(new QRadioButton(QStringLiteral("Start Application by Client Last Name"), startup),
                       QStringLiteral("Option1_1"), Twips::rect(240, 300, 4800, 285));
    m_byCompany = place(new QRadioButton(QStringLiteral("Start Application by Company Name"), startup),
                        QStringLiteral("Option1_0"), Twips::rect(240, 645, 4800, 285));
    m_quickStartup = place(new QCheckBox(QStringLiteral("Quick Startup "), startup), QStringLiteral("Check1"),
                           Twips::rect(240, 990, 4800, 285));
    QPushButton* saveExit = button(startup, QStringLiteral("Command1"), QStringLiteral("Save/Exit Startup"),
                                   Twips::rect(240, 1335, 2055, 375));
    QPushButton* applyStartup = button(startup, QStringLiteral("Command2"), QStringLiteral("Apply Startup"),
                                       Twips::rect(2400, 1335, 2055, 375));
    QPushButton* cancelStartup =
        button(startup, QStringLiteral("Command3"), QStringLiteral("Cancel"), Twips::rect(4560, 1335, 1815, 375));

    m_tabs = place(new QTabBar(this), QStringLiteral("tbsOptions"), Twips::rect(120, 2055, 6615, 405));
    const int passwordTab = m_tabs->addTab(QStringLiteral("Password"));
    m_tabs->setTabData(passwordTab, QStringLiteral("PasswordGroup"));
    m_tabs->setTabToolTip(passwordTab, QStringLiteral("Set Options for Group 1"));
    const int backupTab = m_tabs->addTab(QStringLiteral("Backups"));
    m_tabs->setTabData(backupTab, QStringLiteral("BackupGroup"));
    m_tabs->setTabToolTip(backupTab, QStringLiteral("Set Options for Group 2"));

    // One page per tab; the page of the selected tab is the one placed in view.
    auto* page = place(new QWidget(this), QStringLiteral("picOptions_0"), Twips::rect(PageLeft, PageTop, 6435, 2880));
    m_pages.append(page);
    auto* password = place(new QGroupBox(QStringLiteral("Change Password"), page), QStringLiteral("fraPassword"),
                           Twips::rect(0, 0, 6435, 2880));

    m_oldPassword =
        place(new PasswordLineEdit(password), QStringLiteral("txtOldPassword"), Twips::rect(2520, 330, 3615, 315));
    m_newPassword =
        place(new PasswordLineEdit(password), QStringLiteral("txtNewPassword"), Twips::rect(2520, 750, 3615, 315));
    m_retyped = place(new PasswordLineEdit(password), QStringLiteral("txtNewPasswordRetyped"),
                      Twips::rect(2520, 1170, 3615, 315));
    place(new QLabel(QStringLiteral("Old Password"), password), QStringLiteral("Label1"),
          Twips::rect(240, 360, 2200, 285))
        ->setBuddy(m_oldPassword);
    place(new QLabel(QStringLiteral("New Password"), password), QStringLiteral("Label2"),
          Twips::rect(240, 780, 2200, 285))
        ->setBuddy(m_newPassword);
    place(new QLabel(QStringLiteral("New Password Retyped"), password), QStringLiteral("Label3"),
          Twips::rect(240, 1200, 2200, 285))
        ->setBuddy(m_retyped);
    m_ok = button(password, QStringLiteral("cmdOK"), QStringLiteral("Save/Exit Password"),
                  Twips::rect(240, 1860, 2055, 375));
    m_apply = button(password, QStringLiteral("cmdApply"), QStringLiteral("Apply Password"),
                     Twips::rect(2400, 1860, 2055, 375));
    m_cancel =
        button(password, QStringLiteral("cmdCancel"), QStringLiteral("Cancel"), Twips::rect(4560, 1860, 1575, 375));

    m_backups = place(new BackupOptionsPage(this), QStringLiteral("picOptions_1"),
                      Twips::rect(HiddenPageLeft, PageTop, 6435, 2880));
    m_pages.append(m_backups);

    connect(saveExit, &QPushButton::clicked, this, [this] {
        saveStartup();
        ChildWindow::close(this);
    });
    connect(applyStartup, &QPushButton::clicked, this, &frmOptions::saveStartup);
    connect(cancelStartup, &QPushButton::clicked, this, [this] { ChildWindow::close(this); });
    connect(m_ok, &QPushButton::clicked, this, [this] {
        changePassword();
        ChildWindow::close(this);
    });
    connect(m_apply, &QPushButton::clicked, this, &frmOptions::changePassword);
    connect(m_cancel, &QPushButton::clicked, this, [this] { ChildWindow::close(this); });
    connect(m_tabs, &QTabBar::currentChanged, this, &frmOptions::showPage);

    auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    next->setContext(Qt::WidgetWithChildrenShortcut);
    connect(next, &QShortcut::activated, this, &frmOptions::nextTab);
}

void frmOptions::setVisible(bool visible)
{
    if (visible && !m_loaded) {
        m_loaded = true;
        load();
    }
    QWidget::setVisible(visible);
}

void frmOptions::load()
{
    centre();
    showPage(m_tabs->currentIndex());

    const StartupSettings settings = StartupSettings::read();
    if (settings.quickLogin()) {
        // The quick-login identity has no stored password to change.
        m_quickStartup->setChecked(true);
        for (QWidget* control : QList<QWidget*>{m_ok, m_apply, m_cancel, m_oldPassword, m_newPassword, m_retyped})
            control->setEnabled(false);
    }
    if (settings.startByClient())
        m_byClient->setChecked(true);
    else
        m_byCompany->setChecked(true);

    m_backups->load(UserLevel == UserLevels::Administrator);
}

void frmOptions::centre()
{
    auto* child = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (child && child->mdiArea()) {
        const QSize area = child->mdiArea()->viewport()->size();
        const QSize size = child->size().expandedTo(child->sizeHint());
        child->move((area.width() - size.width()) / 2, (area.height() - size.height()) / 2);
        return;
    }
    if (!parentWidget() && screen()) {
        const QRect available = screen()->availableGeometry();
        move(available.x() + (available.width() - width()) / 2, available.y() + (available.height() - height()) / 2);
    }
}

void frmOptions::saveStartup()
{
    StartupSettings settings;
    settings.QuickLogin = m_quickStartup->isChecked() ? QStringLiteral("Yes") : QStringLiteral("No");
    settings.StartView = m_byCompany->isChecked() ? QStringLiteral("Company") : QStringLiteral("Client");
    settings.write();
}

void frmOptions::changePassword()
{
    const PasswordChange::Outcome outcome =
        PasswordChange::apply(m_secId, m_oldPassword->text(), m_newPassword->text(), m_retyped->text());
    MessageBox::inform(this, QStringLiteral("Orvanta"), PasswordChange::message(outcome));
    if (outcome != PasswordChange::Outcome::Changed)
        clearPasswords();
}

void frmOptions::clearPasswords()
{
    m_oldPassword->clear();
    m_newPassword->clear();
    m_retyped->clear();
}

void frmOptions::showPage(int index)
{
    for (int i = 0; i < m_pages.size(); ++i) {
        QWidget* page = m_pages.at(i);
        const bool selected = i == index;
        page->move(Twips::toPixelsX(selected ? PageLeft : HiddenPageLeft), Twips::toPixelsY(PageTop));
        page->setEnabled(selected);
        // Hidden as well, so that neither the keyboard nor a screen reader finds its controls.
        page->setVisible(selected);
    }
}

void frmOptions::nextTab()
{
    if (m_tabs->count() > 0)
        m_tabs->setCurrentIndex((m_tabs->currentIndex() + 1) % m_tabs->count());
}

void frmOptions::keyPressEvent(QKeyEvent* event)
{
    // Escape is the password page's Cancel, wherever the focus is; not while quick login
    // disables that button.
    if (event->key() == Qt::Key_Escape && !m_cancel->testAttribute(Qt::WA_ForceDisabled))
        ChildWindow::close(this);
    else
        QWidget::keyPressEvent(event);
}
