#include "designer/ui/DatabaseGenerator.h"

#include "designer/ui/DesignerCanvas.h"
#include "designer/ui/DesignerCanvasFields.h"
#include "designer/ui/DesignerGridOptions.h"
#include "designer/ui/DesignerToolbar.h"
#include "platform/MessageBox.h"
#include "widgets/ChildWindow.h"
#include "widgets/Twips.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabBar>

namespace {

// The window's designed size and its controls' places, in twips.
constexpr double WindowWidth = 10725;
constexpr double WindowHeight = 9945;

struct Place
{
    double left;
    double top;
    double width;
    double height;
};

constexpr Place TabStripPlace{60, 420, 10515, 5535};
constexpr Place CanvasPlace{120, 840, 10335, 4995};
constexpr Place GridFramePlace{60, 6000, 5295, 855};
constexpr Place TableFramePlace{60, 6840, 5295, 2175};
constexpr Place TableNameLabelPlace{240, 240, 1695, 375};
constexpr Place TableNamePlace{2040, 180, 2655, 375};
constexpr Place TableDescriptionLabelPlace{240, 660, 1695, 375};
constexpr Place TableDescriptionPlace{2040, 600, 2655, 375};
constexpr Place TableAddPlace{480, 1080, 1695, 375};
constexpr Place TableClearPlace{2880, 1080, 1695, 375};
constexpr Place AllClientsPlace{180, 1620, 3075, 255};
constexpr Place OneClientPlace{180, 1860, 3255, 255};
constexpr Place ClientListPlace{2520, 1560, 2595, 450};
constexpr int CaptionGap = 6; // pixels between an option's caption and the client list
constexpr Place ColumnFramePlace{5400, 6000, 5175, 2655};
constexpr double ColumnLabelLeft = 240;
constexpr double ColumnBoxLeft = 1920;
constexpr double ColumnLabelWidth = 1455;
constexpr double ColumnBoxWidth = 2655;
constexpr double ColumnRowHeight = 375;
constexpr double FieldNameTop = 240;
constexpr double FieldDescriptionTop = 675;
constexpr double WidthTop = 1080;
constexpr Place FieldAddPlace{480, 1560, 1695, 375};
constexpr Place FieldClearPlace{2700, 1560, 1695, 375};
constexpr Place SavePlace{8280, 8700, 1695, 375};
constexpr Place ExitPlace{5370, 9120, 1695, 375};
constexpr Place GeneratePlace{3570, 9120, 1695, 375};

const QString Title = QStringLiteral("Orvanta");

QRect pixels(const Place& place)
{
    return Twips::rect(place.left, place.top, place.width, place.height);
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, const Place& place)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(pixels(place));
    return button;
}

// A labelled text box; the label names the box for assistive tools as well.
QLineEdit* makeTextBox(QWidget* parent, const QString& labelName, const QString& boxName, const QString& caption,
                       const Place& labelPlace, const Place& boxPlace)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(labelName);
    label->setGeometry(pixels(labelPlace));
    auto* box = new QLineEdit(parent);
    box->setObjectName(boxName);
    box->setAccessibleName(caption);
    box->setGeometry(pixels(boxPlace));
    label->setBuddy(box);
    return box;
}

QString tabCaption(const QString& name)
{
    // A tab's caption shows its name as typed, ampersands included.
    QString caption = name;
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return caption;
}

} // namespace

DatabaseGenerator::DatabaseGenerator(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DatabaseGenerator"));
    setFixedSize(Twips::size(WindowWidth, WindowHeight));
    createControls();
}

DatabaseGenerator::~DatabaseGenerator()
{
    // The field controls' event filter uses the canvas model, a member that is gone before
    // the base class deletes the child widgets.
    delete m_canvasFields;
}

