#include "TestSupport.h"
#include "app/OrvantaApplication.h"
#include "store/StoreError.h"

#include <QDir>
#include <QPushButton>
#include <QTest>
#include <stdexcept>

class TestApplication : public QObject
{
    Q_OBJECT

private slots:
    void failureInHandlerIsReported_data();
    void failureInHandlerIsReported();
};

void TestApplication::failureInHandlerIsReported_data()
{
    QTest::addColumn<int>("kind"); // 0 a file error, else a StoreError::Kind
    QTest::addColumn<QString>("thrown");
    QTest::addColumn<QString>("reported");

    const QString locked = QStringLiteral("database is locked");
    QTest::newRow("database") << static_cast<int>(StoreError::Kind::Failure) + 1 << QStringLiteral("no such table: X")
                              << QStringLiteral("no such table: X");
    QTest::newRow("file") << 0 << QStringLiteral("Cannot create the folder Temp")
                          << QStringLiteral("Cannot create the folder Temp");
    // Held locked by another program: the user is told so, and that nothing was saved.
    QTest::newRow("database in use") << static_cast<int>(StoreError::Kind::Busy) + 1 << locked
                                     << QStringLiteral("Another program is using the database %1, so this could not "
                                                       "be done and nothing was saved.\n\nPlease try again in a "
                                                       "moment.");
}

void TestApplication::failureInHandlerIsReported()
{
    QFETCH(int, kind);
    QFETCH(QString, thrown);
    QFETCH(QString, reported);
    TestAppFolder folder(false);
    if (reported.contains(QStringLiteral("%1")))
        reported = reported.arg(QDir::toNativeSeparators(folder.file(QStringLiteral("Dravolin.mdb"))));
    QWidget window;
    auto* failing = new QPushButton(QStringLiteral("Fail"), &window);
    auto* working = new QPushButton(QStringLiteral("Work"), &window);
    working->move(0, 40);
    int worked = 0;
    QObject::connect(failing, &QPushButton::clicked, [&] {
        if (kind > 0)
            throw StoreError(thrown, static_cast<StoreError::Kind>(kind - 1));
        throw std::runtime_error(thrown.toStdString());
    });
    QObject::connect(working, &QPushButton::clicked, [&] { ++worked; });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(failing->isVisible() && !failing->size().isEmpty());

    QTest::mouseClick(failing, Qt::LeftButton);

    QCOMPARE(folder.messages->shown().size(), 1);
    QCOMPARE(folder.messages->last().title, QStringLiteral("Orvanta"));
    QCOMPARE(folder.messages->last().text, reported);
    QCOMPARE(folder.messages->last().icon, MessageBox::Critical);
    // The program goes on.
    QVERIFY(working->isVisible() && !working->size().isEmpty());
    QTest::mouseClick(working, Qt::LeftButton);
    QCOMPARE(worked, 1);
}

int main(int argc, char** argv)
{
    OrvantaApplication app(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_OrvantaApplication.moc"
