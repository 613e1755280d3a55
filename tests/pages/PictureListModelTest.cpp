// The Batch list's model: rows at their sorted places, selections that follow
// their entries, one reset per batch, nothing for what changes nothing.
#include "PictureListModel.h"

#include <QItemSelectionModel>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Rows(const PictureListModel& model)
{
    std::vector<std::string> rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows.push_back(model.index(row).data().toString().toStdString());
    return rows;
}

TEST(PictureListModelTest, AnAddInsertsOneRowAtItsSortedPlaceAndTheSelectionFollowsItsEntry)
{
    PictureListModel model;
    model.Add("/p/b.png");
    model.Add("/p/D.png");
    QItemSelectionModel selection(&model);
    selection.setCurrentIndex(model.index(1), QItemSelectionModel::ClearAndSelect);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

    bool added = false;
    EXPECT_EQ(model.Add("/p/c.png", &added), 1u);
    EXPECT_TRUE(added);
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 1);
    EXPECT_EQ(inserted[0][2].toInt(), 1);
    EXPECT_EQ(Rows(model), (std::vector<std::string>{"/p/b.png", "/p/c.png", "/p/D.png"}));
    ASSERT_EQ(selection.selectedRows().size(), 1);
    EXPECT_EQ(selection.selectedRows()[0].row(), 2);

    // Listed already: its row, and no change.
    EXPECT_EQ(model.Add("/p/D.png", &added), 2u);
    EXPECT_FALSE(added);
    EXPECT_EQ(inserted.size(), 1);
}

TEST(PictureListModelTest, ABatchResetsTheModelOnceAndCountsOnlyNewPaths)
{
    PictureListModel model;
    model.Add("/p/m.png");
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    EXPECT_EQ(model.AddMany({"/p/z.png", "/p/m.png", "/p/a.png", "/p/z.png"}), 2u);
    EXPECT_EQ(reset.size(), 1);
    EXPECT_EQ(Rows(model), (std::vector<std::string>{"/p/a.png", "/p/m.png", "/p/z.png"}));

    EXPECT_EQ(model.AddMany({}), 0u);
    EXPECT_EQ(reset.size(), 1);
}

TEST(PictureListModelTest, RemovalsOutsideTheListAndClearingAnEmptyListChangeNothing)
{
    PictureListModel model;
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.Clear();
    model.RemoveAt(0);
    model.Add("/p/a.png");
    model.RemoveAt(1);
    EXPECT_EQ(removed.size(), 0);
    EXPECT_EQ(reset.size(), 0);
    EXPECT_EQ(model.rowCount(), 1);

    model.RemoveAt(0);
    EXPECT_EQ(removed.size(), 1);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(PictureListModelTest, RowsShowTheWholePathAlsoAsTooltipAndNothingElse)
{
    PictureListModel model;
    model.Add("/a very/long/path/\xc3\xa9t\xc3\xa9.png");
    EXPECT_EQ(model.index(0).data(Qt::DisplayRole).toString(), QString::fromUtf8("/a very/long/path/\xc3\xa9t\xc3\xa9.png"));
    EXPECT_EQ(model.index(0).data(Qt::ToolTipRole), model.index(0).data(Qt::DisplayRole));
    EXPECT_FALSE(model.index(0).data(Qt::DecorationRole).isValid());
    EXPECT_FALSE(model.index(1).data().isValid());
    EXPECT_EQ(model.rowCount(model.index(0)), 0);
}

}  // namespace
