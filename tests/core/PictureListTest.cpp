#include "PictureList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

using Paths = std::vector<std::string>;

TEST(PictureListTest, KeepsAlphabeticalOrderWithoutRegardToCaseWhateverTheAddingOrder)
{
    const Paths expected{"/p/A.png", "/p/a.png", "/p/b.png", "/p/C.png", "/p/c_d.png", "/q/a.png"};
    Paths order = expected;
    std::mt19937 random(7);
    for (int round = 0; round < 5; ++round) {
        std::shuffle(order.begin(), order.end(), random);
        PictureList list;
        for (const std::string& p : order)
            list.Add(p);
        EXPECT_EQ(list.Entries(), expected);
        PictureList bulk;
        EXPECT_EQ(bulk.AddMany(order), expected.size());
        EXPECT_EQ(bulk.Entries(), expected);
    }
}

TEST(PictureListTest, OnlyAnExactWholePathIsADuplicate)
{
    PictureList list;
    bool added = false;
    list.Add("/p/a.bmp.png");
    list.Add("/p/a.bmp", &added);
    EXPECT_TRUE(added) << "a listed path that begins with it must not refuse it";
    list.Add("/p/A.bmp", &added);
    EXPECT_TRUE(added) << "case counts on Linux";
    const std::size_t index = list.Add("/p/a.bmp", &added);
    EXPECT_FALSE(added);
    EXPECT_EQ(list.At(index), "/p/a.bmp");
    EXPECT_EQ(list.Entries(), (Paths{"/p/A.bmp", "/p/a.bmp", "/p/a.bmp.png"}));
    EXPECT_EQ(list.AddMany({"/p/a.bmp", "/p/A.bmp", "/p/new.gif", "/p/new.gif"}), 1u);
    EXPECT_EQ(list.Size(), 4u);
}

TEST(PictureListTest, RemovesByIndexFindsByPathAndClears)
{
    PictureList list;
    list.AddMany({"/c.png", "/a.png", "/b.png"});
    EXPECT_EQ(list.IndexOf("/b.png"), std::optional<std::size_t>(1));
    EXPECT_FALSE(list.IndexOf("/B.png").has_value());
    list.RemoveAt(1);
    list.RemoveAt(99);
    EXPECT_EQ(list.Entries(), (Paths{"/a.png", "/c.png"}));
    list.Clear();
    EXPECT_TRUE(list.Empty());
}

TEST(PictureListTest, AHundredThousandScannedPathsMergeIntoOneSortedList)
{
    Paths paths;
    for (int i = 0; i < 100000; ++i)
        paths.push_back("/pics/" + std::string(i % 2 ? "Folder" : "folder") + std::to_string(i % 97) + "/IMG_"
                        + std::to_string(i * 7919 % 100000) + ".JPG");
    PictureList list;
    list.Add("/pics/zzz.png");
    EXPECT_EQ(list.AddMany(paths), 100000u);
    EXPECT_EQ(list.Size(), 100001u);
    EXPECT_TRUE(std::is_sorted(list.Entries().begin(), list.Entries().end(), PictureList::Less));
    EXPECT_EQ(list.AddMany(paths), 0u);
    EXPECT_TRUE(list.IndexOf(paths[12345]).has_value());
}

}  // namespace
