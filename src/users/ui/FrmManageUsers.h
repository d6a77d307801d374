#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class UserInformationFrame;

// The user management window, captioned "Manage Users": a tree of the users on the left;
// a double click on one fills the form on the right, and "Save" writes the form back to
// that user's row. Opened as a child window of the main window.
class FrmManageUsers : public QWidget
{
    Q_OBJECT

public:
    static constexpr int TagRole = Qt::UserRole;     // SecurityId of the node's user
    static constexpr int KeyRole = Qt::UserRole + 1; // last name followed by the running number

    explicit FrmManageUsers(QWidget* parent = nullptr);

    // The first showing fills the tree.
    void setVisible(bool visible) override;

    // The designed size. Its controls are placed without a layout, so a child window
    // that holds it sizes itself from this.
    QSize sizeHint() const override;

    // SecurityId of the user being edited; empty when none is.
    QString editedUserId() const { return m_editedUserId; }

private:
    void load();
    void showUser();
    void save();

    bool m_loaded = false;
    QString m_editedUserId;

    QTreeWidget* m_tree = nullptr;
    UserInformationFrame* m_frame = nullptr;
    QLabel* m_generatedPassword = nullptr;
    QPushButton* m_save = nullptr;
};
