#pragma once

#include "PictureList.h"

#include <QAbstractListModel>

#include <cstddef>
#include <string>
#include <vector>

// The Batch page's file list as a Qt model over PictureList: one row per
// path, always in the list's sorted order. Rows show the path as the file
// system spells it; the tooltip shows it whole, since the view elides long
// paths. Built for lists of 100,000 entries and more: a single add or remove
// moves only its row, a batch of adds and a clear reset the model once.
// User-interface thread only.
class PictureListModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit PictureListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Adds `path` unless it is listed (an exact match); gives its row either way.
    std::size_t Add(const std::string& path, bool* added = nullptr);

    // Adds a folder scan's findings at once; gives how many were new. The
    // model is reset, so views lose their selection (the caller restores it).
    std::size_t AddMany(std::vector<std::string> paths);

    // Removes one row; a row past the end removes nothing.
    void RemoveAt(std::size_t row);
    void Clear();

    const PictureList& List() const { return m_list; }

private:
    PictureList m_list;
};
