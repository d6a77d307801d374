#include "app/frmAbout.h"

#include "documents/DocumentLibraryVersions.h"
#include "store/DatabaseLocation.h"
#include "store/StoreError.h"
#include "store/StoreLibraryVersions.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

// One line "label value" of the facts above the libraries.
QString line(const QString& label, const QString& value)
{
    return QStringLiteral("%1 %2<br>").arg(label.toHtmlEscaped(), value.toHtmlEscaped());
}

QString row(const QString& cell, const QString& name, const QString& version, const QString& licence)
{
    return QStringLiteral("<tr><%1>%2</%1><%1>%3</%1><%1>%4</%1></tr>")
        .arg(cell, name.toHtmlEscaped(), version.toHtmlEscaped(), licence.toHtmlEscaped());
}

// The engine and the database, as the start chose them; a server is named by its host and
// database only, as DatabaseLocation describes it (never a password).
QString databaseLines()
{
    try {
        const QString location = DatabaseLocation::current();
        const bool server = DatabaseLocation::isServer(location);
        return line(QStringLiteral("Database engine:"),
                    server ? QStringLiteral("PostgreSQL") : QStringLiteral("SQLite")) +
               line(QStringLiteral("Database:"), DatabaseLocation::describe(location));
    } catch (const StoreError& error) {
        return line(QStringLiteral("Database:"), error.message());
    }
}

QString libraryRows()
{
    QList<LibraryVersion> libraries = StoreLibraryVersions::list();
    libraries += DocumentLibraryVersions::list();
    libraries.append({QStringLiteral("Qt"), QString::fromLatin1(qVersion()), QStringLiteral("LGPL-3.0")});
    QString rows =
        row(QStringLiteral("th"), QStringLiteral("Library"), QStringLiteral("Version"), QStringLiteral("Licence"));
    for (const LibraryVersion& library : std::as_const(libraries))
        rows += row(QStringLiteral("td"), library.name, library.version, library.licence);
    return rows;
}

} // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Orvanta"));
    setModal(true);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("imgIcon"));
    icon->setPixmap(QApplication::windowIcon().pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);
    icon->setVisible(!QApplication::windowIcon().isNull());

    m_text = new QTextBrowser(this);
    m_text->setObjectName(QStringLiteral("txtAbout"));
    m_text->setAccessibleName(QStringLiteral("About Orvanta"));
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text->setOpenLinks(false);
    m_text->setHtml(QStringLiteral("<h2>Orvanta %1</h2>"
                                   "<p>Clients, their documents and events for a small office.</p>"
                                   "<p>%2%3</p>"
                                   "<p>Orvanta is free software, licensed under the GNU General Public License, "
                                   "version 2 or (at your option) any later version. It runs with these libraries:</p>"
                                   "<table cellspacing=\"0\" cellpadding=\"3\">%4</table>")
                        .arg(QStringLiteral(ORVANTA_VERSION), databaseLines(),
                             line(QStringLiteral("Qt at run time:"), QString::fromLatin1(qVersion())), libraryRows()));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(QStringLiteral("&Close"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("cmdClose"));
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(m_text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(buttons);
    resize(560, 440);
    m_text->setFocus();
}

QString frmAbout::text() const
{
    return m_text->toPlainText();
}
