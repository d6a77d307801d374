#include "LoginCase.h"

#include "BenchOptions.h"
#include "ChildProcess.h"
#include "EngineChoice.h"
#include "Require.h"
#include "ResultTable.h"
#include "Stopwatch.h"
#include "UiSession.h"

#include "app/frmLogin.h"
#include "platform/ScriptedMessageBox.h"
#include "store/ApplicationFolder.h"
#include "store/CLsDataBaseConnection.h"
#include "store/Database.h"
#include "store/DatabaseSchema.h"
#include "store/PasswordHash.h"
#include "store/StartupSettings.h"
#include "store/StoreError.h"
#include "users/UserAccounts.h"

#include <QDir>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <vector>

namespace {

const QString UserName = QStringLiteral("mbrandt");
const QString Password = QStringLiteral("Correct Horse 42");
// A user whose password another tool stored as typed; the first login stores its hash.
const QString LegacyName = QStringLiteral("legacy");
const QString LegacyPassword = QStringLiteral("written by hand");

// Every paint of a window, in monotonic nanoseconds.
class PaintLog : public QObject
{
public:
    std::vector<std::int64_t> times;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            times.push_back(Stopwatch::now());
        return QObject::eventFilter(watched, event);
    }
};

struct Login
{
    double seconds = 0; // from the click on OK to the user logged in
    double longestWithoutPaint = 0;
};

// One login through the window.
Login logIn(const QString& name, const QString& password)
{
    frmLogin login;
    login.SplashDuration = 0;
    std::int64_t loggedInAt = 0;
    QString who;
    QObject::connect(&login, &frmLogin::loggedIn, [&](const UserSession& session) {
        loggedInAt = Stopwatch::now();
        who = session.securityId;
    });
    PaintLog paints;
    login.installEventFilter(&paints);
    login.load();
    UiSession::waitUntil([&] { return !paints.times.empty(); }, QStringLiteral("the login window"));
    auto* userName = login.findChild<QLineEdit*>(QStringLiteral("txtUserName"));
    auto* typed = login.findChild<QLineEdit*>(QStringLiteral("txtPassword"));
    auto* ok = login.findChild<QPushButton*>(QStringLiteral("cmdOK"));
    require(userName && typed && ok && ok->isVisible(), QStringLiteral("the login window has no visible OK"));
    QTest::keyClicks(userName, name);
    QTest::keyClicks(typed, password);

    QTimer repaint;
    QObject::connect(&repaint, &QTimer::timeout, &login, [&login] { login.update(); });
    repaint.start(10);
    UiSession::settle();
    paints.times.clear();
    const std::int64_t clicked = Stopwatch::now();
    QTest::mouseClick(ok, Qt::LeftButton);
    UiSession::waitUntil([&] { return loggedInAt != 0; }, QStringLiteral("the login"));
    repaint.stop();
    require(!who.isEmpty(), QStringLiteral("%1 was not logged in").arg(name));

    std::int64_t last = clicked;
    std::int64_t longest = 0;
    for (const std::int64_t at : paints.times) {
        if (at > loggedInAt)
            break;
        longest = std::max(longest, at - last);
        last = at;
    }
    longest = std::max(longest, loggedInAt - last);
    return {static_cast<double>(loggedInAt - clicked) / 1e9, static_cast<double>(longest) / 1e9};
}

} // namespace

LoginCase::LoginCase(const BenchOptions& options, const QString& root, ResultTable& table)
    : m_options(options), m_root(root), m_table(table)
{
}