void DatabaseGenerator::createControls()
{
    createToolbar();

    m_tabStrip = new QTabBar(this);
    m_tabStrip->setObjectName(QStringLiteral("TabStrip1"));
    m_tabStrip->setAccessibleName(QStringLiteral("Tabs"));
    m_tabStrip->setExpanding(false);
    m_tabStrip->setDrawBase(true);
    // The strip's headers take the top of its area, down to the canvas; a panel frames the
    // rest, and the canvas lies on that panel.
    QRect strip = pixels(TabStripPlace);
    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    const int headerHeight = Twips::toPixelsY(CanvasPlace.top - TabStripPlace.top);
    panel->setGeometry(strip.adjusted(0, headerHeight, 0, 0));
    strip.setHeight(headerHeight);
    m_tabStrip->setGeometry(strip);

    m_canvas =
        new DesignerCanvas(QSize(static_cast<int>(CanvasPlace.width), static_cast<int>(CanvasPlace.height)), this);
    m_canvas->setObjectName(QStringLiteral("Picture1"));
    m_canvas->setAccessibleName(QStringLiteral("Canvas"));
    m_canvas->setGeometry(pixels(CanvasPlace));
    m_canvasFields = new DesignerCanvasFields(m_session.canvas(), m_canvas);
    connect(m_canvasFields, &DesignerCanvasFields::boxTouched, this, [this](int index) { showWidthOf(index); });

    auto* gridOptions = new DesignerGridOptions(m_canvas, this);
    gridOptions->setGeometry(pixels(GridFramePlace));
    createTableFrame();
    createColumnFrame();

    m_save = makeButton(this, QStringLiteral("cmdSave"), QStringLiteral("Save Layout"), SavePlace);
    m_exit = makeButton(this, QStringLiteral("cmdExit"), QStringLiteral("Cancel"), ExitPlace);
    m_generate =
        makeButton(this, QStringLiteral("cmdGenerateDatebase"), QStringLiteral("Generate Database"), GeneratePlace);

    connect(m_tabStrip, &QTabBar::currentChanged, this, [this](int index) { pageChanged(index); });
    connect(m_save, &QPushButton::clicked, this, [this] { saveLayout(); });
    connect(m_generate, &QPushButton::clicked, this, [this] { generateDatabase(); });
    connect(m_exit, &QPushButton::clicked, this, [this] { ChildWindow::close(this); });
}

void DatabaseGenerator::createToolbar()
{
    m_toolbar = new DesignerToolbar(this);
    // The toolbar fills the room above the tab strip and no more: its own preferred height
    // (the style's margins around the buttons) would reach over the strip's headers.
    m_toolbar->setGeometry(0, 0, Twips::toPixelsX(WindowWidth), pixels(TabStripPlace).top());
    connect(m_toolbar, &DesignerToolbar::lockRequested, this,
            [this](bool locked) { m_session.canvas().setLocked(locked); });
    connect(m_toolbar, &DesignerToolbar::alignRequested, this,
            [this](DesignerCanvasModel::Alignment alignment) { align(alignment); });
}

void DatabaseGenerator::createTableFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("Table Information"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(pixels(TableFramePlace));

    m_tableName = makeTextBox(frame, QStringLiteral("lblTableName"), QStringLiteral("txtTableName"),
                              QStringLiteral("Table Name"), TableNameLabelPlace, TableNamePlace);
    m_tableDescription =
        makeTextBox(frame, QStringLiteral("lblTableDescription"), QStringLiteral("txtTableDescription"),
                    QStringLiteral("Table Description"), TableDescriptionLabelPlace, TableDescriptionPlace);
    m_tableAdd = makeButton(frame, QStringLiteral("cmdTableAdd"), QStringLiteral("A&dd"), TableAddPlace);
    m_tableClear = makeButton(frame, QStringLiteral("cmdTabeClear"), QStringLiteral("C&lear"), TableClearPlace);

    m_allClients = new QRadioButton(QStringLiteral("Apply to all Clients"), frame);
    m_allClients->setObjectName(QStringLiteral("Option1_0"));
    m_allClients->setGeometry(pixels(AllClientsPlace));
    m_allClients->setChecked(true);
    m_oneClient = new QRadioButton(QStringLiteral("Apply to a specific client"), frame);
    m_oneClient->setObjectName(QStringLiteral("Option1_1"));
    m_oneClient->setGeometry(pixels(OneClientPlace));

    m_clientList = new QListWidget(frame);
    m_clientList->setObjectName(QStringLiteral("lstClient"));
    m_clientList->setAccessibleName(QStringLiteral("Client"));
    // The list keeps its right edge but starts after the longer option caption, whose width
    // depends on the font; the options end before the list.
    QRect list = pixels(ClientListPlace);
    const int captions = qMax(m_allClients->sizeHint().width(), m_oneClient->sizeHint().width());
    list.setLeft(qMax(list.left(), m_oneClient->x() + captions + CaptionGap));
    m_clientList->setGeometry(list);
    for (QRadioButton* option : {m_allClients, m_oneClient})
        option->resize(list.left() - CaptionGap - option->x(), option->height());

    connect(m_tableAdd, &QPushButton::clicked, this, [this] { addTab(); });
    connect(m_tableClear, &QPushButton::clicked, this, [this] { clearTab(); });
}

