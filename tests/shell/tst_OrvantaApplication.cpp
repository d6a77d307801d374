#include "TestSupport.h"
#include "shell/OrvantaApplication.h"
#include "store/StoreError.h"

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
    QTest::addColumn<bool>("storeError");
    QTest::addColumn<QString>("message");

    QTest::newRow("database") << true << QStringLiteral("database is locked");
    QTest::newRow("file") << false << QStringLiteral("Cannot create the folder Temp");
}

void TestApplication::failureInHandlerIsReported()
{
    QFETCH(bool, storeError);
    QFETCH(QString, message);
    TestAppFolder folder(false);
    QWidget window;
    auto* failing = new QPushButton(QStringLiteral("Fail"), &window);
    auto* working = new QPushButton(QStringLiteral("Work"), &window);
    working->move(0, 40);
    int worked = 0;
    QObject::connect(failing, &QPushButton::clicked, [&] {
        if (storeError)
            throw StoreError(message);
        throw std::runtime_error(message.toStdString());
    });
    QObject::connect(working, &QPushButton::clicked, [&] { ++worked; });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTest::mouseClick(failing, Qt::LeftButton);

    QCOMPARE(folder.messages->shown().size(), 1);
    QCOMPARE(folder.messages->last().title, QStringLiteral("Orvanta"));
    QCOMPARE(folder.messages->last().text, message);
    QCOMPARE(folder.messages->last().icon, MessageBox::Critical);
    // The program goes on.
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
