#include "TemplateBuilder.h"

#include "AppInfo.h"
#include "CrispFrameStyle.h"
#include "DialogTemplate.h"
#include "PreviewFrame.h"
#include "ResourceIds.h"

#include "QtPrinters.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

namespace {

using res::ControlKind;

const char* ClassOf(ControlKind kind, std::uint32_t styles)
{
    switch (kind) {
    case ControlKind::Text:
    case ControlKind::Icon:
        return "QLabel";
    case ControlKind::BlackFrame:
        return "res::PreviewFrame";
    case ControlKind::Edit:
        return (styles & res::kMultiLine) ? "QPlainTextEdit" : "QLineEdit";
    case ControlKind::PushButton:
        return "QPushButton";
    case ControlKind::CheckBox:
        return "QCheckBox";
    case ControlKind::GroupBox:
        return "QGroupBox";
    case ControlKind::ListBox:
        return "QListView";
    case ControlKind::ComboBox:
        return "QComboBox";
    case ControlKind::ProgressBar:
        return "QProgressBar";
    }
    return "";
}

// The templates as their resource tables give them, copied by hand: the
// builder's own table is what is under test.
struct Row {
    int id;
    ControlKind kind;
    const char* caption;
    res::DialogRect rect;
    bool isDefault = false;
};

struct Sheet {
    int id;
    const char* caption;
    int cx;
    int cy;
    std::vector<Row> rows;
};

void PrintTo(const Sheet& sheet, std::ostream* os)
{
    *os << "template " << sheet.id;
}

using K = ControlKind;

const Sheet kSheets[] = {
    {100, "About Tessaglyph", 235, 55,
     {{-1, K::Icon, "", {11, 17, 20, 20}},
      {-1, K::Text, "Tessaglyph 1.5 ", {40, 10, 119, 8}},
      {-1, K::Text, res::kMakerNotice, {40, 25, 187, 8}},
      {1, K::PushButton, "OK", {178, 7, 50, 14}, true}}},
    {102, "Tessaglyph", 360, 240, {}},
    {129, "", 340, 210,
     {{1002, K::BlackFrame, "", {1, 0, 169, 153}},
      {-1, K::Text, "In File:", {3, 171, 57, 8}},
      {1003, K::Edit, "", {66, 170, 219, 14}},
      {1004, K::PushButton, "Open File", {289, 170, 50, 14}},
      {-1, K::Text, "Out Folder:", {4, 191, 58, 8}},
      {1005, K::Edit, "", {66, 190, 220, 14}},
      {1006, K::PushButton, "Open Folder", {290, 190, 49, 14}},
      {-1, K::GroupBox, "", {185, 19, 154, 95}},
      {-1, K::Text, "Out File Type:", {185, 7, 99, 8}},
      {1007, K::PushButton, "Convert", {185, 121, 154, 30}},
      {1009, K::CheckBox, "bmp", {189, 31, 28, 10}},
      {1017, K::CheckBox, "jpg", {248, 31, 28, 10}},
      {1018, K::CheckBox, "gif", {295, 31, 28, 10}},
      {1019, K::CheckBox, "pcx", {189, 52, 28, 10}},
      {1020, K::CheckBox, "png", {248, 52, 28, 10}},
      {1021, K::CheckBox, "ico", {295, 52, 28, 10}},
      {1022, K::CheckBox, "tif", {189, 71, 28, 10}},
      {1023, K::CheckBox, "tga", {248, 71, 28, 10}},
      {1024, K::CheckBox, "raw", {295, 71, 28, 10}}}},
    {130, "", 340, 210,
     {{1002, K::BlackFrame, "", {1, 0, 169, 153}},
      {1007, K::PushButton, "Convert", {282, 193, 57, 16}},
      {1011, K::ListBox, "", {186, 20, 151, 132}},
      {1013, K::PushButton, "AddFile", {186, 0, 57, 14}},
      {1012, K::PushButton, "AddFolder", {281, 0, 57, 14}},
      {-1, K::Text, "Out File Type:", {0, 159, 69, 10}},
      {1014, K::ComboBox, "", {76, 157, 77, 133}},
      {-1, K::Text, "Out Folder:", {1, 179, 60, 10}},
      {1005, K::Edit, "", {76, 175, 197, 14}},
      {1008, K::PushButton, "Open Folder", {282, 175, 57, 14}},
      {1016, K::ProgressBar, "", {0, 196, 274, 14}},
      {1021, K::PushButton, "Delete", {189, 156, 57, 14}},
      {1022, K::PushButton, "Delete All", {282, 156, 57, 14}}}},
    {131, "", 340, 210,
     {{1002, K::Icon, "", {13, 12, 20, 20}},
      {1017, K::Edit, "", {0, 72, 339, 137}},
      {-1, K::Text, "Tessaglyph 1.5", {71, 11, 254, 8}},
      {-1, K::Text, res::kMakerNotice, {71, 24, 254, 8}},
      {1019, K::Text, res::kHomepage, {142, 37, 197, 8}},
      {-1, K::Text, "WebSite:", {72, 38, 50, 8}},
      {1020, K::PushButton, "Get New Version", {71, 51, 77, 14}, true}}},
};

QString TextOf(QWidget* widget)
{
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (auto* box = qobject_cast<QGroupBox*>(widget))
        return box->title();
    return {};
}

class TemplateBuilderTest : public testing::TestWithParam<Sheet> {
protected:
    QWidget m_parent;
};

TEST_P(TemplateBuilderTest, BuildsEveryControlAsTheResourceTableSays)
{
    const Sheet& sheet = GetParam();
    const res::DialogTemplate* dialog = res::FindDialogTemplate(sheet.id);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(std::string(res::kVersionText), "1.5");
    EXPECT_EQ(dialog->caption, sheet.caption);
    const res::DialogUnits units(6, 12);
    const res::BuiltTemplate built = res::BuildTemplate(*dialog, m_parent, units);
    EXPECT_EQ(built.Size(), units.ToPixels(sheet.cx, sheet.cy));
    ASSERT_EQ(built.Widgets().size(), sheet.rows.size());
    for (std::size_t i = 0; i < sheet.rows.size(); ++i) {
        const Row& row = sheet.rows[i];
        QWidget* widget = built.Widgets()[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ", id " << row.id);
        EXPECT_EQ(widget->parentWidget(), &m_parent);
        EXPECT_STREQ(widget->metaObject()->className(), ClassOf(row.kind, dialog->controls[i].styles));
        EXPECT_EQ(TextOf(widget).toStdString(), row.caption);
        const QRect expected = units.ToPixels(row.rect);
        if (row.kind == ControlKind::ComboBox) {
            // The template's height is the drop-down's; the box keeps its own.
            EXPECT_EQ(widget->geometry().topLeft(), expected.topLeft());
            EXPECT_EQ(widget->width(), expected.width());
        } else {
            EXPECT_EQ(widget->geometry(), expected);
        }
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            EXPECT_EQ(button->isDefault(), row.isDefault);
            EXPECT_FALSE(button->autoDefault());
        }
        EXPECT_EQ(built.Item(row.id), row.id >= 0 ? widget : nullptr);
    }
    EXPECT_EQ(built.Item(4242), nullptr);
}

