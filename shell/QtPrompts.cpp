#include "QtPrompts.h"

#include "ReadableFormats.h"

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
    for (const QChar c : extension) {
        if (c.isLetter())
            pattern += QStringLiteral("[%1%2]").arg(c.toLower(), c.toUpper());
        else
            pattern += c;
    }
    return pattern;
}

bool IsFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

// The folder a dialog opens at for `folder`: itself, or its nearest existing
// parent; home for an empty or relative one.
QString ExistingFolderOrParent(const QString& folder)
{
    QString path = QDir::cleanPath(QDir::fromNativeSeparators(folder));
    if (path.isEmpty() || !QDir::isAbsolutePath(path))
        return QDir::homePath();
    while (!QFileInfo(path).isDir()) {
        const QString parent = QFileInfo(path).absolutePath();
        if (parent == path)
            return QDir::homePath();
        path = parent;
    }
    return path;
}

std::string NativePath(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdString();
}

}  // namespace

QString ApplicationTitle()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

QStringList QtPrompts::PictureFilters()
{
    // Each entry shows its description; the patterns after it are what match.
    QStringList all;
    for (const std::string& extension : ReadablePictureExtensions())
        all << CaseInsensitivePattern(QString::fromStdString(extension));
    QStringList filters{QStringLiteral("All Pictures (%1)").arg(all.join(QLatin1Char(' ')))};
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

std::unique_ptr<QFileDialog> QtPrompts::MakePictureFileDialog(QWidget* owner, const QString& folder, bool several)
{
    auto dialog = std::make_unique<QFileDialog>(owner, QStringLiteral("Open"), folder);
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setOption(QFileDialog::HideNameFilterDetails, true);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog->setNameFilters(PictureFilters());
    dialog->selectNameFilter(PictureFilters().constFirst());
    return dialog;
}

std::unique_ptr<QFileDialog> QtPrompts::MakeFolderDialog(QWidget* owner, const QString& initialFolder)
{
    auto dialog = std::make_unique<QFileDialog>(owner, QStringLiteral("Browse"), ExistingFolderOrParent(initialFolder));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly, true);
    dialog->setLabelText(QFileDialog::FileName, QStringLiteral("Select folder:"));
    return dialog;
}

std::unique_ptr<QMessageBox> QtPrompts::MakeMessageBox(QWidget* owner, const QString& text, MessageIcon icon)
{
    auto box = std::make_unique<QMessageBox>(icon == MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
                                             ApplicationTitle(), text, QMessageBox::Ok, owner);
    box->setDefaultButton(QMessageBox::Ok);
    return box;
}

QString QtPrompts::PictureStartFolder(const std::string& nearFile) const
{
    if (IsFolder(m_strLastFolder))
        return m_strLastFolder;
    const QString near = QFileInfo(QDir::fromNativeSeparators(QString::fromStdString(nearFile))).absolutePath();
    if (!nearFile.empty() && QDir::isAbsolutePath(near) && IsFolder(near))
        return near;
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return IsFolder(pictures) ? pictures : QDir::homePath();
}

std::vector<std::string> QtPrompts::RunPictureDialog(QWidget* owner, const std::string& nearFile, bool several)
{
    auto dialog = MakePictureFileDialog(owner, PictureStartFolder(nearFile), several);
    if (dialog->exec() != QDialog::Accepted)
        return {};
    std::vector<std::string> chosen;
    for (const QString& file : dialog->selectedFiles()) {
        const QFileInfo info(file);
        m_strLastFolder = info.absolutePath();
        chosen.push_back(NativePath(info.absoluteFilePath()));
    }
    return chosen;
}

std::optional<std::string> QtPrompts::OpenPictureFile(QWidget* owner, const std::string& nearFile)
{
    std::vector<std::string> chosen = RunPictureDialog(owner, nearFile, false);
    if (chosen.empty())
        return std::nullopt;
    return chosen.front();
}

std::vector<std::string> QtPrompts::OpenPictureFiles(QWidget* owner, const std::string& nearFile)
{
    return RunPictureDialog(owner, nearFile, true);
}

std::optional<std::string> QtPrompts::BrowseForFolder(QWidget* owner, const std::string& initialFolder)
{
    auto dialog = MakeFolderDialog(owner, QString::fromStdString(initialFolder));
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog->selectedFiles();
    if (chosen.isEmpty() || !QDir::isAbsolutePath(chosen.constFirst()))
        return std::string();  // an answer without a path
    return NativePath(QDir::cleanPath(chosen.constFirst()));
}

void QtPrompts::ShowMessage(QWidget* owner, const std::string& text, MessageIcon icon)
{
    MakeMessageBox(owner, QString::fromStdString(text), icon)->exec();
}
