#include "clients/frmFindInfo.h"

#include "documents/ClsBinaryFunctions.h"
#include "platform/FileOpener.h"
#include "platform/MessageBox.h"
#include "shell/ChildWindow.h"
#include "shell/Twips.h"
#include "store/CLsDataBaseConnection.h"
#include "store/StoreError.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QRadioButton* option(QWidget* parent, QLayout* layout, const QString& name, const QString& caption)
{
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(name);
    layout->addWidget(button);
    return button;
}

QGroupBox* frame(QWidget* parent, QLayout* layout, const QString& caption)
{
    auto* box = new QGroupBox(caption, parent);
    layout->addWidget(box);
    return box;
}

} // namespace

frmFindInfo::frmFindInfo(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmFindInfo"));
    setWindowTitle(QStringLiteral("Find"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* outer = new QVBoxLayout(this);
    auto* parameters = new QGroupBox(QStringLiteral("Search Parameters"), this);
    outer->addWidget(parameters);
    auto* inner = new QVBoxLayout(parameters);

    auto* stringFrame = frame(parameters, inner, QStringLiteral("Search String"));
    auto* stringLayout = new QHBoxLayout(stringFrame);
    auto* label = new QLabel(QStringLiteral("Search &String"), stringFrame);
    label->setObjectName(QStringLiteral("lblSearchString"));
    m_searchString = new QLineEdit(stringFrame);
    m_searchString->setObjectName(QStringLiteral("txtSearchString"));
    m_searchString->setAccessibleName(QStringLiteral("Search String"));
    label->setBuddy(m_searchString);
    stringLayout->addWidget(label);
    stringLayout->addWidget(m_searchString);

    auto* contentFrame = frame(parameters, inner, QStringLiteral("Search Content"));
    auto* contentLayout = new QHBoxLayout(contentFrame);
    m_summary = option(contentFrame, contentLayout, QStringLiteral("optSearchSummary_0"), QStringLiteral("Summary"));
    m_content = option(contentFrame, contentLayout, QStringLiteral("optSearchSummary_1"), QStringLiteral("Content"));

    auto* matchFrame = frame(parameters, inner, QStringLiteral("Search Match Type"));
    auto* matchLayout = new QHBoxLayout(matchFrame);
    m_exactPhrase =
        option(matchFrame, matchLayout, QStringLiteral("optSearchExactPhrase_0"), QStringLiteral("Exact Phrase"));
    m_contains = option(matchFrame, matchLayout, QStringLiteral("optSearchExactPhrase_1"), QStringLiteral("Contains"));

    auto* clientFrame = frame(parameters, inner, QStringLiteral("Search Client"));
    auto* clientLayout = new QVBoxLayout(clientFrame);
    m_allClients =
        option(clientFrame, clientLayout, QStringLiteral("optSearchClient_0"), QStringLiteral("Search All Clients"));
    m_currentClient =
        option(clientFrame, clientLayout, QStringLiteral("optSearchClient_1"), QStringLiteral("Search Current Client"));
    m_specifyClient =
        option(clientFrame, clientLayout, QStringLiteral("optSearchClient_2"), QStringLiteral("Specify Client"));
    m_clientList = new QComboBox(clientFrame);
    m_clientList->setObjectName(QStringLiteral("lstSearchClient"));
    m_clientList->setAccessibleName(QStringLiteral("Client"));
    clientLayout->addWidget(m_clientList);

    auto* typeFrame = frame(parameters, inner, QStringLiteral("Search File Type"));
    auto* typeLayout = new QVBoxLayout(typeFrame);
    m_fileType = new QComboBox(typeFrame);
    m_fileType->setObjectName(QStringLiteral("lstSearchFileType"));
    m_fileType->setAccessibleName(QStringLiteral("File Type"));
    typeLayout->addWidget(m_fileType);

    auto* categoryFrame = frame(parameters, inner, QStringLiteral("Search Category"));
    auto* categoryLayout = new QVBoxLayout(categoryFrame);
    m_category = new QListWidget(categoryFrame);
    m_category->setObjectName(QStringLiteral("lstSearchCategory"));
    m_category->setAccessibleName(QStringLiteral("Category"));
    m_category->setMaximumHeight(Twips::toPixelsY(600));
    categoryLayout->addWidget(m_category);

    auto* versionFrame = frame(parameters, inner, QStringLiteral("Search Version"));
    auto* versionLayout = new QHBoxLayout(versionFrame);
    m_allVersions =
        option(versionFrame, versionLayout, QStringLiteral("optSearchVersion_0"), QStringLiteral("All Versions"));
    m_specifyVersion =
        option(versionFrame, versionLayout, QStringLiteral("optSearchVersion_1"), QStringLiteral("Specify Version"));
    m_versionText = new QLineEdit(versionFrame);
    m_versionText->setObjectName(QStringLiteral("txtSpecifyVersion"));
    m_versionText->setAccessibleName(QStringLiteral("Version"));
    versionLayout->addWidget(m_versionText);

    // Each frame is its own group of options.
    for (QGroupBox* box : {contentFrame, matchFrame, clientFrame, versionFrame}) {
        auto* group = new QButtonGroup(box);
        for (QRadioButton* button : box->findChildren<QRadioButton*>())
            group->addButton(button);
    }

    m_results = new QTreeWidget(this);
    m_results->setObjectName(QStringLiteral("lstViewResults"));
    m_results->setAccessibleName(QStringLiteral("Results"));
    m_results->setRootIsDecorated(false);
    m_results->setHeaderLabels(
        {QStringLiteral("File Id"), QStringLiteral("File Name"), QStringLiteral("File Version")});
    outer->addWidget(m_results, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* findButton = new QPushButton(QStringLiteral("Find"), this);
    findButton->setObjectName(QStringLiteral("cmdSearch"));
    findButton->setDefault(true);
    auto* cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cmdCancel"));
    cancelButton->setShortcut(Qt::Key_Escape);
    buttons->addWidget(findButton);
    buttons->addWidget(cancelButton);
    outer->addLayout(buttons);

    m_summary->setChecked(true);
    m_contains->setChecked(true);
    m_currentClient->setChecked(true);
    m_allVersions->setChecked(true);
    updateOptionStates();

    for (QRadioButton* button : findChildren<QRadioButton*>())
        connect(button, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                updateOptionStates();
        });
    connect(findButton, &QPushButton::clicked, this, &frmFindInfo::find);
    connect(cancelButton, &QPushButton::clicked, this, [this] { ChildWindow::close(this); });
    connect(m_results, &QTreeWidget::itemDoubleClicked, this, &frmFindInfo::openResult);

    setFixedSize(Twips::size(5535, 9360));
}

void frmFindInfo::showEvent(QShowEvent* event)
{
    load();
    QWidget::showEvent(event);
}

void frmFindInfo::load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    if (PersonalInformationId.isEmpty()) {
        m_currentClient->setEnabled(false);
        m_allClients->setChecked(true);
    }
    try {
        CLsDataBaseConnection connection;
        Recordset clients = connection.CreateRecordset(QStringLiteral(
            "SELECT [Personal Information].[First Name] AS [first], [Personal Information].[Middle Name] AS Middle, "
            "[Personal Information].[Last Name] AS [last], [Personal Information].PersonalInformationId AS id FROM "
            "[Personal Information];"));
        for (; !clients.eof(); clients.moveNext()) {
            m_clientList->addItem(clients.text(QStringLiteral("first")) + QStringLiteral("  ") +
                                  clients.text(QStringLiteral("Middle")) + QStringLiteral("  ") +
                                  clients.text(QStringLiteral("last")));
            m_clientIds.append(clients.text(QStringLiteral("id")));
        }
        clients.close();
        connection.DbClose();
        m_clientList->setCurrentIndex(-1);

        m_fileType->addItem(QStringLiteral("All"));
        Recordset types = connection.CreateRecordset(
            QStringLiteral("SELECT distinct Attachments.AttachmentExtension FROM Attachments;"));
        for (; !types.eof(); types.moveNext()) {
            const QVariant type = types.field(QStringLiteral("AttachmentExtension"));
            if (!type.isNull())
                m_fileType->addItem(type.toString());
        }
        m_fileType->setCurrentIndex(0);
    } catch (const StoreError& error) {
        MessageBox::inform(this, QStringLiteral("Orvanta"), error.message(), MessageBox::Critical);
    }
}

void frmFindInfo::updateOptionStates()
{
    m_exactPhrase->setEnabled(!m_content->isChecked());
    if (m_content->isChecked())
        m_contains->setChecked(true);
    m_clientList->setEnabled(m_specifyClient->isChecked());
    m_versionText->setEnabled(m_specifyVersion->isChecked());
}

bool frmFindInfo::collectOptions(SearchStatement::Options& options)
{
    options.text = m_searchString->text();
    options.content = m_content->isChecked();
    options.exactPhrase = m_exactPhrase->isChecked();
    if (m_currentClient->isChecked()) {
        options.scope = SearchStatement::ClientScope::Current;
        options.clientId = PersonalInformationId.toLongLong();
    } else if (m_specifyClient->isChecked()) {
        const int index = m_clientList->currentIndex();
        if (index < 0 || index >= m_clientIds.size()) {
            MessageBox::inform(this, QStringLiteral("Error"), QStringLiteral("Please select a client"),
                               MessageBox::Critical);
            return false;
        }
        options.scope = SearchStatement::ClientScope::Specified;
        options.clientId = m_clientIds.at(index).toLongLong();
    }
    if (m_fileType->currentText() != QLatin1String("All"))
        options.fileType = m_fileType->currentText();
    if (m_specifyVersion->isChecked()) {
        options.specifyVersion = true;
        if (!SearchStatement::parseVersion(m_versionText->text(), options.version)) {
            MessageBox::inform(this, QStringLiteral("Orvanta"),
                               QStringLiteral("The version must be a whole number, such as 1 or 2."),
                               MessageBox::Warning);
            m_versionText->setFocus();
            return false;
        }
    }
    return true;
}

void frmFindInfo::find()
{
    SearchStatement::Options options;
    if (m_content->isChecked() &&
        MessageBox::ask(this, QStringLiteral("Quen Content Search Warning"),
                        QStringLiteral("Warning this operation could take some time to complete.\r\n"
                                       "Do you want to continue"),
                        MessageBox::YesNo, MessageBox::NoIcon) != MessageBox::Yes)
        return;
    if (!collectOptions(options))
        return;
    const SearchStatement statement = SearchStatement::build(options);

    QList<QStringList> rows;
    try {
        if (options.content) {
            QProgressDialog progress(QStringLiteral("Searching the documents..."), QStringLiteral("Cancel"), 0, 0,
                                     this);
            progress.setWindowTitle(QStringLiteral("Find"));
            progress.setWindowModality(Qt::WindowModal);
            progress.setMinimumDuration(300);
            ClsBinaryFunctions binary;
            const auto hits =
                binary.cmdOpendb(options.text, statement.sql, statement.params, [&progress](int done, int total) {
                    progress.setMaximum(total);
                    progress.setValue(done);
                    QApplication::processEvents();
                    return !progress.wasCanceled();
                });
            for (const auto& hit : hits)
                rows.append({QString::number(hit.DocumentId), hit.DocumentName, QString::number(hit.Version)});
        } else {
            CLsDataBaseConnection connection;
            Recordset rs = connection.CreateRecordset(statement.sql, statement.params);
            for (; !rs.eof(); rs.moveNext())
                rows.append({rs.text(QStringLiteral("AttachmentsId")), rs.text(QStringLiteral("AttachmentsName")),
                             rs.text(QStringLiteral("AttachmentVersion"))});
        }
    } catch (const StoreError& error) {
        MessageBox::inform(this, QStringLiteral("Orvanta"), error.message(), MessageBox::Critical);
        return;
    }
    showResults(rows);
}

void frmFindInfo::showResults(const QList<QStringList>& rows)
{
    m_results->clear();
    m_results->setHeaderLabels(
        {QStringLiteral("File Id"), QStringLiteral("File Name"), QStringLiteral("File Version")});
    QList<QTreeWidgetItem*> items;
    for (const QStringList& row : rows)
        items.append(new QTreeWidgetItem(row));
    m_results->addTopLevelItems(items);
}

void frmFindInfo::openResult(QTreeWidgetItem* item)
{
    if (!item)
        return;
    try {
        ClsBinaryFunctions binary;
        const QString path = binary.ViewDocument(item->text(0));
        if (!FileOpener::instance().open(path))
            MessageBox::inform(this, QStringLiteral("Orvanta"),
                               QStringLiteral("No program is set up to open %1.").arg(item->text(1)),
                               MessageBox::Information);
    } catch (const StoreError& error) {
        MessageBox::inform(this, QStringLiteral("Orvanta"), error.message(), MessageBox::Critical);
    }
}
