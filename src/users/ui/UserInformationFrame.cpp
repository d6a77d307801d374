#include "users/ui/UserInformationFrame.h"

#include "widgets/PasswordLineEdit.h"
#include "widgets/Twips.h"

#include <QLabel>
#include <QLineEdit>

namespace {

constexpr double BoxHeight = 375;
constexpr double LabelHeight = 240;
constexpr double LabelToBox = 240;

// A label above its box: the label names the box for assistive technology as well.
QLineEdit* labelled(QWidget* frame, QLineEdit* box, const QString& boxName, const QString& labelName,
                    const QString& caption, double left, double top, double width)
{
    box->setObjectName(boxName);
    box->setGeometry(Twips::rect(left, top + LabelToBox, width, BoxHeight));
    box->setAccessibleName(caption);
    auto* label = new QLabel(caption, frame);
    label->setObjectName(labelName);
    label->setGeometry(Twips::rect(left, top, width, LabelHeight));
    label->setBuddy(box);
    return box;
}

} // namespace

UserInformationFrame::UserInformationFrame(double passwordTop, QWidget* parent)
    : QGroupBox(QStringLiteral("User Information"), parent)
{
    setObjectName(QStringLiteral("Frame1"));

    m_firstName = labelled(this, new QLineEdit(this), QStringLiteral("txtFirstName"), QStringLiteral("Label1"),
                           QStringLiteral("First Name"), 360, 240, 2175);
    m_middleName = labelled(this, new QLineEdit(this), QStringLiteral("txtMiddleName"), QStringLiteral("Label2"),
                            QStringLiteral("Middle Name"), 2640, 240, 2295);
    m_lastName = labelled(this, new QLineEdit(this), QStringLiteral("txtLastName"), QStringLiteral("Label3"),
                          QStringLiteral("Last Name"), 5040, 240, 2475);
    m_eMailAddress = labelled(this, new QLineEdit(this), QStringLiteral("txtEMailAddress"), QStringLiteral("Label4"),
                              QStringLiteral("E-Mail Address"), 360, 900, 7155);
    m_userName = labelled(this, new QLineEdit(this), QStringLiteral("txtUserName"), QStringLiteral("Label7"),
                          QStringLiteral("User Name"), 360, 1560, 3375);
    m_password = labelled(this, new PasswordLineEdit(this), QStringLiteral("txtPassword"), QStringLiteral("Label5"),
                          QStringLiteral("Password"), 360, passwordTop, 3735);
    m_passwordRetyped =
        labelled(this, new PasswordLineEdit(this), QStringLiteral("txtPasswordRetypes"),
                 QStringLiteral("lblPasswordRedtyped"), QStringLiteral("Password Retyped"), 4200, passwordTop, 3735);
    m_passwordRetypedLabel = findChild<QLabel*>(QStringLiteral("lblPasswordRedtyped"), Qt::FindDirectChildrenOnly);
}
