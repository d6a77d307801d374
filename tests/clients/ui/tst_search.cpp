#include "TestSupport.h"
#include "clients/SearchStatement.h"
#include "clients/ui/frmFindInfo.h"
#include "documents/ClsBinaryFunctions.h"
#include "store/Database.h"
#include "widgets/Twips.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

using Scope = SearchStatement::ClientScope;

class TestSearch : public QObject
{
    Q_OBJECT

private:
    static void addDocument(const TestAppFolder& app, qint64 client, const QString& name, const QByteArray& bytes,
                            const QString& description)
    {
        const QString path = app.file(QStringLiteral("source.bin"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        CLsDataBaseConnection connection;
        Recordset rs = connection.CreateRecordset(QStringLiteral("select * from Attachments"));
        ClsBinaryFunctions binary;
        QVERIFY(binary.UpLoadBinary(name, path, rs, true, QString::number(client), description));
    }

    template <typename T>
    static T* child(QWidget* window, const char* name)
    {
        T* widget = window->findChild<T*>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }

    // Whether a person could see the control.
    static bool seen(const QWidget* widget)
    {
        return widget->isVisible() && !widget->size().isEmpty() && !widget->visibleRegion().isEmpty();
    }

    // Clicks an option on its indicator (a wide option is not hit in its middle).
    static void choose(QRadioButton* option)
    {
        QVERIFY2(seen(option), qPrintable(option->objectName()));
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));
    }

    static void press(QPushButton* button)
    {
        QVERIFY2(seen(button), qPrintable(button->objectName()));
        QTest::mouseClick(button, Qt::LeftButton);
    }

    static void typeInto(QLineEdit* box, const QString& text)
    {
        QVERIFY2(seen(box), qPrintable(box->objectName()));
        QTest::keyClicks(box, text);
    }

    static QString accessibleName(QWidget* widget)
    {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
        return face ? face->text(QAccessible::Name) : QString();
    }

    // The controls of the dialog a person works with: the named ones and the frames.
    static QList<QWidget*> controls(QWidget* window)
    {
        QList<QWidget*> found;
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            const QString name = widget->objectName();
            if (qobject_cast<QGroupBox*>(widget) || (!name.isEmpty() && !name.startsWith(QLatin1String("qt_"))))
                found.append(widget);
        }
        return found;
    }

