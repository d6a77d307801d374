#pragma once

#include <QApplication>

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

private:
    bool m_reporting = false;
};