void LoginCase::run()
{
    const QString app = QDir(m_root).filePath(QStringLiteral("login"));
    const QString name = QStringLiteral("login: OK clicked until logged in, first login of the process");
    std::fprintf(stderr, "login\n");
    const ChildProcess::Outcome setup = ChildProcess::run([&](const ChildProcess::Report&) {
        QDir().mkpath(app);
        ApplicationFolder::setPath(app);
        DatabaseSchema::ensure(CLsDataBaseConnection::databasePath());
        StartupSettings::readOrCreate();
        UserAccounts::add({UserName, QStringLiteral("Mara"), QString(), QStringLiteral("Brandt"), QString()}, Password,
                          false);
        CLsDataBaseConnection connection;
        connection.Execute(QStringLiteral("INSERT INTO Security (UserName, UserPassword, UserFirstName, UserLastName, "
                                          "UserLevel) VALUES (?, ?, 'Lee', 'Gacy', 1)"),
                           {LegacyName, LegacyPassword});
    });
    if (!setup.ok) {
        m_table.addError(name, setup.error);
        return;
    }

    const ChildProcess::Outcome program = ChildProcess::run([&](const ChildProcess::Report& report) {
        EngineChoice(m_options).applyToProcess();
        const UiSession session;
        ApplicationFolder::setPath(app);
        std::vector<double> times, gaps;
        for (int r = 0; r <= m_options.repeats; ++r) {
            const Login login = logIn(UserName, Password);
            times.push_back(login.seconds);
            gaps.push_back(login.longestWithoutPaint);
        }
        require(session.messageBox().shown().isEmpty(),
                QStringLiteral("the login said: %1").arg(session.messageBox().last().text));
        report.put(QStringLiteral("first"), times.front());
        report.put(QStringLiteral("gap"), *std::max_element(gaps.begin(), gaps.end()));
        times.erase(times.begin());
        report.put(QStringLiteral("later"), Stopwatch::median(times));
        const Login legacy = logIn(LegacyName, LegacyPassword);
        report.put(QStringLiteral("legacy"), legacy.seconds);
        report.put(QStringLiteral("legacyGap"), legacy.longestWithoutPaint);
    });
    // The check alone: the stored hash of the user verified on this thread.
    const ChildProcess::Outcome verify = ChildProcess::run([&](const ChildProcess::Report& report) {
        ApplicationFolder::setPath(app);
        CLsDataBaseConnection connection;
        const QString stored =
            connection.database()
                .scalar(QStringLiteral("SELECT UserPassword FROM Security WHERE UserName = ?"), {UserName})
                .toString();
        std::vector<double> times;
        for (int r = 0; r < m_options.repeats; ++r) {
            const Stopwatch watch;
            require(PasswordHash::verify(stored, Password), QStringLiteral("the stored hash does not verify"));
            times.push_back(watch.seconds());
        }
        report.put(QStringLiteral("seconds"), Stopwatch::median(times));
    });
    if (!program.ok || !verify.ok) {
        m_table.addError(name, program.ok ? verify.error : program.error);
        return;
    }
    const double baseline = verify.value(QStringLiteral("seconds"));
    const double gap = std::max(program.value(QStringLiteral("gap")), program.value(QStringLiteral("legacyGap")));
    const auto add = [&](const QString& caption, double seconds, const QString& more, const QString& peak) {
        m_table.add({caption, ResultTable::duration(seconds) + more,
                     QStringLiteral("Argon2id verify alone: ") + ResultTable::duration(baseline),
                     ResultTable::times(seconds / baseline), QStringLiteral("< 250 ms"),
                     seconds < 0.25 ? ResultTable::Verdict::Pass : ResultTable::Verdict::Fail, peak, true});
    };
    add(name, program.value(QStringLiteral("first")),
        QStringLiteral(" (later logins ") + ResultTable::duration(program.value(QStringLiteral("later"))) +
            QLatin1Char(')'),
        ResultTable::mebibytes(program.peakMiB) + QStringLiteral(" (Argon2id: 64 MiB)"));
    add(QStringLiteral("login of a user whose password was stored as typed"), program.value(QStringLiteral("legacy")),
        QString(), QString());
    const double window = 0.05;
    m_table.add({QStringLiteral("the login window during those logins, asked to repaint every 10 ms"),
                 QStringLiteral("longest without a paint: ") + ResultTable::duration(gap),
                 QStringLiteral("a paint asked for every 10 ms"), ResultTable::times(gap / 0.01),
                 QStringLiteral("< 50 ms"), gap < window ? ResultTable::Verdict::Pass : ResultTable::Verdict::Fail,
                 QString()});
}
