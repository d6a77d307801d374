#include "clients/ui/SaveReport.h"

#include "platform/MessageBox.h"
#include "store/StoreError.h"

namespace {

const QString Title = QStringLiteral("Orvanta");

} // namespace

QString SaveReport::busyText()
{
    return QStringLiteral("Another program is using the database. Nothing was saved.") + QLatin1Char('\n') +
           QStringLiteral("What you typed is still here: click Save to try again.");
}

QString SaveReport::busyDeleteText()
{
    return QStringLiteral("Another program is using the database. The client was not deleted.") + QLatin1Char('\n') +
           QStringLiteral("Click Delete to try again.");
}

QString SaveReport::busyChoiceText()
{
    return QStringLiteral("Another program is using the database. Nothing was saved.") + QLatin1Char('\n') +
           QStringLiteral("The client you chose is still selected: click OK to try again.");
}

QString SaveReport::changedElsewhereText(const QStringList& fields)
{
    return QStringLiteral("This record was changed elsewhere (in another window or another copy of Orvanta) "
                          "after you started editing it: %1. Nothing was saved.")
               .arg(fields.join(QStringLiteral(", "))) +
           QLatin1Char('\n') +
           QStringLiteral("What you typed is still here. To see the stored values, click Cancel and then Edit, "
                          "and make your changes again.");
}

QString SaveReport::saveFailedText()
{
    return QStringLiteral("Error saving information to this form.") + QLatin1Char('\n') +
           QStringLiteral("Please regenerate database and try again");
}

void SaveReport::failure(QWidget* parent, const StoreError& error, const QString& otherwise, const QString& busy)
{
    if (error.isBusy())
        MessageBox::inform(parent, Title, busy, MessageBox::Warning);
    else
        MessageBox::inform(parent, Title, otherwise, MessageBox::Critical);
}

void SaveReport::changedElsewhere(QWidget* parent, const QStringList& fields)
{
    MessageBox::inform(parent, Title, changedElsewhereText(fields), MessageBox::Warning);
}
