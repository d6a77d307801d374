#pragma once

#include "clients/ClientImport.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QListWidget;
class QProgressDialog;
class QPushButton;
class QTableWidget;

// The preview of an import: which column of the file fills which client field (guessed from
// the file's column names, changeable per column), the first rows as they will be stored, and
// the rows that will be skipped and why. Import stores every other row in one transaction,
// behind a progress dialog whose Cancel stores nothing.
class frmImportClients : public QDialog
{
    Q_OBJECT

public:
    // Rows shown in the preview.
    static constexpr int PreviewRows = 20;

    frmImportClients(ClientImport import, const QString& fileName, QWidget* parent = nullptr);

    // The clients stored by the last import; 0 until one succeeded.
    int importedCount() const { return m_imported; }

    // Called with the progress dialog (named dlgImportProgress) each time the import reports,
    // so that a test can press Cancel at a known moment. Empty: none.
    static void setProgressHook(std::function<void(QProgressDialog* dialog)> hook);

private:
    void fillMapping(const QStringList& header, const std::vector<int>& mapping);
    QComboBox* fieldChooser(int column, int chosen);
    void fieldChosen();
    void refreshPreview();
    void runImport();

    ClientImport m_import;
    QString m_fileName;
    int m_imported = 0;

    QLabel* m_lblFile = nullptr;
    QTableWidget* m_mapping = nullptr;
    QTableWidget* m_preview = nullptr;
    QLabel* m_lblSkipped = nullptr;
    QListWidget* m_skipped = nullptr;
    QLabel* m_lblSummary = nullptr;
    QPushButton* m_cmdImport = nullptr;
    QList<QComboBox*> m_choosers;
};
