#pragma once

// The client explorer driven as a person does, for its tests: clients and groups added
// directly, the tree, the list and their captions read back.

#include "TestSupport.h"

#include "clients/ui/FrmDataBaseExplorer.h"
#include "store/Database.h"
#include "store/StartupSettings.h"
#include "store/StoreError.h"
#include "store/Transaction.h"
#include "widgets/ProportionalLayout.h"
#include "widgets/Twips.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

namespace ExplorerTest {

inline void addClient(const QString& first, const QString& middle, const QString& last, const QString& company,
                      int active = 1, qint64 id = 0)
{
    // A key is written only when one is wanted: PostgreSQL gives no key for an explicit null.
    CLsDataBaseConnection connection;
    QVariantList values{first, middle, last, company, active};
    if (id > 0)
        values.append(id);
    connection.Execute(QStringLiteral("INSERT INTO \"Personal Information\" (\"First Name\", \"Middle Name\", "
                                      "\"Last Name\", Company, Active%1) VALUES (?, ?, ?, ?, ?%2)")
                           .arg(id > 0 ? QStringLiteral(", PersonalInformationId") : QString(),
                                id > 0 ? QStringLiteral(", ?") : QString()),
                       values);
}

inline void addGroup(const QString& name)
{
    CLsDataBaseConnection connection;
    connection.Execute(QStringLiteral("INSERT INTO NodeInformation (NodeName, NodeActive) VALUES (?, 1)"), {name});
}

inline QTreeWidget* tree(FrmDataBaseExplorer& explorer)
{
    return explorer.findChild<QTreeWidget*>(QStringLiteral("TreClassView"));
}

inline QTreeView* list(FrmDataBaseExplorer& explorer)
{
    return explorer.findChild<QTreeView*>(QStringLiteral("LstStudenInformation"));
}

inline QString caption(FrmDataBaseExplorer& explorer, const char* label)
{
    return explorer.findChild<QLabel*>(QString::fromLatin1(label))->text();
}

// What a screen reader reads as the label's name.
inline QString spoken(FrmDataBaseExplorer& explorer, const char* label)
{
    QAccessibleInterface* face =
        QAccessible::queryAccessibleInterface(explorer.findChild<QLabel*>(QString::fromLatin1(label)));
    return face ? face->text(QAccessible::Name) : QString();
}

inline QTreeWidgetItem* node(FrmDataBaseExplorer& explorer, const QString& group)
{
    QTreeWidget* view = tree(explorer);
    for (int i = 0; i < view->topLevelItemCount(); ++i) {
        if (view->topLevelItem(i)->data(0, FrmDataBaseExplorer::KeyRole).toString() ==
            QStringLiteral("ClientManager") + group)
            return view->topLevelItem(i);
    }
    return nullptr;
}

inline void click(FrmDataBaseExplorer& explorer, QTreeWidgetItem* item)
{
    QVERIFY(item);
    QTreeWidget* view = tree(explorer);
    view->scrollToItem(item);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualItemRect(item).center());
}

inline void clickGroup(FrmDataBaseExplorer& explorer, const QString& group)
{
    click(explorer, node(explorer, group));
}

inline void clickHeader(FrmDataBaseExplorer& explorer, int section)
{
    QHeaderView* header = list(explorer)->header();
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

// A real double click: press and release, then the double-click press and its release.
inline void doubleClick(QTreeView* view, QPoint at)
{
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
}

inline QStringList column(FrmDataBaseExplorer& explorer, int section)
{
    QStringList values;
    QAbstractItemModel* model = list(explorer)->model();
    for (int row = 0; row < model->rowCount(); ++row)
        values.append(model->index(row, section).data().toString());
    return values;
}

inline void trigger(FrmDataBaseExplorer& explorer, const char* name)
{
    auto* action = explorer.findChild<QAction*>(QString::fromLatin1(name));
    QVERIFY2(action, name);
    QVERIFY2(action->isEnabled(), name);
    action->trigger();
}

inline QString sortedCaption(const char* header, const char* order)
{
    return QStringLiteral("Client Information : Currently the list is sorted by the field %1 in %2 order")
        .arg(QLatin1String(header), QLatin1String(order));
}

// Clients of a long group, added at once: last names prefix + "0000", "0001", ... in the order
// added, first names running the other way, identifiers from `firstId`.
inline void addNumberedClients(const QString& prefix, int count, qint64 firstId)
{
    CLsDataBaseConnection connection;
    Transaction transaction(connection.database());
    for (int i = 0; i < count; ++i)
        connection.Execute(
            QStringLiteral("INSERT INTO \"Personal Information\" (PersonalInformationId, \"First Name\", "
                           "\"Last Name\", Company) VALUES (?, ?, ?, ?)"),
            {firstId + i, QStringLiteral("F%1").arg(count - 1 - i, 4, 10, QLatin1Char('0')),
             prefix + QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("Co")});
    transaction.commit();
}

inline QStringList numbered(const QString& prefix, int count, bool descending = false)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(prefix + QStringLiteral("%1").arg(descending ? count - 1 - i : i, 4, 10, QLatin1Char('0')));
    return names;
}

// Rows of the long group and the rows read per slice: many slices.
inline constexpr int LongGroup = 600;
inline constexpr int SliceRows = 50;

// Notes how many rows the list held when `watched` received an event of `type`.
class RowsWhenSeen : public QObject
{
public:
    RowsWhenSeen(QObject* watched, QEvent::Type type, const QAbstractItemModel* model) : m_type(type), m_model(model)
    {
        watched->installEventFilter(this);
    }

    int rows = -1;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == m_type && rows < 0)
            rows = m_model->rowCount();
        return false;
    }

private:
    QEvent::Type m_type;
    const QAbstractItemModel* m_model;
};

} // namespace ExplorerTest
