#pragma once

#include "Prompts.h"

#include <QString>
#include <QStringList>

#include <memory>

class QFileDialog;
class QMessageBox;

// IPrompts with Qt's own (non-native) dialogs, so they look and behave the
// same on every desktop.
class QtPrompts : public IPrompts {
public:
    std::optional<std::string> OpenPictureFile(QWidget* owner) override;
    std::optional<std::string> BrowseForFolder(QWidget* owner, const std::string& initialFolder) override;
    void ShowMessage(QWidget* owner, const std::string& text, MessageIcon icon = MessageIcon::None) override;

    // The dialogs as they are shown, for tests and for callers that want to
    // run them their own way.
    static std::unique_ptr<QFileDialog> MakePictureFileDialog(QWidget* owner, const QString& folder);
    static std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* owner, const QString& text, MessageIcon icon);

    // The open-file dialog's filters, in order.
    static QStringList PictureFilters();

private:
    QString m_strLastFolder;  // where the open-file dialog opens next time
};

// The application's name: the executable's file name without its extension.
QString ApplicationTitle();