private slots:
    void statements_data()
    {
        QTest::addColumn<bool>("content");
        QTest::addColumn<bool>("exact");
        QTest::addColumn<int>("scope");
        QTest::addColumn<QString>("fileType");
        QTest::addColumn<bool>("specifyVersion");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("params");
        QTest::newRow("content, everything")
            << true << false << int(Scope::All) << QString() << false
            << "SELECT * FROM Attachments ORDER BY PersonalInformationId NULLS FIRST, AttachmentsName NULLS FIRST, "
               "AttachmentVersion NULLS FIRST, AttachmentsId"
            << 0;
        QTest::newRow("content, file type")
            << true << false << int(Scope::All) << "pdf" << false
            << "SELECT * FROM Attachments WHERE AttachmentExtension = ? ORDER BY AttachmentsId" << 1;
        QTest::newRow("content, client and version")
            << true << false << int(Scope::Current) << QString() << true
            << "SELECT * FROM Attachments WHERE PersonalInformationId = ? AND AttachmentVersion = ? ORDER BY "
               "AttachmentsName NULLS FIRST, AttachmentVersion NULLS FIRST, AttachmentsId"
            << 2;
        QTest::newRow("summary exact")
            << false << true << int(Scope::All) << QString() << false
            << "SELECT * FROM Attachments WHERE casefold(AttachmentDescription) = casefold(?) ORDER BY AttachmentsId"
            << 1;
        QTest::newRow("summary contains, all filters")
            << false << false << int(Scope::Specified) << "doc" << true
            << "SELECT * FROM Attachments WHERE casefold(AttachmentDescription) like casefold(?) ESCAPE '\\' AND "
               "PersonalInformationId = ? AND AttachmentExtension = ? AND AttachmentVersion = ? ORDER BY "
               "AttachmentsName "
               "NULLS FIRST, AttachmentVersion NULLS FIRST, AttachmentsId"
            << 4;
    }

    void statements()
    {
        QFETCH(bool, content);
        QFETCH(bool, exact);
        QFETCH(int, scope);
        QFETCH(QString, fileType);
        QFETCH(bool, specifyVersion);
        QFETCH(QString, sql);
        QFETCH(int, params);
        SearchStatement::Options options;
        options.text = QStringLiteral("50%_off");
        options.content = content;
        options.exactPhrase = exact;
        options.scope = static_cast<Scope>(scope);
        options.fileType = fileType;
        options.specifyVersion = specifyVersion;
        const SearchStatement statement = SearchStatement::build(options);
        QCOMPARE(statement.sql, sql);
        QCOMPARE(statement.params.size(), params);
        if (!content && !exact)
            QCOMPARE(statement.params.first().toString(), QStringLiteral("%50\\%\\_off%"));
    }

    // Which summaries the statement finds, run as the dialog runs it (values bound).
    void summaryIgnoresCaseOfEveryLetter_data()
    {
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("exact");
        QTest::addColumn<bool>("found");
        QTest::newRow("ASCII") << "Invoice March"
                               << "INVOICE" << false << true;
        QTest::newRow("umlaut in capitals") << "MÜLLER Notizen"
                                            << "müller" << false << true;
        QTest::newRow("umlaut in small letters") << "Rückruf müller"
                                                 << "MÜLLER" << false << true;
        QTest::newRow("mixed case") << "Brief an Frau ÖzDemir"
                                    << "özdEMIR" << false << true;
        QTest::newRow("sharp s") << "Akte Straße 5"
                                 << "STRAßE" << false << true;
        QTest::newRow("capital sharp s") << "GROẞE Akte"
                                         << "große" << false << true;
        QTest::newRow("accents") << "CAFÉ Crème Brûlée"
                                 << "café crème brûlée" << false << true;
        QTest::newRow("Greek") << "ΣΥΜΒΟΛΑΙΟ"
                               << "συμβολαιο" << false << true;
        QTest::newRow("Cyrillic") << "Договор ПОСТАВКИ"
                                  << "договор поставки" << false << true;
        QTest::newRow("accent kept") << "Muller"
                                     << "müller" << false << false;
        QTest::newRow("exact, other case") << "MÜLLER Notizen"
                                           << "müller notizen" << true << true;
        QTest::newRow("exact, part only") << "MÜLLER Notizen"
                                          << "müller" << true << false;
        QTest::newRow("percent taken as typed") << "500 ÄPFEL"
                                                << "50%" << false << false;
        QTest::newRow("percent found") << "50% ÄPFEL"
                                       << "50% äpfel" << false << true;
    }

    void summaryIgnoresCaseOfEveryLetter()
    {
        QFETCH(QString, summary);
        QFETCH(QString, text);
        QFETCH(bool, exact);
        QFETCH(bool, found);
        TestAppFolder app;
        CLsDataBaseConnection connection;
        connection.Execute(QStringLiteral("INSERT INTO Attachments (PersonalInformationId, AttachmentsName, "
                                          "AttachmentVersion, AttachmentDescription) VALUES (1, 'a.doc', 1, ?)"),
                           {summary});
        connection.DbClose();
        SearchStatement::Options options;
        options.text = text;
        options.exactPhrase = exact;
        const SearchStatement statement = SearchStatement::build(options);
        Recordset rs = connection.CreateRecordset(statement.sql, statement.params);
        QCOMPARE(!rs.eof(), found);
    }

    void withoutCurrentClientSearchesAllClients()
    {
        TestAppFolder app;
        frmFindInfo window;
        window.show();
        QVERIFY(!child<QRadioButton>(&window, "optSearchClient_1")->isEnabled());
        QVERIFY(child<QRadioButton>(&window, "optSearchClient_0")->isChecked());
        QCOMPARE(child<QComboBox>(&window, "lstSearchFileType")->currentText(), QStringLiteral("All"));
        choose(child<QRadioButton>(&window, "optSearchSummary_1"));
        QVERIFY(!child<QRadioButton>(&window, "optSearchExactPhrase_0")->isEnabled());
        QVERIFY(child<QRadioButton>(&window, "optSearchExactPhrase_1")->isChecked());
    }

    void contentSearchListsHitsAndOpensThem()
    {
        TestAppFolder app;
        addDocument(app, 1, QStringLiteral("letter.txt"), "Dear Mr. SMITH", QString());
        addDocument(app, 1, QStringLiteral("other.txt"), "nothing", QString());
        addDocument(app, 2, QStringLiteral("memo.txt"), "smith again", QString());
        frmFindInfo window;
        window.PersonalInformationId = 1;
        window.show();
        typeInto(child<QLineEdit>(&window, "txtSearchString"), QStringLiteral("smith"));
        choose(child<QRadioButton>(&window, "optSearchSummary_1"));

        app.messages->setNextAnswer(MessageBox::No);
        press(child<QPushButton>(&window, "cmdSearch"));
        QCOMPARE(app.messages->last().title, QStringLiteral("Quen Content Search Warning"));
        auto* results = child<QTreeWidget>(&window, "lstViewResults");
        QCOMPARE(results->topLevelItemCount(), 0);

        app.messages->setNextAnswer(MessageBox::Yes);
        press(child<QPushButton>(&window, "cmdSearch"));
        QCOMPARE(results->topLevelItemCount(), 1); // the current client's hit only
        QCOMPARE(results->topLevelItem(0)->text(1), QStringLiteral("letter.txt"));
        QCOMPARE(results->columnCount(), 3);

        QDir().mkpath(ApplicationFolder::tempPath());
        emit results->itemDoubleClicked(results->topLevelItem(0), 0);
        QCOMPARE(app.opened->opened().size(), 1);
        QVERIFY(app.opened->opened().first().endsWith(QStringLiteral("/Temp/letter.txt")));
    }

    void summarySearchAndItsChecks()
    {
        TestAppFolder app;
        addDocument(app, 1, QStringLiteral("a.doc"), "x", QStringLiteral("Lease for O'Neil"));
        addDocument(app, 1, QStringLiteral("b.doc"), "x", QStringLiteral("Invoice"));
        frmFindInfo window;
        window.show();
        typeInto(child<QLineEdit>(&window, "txtSearchString"), QStringLiteral("o'neil"));
        press(child<QPushButton>(&window, "cmdSearch"));
        auto* results = child<QTreeWidget>(&window, "lstViewResults");
        QCOMPARE(results->topLevelItemCount(), 1);
        QCOMPARE(results->topLevelItem(0)->text(1), QStringLiteral("a.doc"));

        choose(child<QRadioButton>(&window, "optSearchClient_2"));
        press(child<QPushButton>(&window, "cmdSearch"));
        QCOMPARE(app.messages->last().text, QStringLiteral("Please select a client"));
        QCOMPARE(app.messages->last().title, QStringLiteral("Error"));

        choose(child<QRadioButton>(&window, "optSearchClient_0"));
        choose(child<QRadioButton>(&window, "optSearchVersion_1"));
        typeInto(child<QLineEdit>(&window, "txtSpecifyVersion"), QStringLiteral("two"));
        const int shown = app.messages->shown().size();
        press(child<QPushButton>(&window, "cmdSearch"));
        QCOMPARE(app.messages->shown().size(), shown + 1);
        QVERIFY(app.messages->last().text.contains(QStringLiteral("whole number")));
        QCOMPARE(results->topLevelItemCount(), 1); // the earlier result stays
    }

    void doubleClickOpensTheStoredDocument_data()
    {
        QTest::addColumn<bool>("deletedMeanwhile");
        QTest::newRow("stored") << false;
        QTest::newRow("deleted after the search") << true;
    }

    void doubleClickOpensTheStoredDocument()
    {
        QFETCH(bool, deletedMeanwhile);
        TestAppFolder app;
        QDir().mkpath(ApplicationFolder::tempPath());
        const QByteArray contents = "the lease as signed";
        addDocument(app, 1, QStringLiteral("lease.doc"), contents, QStringLiteral("Lease"));
        frmFindInfo window;
        window.show();
        typeInto(child<QLineEdit>(&window, "txtSearchString"), QStringLiteral("lease"));
        press(child<QPushButton>(&window, "cmdSearch"));
        auto* results = child<QTreeWidget>(&window, "lstViewResults");
        QCOMPARE(results->topLevelItemCount(), 1);
        QTreeWidgetItem* hit = results->topLevelItem(0);
        const QString id = hit->text(0);
        if (deletedMeanwhile)
            Database(CLsDataBaseConnection::databasePath())
                .execute(QStringLiteral("DELETE FROM Attachments WHERE AttachmentsId = ?"), {id.toLongLong()});

        const QRect row = results->visualItemRect(hit);
        QVERIFY(seen(results) && !row.isEmpty());
        QTest::mouseClick(results->viewport(), Qt::LeftButton, {}, row.center());
        QTest::mouseDClick(results->viewport(), Qt::LeftButton, {}, row.center());

        const QString copy = QDir(ApplicationFolder::tempPath()).filePath(QStringLiteral("lease.doc"));
        if (deletedMeanwhile) {
            QCOMPARE(app.messages->shown().size(), 1);
            QCOMPARE(app.messages->last().text, QStringLiteral("The document %1 is no longer in the database").arg(id));
            QCOMPARE(app.messages->last().title, QStringLiteral("Orvanta"));
            QCOMPARE(app.messages->last().icon, MessageBox::Critical);
            QVERIFY(app.opened->opened().isEmpty());
            QVERIFY(
                QDir(ApplicationFolder::tempPath()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        } else {
            QVERIFY(app.messages->shown().isEmpty());
            QCOMPARE(app.opened->opened(), QStringList({copy}));
            QFile file(copy);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), contents);
            QCOMPARE(file.permissions() & ~(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                                            QFileDevice::WriteUser),
                     QFileDevice::Permissions());
        }
    }

    // At its fixed size the dialog shows every control whole: inside the window, inside its
    // frame, beside (never over) the controls next to it, and at least as tall as its kind
    // needs to show its text.
    void everyControlCanBeSeen()
    {
        TestAppFolder app;
        frmFindInfo window;
        window.PersonalInformationId = 1;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.size(), Twips::size(5535, 9360));
        const QList<QWidget*> all = controls(&window);
        QCOMPARE(all.size(), 8 + 18); // the frames, and the controls the dialog names
        for (QWidget* control : all) {
            const QString name = control->objectName().isEmpty() ? accessibleName(control) : control->objectName();
            QVERIFY2(seen(control), qPrintable(name));
            QVERIFY2(control->height() >= control->minimumSizeHint().height(),
                     qPrintable(QStringLiteral("%1: %2 px high, needs %3")
                                    .arg(name)
                                    .arg(control->height())
                                    .arg(control->minimumSizeHint().height())));
            QVERIFY2(control->parentWidget()->rect().contains(control->geometry()), qPrintable(name));
            const QRect inWindow(control->mapTo(&window, QPoint(0, 0)), control->size());
            QVERIFY2(window.rect().contains(inWindow), qPrintable(name));
            for (QWidget* other : all) {
                if (other != control && other->parentWidget() == control->parentWidget())
                    QVERIFY2(
                        !control->geometry().intersects(other->geometry()),
                        qPrintable(name + QStringLiteral(" overlaps ") + other->objectName() + accessibleName(other)));
            }
        }
        // The client list shows a choice on a whole line and drops down several at once.
        auto* clients = child<QComboBox>(&window, "lstSearchClient");
        QVERIFY(clients->height() >= clients->sizeHint().height());
        QVERIFY(clients->maxVisibleItems() >= 5);
    }

    // Assistive tools hear each frame's own caption and each label's text.
    void framesAndLabelsNameThemselves()
    {
        TestAppFolder app;
        frmFindInfo window;
        window.show();
        QStringList captions;
        for (QGroupBox* frame : window.findChildren<QGroupBox*>()) {
            QCOMPARE(accessibleName(frame), frame->title());
            captions.append(frame->title());
        }
        captions.sort();
        QCOMPARE(captions, QStringList({"Search Category", "Search Client", "Search Content", "Search File Type",
                                        "Search Match Type", "Search Parameters", "Search String", "Search Version"}));
        QCOMPARE(accessibleName(child<QLabel>(&window, "lblSearchString")), QStringLiteral("Search String"));
        for (QRadioButton* option : window.findChildren<QRadioButton*>())
            QCOMPARE(accessibleName(option), option->text());
    }

    void clientIsChosenByClicking()
    {
        TestAppFolder app;
        CLsDataBaseConnection connection;
        connection.Execute(QStringLiteral("INSERT INTO [Personal Information] (PersonalInformationId, [First Name], "
                                          "[Last Name], Active) VALUES (5, 'Ann', 'Lee', 1), (7, 'Bob', 'Stone', 0)"));
        connection.DbClose();
        addDocument(app, 5, QStringLiteral("ann.doc"), "x", QStringLiteral("Lease"));
        addDocument(app, 7, QStringLiteral("bob.doc"), "x", QStringLiteral("Lease"));
        frmFindInfo window;
        window.PersonalInformationId = 5;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        choose(child<QRadioButton>(&window, "optSearchClient_2"));
        auto* clients = child<QComboBox>(&window, "lstSearchClient");
        QVERIFY(clients->isEnabled());
        QVERIFY(seen(clients));
        QTest::mouseClick(clients, Qt::LeftButton);
        QAbstractItemView* dropDown = clients->view();
        QTRY_VERIFY(dropDown->isVisible());
        const int bob = clients->findText(QStringLiteral("Bob    Stone"));
        QVERIFY(bob >= 0);
        const QRect line = dropDown->visualRect(dropDown->model()->index(bob, 0));
        QVERIFY(dropDown->viewport()->rect().contains(line.center()));
        // The drop-down takes a release only once it has been open for a double-click's time.
        QTRY_VERIFY(
            (QTest::mouseClick(dropDown->viewport(), Qt::LeftButton, {}, line.center()), !dropDown->isVisible()));
        QCOMPARE(clients->currentIndex(), bob);

        typeInto(child<QLineEdit>(&window, "txtSearchString"), QStringLiteral("lease"));
        press(child<QPushButton>(&window, "cmdSearch"));
        auto* results = child<QTreeWidget>(&window, "lstViewResults");
        QCOMPARE(results->topLevelItemCount(), 1);
        QCOMPARE(results->topLevelItem(0)->text(1), QStringLiteral("bob.doc"));
    }
};

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
