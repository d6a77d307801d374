#include "clients/ui/frmFindInfo.h"

#include "clients/SearchChoices.h"
#include "documents/ClsBinaryFunctions.h"
#include "platform/FileOpener.h"
#include "platform/MessageBox.h"
#include "store/CLsDataBaseConnection.h"
#include "store/StoreError.h"
#include "widgets/ChildWindow.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

namespace {

// The dialog's fixed size and its controls' places, in twips. The seven frames of "Search
// Parameters" sit in five bands; each control has the height its kind needs, so nothing
// overlaps and every control can be seen at the dialog's fixed size.
constexpr double WindowWidth = 5535;
constexpr double WindowHeight = 9360;

struct Place
{
    double left;
    double top;
    double width;
    double height;
};

constexpr double OptionHeight = 300; // an option button's line
constexpr double BoxHeight = 345;    // a text box or a combo box
constexpr double FirstRow = 270;     // below a frame's caption
constexpr double RowStep = 315;      // from one option to the next

constexpr Place ParametersPlace{60, 60, 5415, 5955};
constexpr double HalfWidth = 2565;
constexpr double LeftColumn = 90;
constexpr double RightColumn = 2760;
constexpr double FullWidth = 5235;

constexpr Place StringFramePlace{LeftColumn, 240, FullWidth, 720};
constexpr Place StringLabelPlace{120, FirstRow + 45, 1215, 255};
constexpr Place StringBoxPlace{1380, FirstRow, 3735, BoxHeight};

constexpr Place ContentFramePlace{LeftColumn, 1020, HalfWidth, 960};
constexpr Place MatchFramePlace{RightColumn, 1020, HalfWidth, 960};
constexpr double HalfOptionWidth = 2325;

constexpr Place ClientFramePlace{LeftColumn, 2040, FullWidth, 1650};
constexpr double ClientOptionWidth = 3000;
constexpr Place ClientListPlace{120, FirstRow + 3 * RowStep + 15, 4995, BoxHeight};

constexpr Place TypeFramePlace{LeftColumn, 3750, HalfWidth, 1380};
constexpr Place TypeListPlace{120, FirstRow, 2325, BoxHeight};
constexpr Place CategoryFramePlace{RightColumn, 3750, HalfWidth, 1380};
constexpr Place CategoryListPlace{120, FirstRow, 2325, 1050};

constexpr Place VersionFramePlace{LeftColumn, 5190, FullWidth, 705};
constexpr Place AllVersionsPlace{120, FirstRow + 15, 1800, OptionHeight};
constexpr Place SpecifyVersionPlace{1980, FirstRow + 15, 1950, OptionHeight};
constexpr Place VersionBoxPlace{3990, FirstRow, 1125, BoxHeight};

constexpr Place ResultsPlace{60, 6090, 5415, 2760};
constexpr Place SearchButtonPlace{2985, 8925, 1215, 375};
constexpr Place CancelButtonPlace{4260, 8925, 1215, 375};

QRect pixels(const Place& place)
{
    return Twips::rect(place.left, place.top, place.width, place.height);
}

template <typename T>
T* placed(T* widget, const QString& name, const Place& place)
{
    widget->setObjectName(name);
    widget->setGeometry(pixels(place));
    return widget;
}

// An option of a frame's group, on line `row` (from 0) of its column.
QRadioButton* option(QWidget* frame, const QString& name, const QString& caption, double width, int row)
{
    return placed(new QRadioButton(caption, frame), name, {120, FirstRow + row * RowStep, width, OptionHeight});
}

// A frame names itself to assistive tools by its own caption, not by the frame around it.
QGroupBox* frame(QWidget* parent, const QString& caption, const Place& place)
{
    auto* box = new QGroupBox(caption, parent);
    box->setAccessibleName(caption);
    box->setGeometry(pixels(place));
    return box;
}

} // namespace

