#include "clients/ui/FrmCategoryEventEditor.h"

#include "platform/MessageBox.h"
#include "store/StoreError.h"
#include "widgets/Twips.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {

const QString Title = QStringLiteral("Orvanta");
const char* const Tag = "Tag";
const QString Editing = QStringLiteral("edit");

constexpr double PaneWidth = 4335;
constexpr double PaneHeight = 4455;

template <typename Control>
Control* place(Control* control, const QString& name, const QRect& geometry)
{
    control->setObjectName(name);
    control->setGeometry(geometry);
    return control;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& caption, double left)
{
    return place(new QPushButton(caption, parent), name, Twips::rect(left, 3900, 1335, 375));
}

} // namespace

FrmCategoryEventEditor::FrmCategoryEventEditor(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FrmCategoryEventEditor"));
    setWindowTitle(QStringLiteral("Category Event Editor"));
    setFixedSize(Twips::size(120 + PaneWidth + 120 + PaneWidth + 120, 120 + PaneHeight + 120));

    createPane(m_events, QStringLiteral("Event Type Information"), QStringLiteral("Event"), QStringLiteral("ListView1"),
               120);
    createPane(m_categories, QStringLiteral("Category Information"), QStringLiteral("Category"),
               QStringLiteral("ListView2"), 120 + PaneWidth + 120);
    setTabOrder(m_events.remove, m_categories.list);
}

void FrmCategoryEventEditor::createPane(Pane& pane, const QString& caption, const QString& kind,
                                        const QString& listName, double left)
{
    auto* frame = place(new QGroupBox(caption, this), QStringLiteral("fra") + kind,
                        Twips::rect(left, 120, PaneWidth, PaneHeight));
    pane.list = place(new QTreeWidget(frame), listName, Twips::rect(120, 300, 4095, 3000));
    pane.list->setColumnCount(1);
    pane.list->setHeaderLabels({QStringLiteral("Description")});
    pane.list->setRootIsDecorated(false);
    pane.list->setAccessibleName(caption);
    pane.list->installEventFilter(this);
    pane.name = place(new QLineEdit(frame), QStringLiteral("txt") + kind, Twips::rect(1080, 3420, 3135, 315));
    auto* label = place(new QLabel(kind, frame), QStringLiteral("lbl") + kind, Twips::rect(120, 3450, 900, 285));
    label->setBuddy(pane.name);
    pane.name->setAccessibleName(kind);
    pane.save = button(frame, QStringLiteral("cmdSave") + kind, QStringLiteral("Save"), 120);
    pane.cancel = button(frame, QStringLiteral("cmdCancel") + kind, QStringLiteral("Cancel"), 1500);
    pane.remove = button(frame, QStringLiteral("cmdDelete") + kind, QStringLiteral("Delete"), 2880);
    pane.cancel->setEnabled(false);
    setTabOrder(pane.list, pane.name);
    setTabOrder(pane.name, pane.save);
    setTabOrder(pane.save, pane.cancel);
    setTabOrder(pane.cancel, pane.remove);

    connect(pane.list, &QTreeWidget::itemDoubleClicked, this,
            [this, &pane](const QTreeWidgetItem* item) { beginEdit(pane, item); });
    connect(pane.save, &QPushButton::clicked, this, [this, &pane] { save(pane); });
    connect(pane.cancel, &QPushButton::clicked, this, [this, &pane] { resetPane(pane); });
    connect(pane.remove, &QPushButton::clicked, this, [this, &pane] { remove(pane); });
}

void FrmCategoryEventEditor::setVisible(bool visible)
{
    if (visible && !m_loaded)
        load();
    QWidget::setVisible(visible);
}

void FrmCategoryEventEditor::load()
{
    m_loaded = true;
    LoadLists();
}

void FrmCategoryEventEditor::LoadLists()
{
    for (Pane* pane : {&m_events, &m_categories}) {
        pane->list->clear();
        try {
            for (const EventListTable::Row& row : pane->table.activeRows()) {
                auto* item = new QTreeWidgetItem(pane->list, QStringList{row.name});
                item->setData(0, Qt::UserRole, row.key);
            }
        } catch (const StoreError& error) {
            reportError(error.message());
            return;
        }
    }
}

// Enter on a list row does what a double click does.
bool FrmCategoryEventEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        Pane* pane = paneOf(watched);
        if (pane && (key == Qt::Key_Return || key == Qt::Key_Enter) && pane->list->currentItem()) {
            beginEdit(*pane, pane->list->currentItem());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

FrmCategoryEventEditor::Pane* FrmCategoryEventEditor::paneOf(const QObject* list)
{
    if (list == m_events.list)
        return &m_events;
    if (list == m_categories.list)
        return &m_categories;
    return nullptr;
}

void FrmCategoryEventEditor::beginEdit(Pane& pane, const QTreeWidgetItem* item)
{
    if (!item)
        return;
    pane.name->setText(item->text(0));
    pane.name->setProperty(Tag, item->data(0, Qt::UserRole));
    pane.save->setProperty(Tag, Editing);
    pane.cancel->setEnabled(true);
}

void FrmCategoryEventEditor::resetPane(Pane& pane)
{
    pane.save->setProperty(Tag, QString());
    pane.name->clear();
    pane.name->setProperty(Tag, QString());
    pane.cancel->setEnabled(false);
}

void FrmCategoryEventEditor::save(Pane& pane)
{
    try {
        if (pane.save->property(Tag).toString() == Editing)
            pane.table.rename(pane.name->property(Tag).toLongLong(), pane.name->text());
        else
            pane.table.add(pane.name->text());
    } catch (const StoreError& error) {
        reportError(error.message());
        return;
    }
    resetPane(pane);
    LoadLists();
}

void FrmCategoryEventEditor::remove(Pane& pane)
{
    const QList<QTreeWidgetItem*> selected = pane.list->selectedItems();
    if (selected.isEmpty())
        return;
    const QTreeWidgetItem* item = selected.first();
    if (MessageBox::ask(this, Title, QStringLiteral("You are about to delete ") + item->text(0), MessageBox::YesNo,
                        MessageBox::NoIcon) != MessageBox::Yes)
        return;
    try {
        pane.table.remove(item->data(0, Qt::UserRole).toLongLong());
    } catch (const StoreError& error) {
        reportError(error.message());
        return;
    }
    resetPane(pane);
    LoadLists();
}

void FrmCategoryEventEditor::reportError(const QString& message)
{
    MessageBox::inform(this, Title, message, MessageBox::Critical);
}
