#pragma once

#include <QString>
#include <QStringList>

class QWidget;
class StoreError;

// The messages with which the record window, the event dialog and the client picker answer a
// save that wrote nothing. In each case the window keeps what the user typed, so that Save can be tried again.
class SaveReport
{
public:
    // "Another program is using the database. Nothing was saved." and how to go on.
    static QString busyText();
    // A record whose `fields` were changed elsewhere since this window loaded them.
    static QString changedElsewhereText(const QStringList& fields);
    // The failure of the record window's save, create or delete that the database reported.
    static QString saveFailedText();

    // The same for a client that could not be deleted.
    static QString busyDeleteText();
    // The same for the client picker, whose choice stays selected.
    static QString busyChoiceText();

    // Shows `busy` when another program held the database locked, else `otherwise`.
    static void failure(QWidget* parent, const StoreError& error, const QString& otherwise,
                        const QString& busy = busyText());
    static void changedElsewhere(QWidget* parent, const QStringList& fields);
};
