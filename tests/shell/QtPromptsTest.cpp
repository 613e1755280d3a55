#include "QtPrompts.h"

#include "FolderPickerDialog.h"
#include "ModalCloser.h"
#include "QtPrinters.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

void Touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(PictureFileDialog, OffersTheTenFiltersWithBmpFirstAndSelected)
{
    const auto dialog = QtPrompts::MakePictureFileDialog(nullptr, QDir::tempPath());
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    ASSERT_EQ(dialog->nameFilters().size(), 10);
    EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("Picture Files (*.BMP)"));

    // What the user reads in the file-type list.
    auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    QStringList shown;
    for (int i = 0; i < types->count(); ++i)
        shown << types->itemText(i);
    EXPECT_EQ(shown, (QStringList{"Picture Files (*.BMP)", "(*.JPG)", "(*.GIF)", "(*.PCX)", "(*.PNG)", "(*.ICO)",
                                  "(*.TIF)", "(*.TGA)", "(*.RAW)", "All Files (*.*)"}));
    EXPECT_EQ(types->currentIndex(), 0);
}

TEST(PictureFileDialog, FiltersMatchWithoutRegardToCaseAndAllFilesMeansAll)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"a.bmp", "B.BMP", "c.Bmp", "d.jpg", "e.JPG", "photoBMP", "noext", "f.jpeg"})
        Touch(dir.filePath(QString::fromLatin1(name)));

    const QStringList filters = QtPrompts::PictureFilters();
    auto matches = [&](int filter) {
        const QString patterns = filters[filter].section(QLatin1Char('('), -1).chopped(1);
        // Case-sensitive listing: the patterns themselves must ignore case.
        QStringList names = QDir(dir.path()).entryList(patterns.split(QLatin1Char(' ')), QDir::Files | QDir::CaseSensitive);
        names.sort();
        return names;
    };
    EXPECT_EQ(matches(0), (QStringList{"B.BMP", "a.bmp", "c.Bmp"}));
    EXPECT_EQ(matches(1), (QStringList{"d.jpg", "e.JPG"}));
    EXPECT_EQ(matches(9).size(), 8);  // names without a dot too
}

TEST(PictureFileDialog, ReturnsTheChosenFullPathOrNothingOnCancel)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString picture = dir.filePath(QStringLiteral("photo.bmp"));
    Touch(picture);

    QtPrompts prompts;
    {
        ModalCloser closer([&](QWidget& widget) {
            auto* dialog = qobject_cast<QFileDialog*>(&widget);
            ASSERT_NE(dialog, nullptr);
            dialog->setDirectory(dir.path());
            dialog->selectFile(picture);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        const auto chosen = prompts.OpenPictureFile(nullptr);
        ASSERT_TRUE(chosen.has_value());
        EXPECT_EQ(*chosen, QDir::toNativeSeparators(picture).toStdString());
        EXPECT_EQ(closer.Titles(), std::vector<std::string>{"Open"});
    }
    {
        ModalCloser closer;  // cancels
        EXPECT_FALSE(prompts.OpenPictureFile(nullptr).has_value());
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

class FolderPickerTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("sub/deeper")));
    }

    QString Native(const QString& path) const { return QDir::toNativeSeparators(path); }

    QTemporaryDir m_dir;
};

TEST_F(FolderPickerTest, OpensAtTheInitialFolderAndShowsItsFullPath)
{
    FolderPickerDialog dialog(nullptr, m_dir.path() + QStringLiteral("/"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Browse"));
    EXPECT_EQ(dialog.Title()->text(), QStringLiteral("Select folder:"));
    EXPECT_EQ(dialog.PathField()->text(), Native(m_dir.path()));
    EXPECT_EQ(dialog.ChosenFolder(), Native(m_dir.path()));
}

TEST_F(FolderPickerTest, TheFieldFollowsTheSelection)
{
    FolderPickerDialog dialog(nullptr, m_dir.path());
    auto* model = dialog.Tree()->model();
    const QModelIndex sub = qobject_cast<QFileSystemModel*>(model)->index(m_dir.filePath(QStringLiteral("sub/deeper")));
    ASSERT_TRUE(sub.isValid());
    dialog.Tree()->setCurrentIndex(sub);
    EXPECT_EQ(dialog.PathField()->text(), Native(m_dir.filePath(QStringLiteral("sub/deeper"))));
}

TEST_F(FolderPickerTest, OkOnlyForAnExistingFolderGivenByItsAbsolutePath)
{
    FolderPickerDialog dialog(nullptr, m_dir.path());
    QPushButton* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    EXPECT_TRUE(ok->isEnabled());

    dialog.PathField()->setText(m_dir.filePath(QStringLiteral("missing")));
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_EQ(dialog.ChosenFolder(), QString());

    dialog.PathField()->setText(QStringLiteral("sub"));  // relative: to what?
    EXPECT_FALSE(ok->isEnabled());

    dialog.PathField()->setText(m_dir.path() + QStringLiteral("/sub/./deeper//"));
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(dialog.ChosenFolder(), Native(m_dir.filePath(QStringLiteral("sub/deeper"))));

    dialog.PathField()->setText(QStringLiteral("/"));
    EXPECT_EQ(dialog.ChosenFolder(), Native(QStringLiteral("/")));
}

TEST_F(FolderPickerTest, AnEmptyOrMissingInitialFolderOpensAtHome)
{
    for (const QString& initial : {QString(), m_dir.filePath(QStringLiteral("gone"))}) {
        FolderPickerDialog dialog(nullptr, initial);
        EXPECT_EQ(dialog.PathField()->text(), Native(QDir::homePath())) << initial.toStdString();
    }
}

TEST_F(FolderPickerTest, BrowseForFolderReturnsTheChoiceOrNothing)
{
    QtPrompts prompts;
    const QString target = m_dir.filePath(QStringLiteral("sub"));
    {
        ModalCloser closer([&](QWidget& widget) {
            auto* dialog = qobject_cast<FolderPickerDialog*>(&widget);
            ASSERT_NE(dialog, nullptr);
            dialog->PathField()->setText(target);
            dialog->accept();
        });
        const auto chosen = prompts.BrowseForFolder(nullptr, m_dir.path().toStdString());
        ASSERT_TRUE(chosen.has_value());
        EXPECT_EQ(*chosen, Native(target).toStdString());
        EXPECT_EQ(closer.Titles(), std::vector<std::string>{"Browse"});
    }
    {
        ModalCloser closer;
        EXPECT_FALSE(prompts.BrowseForFolder(nullptr, m_dir.path().toStdString()).has_value());
    }
}

}  // namespace
