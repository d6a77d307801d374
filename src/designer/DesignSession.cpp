#include "designer/DesignSession.h"

#include "designer/DesignerNameRules.h"
#include "designer/TabDefinitionStore.h"
#include "designer/TabDesignWriter.h"
#include "designer/TabTableGenerator.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Identifier.h"
#include "store/SchemaCatalog.h"
#include "store/StoreError.h"
#include "store/Transaction.h"

namespace {

const QString LineBreak = QStringLiteral("\r\n");

DesignSession::Notice plain(const QString& text)
{
    return {text, DesignSession::Notice::Kind::Plain};
}

DesignSession::Notice refusal(const QString& text)
{
    return {text, DesignSession::Notice::Kind::Critical};
}

// A failed action: what could not be done, then the database's own words.
DesignSession::Notice failure(const QString& what, const StoreError& error)
{
    return refusal(what + LineBreak + error.message());
}

} // namespace

QStringList DesignSession::readClients()
{
    QStringList lines;
    m_clientIds.clear();
    try {
        CLsDataBaseConnection connection;
        Recordset clients = connection.CreateRecordset(
            QStringLiteral("SELECT * FROM %1 WHERE Active = 1 ORDER BY PersonalInformationId")
                .arg(quoteIdentifier(QStringLiteral("Personal Information"))));
        for (; !clients.eof(); clients.moveNext()) {
            lines.append(clients.text(QStringLiteral("Last Name")) + QLatin1Char(' ') +
                         clients.text(QStringLiteral("Middle Name")) + QLatin1Char(' ') +
                         clients.text(QStringLiteral("First Name")));
            m_clientIds.append(clients.text(QStringLiteral("PersonalInformationId")));
        }
        clients.close();
        connection.DbClose();
    } catch (const StoreError&) {
        // The list keeps the clients it received.
    }
    return lines;
}

DesignSession::Outcome DesignSession::loadEditableTabs()
{
    std::vector<DesignerTabPage> pages;
    std::vector<DesignerFieldEntry> fields;
    try {
        CLsDataBaseConnection connection;
        const TabDefinitionStore store(connection.database());
        pages = store.editableTabs();
        fields = store.editableFields();
        connection.DbClose();
    } catch (const StoreError& error) {
        return failure(QStringLiteral("The tab definitions could not be read."), error);
    }
    m_pages.insert(m_pages.end(), pages.begin(), pages.end());
    m_fields.insert(m_fields.end(), fields.begin(), fields.end());
    if (!m_pages.empty()) {
        m_shownPage = 0;
        showShownPage();
    }
    return std::nullopt;
}

DesignSession::Outcome DesignSession::nothingToEdit() const
{
    if (!m_editMode || !m_pages.empty())
        return std::nullopt;
    return Notice{QStringLiteral("Currently there are no tabs that can be edited") + LineBreak +
                      QStringLiteral("Please use the NEW TABS menu option to add a new tab(s)"),
                  Notice::Kind::Information};
}

DesignSession::Outcome DesignSession::addTab(const QString& name, const QString& description, int clientRow)
{
    if (name.isEmpty())
        return plain(QStringLiteral("Invalid Tab Name"));
    QStringList tables;
    QStringList tabs;
    try {
        CLsDataBaseConnection connection;
        tables = SchemaCatalog(connection.database()).tables();
        tabs = TabDefinitionStore(connection.database()).tabNames();
        connection.DbClose();
    } catch (const StoreError& error) {
        return failure(QStringLiteral("The tab could not be checked against the database."), error);
    }
    for (const DesignerTabPage& page : m_pages)
        tabs.append(page.name);
    if (const auto problem = DesignerNameRules::tabNameProblem(name, tables, tabs))
        return refusal(*problem);

    DesignerTabPage page{name, description, {}};
    if (clientRow >= 0)
        page.client = clientId(clientRow);
    m_pages.push_back(page);
    if (m_shownPage < 0)
        m_shownPage = static_cast<int>(m_pages.size()) - 1;
    return std::nullopt;
}

