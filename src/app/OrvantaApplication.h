#pragma once

#include <QApplication>

class StoreError;

// The application object. A failure that escapes a window's handler (a database or file
// error that no window handles) is reported in one message box and the program goes on.
class OrvantaApplication : public QApplication
{
    Q_OBJECT

public:
    OrvantaApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows `message` in the program's error box.
    static void reportError(const QString& message);

    // What the user is told about a database failure no window handles. A database another
    // program holds locked is named as such, with the news that nothing was saved, so that
    // the user tries again rather than reading the engine's bare words.
    static QString describe(const StoreError& error);

private:
    bool m_reporting = false;
};
