#include "PictureListModel.h"

#include <QFile>

#include <algorithm>
#include <utility>

PictureListModel::PictureListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

int PictureListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_list.Size());
}

QVariant PictureListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || static_cast<std::size_t>(index.row()) >= m_list.Size())
        return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    // Paths are the file system's bytes; decodeName shows them as the system does.
    return QFile::decodeName(QByteArray::fromStdString(m_list.At(static_cast<std::size_t>(index.row()))));
}

std::size_t PictureListModel::Add(const std::string& path, bool* added)
{
    if (const auto listed = m_list.IndexOf(path)) {
        if (added)
            *added = false;
        return *listed;
    }
    // Where it will land: the list keeps its order, so the insert is one row.
    const std::size_t row = static_cast<std::size_t>(
        std::lower_bound(m_list.Entries().begin(), m_list.Entries().end(), path, &PictureList::Less) -
        m_list.Entries().begin());
    beginInsertRows(QModelIndex(), static_cast<int>(row), static_cast<int>(row));
    m_list.Add(path);
    endInsertRows();
    if (added)
        *added = true;
    return row;
}

std::size_t PictureListModel::AddMany(std::vector<std::string> paths)
{
    if (paths.empty())
        return 0;
    beginResetModel();
    const std::size_t added = m_list.AddMany(std::move(paths));
    endResetModel();
    return added;
}

void PictureListModel::RemoveAt(std::size_t row)
{
    if (row >= m_list.Size())
        return;
    beginRemoveRows(QModelIndex(), static_cast<int>(row), static_cast<int>(row));
    m_list.RemoveAt(row);
    endRemoveRows();
}

void PictureListModel::Clear()
{
    if (m_list.Empty())
        return;
    beginResetModel();
    m_list.Clear();
    endResetModel();
}
