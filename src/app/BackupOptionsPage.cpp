#include "app/BackupOptionsPage.h"

#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "store/BackupSettings.h"
#include "store/StoreError.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {

template <typename Control>
Control* place(Control* control, const QString& name, const QRect& geometry)
{
    control->setObjectName(name);
    control->setGeometry(geometry);
    return control;
}

QLabel* label(QWidget* parent, const QString& name, const QString& caption, QWidget* buddy, const QRect& geometry)
{
    auto* shown = place(new QLabel(caption, parent), name, geometry);
    shown->setBuddy(buddy);
    return shown;
}

} // namespace

BackupOptionsPage::BackupOptionsPage(QWidget* parent) : QWidget(parent)
{
    auto* frame = place(new QGroupBox(QStringLiteral("Automatic Backups"), this), QStringLiteral("fraBackup"),
                        Twips::rect(0, 0, 6435, 2880));

    // The caption is broken over two lines: on one it is wider than the frame in some fonts.
    m_automatic = place(new QCheckBox(QStringLiteral("Back up &automatically when Orvanta closes\n"
                                                     "(at most once a day)"),
                                      frame),
                        QStringLiteral("chkAutoBackup"), Twips::rect(240, 300, 6015, 540));
    m_automatic->setAccessibleName(QStringLiteral("Back up automatically when Orvanta closes (at most once a day)"));
    m_folder = place(new QLineEdit(frame), QStringLiteral("txtBackupFolder"), Twips::rect(1920, 990, 3015, 315));
    m_browse = place(new QPushButton(QStringLiteral("&Browse..."), frame), QStringLiteral("cmdBackupFolder"),
                     Twips::rect(5040, 960, 1215, 375));
    m_keep = place(new QSpinBox(frame), QStringLiteral("spnBackupKeep"), Twips::rect(1920, 1440, 1695, 315));
    m_keep->setRange(BackupSettings::MinimumKeep, BackupSettings::MaximumKeep);
    m_keep->setSuffix(QStringLiteral(" backups"));
    m_administratorsOnly =
        place(new QLabel(QStringLiteral("Only administrators can change the backup settings."), frame),
              QStringLiteral("lblBackupAdministrators"), Twips::rect(240, 1890, 6015, 285));
    m_save = place(new QPushButton(QStringLiteral("&Save Backup Settings"), frame), QStringLiteral("cmdSaveBackup"),
                   Twips::rect(240, 2310, 2535, 375));

    QLabel* folderLabel = label(frame, QStringLiteral("lblBackupFolder"), QStringLiteral("Backup &folder"), m_folder,
                                Twips::rect(240, 1020, 1575, 285));
    QLabel* keepLabel = label(frame, QStringLiteral("lblBackupKeep"), QStringLiteral("&Keep the newest"), m_keep,
                              Twips::rect(240, 1470, 1575, 285));
    m_changers = {m_automatic, folderLabel, m_folder, m_browse, keepLabel, m_keep, m_save};

    QWidget::setTabOrder(m_automatic, m_folder);
    QWidget::setTabOrder(m_folder, m_browse);
    QWidget::setTabOrder(m_browse, m_keep);
    QWidget::setTabOrder(m_keep, m_save);

    connect(m_browse, &QPushButton::clicked, this, &BackupOptionsPage::browse);
    connect(m_save, &QPushButton::clicked, this, &BackupOptionsPage::save);
}

void BackupOptionsPage::load(bool mayChange)
{
    const BackupSettings settings = BackupSettings::load();
    m_automatic->setChecked(settings.automatic);
    m_folder->setText(settings.folder);
    m_keep->setValue(settings.keep);

    for (QWidget* control : std::as_const(m_changers))
        control->setEnabled(mayChange);
    m_administratorsOnly->setVisible(!mayChange);
}

void BackupOptionsPage::browse()
{
    BackupSettings typed;
    typed.folder = m_folder->text();
    const QString chosen = FileDialog::instance().getExistingDirectory(this, QStringLiteral("Choose the Backup Folder"),
                                                                       typed.folderPath());
    if (!chosen.isEmpty())
        m_folder->setText(QDir::toNativeSeparators(chosen));
}

void BackupOptionsPage::save()
{
    BackupSettings settings;
    settings.automatic = m_automatic->isChecked();
    if (!m_folder->text().trimmed().isEmpty())
        settings.folder = m_folder->text();
    settings.keep = m_keep->value();
    try {
        settings.save();
    } catch (const StoreError& error) {
        MessageBox::inform(this, QStringLiteral("Orvanta"),
                           QStringLiteral("The backup settings could not be saved.\n%1").arg(error.message()),
                           MessageBox::Critical);
        return;
    }
    // A blank folder was saved as the default one; show which.
    m_folder->setText(settings.folder);
}
