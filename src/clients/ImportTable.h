#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <vector>

// A file of clients as read for an import: the names of its columns and its rows, each with
// the line of the file on which it starts (counted from 1), so that a message can name it.
// Every row has exactly as many cells as there are column names.
struct ImportTable
{
    struct Row
    {
        qint64 line = 0;
        QStringList cells;
    };

    QStringList header;
    std::vector<Row> rows;
};
