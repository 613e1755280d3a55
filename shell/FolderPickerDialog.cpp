#include "FolderPickerDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

QString WithoutTrailingSeparator(QString path)
{
    while (path.size() > 1 && (path.endsWith(QLatin1Char('/')) || path.endsWith(QDir::separator())))
        path.chop(1);
    return path;
}

}  // namespace

FolderPickerDialog::FolderPickerDialog(QWidget* owner, const QString& initialFolder)
    : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Browse"));

    m_pTitle = new QLabel(QStringLiteral("Select folder:"), this);
    m_pModel = new QFileSystemModel(this);
    m_pModel->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
    m_pModel->setRootPath(QDir::rootPath());

    m_pTree = new QTreeView(this);
    m_pTree->setModel(m_pModel);
    m_pTree->setHeaderHidden(true);
    for (int column = 1; column < m_pModel->columnCount(); ++column)
        m_pTree->hideColumn(column);

    m_pPathField = new QLineEdit(this);
    m_pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pTitle);
    layout->addWidget(m_pTree, 1);
    layout->addWidget(m_pPathField);
    layout->addWidget(m_pButtons);
    resize(420, 460);

    connect(m_pTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &FolderPickerDialog::OnCurrentChanged);
    connect(m_pPathField, &QLineEdit::textChanged, this, &FolderPickerDialog::OnPathEdited);
    connect(m_pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    QString start = WithoutTrailingSeparator(QDir::fromNativeSeparators(initialFolder));
    if (start.isEmpty() || !QFileInfo(start).isDir())
        start = QDir::homePath();
    const QModelIndex index = m_pModel->index(start);
    if (index.isValid()) {
        m_pTree->setCurrentIndex(index);
        m_pTree->scrollTo(index, QAbstractItemView::PositionAtCenter);
    }
    OnPathEdited();
}

QString FolderPickerDialog::ChosenFolder() const
{
    const QString text = QDir::fromNativeSeparators(m_pPathField->text().trimmed());
    if (text.isEmpty() || !QDir::isAbsolutePath(text) || !QFileInfo(text).isDir())
        return {};
    return QDir::toNativeSeparators(WithoutTrailingSeparator(QDir::cleanPath(text)));
}

void FolderPickerDialog::OnCurrentChanged()
{
    const QString path = m_pModel->filePath(m_pTree->currentIndex());
    m_pPathField->setText(QDir::toNativeSeparators(path));
}

void FolderPickerDialog::OnPathEdited()
{
    m_pButtons->button(QDialogButtonBox::Ok)->setEnabled(!ChosenFolder().isEmpty());
}