INSTANTIATE_TEST_SUITE_P(AllTemplates, TemplateBuilderTest, testing::ValuesIn(kSheets));

TEST(TemplateBuilder, SinglePageTemplateSitsWhereItsTableSays)
{
    QWidget parent;
    const res::DialogUnits units(6, 12);
    const auto built = res::BuildTemplate(*res::FindDialogTemplate(res::IDD_SINGLE), parent, units);
    // Spot checks against the template table, worked by hand.
    EXPECT_EQ(built.Item(res::IDC_PREVIEW)->geometry(), QRect(2, 0, 254, 230));
    EXPECT_EQ(built.Item(res::IDC_IN_FILE)->geometry(), QRect(99, 255, 329, 21));
    EXPECT_EQ(built.Item(res::IDC_CONVERT)->geometry(), QRect(278, 182, 231, 45));
    EXPECT_EQ(built.Item(res::IDC_CHECK_RAW)->geometry(), QRect(443, 107, 42, 15));
    auto* bmp = built.ItemAs<QCheckBox>(res::IDC_CHECK_BMP);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->text(), QStringLiteral("bmp"));
    EXPECT_FALSE(bmp->isTristate());
    EXPECT_EQ(built.ItemAs<QPushButton>(res::IDC_OPEN_FOLDER)->text(), QStringLiteral("Open Folder"));
    EXPECT_FALSE(built.ItemAs<QPushButton>(res::IDC_CONVERT)->isDefault());
}