frmFindInfo::frmFindInfo(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmFindInfo"));
    setWindowTitle(QStringLiteral("Find"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* parameters = frame(this, QStringLiteral("Search Parameters"), ParametersPlace);

    auto* stringFrame = frame(parameters, QStringLiteral("Search String"), StringFramePlace);
    auto* label = placed(new QLabel(QStringLiteral("Search &String"), stringFrame), QStringLiteral("lblSearchString"),
                         StringLabelPlace);
    m_searchString = placed(new QLineEdit(stringFrame), QStringLiteral("txtSearchString"), StringBoxPlace);
    m_searchString->setAccessibleName(QStringLiteral("Search String"));
    label->setBuddy(m_searchString);

    auto* contentFrame = frame(parameters, QStringLiteral("Search Content"), ContentFramePlace);
    m_summary =
        option(contentFrame, QStringLiteral("optSearchSummary_0"), QStringLiteral("Summary"), HalfOptionWidth, 0);
    m_content =
        option(contentFrame, QStringLiteral("optSearchSummary_1"), QStringLiteral("Content"), HalfOptionWidth, 1);

    auto* matchFrame = frame(parameters, QStringLiteral("Search Match Type"), MatchFramePlace);
    m_exactPhrase = option(matchFrame, QStringLiteral("optSearchExactPhrase_0"), QStringLiteral("Exact Phrase"),
                           HalfOptionWidth, 0);
    m_contains =
        option(matchFrame, QStringLiteral("optSearchExactPhrase_1"), QStringLiteral("Contains"), HalfOptionWidth, 1);

    auto* clientFrame = frame(parameters, QStringLiteral("Search Client"), ClientFramePlace);
    m_allClients = option(clientFrame, QStringLiteral("optSearchClient_0"), QStringLiteral("Search All Clients"),
                          ClientOptionWidth, 0);
    m_currentClient = option(clientFrame, QStringLiteral("optSearchClient_1"), QStringLiteral("Search Current Client"),
                             ClientOptionWidth, 1);
    m_specifyClient = option(clientFrame, QStringLiteral("optSearchClient_2"), QStringLiteral("Specify Client"),
                             ClientOptionWidth, 2);
    m_clientList = placed(new QComboBox(clientFrame), QStringLiteral("lstSearchClient"), ClientListPlace);
    m_clientList->setAccessibleName(QStringLiteral("Client"));

    auto* typeFrame = frame(parameters, QStringLiteral("Search File Type"), TypeFramePlace);
    m_fileType = placed(new QComboBox(typeFrame), QStringLiteral("lstSearchFileType"), TypeListPlace);
    m_fileType->setAccessibleName(QStringLiteral("File Type"));

    auto* categoryFrame = frame(parameters, QStringLiteral("Search Category"), CategoryFramePlace);
    m_category = placed(new QListWidget(categoryFrame), QStringLiteral("lstSearchCategory"), CategoryListPlace);
    m_category->setAccessibleName(QStringLiteral("Category"));

    auto* versionFrame = frame(parameters, QStringLiteral("Search Version"), VersionFramePlace);
    m_allVersions = placed(new QRadioButton(QStringLiteral("All Versions"), versionFrame),
                           QStringLiteral("optSearchVersion_0"), AllVersionsPlace);
    m_specifyVersion = placed(new QRadioButton(QStringLiteral("Specify Version"), versionFrame),
                              QStringLiteral("optSearchVersion_1"), SpecifyVersionPlace);
    m_versionText = placed(new QLineEdit(versionFrame), QStringLiteral("txtSpecifyVersion"), VersionBoxPlace);
    m_versionText->setAccessibleName(QStringLiteral("Version"));

    // Each frame is its own group of options.
    for (QGroupBox* box : {contentFrame, matchFrame, clientFrame, versionFrame}) {
        auto* group = new QButtonGroup(box);
        for (QRadioButton* button : box->findChildren<QRadioButton*>())
            group->addButton(button);
    }

    m_results = placed(new QTreeWidget(this), QStringLiteral("lstViewResults"), ResultsPlace);
    m_results->setAccessibleName(QStringLiteral("Results"));
    m_results->setRootIsDecorated(false);
    m_results->setHeaderLabels(
        {QStringLiteral("File Id"), QStringLiteral("File Name"), QStringLiteral("File Version")});

    auto* findButton =
        placed(new QPushButton(QStringLiteral("Find"), this), QStringLiteral("cmdSearch"), SearchButtonPlace);
    findButton->setDefault(true);
    auto* cancelButton =
        placed(new QPushButton(QStringLiteral("Cancel"), this), QStringLiteral("cmdCancel"), CancelButtonPlace);
    cancelButton->setShortcut(Qt::Key_Escape);

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

    setFixedSize(Twips::size(WindowWidth, WindowHeight));
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
    if (PersonalInformationId == NoClient) {
        m_currentClient->setEnabled(false);
        m_allClients->setChecked(true);
    }
    try {
        for (const SearchChoices::Client& client : SearchChoices::clients()) {
            m_clientList->addItem(client.text);
            m_clientIds.append(client.id);
        }
        m_clientList->setCurrentIndex(-1);

        m_fileType->addItem(QStringLiteral("All"));
        m_fileType->addItems(SearchChoices::fileTypes());
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
        options.clientId = PersonalInformationId;
    } else if (m_specifyClient->isChecked()) {
        const int index = m_clientList->currentIndex();
        if (index < 0 || index >= m_clientIds.size()) {
            MessageBox::inform(this, QStringLiteral("Error"), QStringLiteral("Please select a client"),
                               MessageBox::Critical);
            return false;
        }
        options.scope = SearchStatement::ClientScope::Specified;
        options.clientId = m_clientIds.at(index);
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
