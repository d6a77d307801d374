#include "clients/ui/FieldsPanel.h"

#include "clients/ClientRecord.h"
#include "store/StoreError.h"
#include "widgets/Twips.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>

namespace {

// The place of a field whose definition gives none, in twips inside the field frame.
struct Pattern
{
    double left;
    double top;
    double width;
    double height;
};

constexpr Pattern LabelPattern{720, -120, 2655, 375};
constexpr Pattern BoxPattern{3720, -120, 8775, 375};

// A stored position or width, or the pattern's when the stored text is not a number.
double orPattern(const QString& stored, double pattern)
{
    return FieldEntry::twips(stored).value_or(pattern);
}

// Labels with a buddy take "&" as a keyboard mnemonic; field names show it as it is.
QString shownAsIs(QString name)
{
    return name.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

FieldsPanel::FieldsPanel(QFrame* fieldFrame, ClientRecord& record)
    : QObject(fieldFrame), m_frame(fieldFrame), m_record(record)
{
}

void FieldsPanel::clear()
{
    for (const PlacedField& placed : m_placed) {
        delete placed.label;
        delete placed.box;
    }
    m_placed.clear();
}

void FieldsPanel::show(const QString& tab, bool storedRow, bool locked)
{
    clear();
    const std::vector<FieldEntry>& fields = m_record.fields();
    int element = 0;
    for (const int field : m_record.fieldsOf(tab)) {
        const FieldEntry& entry = fields[static_cast<size_t>(field)];
        ++element;

        auto* label = new QLabel(shownAsIs(entry.fieldName), m_frame);
        label->setObjectName(QStringLiteral("Label1_%1").arg(element));
        label->setTextFormat(Qt::PlainText);
        label->setToolTip(entry.fieldName);
        label->setAccessibleName(entry.fieldName);
        label->setGeometry(Twips::rect(orPattern(entry.labelLeft, LabelPattern.left),
                                       orPattern(entry.labelTop, LabelPattern.top),
                                       orPattern(entry.fieldWidth, LabelPattern.width), LabelPattern.height));

        auto* box = new QLineEdit(m_frame);
        box->setObjectName(QStringLiteral("Text1_%1").arg(element));
        box->setToolTip(entry.fieldName);
        box->setAccessibleName(entry.fieldName);
        box->setReadOnly(locked);
        box->setGeometry(Twips::rect(orPattern(entry.fieldLeft, BoxPattern.left),
                                     orPattern(entry.fieldTop, BoxPattern.top),
                                     orPattern(entry.fieldWidth, BoxPattern.width), BoxPattern.height));
        label->setBuddy(box);
        label->show();
        box->show();
        m_placed.push_back({field, label, box});
    }

    if (storedRow) {
        QHash<QString, QString> stored;
        try {
            if (!m_placed.empty())
                stored = m_record.storedValues(tab);
        } catch (const StoreError&) {
            stored.clear();
        }
        for (const PlacedField& placed : m_placed) {
            const auto found = stored.constFind(fields[static_cast<size_t>(placed.field)].fieldName);
            if (found != stored.constEnd())
                placed.box->setText(found.value());
        }
    } else {
        for (const PlacedField& placed : m_placed)
            placed.box->setText(m_record.value(placed.field));
    }
}

void FieldsPanel::keepTypedValues()
{
    for (const PlacedField& placed : m_placed)
        m_record.setValue(placed.field, placed.box->text());
}

void FieldsPanel::setLocked(bool locked)
{
    for (const PlacedField& placed : m_placed)
        placed.box->setReadOnly(locked);
}

QList<QWidget*> FieldsPanel::boxes() const
{
    QList<QWidget*> shown;
    for (const PlacedField& placed : m_placed)
        shown.append(placed.box);
    return shown;
}
