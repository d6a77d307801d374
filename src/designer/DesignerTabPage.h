#pragma once

#include <QString>
#include <QVariant>

// One tab being defined: a page of the designer's tab strip.
struct DesignerTabPage
{
    QString name;        // the page caption; TabInfo.TabNam and the tab table's name
    QString description; // TabInfo.TabDescription, shown as the page's tip text
    QString client;      // PersonalInformationId of the one client it applies to; empty for all

    // The client as the TabInfo row stores it: Null for every client, else the client's
    // identifier. Throws StoreError when the client is not a whole number, as no client's is.
    QVariant clientValue() const;
};
