#pragma once

#include <QDialog>

class QTextBrowser;

// Help > About Orvanta: the program's version, the database it works on and the libraries it
// runs with (their versions as loaded, and their licences), as text a person can select and
// copy into a message to whoever looks after the program.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);

    // What the dialog shows, as plain text.
    QString text() const;

private:
    QTextBrowser* m_text = nullptr;
};
