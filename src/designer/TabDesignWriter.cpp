#include "designer/TabDesignWriter.h"

#include "designer/TabDefinitionStore.h"
#include "designer/TabTableGenerator.h"
#include "store/Database.h"
#include "store/Transaction.h"

TabDesignWriter::TableError::TableError(const QString& table, const StoreError& cause)
    : StoreError(cause.message(), cause.kind()), m_table(table)
{
}

TabDesignWriter::TabDesignWriter(const Database& db) : m_db(db) {}

QStringList TabDesignWriter::fieldNamesOf(const std::vector<DesignerFieldEntry>& fields, const QString& tabName)
{
    QStringList names;
    for (const DesignerFieldEntry& entry : fields) {
        if (entry.tabName == tabName)
            names.append(entry.fieldName);
    }
    return names;
}

QList<qint64> TabDesignWriter::write(const std::vector<DesignerTabPage>& pages,
                                     const std::vector<DesignerFieldEntry>& fields, bool editMode,
                                     const QList<qint64>& replacing) const
{
    TabDefinitionStore::checkPages(pages); // before anything is written
    Transaction transaction(m_db);
    tables(pages, fields);
    const QList<qint64> written = TabDefinitionStore(m_db).write(pages, fields, editMode, replacing);
    transaction.commit();
    return written;
}

void TabDesignWriter::writeTables(const std::vector<DesignerTabPage>& pages,
                                  const std::vector<DesignerFieldEntry>& fields) const
{
    Transaction transaction(m_db);
    tables(pages, fields);
    transaction.commit();
}

void TabDesignWriter::tables(const std::vector<DesignerTabPage>& pages,
                             const std::vector<DesignerFieldEntry>& fields) const
{
    const TabTableGenerator generator(m_db);
    for (const DesignerTabPage& page : pages) {
        const QStringList names = fieldNamesOf(fields, page.name);
        if (const auto table = generator.existingTable(page.name)) {
            try {
                generator.extend(*table, names);
            } catch (const StoreError& error) {
                throw TableError(page.name, error);
            }
        } else {
            // A refused name only leaves the table missing.
            try {
                generator.create(page.name, names);
            } catch (const StoreError& error) {
                throw TableError(page.name, error);
            }
        }
    }
}
