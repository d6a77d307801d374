#pragma once

#include "store/ClientId.h"

#include "clients/SearchStatement.h"

#include <QStringList>
#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

// Finds stored client documents by their summary or by their content, and opens a hit.
class frmFindInfo : public QWidget
{
    Q_OBJECT

public:
    explicit frmFindInfo(QWidget* parent = nullptr);

    ClientId PersonalInformationId = NoClient; // the current client

    // Fills the client and file-type lists; runs once, on first show at the latest.
    void load();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void updateOptionStates();
    void find();
    void openResult(QTreeWidgetItem* item);
    bool collectOptions(SearchStatement::Options& options);
    void showResults(const QList<QStringList>& rows);

    QLineEdit* m_searchString = nullptr;
    QRadioButton* m_summary = nullptr;
    QRadioButton* m_content = nullptr;
    QRadioButton* m_exactPhrase = nullptr;
    QRadioButton* m_contains = nullptr;
    QRadioButton* m_allClients = nullptr;
    QRadioButton* m_currentClient = nullptr;
    QRadioButton* m_specifyClient = nullptr;
    QComboBox* m_clientList = nullptr;
    QComboBox* m_fileType = nullptr;
    QListWidget* m_category = nullptr;
    QRadioButton* m_allVersions = nullptr;
    QRadioButton* m_specifyVersion = nullptr;
    QLineEdit* m_versionText = nullptr;
    QTreeWidget* m_results = nullptr;
    QList<ClientId> m_clientIds; // identifier of the client at each position of the client list
    bool m_loaded = false;
};
