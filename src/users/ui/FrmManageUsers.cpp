#include "users/ui/FrmManageUsers.h"

#include "platform/MessageBox.h"
#include "store/StoreError.h"
#include "users/UserAccounts.h"
#include "users/ui/InformationLabel.h"
#include "users/ui/UserInformationFrame.h"
#include "widgets/Twips.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {

const QString Title = QStringLiteral("Orvanta");

QSize designedSize()
{
    return Twips::size(11055, 4095);
}

} // namespace

FrmManageUsers::FrmManageUsers(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FrmManageUsers"));
    setWindowTitle(QStringLiteral("Manage Users"));
    resize(designedSize());

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("TreClassView"));
    m_tree->setGeometry(Twips::rect(60, 60, 2595, 3975));
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(false);
    m_tree->setAccessibleName(QStringLiteral("Users"));

    m_frame = new UserInformationFrame(2280, this);
    m_frame->setGeometry(Twips::rect(2700, 60, 8295, 3975));
    // Kept from the add-user form's layout; this window generates no password, so the label
    // stays empty and hidden: shown, it would lie over the caption "Password Retyped" of the
    // raised password row and give screen readers an empty item.
    m_generatedPassword = new InformationLabel(m_frame);
    m_generatedPassword->setObjectName(QStringLiteral("lblGeneratedPassword"));
    m_generatedPassword->setGeometry(Twips::rect(5340, 2280, 2775, 255));
    m_generatedPassword->hide();
    m_save = new QPushButton(QStringLiteral("Save"), m_frame);
    m_save->setObjectName(QStringLiteral("Command1"));
    m_save->setGeometry(Twips::rect(3000, 3240, 1575, 375));
    m_save->setEnabled(false);

    const QList<QWidget*> order{m_tree,
                                m_frame->firstName(),
                                m_frame->middleName(),
                                m_frame->lastName(),
                                m_frame->eMailAddress(),
                                m_frame->userName(),
                                m_frame->password(),
                                m_frame->passwordRetyped(),
                                m_save};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));

    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, &FrmManageUsers::showUser);
    connect(m_save, &QPushButton::clicked, this, &FrmManageUsers::save);
}

void FrmManageUsers::setVisible(bool visible)
{
    if (visible && !m_loaded) {
        m_loaded = true;
        load();
    }
    QWidget::setVisible(visible);
}

QSize FrmManageUsers::sizeHint() const
{
    return designedSize();
}

void FrmManageUsers::load()
{
    int number = 0;
    try {
        UserAccounts::forEachListed([this, &number](const UserAccounts::Listed& user) {
            auto* node = new QTreeWidgetItem(m_tree);
            node->setData(0, KeyRole, user.lastName + QString::number(++number));
            node->setData(0, TagRole, user.securityId);
            node->setText(0,
                          user.lastName + QStringLiteral(", ") + user.firstName + QLatin1Char(' ') + user.middleName);
        });
    } catch (const StoreError&) {
        // The tree keeps the users read before the failure.
    }
}

void FrmManageUsers::showUser()
{
    QTreeWidgetItem* node = m_tree->currentItem();
    if (!node)
        return;
    const QString securityId = node->data(0, TagRole).toString();
    try {
        const std::optional<UserAccounts::Details> user = UserAccounts::find(securityId);
        m_editedUserId = securityId;
        if (user) {
            // The password boxes keep what they hold: the stored password is never shown.
            m_frame->userName()->setText(user->userName);
            m_frame->firstName()->setText(user->firstName);
            m_frame->middleName()->setText(user->middleName);
            m_frame->lastName()->setText(user->lastName);
            m_frame->eMailAddress()->setText(user->eMailAddress);
        }
        m_save->setEnabled(true);
    } catch (const StoreError&) {
        // Showing a user is left as it was when the database cannot be read.
    }
}

void FrmManageUsers::save()
{
    const QString password = m_frame->password()->text();
    if (!password.isEmpty() && password != m_frame->passwordRetyped()->text()) {
        MessageBox::inform(this, Title, QStringLiteral("Password Invalid"));
        return;
    }
    try {
        UserAccounts::update(m_editedUserId,
                             {m_frame->userName()->text(), m_frame->firstName()->text(), m_frame->middleName()->text(),
                              m_frame->lastName()->text(), m_frame->eMailAddress()->text()},
                             password);
    } catch (const StoreError& error) {
        // The form stays as it was, so the user can try again.
        MessageBox::inform(this, Title, error.message(), MessageBox::Critical);
        return;
    }
    m_editedUserId.clear();
    for (QLineEdit* box : {m_frame->firstName(), m_frame->middleName(), m_frame->lastName(), m_frame->userName(),
                           m_frame->password(), m_frame->passwordRetyped()})
        box->clear();
    m_save->setEnabled(false);
    MessageBox::inform(this, Title, QStringLiteral("Save Complete"));
}
