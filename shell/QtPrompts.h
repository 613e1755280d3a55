#pragma once

#include "Prompts.h"

#include <QString>
#include <QStringList>

#include <memory>

class QFileDialog;
class QMessageBox;

// IPrompts with Qt's dialogs. The picture dialog is Qt's own, so its filter
// texts read the same on every desktop; the folder dialog is the desktop's
// own (native, or the portal's) where the desktop has one.
class QtPrompts : public IPrompts {
public:
    std::optional<std::string> OpenPictureFile(QWidget* owner, const std::string& nearFile) override;
    std::vector<std::string> OpenPictureFiles(QWidget* owner, const std::string& nearFile) override;
    std::optional<std::string> BrowseForFolder(QWidget* owner, const std::string& initialFolder) override;
    void ShowMessage(QWidget* owner, const std::string& text, MessageIcon icon = MessageIcon::None) override;

    // The dialogs as they are shown, for tests and for callers that want to
    // run them their own way.
    static std::unique_ptr<QFileDialog> MakePictureFileDialog(QWidget* owner, const QString& folder,
                                                              bool several = false);
    static std::unique_ptr<QFileDialog> MakeFolderDialog(QWidget* owner, const QString& initialFolder);
    static std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* owner, const QString& text, MessageIcon icon);

    // The open-file dialog's filters, in order.
    static QStringList PictureFilters();

    // Where the picture dialog opens: the folder last chosen in it, else the
    // folder of `nearFile`, else the Pictures folder, else home.
    QString PictureStartFolder(const std::string& nearFile) const;

private:
    std::vector<std::string> RunPictureDialog(QWidget* owner, const std::string& nearFile, bool several);

    QString m_strLastFolder;  // where the open-file dialog opens next time
};

// The application's name: the executable's file name without its extension.
QString ApplicationTitle();