DesignSession::Outcome DesignSession::addField(const QString& name, const QString& description)
{
    if (name.isEmpty())
        return plain(QStringLiteral("Invalid Field Name"));
    if (m_pages.empty() || m_shownPage < 0)
        return plain(QStringLiteral("Invalid Form Name"));
    const QString tab = shownPageName();
    if (const auto problem =
            DesignerNameRules::fieldNameProblem(name, tab, TabDesignWriter::fieldNamesOf(m_fields, tab)))
        return refusal(*problem);

    const DesignerCanvasModel::Field& added = m_canvas.field(m_canvas.addField(name, description));
    DesignerFieldEntry entry;
    entry.tabName = tab;
    entry.tabDescription = m_pages.at(static_cast<size_t>(m_shownPage)).description;
    entry.fieldName = name;
    entry.fieldDescription = added.description;
    entry.displayOrder = added.orderText.toShort();
    entry.labelLeft = DesignerCanvasModel::text(added.label.left());
    entry.labelTop = DesignerCanvasModel::text(added.label.top());
    entry.fieldLeft = DesignerCanvasModel::text(added.box.left());
    entry.fieldTop = DesignerCanvasModel::text(added.box.top());
    entry.fieldWidth = DesignerCanvasModel::text(DesignerCanvasModel::BoxTemplate.width());
    m_fields.push_back(entry);
    return std::nullopt;
}

bool DesignSession::showPage(int index)
{
    if (m_shownPage >= 0)
        storeShownPage();
    m_shownPage = index;
    // In create mode the one new page keeps the canvas it has.
    if (!m_editMode)
        return false;
    showShownPage();
    return true;
}

DesignSession::Outcome DesignSession::align(DesignerCanvasModel::Alignment alignment)
{
    if (m_canvas.align(alignment))
        return std::nullopt;
    return plain(QStringLiteral("Please select two or more objects"));
}

DesignSession::Outcome DesignSession::save()
{
    // The page on screen is saved as the canvas shows it.
    storeShownPage();
    try {
        CLsDataBaseConnection connection;
        const QList<qint64> written =
            TabDesignWriter(connection.database()).write(m_pages, m_fields, m_editMode, m_writtenTabs);
        connection.DbClose();
        if (!m_editMode)
            m_writtenTabs = written;
    } catch (const TabDesignWriter::TableError& error) {
        return failure(
            QStringLiteral("The table \"%1\" could not receive its new fields; nothing was saved.").arg(error.table()),
            error);
    } catch (const StoreError& error) {
        return failure(QStringLiteral("The tab definitions could not be saved; the previous ones are kept."), error);
    }
    return std::nullopt;
}

DesignSession::Outcome DesignSession::generate()
{
    if (Outcome failed = save())
        return failed;
    return plain(QStringLiteral("Operation Complete"));
}

DesignSession::Outcome DesignSession::createTables()
{
    try {
        CLsDataBaseConnection connection;
        TabDesignWriter(connection.database()).writeTables(m_pages, m_fields);
        connection.DbClose();
    } catch (const TabDesignWriter::TableError& error) {
        return failure(QStringLiteral("The table \"%1\" could not receive its new fields.").arg(error.table()), error);
    } catch (const StoreError& error) {
        return failure(QStringLiteral("The tab tables could not be written."), error);
    }
    return std::nullopt;
}

void DesignSession::createTable(const QString& name) const
{
    try {
        CLsDataBaseConnection connection;
        {
            Transaction transaction(connection.database());
            TabTableGenerator(connection.database()).create(name, TabDesignWriter::fieldNamesOf(m_fields, name));
            transaction.commit();
        }
        connection.DbClose();
    } catch (const StoreError&) {
        // A table that cannot be made is simply missing.
    }
}

QString DesignSession::shownPageName() const
{
    if (m_shownPage < 0 || m_shownPage >= static_cast<int>(m_pages.size()))
        return {};
    return m_pages.at(static_cast<size_t>(m_shownPage)).name;
}

void DesignSession::storeShownPage()
{
    const QString page = shownPageName();
    if (!page.isNull())
        m_canvas.storeInto(m_fields, page);
}

void DesignSession::showShownPage()
{
    m_canvas.clear();
    const QString page = shownPageName();
    for (const DesignerFieldEntry& entry : m_fields) {
        if (entry.tabName == page)
            m_canvas.addPlacedField(entry);
    }
}
