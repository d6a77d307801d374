#include "clients/ui/frmImportClients.h"

#include "platform/MessageBox.h"
#include "store/StoreError.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QSet>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString Title = QStringLiteral("Import Clients");
// Skipped rows listed one by one; the count says how many there are in all.
constexpr int ListedSkips = 500;

std::function<void(QProgressDialog*)>& progressHook()
{
    static std::function<void(QProgressDialog*)> hook;
    return hook;
}

QLabel* captionFor(QWidget* buddy, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    buddy->setAccessibleName(QString(text).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    return label;
}

QString clientsText(int count)
{
    return count == 1 ? QStringLiteral("1 client") : QStringLiteral("%1 clients").arg(count);
}

} // namespace

frmImportClients::frmImportClients(ClientImport import, const QString& fileName, QWidget* parent)
    : QDialog(parent), m_import(std::move(import)), m_fileName(fileName)
{
    setObjectName(QStringLiteral("frmImportClients"));
    setWindowTitle(Title);
    setSizeGripEnabled(true);

    m_lblFile = new QLabel(this);
    m_lblFile->setObjectName(QStringLiteral("lblFile"));
    m_lblFile->setWordWrap(true);
    m_lblFile->setText(
        QStringLiteral("%1: %2 in the file.")
            .arg(QFileInfo(fileName).fileName(), m_import.table().rows.size() == 1
                                                     ? QStringLiteral("1 row")
                                                     : QStringLiteral("%1 rows").arg(m_import.table().rows.size())));

    m_mapping = new QTableWidget(this);
    m_mapping->setObjectName(QStringLiteral("grdMapping"));
    m_preview = new QTableWidget(this);
    m_preview->setObjectName(QStringLiteral("grdPreview"));
    m_preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_skipped = new QListWidget(this);
    m_skipped->setObjectName(QStringLiteral("lstSkipped"));
    m_lblSummary = new QLabel(this);
    m_lblSummary->setObjectName(QStringLiteral("lblSummary"));

    auto* buttons = new QDialogButtonBox(this);
    m_cmdImport = buttons->addButton(QStringLiteral("&Import"), QDialogButtonBox::AcceptRole);
    m_cmdImport->setObjectName(QStringLiteral("cmdImport"));
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(m_cmdImport, &QPushButton::clicked, this, &frmImportClients::runImport);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lblFile);
    layout->addWidget(
        captionFor(m_mapping, QStringLiteral("&Columns of the file and the client fields they fill:"), this));
    layout->addWidget(m_mapping, 3);
    layout->addWidget(
        captionFor(m_preview, QStringLiteral("&Preview of the first rows as they will be stored:"), this));
    layout->addWidget(m_preview, 3);
    m_lblSkipped = captionFor(m_skipped, QStringLiteral("&Rows that will be skipped:"), this);
    m_lblSkipped->setObjectName(QStringLiteral("lblSkipped"));
    layout->addWidget(m_lblSkipped);
    layout->addWidget(m_skipped, 1);
    layout->addWidget(m_lblSummary);
    layout->addWidget(buttons);

    fillMapping(m_import.table().header, m_import.mapping());
    refreshPreview();
    resize(760, 640);
}

void frmImportClients::setProgressHook(std::function<void(QProgressDialog*)> hook)
{
    progressHook() = std::move(hook);
}

void frmImportClients::fillMapping(const QStringList& header, const std::vector<int>& mapping)
{
    const ImportTable& table = m_import.table();
    m_mapping->setColumnCount(3);
    m_mapping->setHorizontalHeaderLabels(
        {QStringLiteral("Column in the file"), QStringLiteral("First row"), QStringLiteral("Client field")});
    m_mapping->setRowCount(static_cast<int>(header.size()));
    m_mapping->verticalHeader()->hide();
    m_mapping->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int column = 0; column < header.size(); ++column) {
        auto* name = new QTableWidgetItem(header.at(column));
        name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        m_mapping->setItem(column, 0, name);
        const QString first = table.rows.empty() ? QString() : table.rows.front().cells.value(column);
        auto* example = new QTableWidgetItem(first.simplified());
        example->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        m_mapping->setItem(column, 1, example);
        const int chosen = column < static_cast<int>(mapping.size()) ? mapping.at(static_cast<size_t>(column)) : -1;
        QComboBox* chooser = fieldChooser(column, chosen);
        m_mapping->setCellWidget(column, 2, chooser);
        m_choosers.append(chooser);
    }
    m_mapping->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
}

