#pragma once

#include "users/UserSession.h"

#include <QWidget>

class QLineEdit;
class QPushButton;

// The login window. At program start it logs the user in and has the main window shown;
// opened from the main window's "Login as Different User" it only replaces the user.
// It knows nothing of the main window: it hands over the session through its signals.
class frmLogin : public QWidget
{
    Q_OBJECT

public:
    // `parent` is the main window when this login replaces the user of a running program.
    explicit frmLogin(QWidget* parent = nullptr);

    // True when the login only replaces the user of the running main window.
    bool LogDiffUser = false;
    // How long the splash window stays, in milliseconds.
    int SplashDuration = 3000;

    // Reads the settings (creating Settings.ini when missing), logs in at once in quick-login
    // mode, warns while the built-in account is the only user, and otherwise shows the window.
    void load();

signals:
    // A user logged in (or the quick login ran).
    void loggedIn(const UserSession& session);
    // The main window should now be shown: while the splash ends, after a login at start.
    void mainWindowDue();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void okClicked();
    void cancelClicked();
    void quickLogin();
    void begin(const UserSession& session);
    void showSplash();

    QLineEdit* m_userName = nullptr;
    QLineEdit* m_password = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    // Set while a login runs (the splash keeps processing events meanwhile).
    bool m_busy = false;
};
