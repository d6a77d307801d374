#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <vector>

class ClientRecord;
class QFrame;
class QLabel;
class QLineEdit;
class QWidget;

// The fields of the record window's selected data tab: one label and one text box per field
// definition, placed in the field frame where the definition says (the pattern's place where
// it says nothing usable), showing the stored row while the client is viewed and the values
// being edited otherwise.
class FieldsPanel : public QObject
{
    Q_OBJECT

public:
    // `record` is the window's client; it outlives the panel.
    FieldsPanel(QFrame* fieldFrame, ClientRecord& record);

    // Replaces the fields on screen with those of `tab` (none for a fixed tab). With
    // `storedRow`, the boxes show the tab's stored row (a missing row, Null value or missing
    // column leaves a box empty); otherwise the record's values.
    void show(const QString& tab, bool storedRow, bool locked);
    // Puts what the boxes hold into the record's values.
    void keepTypedValues();
    void setLocked(bool locked);
    // The text boxes, in field order.
    QList<QWidget*> boxes() const;

private:
    struct PlacedField
    {
        int field; // position in the record's field entries
        QLabel* label;
        QLineEdit* box;
    };

    void clear();

    QFrame* m_frame = nullptr;
    ClientRecord& m_record;
    std::vector<PlacedField> m_placed;
};
