#pragma once

#include <QDialog>
#include <QString>

class QDialogButtonBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QTreeView;

// The folder picker behind IPrompts::BrowseForFolder: caption "Browse", the
// text "Select folder:", the folder tree, and a text field that shows the
// full path of the selected folder and takes a typed one. OK is enabled while
// the field names an existing folder by its absolute path.
class FolderPickerDialog : public QDialog {
    Q_OBJECT

public:
    // Opens at `initialFolder` without its trailing separator; an empty or
    // missing folder opens at the home folder.
    FolderPickerDialog(QWidget* owner, const QString& initialFolder);

    // The folder in the text field: absolute, cleaned, native separators, no
    // trailing separator except for a root. Empty when it names no folder.
    QString ChosenFolder() const;

    QTreeView* Tree() const { return m_pTree; }
    QLineEdit* PathField() const { return m_pPathField; }
    QLabel* Title() const { return m_pTitle; }

private:
    void OnCurrentChanged();
    void OnPathEdited();

    QLabel* m_pTitle = nullptr;
    QTreeView* m_pTree = nullptr;
    QFileSystemModel* m_pModel = nullptr;
    QLineEdit* m_pPathField = nullptr;
    QDialogButtonBox* m_pButtons = nullptr;
};
