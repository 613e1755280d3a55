#include "QtPrompts.h"

#include "FolderPickerDialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

namespace {

// "*.BMP" as a pattern that ignores case on every file system: "*.[bB][mM][pP]".
QString CaseInsensitivePattern(const QString& extension)
{
    QString pattern = QStringLiteral("*.");
    for (const QChar c : extension)
        pattern += QStringLiteral("[%1%2]").arg(c.toLower(), c.toUpper());
    return pattern;
}

QString StartFolder(const QString& lastFolder)
{
    if (!lastFolder.isEmpty() && QFileInfo(lastFolder).isDir())
        return lastFolder;
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
}

}  // namespace

QString ApplicationTitle()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

QStringList QtPrompts::PictureFilters()
{
    // Each entry shows its description; the pattern after it is what matches.
    QStringList filters;
    bool first = true;
    for (const char* extension : {"BMP", "JPG", "GIF", "PCX", "PNG", "ICO", "TIF", "TGA", "RAW"}) {
        const QString ext = QString::fromLatin1(extension);
        const QString description = QStringLiteral("%1(*.%2)").arg(first ? QStringLiteral("Picture Files ") : QString(), ext);
        filters << QStringLiteral("%1 (%2)").arg(description, CaseInsensitivePattern(ext));
        first = false;
    }
    // "*.*" would miss names without a dot here.
    filters << QStringLiteral("All Files (*.*) (*)");
    return filters;
}

std::unique_ptr<QFileDialog> QtPrompts::MakePictureFileDialog(QWidget* owner, const QString& folder)
{
    auto dialog = std::make_unique<QFileDialog>(owner, QStringLiteral("Open"), folder);
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setOption(QFileDialog::HideNameFilterDetails, true);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilters(PictureFilters());
    dialog->selectNameFilter(PictureFilters().constFirst());
    return dialog;
}

std::unique_ptr<QMessageBox> QtPrompts::MakeMessageBox(QWidget* owner, const QString& text, MessageIcon icon)
{
    auto box = std::make_unique<QMessageBox>(icon == MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
                                             ApplicationTitle(), text, QMessageBox::Ok, owner);
    box->setDefaultButton(QMessageBox::Ok);
    return box;
}

std::optional<std::string> QtPrompts::OpenPictureFile(QWidget* owner)
{
    auto dialog = MakePictureFileDialog(owner, StartFolder(m_strLastFolder));
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return std::nullopt;
    const QFileInfo chosen(dialog->selectedFiles().constFirst());
    m_strLastFolder = chosen.absolutePath();
    return QDir::toNativeSeparators(chosen.absoluteFilePath()).toStdString();
}

std::optional<std::string> QtPrompts::BrowseForFolder(QWidget* owner, const std::string& initialFolder)
{
    FolderPickerDialog dialog(owner, QString::fromStdString(initialFolder));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.ChosenFolder().toStdString();
}

void QtPrompts::ShowMessage(QWidget* owner, const std::string& text, MessageIcon icon)
{
    MakeMessageBox(owner, QString::fromStdString(text), icon)->exec();
}