QComboBox* frmImportClients::fieldChooser(int column, int chosen)
{
    auto* chooser = new QComboBox(m_mapping);
    chooser->setObjectName(QStringLiteral("cboField%1").arg(column));
    chooser->setAccessibleName(
        QStringLiteral("Client field for the column %1").arg(m_import.table().header.value(column)));
    chooser->addItem(QStringLiteral("(not imported)"), -1);
    const std::vector<ClientField>& fields = m_import.fields();
    for (int field = 0; field < static_cast<int>(fields.size()); ++field)
        chooser->addItem(fields.at(static_cast<size_t>(field)).label(), field);
    chooser->setCurrentIndex(std::max(0, chooser->findData(chosen)));
    connect(chooser, &QComboBox::currentIndexChanged, this, &frmImportClients::fieldChosen);
    return chooser;
}

// A field is filled by one column at most: choosing it for a column takes it from the column
// that had it.
void frmImportClients::fieldChosen()
{
    auto* changed = qobject_cast<QComboBox*>(sender());
    const int field = changed ? changed->currentData().toInt() : -1;
    std::vector<int> mapping;
    for (QComboBox* chooser : std::as_const(m_choosers)) {
        if (chooser != changed && field >= 0 && chooser->currentData().toInt() == field) {
            const QSignalBlocker quiet(chooser);
            chooser->setCurrentIndex(0);
        }
        mapping.push_back(chooser->currentData().toInt());
    }
    m_import.setMapping(std::move(mapping));
    refreshPreview();
}

void frmImportClients::refreshPreview()
{
    const std::vector<ClientField>& fields = m_import.fields();
    std::vector<int> shown; // the fields some column fills, in the order of the fields
    for (QComboBox* chooser : std::as_const(m_choosers)) {
        const int field = chooser->currentData().toInt();
        if (field >= 0)
            shown.push_back(field);
    }
    std::sort(shown.begin(), shown.end());

    const std::vector<ClientImport::Skip> skips = m_import.skipped();
    QSet<qint64> skippedLines;
    for (const ClientImport::Skip& skip : skips)
        skippedLines.insert(skip.line);

    QStringList headers{QStringLiteral("Line")};
    for (int field : shown)
        headers.append(fields.at(static_cast<size_t>(field)).label());
    m_preview->clear();
    m_preview->setColumnCount(static_cast<int>(headers.size()));
    m_preview->setHorizontalHeaderLabels(headers);
    m_preview->verticalHeader()->hide();
    const ImportTable& table = m_import.table();
    int previewRow = 0;
    m_preview->setRowCount(0);
    for (int row = 0; row < static_cast<int>(table.rows.size()) && previewRow < PreviewRows; ++row) {
        const qint64 line = table.rows.at(static_cast<size_t>(row)).line;
        if (skippedLines.contains(line))
            continue;
        m_preview->insertRow(previewRow);
        m_preview->setItem(previewRow, 0, new QTableWidgetItem(QString::number(line)));
        const QStringList values = m_import.valuesOf(row);
        for (int i = 0; i < static_cast<int>(shown.size()); ++i)
            m_preview->setItem(previewRow, i + 1, new QTableWidgetItem(values.value(shown.at(static_cast<size_t>(i)))));
        ++previewRow;
    }
    m_preview->resizeColumnsToContents();

    m_skipped->clear();
    for (size_t i = 0; i < skips.size() && i < static_cast<size_t>(ListedSkips); ++i)
        m_skipped->addItem(QStringLiteral("Line %1: %2").arg(skips.at(i).line).arg(skips.at(i).reason));
    if (skips.size() > static_cast<size_t>(ListedSkips))
        m_skipped->addItem(QStringLiteral("and %1 more").arg(skips.size() - static_cast<size_t>(ListedSkips)));
    m_lblSkipped->setText(QStringLiteral("&Rows that will be skipped: %1").arg(skips.size()));

    const int count = m_import.importableCount();
    m_lblSummary->setText(count > 0 ? QStringLiteral("%1 will be imported.").arg(clientsText(count))
                                    : QStringLiteral("No row of the file can be imported with these columns."));
    m_cmdImport->setEnabled(count > 0);
}

void frmImportClients::runImport()
{
    const int total = m_import.importableCount();
    QProgressDialog progress(QStringLiteral("Importing %1...").arg(clientsText(total)), QStringLiteral("Cancel"), 0,
                             total, this);
    progress.setObjectName(QStringLiteral("dlgImportProgress"));
    progress.setWindowTitle(Title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(0);
    progress.setValue(0);
    try {
        m_imported = m_import.run([&progress](qint64 done, qint64) {
            // A modal progress dialog handles the events (Cancel among them) as it is told.
            progress.setValue(static_cast<int>(done));
            if (progressHook())
                progressHook()(&progress);
            return !progress.wasCanceled();
        });
    } catch (const StoreError& error) {
        progress.close();
        if (error.isCancelled()) {
            MessageBox::inform(this, Title, QStringLiteral("The import was cancelled. No client was stored."),
                               MessageBox::Information);
            return;
        }
        MessageBox::inform(
            this, Title,
            QStringLiteral("The clients could not be imported: %1\nNo client was stored.").arg(error.message()),
            MessageBox::Critical);
        return;
    }
    progress.close();
    accept();
}
