#include "QtPrompts.h"

#include "ModalCloser.h"
#include "QtPrinters.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void Touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(PictureFileDialog, OffersAllPicturesSelectedBeforeTheTenFilters)
{
    const auto dialog = QtPrompts::MakePictureFileDialog(nullptr, QDir::tempPath());
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(QtPrompts::MakePictureFileDialog(nullptr, QDir::tempPath(), true)->fileMode(), QFileDialog::ExistingFiles);
    ASSERT_EQ(dialog->nameFilters().size(), 11);
    EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("All Pictures"));

    // What the user reads in the file-type list.
    auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    QStringList shown;
    for (int i = 0; i < types->count(); ++i)
        shown << types->itemText(i);
    EXPECT_EQ(shown, (QStringList{"All Pictures", "Picture Files (*.BMP)", "(*.JPG)", "(*.GIF)", "(*.PCX)", "(*.PNG)",
                                  "(*.ICO)", "(*.TIF)", "(*.TGA)", "(*.RAW)", "All Files (*.*)"}));
    EXPECT_EQ(types->currentIndex(), 0);
}

TEST(PictureFileDialog, FiltersMatchWithoutRegardToCaseAndAllFilesMeansAll)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"a.bmp", "B.BMP", "c.Bmp", "d.jpg", "e.JPG", "photoBMP", "noext", "f.jpeg", "G.HEIC",
                             "h.3FR", "i.txt"})
        Touch(dir.filePath(QString::fromLatin1(name)));

    const QStringList filters = QtPrompts::PictureFilters();
    auto matches = [&](int filter) {
        const QString patterns = filters[filter].section(QLatin1Char('('), -1).chopped(1);
        // Case-sensitive listing: the patterns themselves must ignore case.
        QStringList names = QDir(dir.path()).entryList(patterns.split(QLatin1Char(' ')), QDir::Files | QDir::CaseSensitive);
        names.sort();
        return names;
    };
    EXPECT_EQ(matches(0), (QStringList{"B.BMP", "G.HEIC", "a.bmp", "c.Bmp", "d.jpg", "e.JPG", "f.jpeg", "h.3FR"}));
    EXPECT_EQ(matches(1), (QStringList{"B.BMP", "a.bmp", "c.Bmp"}));
    EXPECT_EQ(matches(2), (QStringList{"d.jpg", "e.JPG"}));
    EXPECT_EQ(matches(10).size(), 11);  // names without a dot too
}

TEST(PictureFileDialog, ReturnsTheChosenFullPathsOrNothingOnCancelAndOpensWhereLastChosen)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("near")));
    const QString first = dir.filePath(QStringLiteral("photo.bmp"));
    const QString second = dir.filePath(QStringLiteral("photo.jpeg"));
    Touch(first);
    Touch(second);
    const std::string nearFile = dir.filePath(QStringLiteral("near/x.png")).toStdString();

    QtPrompts prompts;
    EXPECT_EQ(prompts.PictureStartFolder(nearFile), dir.filePath(QStringLiteral("near")));
    {
        ModalCloser closer([&](QWidget& widget) {
            auto* dialog = qobject_cast<QFileDialog*>(&widget);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->directory().absolutePath(), dir.filePath(QStringLiteral("near")));
            dialog->setDirectory(dir.path());
            // Typed as a user types two names (selectFile leaves a focused field alone).
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            name->setText(QStringLiteral("\"photo.bmp\" \"photo.jpeg\""));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        const auto chosen = prompts.OpenPictureFiles(nullptr, nearFile);
        EXPECT_EQ(chosen, (std::vector<std::string>{QDir::toNativeSeparators(first).toStdString(),
                                                    QDir::toNativeSeparators(second).toStdString()}));
        EXPECT_EQ(closer.Titles(), std::vector<std::string>{"Open"});
    }
    // The folder last chosen wins over the page's picture.
    EXPECT_EQ(prompts.PictureStartFolder(nearFile), dir.path());
    {
        ModalCloser closer;  // cancels
        EXPECT_FALSE(prompts.OpenPictureFile(nullptr, nearFile).has_value());
        EXPECT_EQ(closer.Count(), 1);
    }
}

TEST(MessageBox, CaptionedWithTheProgramNameWithOneOkButton)
{
    const QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    EXPECT_EQ(ApplicationTitle(), name);

    const auto plain = QtPrompts::MakeMessageBox(nullptr, QStringLiteral("Convert picture OK."), MessageIcon::None);
    EXPECT_EQ(plain->windowTitle(), name);
    EXPECT_EQ(plain->text(), QStringLiteral("Convert picture OK."));
    EXPECT_EQ(plain->icon(), QMessageBox::NoIcon);
    ASSERT_EQ(plain->buttons().size(), 1);
    EXPECT_EQ(plain->standardButton(plain->buttons().constFirst()), QMessageBox::Ok);

    const auto warning = QtPrompts::MakeMessageBox(nullptr, QStringLiteral("x"), MessageIcon::Warning);
    EXPECT_EQ(warning->icon(), QMessageBox::Warning);

    QtPrompts prompts;
    ModalCloser closer;
    prompts.ShowMessage(nullptr, "Please select out file type.");
    EXPECT_EQ(closer.Titles(), std::vector<std::string>{name.toStdString()});
}

TEST(FolderDialog, IsTheDesktopsFolderDialogOpeningAtTheInitialFolderOrItsNearestParent)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("sub")));
    const auto dialog = QtPrompts::MakeFolderDialog(nullptr, dir.path());
    EXPECT_FALSE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
    EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Browse"));
    EXPECT_EQ(dialog->directory().absolutePath(), dir.path());
    EXPECT_EQ(QtPrompts::MakeFolderDialog(nullptr, dir.filePath(QStringLiteral("gone/deeper")))->directory().absolutePath(),
              dir.path());
    for (const QString& initial : {QString(), QStringLiteral("relative")})
        EXPECT_EQ(QtPrompts::MakeFolderDialog(nullptr, initial)->directory().absolutePath(), QDir::homePath());

    QtPrompts prompts;
    {
        ModalCloser closer([&](QWidget& widget) {
            auto* fileDialog = qobject_cast<QFileDialog*>(&widget);
            ASSERT_NE(fileDialog, nullptr);
            fileDialog->setDirectory(dir.filePath(QStringLiteral("sub")));  // the user goes in and chooses
            QMetaObject::invokeMethod(fileDialog, "accept");
        });
        EXPECT_EQ(prompts.BrowseForFolder(nullptr, dir.path().toStdString()),
                  QDir::toNativeSeparators(dir.filePath(QStringLiteral("sub"))).toStdString());
        EXPECT_EQ(closer.Titles(), std::vector<std::string>{"Browse"});
    }
    {
        ModalCloser closer;
        EXPECT_FALSE(prompts.BrowseForFolder(nullptr, dir.path().toStdString()).has_value());
    }
}

}  // namespace