TEST(TemplateBuilder, TabOrderFollowsTheTemplate)
{
    QWidget parent;
    const res::DialogTemplate& dialog = *res::FindDialogTemplate(res::IDD_SINGLE);
    const auto built = res::BuildTemplate(dialog, parent, res::DialogUnits(6, 12));
    std::vector<QWidget*> tabStops;
    for (QWidget* widget : built.Widgets()) {
        if (widget->focusPolicy() & Qt::TabFocus)
            tabStops.push_back(widget);
    }
    ASSERT_EQ(tabStops.size(), 14u);  // 2 edits, 3 buttons, 9 check boxes
    for (std::size_t i = 0; i + 1 < tabStops.size(); ++i) {
        QWidget* next = tabStops[i]->nextInFocusChain();
        while (next && !(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        EXPECT_EQ(next, tabStops[i + 1]) << i;
    }
}

TEST(TemplateBuilder, BatchControlsStartLikeTheirWindowsCounterparts)
{
    QWidget parent;
    const auto built = res::BuildTemplate(*res::FindDialogTemplate(res::IDD_BATCH), parent, res::DialogUnits(6, 12));
    auto* combo = built.ItemAs<QComboBox>(res::IDC_OUT_TYPE);
    ASSERT_NE(combo, nullptr);
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    EXPECT_EQ(items, (QStringList{"BMP", "JPG", "GIF", "PCX", "PNG", "ICO", "TIF", "TGA", "RAW"}));
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_FALSE(combo->isEditable());

    auto* progress = built.ItemAs<QProgressBar>(res::IDC_PROGRESS);
    ASSERT_NE(progress, nullptr);
    EXPECT_FALSE(progress->isTextVisible());
    EXPECT_EQ(progress->value(), 0);
    EXPECT_EQ(progress->focusPolicy(), Qt::NoFocus);

    auto* list = built.ItemAs<QListView>(res::IDC_FILE_LIST);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->model(), nullptr);  // the page brings its own
    EXPECT_TRUE(list->uniformItemSizes());
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
}

TEST(TemplateBuilder, AboutTextsCarryTheVersionFromOnePlace)
{
    const std::string version = std::string("Tessaglyph ") + res::kVersionText;
    EXPECT_EQ(std::string(res::kVersionText), "1.5");

    QWidget parent;
    const auto box = res::BuildTemplate(*res::FindDialogTemplate(res::IDD_ABOUTBOX), parent, res::DialogUnits(6, 12));
    EXPECT_EQ(qobject_cast<QLabel*>(box.Widgets()[1])->text().toStdString(), version + " ");
    EXPECT_EQ(qobject_cast<QLabel*>(box.Widgets()[2])->text().toStdString(), res::kMakerNotice);
    auto* ok = box.ItemAs<QPushButton>(res::IDC_ABOUTBOX_OK);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_TRUE(ok->isDefault());
    // The icon is painted, over its whole template square.
    QWidget* icon = box.Widgets()[0];
    QLabel blank;
    blank.resize(icon->size());
    EXPECT_NE(icon->grab().toImage(), blank.grab().toImage());

    const auto page = res::BuildTemplate(*res::FindDialogTemplate(res::IDD_ABOUT), parent, res::DialogUnits(6, 12));
    EXPECT_EQ(qobject_cast<QLabel*>(page.Widgets()[2])->text().toStdString(), version);
    EXPECT_EQ(page.ItemAs<QLabel>(res::IDC_WEBSITE)->text().toStdString(), res::kHomepage);
    auto* info = page.ItemAs<QPlainTextEdit>(res::IDC_INFO);
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->isReadOnly());
    EXPECT_EQ(info->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_TRUE(page.ItemAs<QPushButton>(res::IDC_GET_NEW_VERSION)->isDefault());
}

// At a fractional scale a control can begin inside a screen pixel; its frame
// must still show on all four sides, on the first and last whole pixels.
TEST(TemplateBuilder, FramesStayWholeAtFractionalScales)
{
    res::CrispFrameStyle style(QApplication::style()->name());
    const std::pair<int, int> framed[] = {
        {res::IDD_BATCH, res::IDC_PREVIEW}, {res::IDD_BATCH, res::IDC_FILE_LIST}, {res::IDD_ABOUT, res::IDC_INFO}};
    for (const auto& [dialogId, controlId] : framed) {
        QWidget parent;
        const auto built = res::BuildTemplate(*res::FindDialogTemplate(dialogId), parent, res::DialogUnits(7, 14));
        parent.resize(built.Size());
        for (QWidget* widget : built.Widgets())
            widget->setStyle(&style);
        const QWidget* widget = built.Item(controlId);
        for (const qreal scale : {1.25, 1.5}) {
            for (const int offset : {1, 2, 3}) {
                SCOPED_TRACE(testing::Message() << "control " << controlId << " at " << scale << ", offset " << offset);
                QPixmap shot(parent.size() * scale + QSize(8, 8));
                shot.setDevicePixelRatio(scale);
                shot.fill(Qt::green);
                parent.render(&shot, QPoint(offset, offset));
                const QImage image = shot.toImage();
                const QRectF screen(QPointF(widget->pos() + QPoint(offset, offset)) * scale, QSizeF(widget->size()) * scale);
                // The first and last pixels of the control: Qt rounds each edge.
                const int left = qRound(screen.left()), top = qRound(screen.top());
                const int right = qRound(screen.right()) - 1, bottom = qRound(screen.bottom()) - 1;
                const QPoint centre = screen.center().toPoint();
                // A frame pixel is neither the inside nor what lies outside.
                auto expectFrame = [&](QPoint edge, QPoint outside) {
                    EXPECT_NE(image.pixel(edge), image.pixel(centre)) << edge.x() << "," << edge.y();
                    EXPECT_NE(image.pixel(edge), image.pixel(outside)) << edge.x() << "," << edge.y();
                };
                expectFrame({left, centre.y()}, {left - 1, centre.y()});
                expectFrame({right, centre.y()}, {right + 1, centre.y()});
                expectFrame({centre.x(), top}, {centre.x(), top - 1});
                expectFrame({centre.x(), bottom}, {centre.x(), bottom + 1});
            }
        }
    }
}

TEST(TemplateBuilder, StringTableAndUnknownIds)
{
    EXPECT_EQ(res::ResourceString(res::IDS_ABOUTBOX), "关于 Tessaglyph(&A)...");
    EXPECT_EQ(res::ResourceString(999), "");
    EXPECT_EQ(res::FindDialogTemplate(999), nullptr);
    const res::DialogTemplate* main = res::FindDialogTemplate(res::IDD_MAIN);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->caption, "Tessaglyph");
    EXPECT_EQ(main->cx, 360);
    EXPECT_EQ(main->cy, 240);
}

TEST(PreviewFrame, PaintsThroughTheHandlerAndDrawsTheFrameOverIt)
{
    QWidget parent;
    const auto built = res::BuildTemplate(*res::FindDialogTemplate(res::IDD_SINGLE), parent, res::DialogUnits(6, 12));
    auto* frame = built.ItemAs<res::PreviewFrame>(res::IDC_PREVIEW);
    ASSERT_NE(frame, nullptr);

    QRect painted;
    frame->SetPaintHandler([&painted](QPainter& painter, const QRect& client) {
        painted = client;
        painter.fillRect(client, QColor(128, 128, 128));
    });
    const QImage image = frame->grab().toImage();
    EXPECT_EQ(painted, QRect(QPoint(0, 0), frame->size()));
    EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() / 2), QColor(128, 128, 128));
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(image.width() - 1, image.height() - 1), QColor(Qt::black));

    frame->SetPaintHandler({});
    const QImage plain = frame->grab().toImage();
    EXPECT_NE(plain.pixelColor(plain.width() / 2, plain.height() / 2), QColor(128, 128, 128));
    EXPECT_EQ(plain.pixelColor(0, 0), QColor(Qt::black));
}

}  // namespace
