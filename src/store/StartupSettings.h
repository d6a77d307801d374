#pragma once

#include <QByteArray>
#include <QString>

// The start-up preferences kept in Settings.ini: two lines, "QuickLogin,<value>" and
// "StartView,<value>", each ended by CR LF. Readers take the values by position (the
// keys are not checked); a short or odd file gives the defaults.
class StartupSettings
{
public:
    static constexpr const char* FileName = "Settings.ini";

    QString QuickLogin = QStringLiteral("No");
    QString StartView = QStringLiteral("Client");

    // Compared case-sensitively: only "Yes" logs in quickly, only "Client" sorts by last name.
    bool quickLogin() const { return QuickLogin == QLatin1String("Yes"); }
    bool startByClient() const { return StartView == QLatin1String("Client"); }

    // The values of the second and fourth comma- or line-separated fields of `content`.
    static StartupSettings parse(const QByteArray& content);
    QByteArray serialize() const;

    // Settings.ini in the application folder.
    static QString filePath();
    // The file's settings; the defaults when it is missing or unreadable.
    static StartupSettings read(const QString& path = filePath());
    // Replaces the file atomically. Throws std::runtime_error when it cannot be written.
    void write(const QString& path = filePath()) const;
    // Reads the file, creating it with the defaults when it is missing.
    static StartupSettings readOrCreate(const QString& path = filePath());
};