void DatabaseGenerator::createColumnFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("Column Information"), this);
    frame->setObjectName(QStringLiteral("Frame2"));
    frame->setGeometry(pixels(ColumnFramePlace));

    const auto row = [frame](const QString& labelName, const QString& boxName, const QString& caption, double top) {
        return makeTextBox(frame, labelName, boxName, caption,
                           {ColumnLabelLeft, top, ColumnLabelWidth, ColumnRowHeight},
                           {ColumnBoxLeft, top, ColumnBoxWidth, ColumnRowHeight});
    };
    m_fieldName =
        row(QStringLiteral("lblFieldName"), QStringLiteral("txtFieldName"), QStringLiteral("Field Name"), FieldNameTop);
    m_fieldDescription = row(QStringLiteral("lbFieldDescription"), QStringLiteral("txtFieldDescription"),
                             QStringLiteral("Field Description"), FieldDescriptionTop);
    m_width = row(QStringLiteral("lblWidth"), QStringLiteral("txtWidth"), QStringLiteral("Width"), WidthTop);
    m_fieldAdd = makeButton(frame, QStringLiteral("cmdFieldAdd"), QStringLiteral("&Add"), FieldAddPlace);
    m_fieldClear = makeButton(frame, QStringLiteral("cmdFieldClear"), QStringLiteral("&Clear"), FieldClearPlace);

    connect(m_fieldAdd, &QPushButton::clicked, this, [this] { addField(); });
    connect(m_fieldClear, &QPushButton::clicked, this, [this] { clearField(); });
    connect(m_width, &QLineEdit::textChanged, this, [this](const QString& text) { widthChanged(text); });
}

void DatabaseGenerator::showEvent(QShowEvent* event)
{
    if (!m_loaded)
        load();
    QWidget::showEvent(event);
}

void DatabaseGenerator::load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    setFixedSize(Twips::size(WindowWidth, WindowHeight));
    if (windowTitle().isEmpty())
        setWindowTitle(EMode ? QStringLiteral("Edit Tabs(Forms)") : QStringLiteral("Create Tabs(Forms)"));
    m_canvas->update();
    m_session.setEditMode(EMode);
    FillClientList();
    {
        const QSignalBlocker blocker(m_tabStrip);
        while (m_tabStrip->count() > 0)
            m_tabStrip->removeTab(0);
    }

    if (EMode) {
        LoadEditableTabs();
        m_tableAdd->setEnabled(false);
        m_tableClear->setEnabled(false);
        m_tableName->setEnabled(false);
        m_tableDescription->setEnabled(false);
        enableFieldArea(true);
        if (inform(m_session.nothingToEdit())) {
            // Closed once the opener has finished showing it.
            QMetaObject::invokeMethod(
                this, [this] { ChildWindow::close(this); }, Qt::QueuedConnection);
        }
    } else {
        enableFieldArea(false);
    }
}

void DatabaseGenerator::FillClientList()
{
    m_clientList->clear();
    m_clientList->addItems(m_session.readClients());
    const bool any = m_clientList->count() > 0;
    m_oneClient->setEnabled(any);
    m_clientList->setEnabled(any);
    if (any)
        m_clientList->setCurrentRow(0);
}

void DatabaseGenerator::LoadEditableTabs()
{
    if (inform(m_session.loadEditableTabs()))
        return;
    {
        const QSignalBlocker blocker(m_tabStrip);
        for (const DesignerTabPage& page : m_session.pages())
            appendPage(page);
    }
    if (m_session.shownPage() >= 0) {
        m_tabStrip->setCurrentIndex(m_session.shownPage());
        ShowTabFields();
    }
}

void DatabaseGenerator::appendPage(const DesignerTabPage& page)
{
    const int index = m_tabStrip->addTab(tabCaption(page.name));
    m_tabStrip->setTabToolTip(index, page.description);
}

void DatabaseGenerator::enableFieldArea(bool enabled)
{
    m_width->setEnabled(enabled);
    m_fieldDescription->setEnabled(enabled);
    m_fieldName->setEnabled(enabled);
    m_fieldAdd->setEnabled(enabled);
    m_fieldClear->setEnabled(enabled);
}

void DatabaseGenerator::addTab()
{
    const int clientRow = m_oneClient->isChecked() ? m_clientList->currentRow() : -1;
    if (inform(m_session.addTab(m_tableName->text(), m_tableDescription->text(), clientRow)))
        return;
    appendPage(m_session.pages().back());

    m_allClients->setChecked(true);
    m_tableDescription->clear();
    m_tableName->clear();
    enableFieldArea(true);
    m_tableAdd->setEnabled(false);
    m_tableClear->setEnabled(false);
}

void DatabaseGenerator::clearTab()
{
    m_tableName->clear();
    m_tableDescription->clear();
}

void DatabaseGenerator::addField()
{
    if (inform(m_session.addField(m_fieldName->text(), m_fieldDescription->text())))
        return;
    const int index = m_session.canvas().count();
    m_canvasFields->add(index);
    m_canvasFields->place(index);
    m_fieldName->clear();
    m_fieldDescription->clear();
}

void DatabaseGenerator::clearField()
{
    m_fieldName->clear();
    m_fieldDescription->clear();
}

void DatabaseGenerator::showWidthOf(int index)
{
    DesignerCanvasModel& canvas = m_session.canvas();
    canvas.setWidthTarget(index);
    // Showing a width that differs from the text shown counts as typing it, so the label
    // takes the box's width as well.
    const QString width = QString::number(canvas.field(index).box.width());
    if (m_width->text() != width)
        m_width->setText(width);
}

void DatabaseGenerator::widthChanged(const QString& text)
{
    DesignerCanvasModel& canvas = m_session.canvas();
    if (canvas.applyWidthText(text))
        m_canvasFields->place(canvas.widthTarget());
}

void DatabaseGenerator::align(DesignerCanvasModel::Alignment alignment)
{
    const DesignSession::Outcome outcome = m_session.align(alignment);
    for (int index = 1; index <= m_session.canvas().count(); ++index)
        m_canvasFields->place(index);
    inform(outcome);
}

void DatabaseGenerator::pageChanged(int index)
{
    if (m_session.showPage(index))
        ShowTabFields();
}

void DatabaseGenerator::ShowTabFields()
{
    m_canvasFields->clear();
    for (int index = 1; index <= m_session.canvas().count(); ++index) {
        m_canvasFields->add(index);
        m_canvasFields->place(index);
    }
}

bool DatabaseGenerator::SaveTabDefinitions()
{
    return !inform(m_session.save());
}

bool DatabaseGenerator::CreateAccessTable()
{
    return !inform(m_session.createTables());
}

void DatabaseGenerator::Cdcd(const QString& TableName)
{
    m_session.createTable(TableName);
}

void DatabaseGenerator::saveLayout()
{
    SaveTabDefinitions();
}

void DatabaseGenerator::generateDatabase()
{
    inform(m_session.generate());
}

bool DatabaseGenerator::inform(const DesignSession::Outcome& outcome)
{
    if (!outcome)
        return false;
    MessageBox::Icon icon = MessageBox::NoIcon;
    switch (outcome->kind) {
    case DesignSession::Notice::Kind::Plain:
        break;
    case DesignSession::Notice::Kind::Information:
        icon = MessageBox::Information;
        break;
    case DesignSession::Notice::Kind::Critical:
        icon = MessageBox::Critical;
        break;
    }
    MessageBox::inform(this, Title, outcome->text, icon);
    return true;
}
