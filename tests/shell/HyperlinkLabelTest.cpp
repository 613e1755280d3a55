#include "HyperlinkLabel.h"

#include "FakePrompts.h"
#include "ModalCloser.h"
#include "WaitUntil.h"

#include <QCursor>
#include <QFontMetrics>
#include <QImage>
#include <QMessageBox>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

const QColor kLink(0, 0, 238);
const QColor kVisited(85, 26, 139);
const QColor kHover(255, 0, 0);
const std::string kUrl = "https://example.org/tessaglyph";

class HyperlinkLabelTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_parent = std::make_unique<QWidget>();
        m_parent->setGeometry(0, 0, 400, 200);
        m_link = new HyperlinkLabel(m_parent.get());
        m_link->setGeometry(20, 20, 300, 30);
        m_link->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        m_link->setText(QString::fromStdString(kUrl));
        m_link->SetPrompts(&m_prompts);
        m_link->SetLauncher([this](const std::string& url, int showCommand) {
            m_launches.emplace_back(url, showCommand);
            return m_nResult;
        });
    }

    void AttachAndShow()
    {
        m_link->PreSubclassWindow();
        m_parent->show();
        ASSERT_TRUE(WaitUntil([this] { return m_parent->windowHandle() && m_parent->windowHandle()->isExposed(); }));
    }

    // The pointer is moved for real: the hover timer reads its position.
    void HoverStart()
    {
        const QPoint inside = m_link->rect().center();
        QCursor::setPos(m_link->mapToGlobal(inside));
        QMouseEvent move(QEvent::MouseMove, QPointF(inside), QPointF(m_link->mapToGlobal(inside)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_link, &move);
        ASSERT_TRUE(m_link->IsHovering());
    }

    void HoverEnd()
    {
        QCursor::setPos(m_parent->mapToGlobal(QPoint(390, 190)));
        ASSERT_TRUE(WaitUntil([this] { return !m_link->IsHovering(); }, 2000));
    }

    void Click()
    {
        const QPointF at(m_link->rect().center());
        const QPointF global(m_link->mapToGlobal(at.toPoint()));
        QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_link, &press);
        QCoreApplication::sendEvent(m_link, &release);
    }

    QColor TextColour() const { return m_link->palette().color(QPalette::WindowText); }

    std::unique_ptr<QWidget> m_parent;
    HyperlinkLabel* m_link = nullptr; // owned by m_parent
    FakePrompts m_prompts;
    std::vector<std::pair<std::string, int>> m_launches;
    int m_nResult = 42;
};

TEST_F(HyperlinkLabelTest, ColourFollowsHoverVisitedAndTheClickResult)
{
    AttachAndShow();
    EXPECT_EQ(TextColour(), kLink);

    Click();
    ASSERT_EQ(m_launches.size(), 1u);
    EXPECT_EQ(m_launches[0], std::make_pair(kUrl, 5));
    EXPECT_TRUE(m_link->IsVisited());
    EXPECT_EQ(TextColour(), kVisited);
    EXPECT_TRUE(m_prompts.messages.empty());

    HoverStart();
    EXPECT_EQ(TextColour(), kHover) << "hover wins over visited";
    HoverEnd();
    EXPECT_EQ(TextColour(), kVisited);

    m_nResult = 26;
    Click();
    EXPECT_FALSE(m_link->IsVisited()) << "a failed click clears the visited state";
    EXPECT_EQ(TextColour(), kLink);
    ASSERT_EQ(m_prompts.messages.size(), 1u);
    EXPECT_EQ(m_prompts.messages[0].text, "Unable to open hyperlink:\n\nA sharing violation occurred. ");
    EXPECT_EQ(m_prompts.messages[0].icon, MessageIcon::Warning);

    m_nResult = 4;
    Click();
    ASSERT_EQ(m_prompts.messages.size(), 2u);
    EXPECT_EQ(m_prompts.messages[1].text, "Unable to open hyperlink:\n\nUnknown Error (4) occurred.");
}

TEST_F(HyperlinkLabelTest, PaintsTheTextInTheStateColourOverTheParent)
{
    m_parent->setAutoFillBackground(true);
    m_parent->setPalette(QPalette(Qt::white));
    m_link->SetUnderlineMode(1);
    AttachAndShow();
    m_link->SetVisitedState(true);
    // The underline is a solid run of the text colour; around it the
    // parent's white shows through the label.
    const QImage image = m_parent->grab(m_link->geometry()).toImage();
    int visited = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            visited += image.pixelColor(x, y) == kVisited ? 1 : 0;
    }
    EXPECT_GT(visited, m_link->width() / 2);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::white));
}

struct UnderlineCase {
    int mode;
    bool before;
    bool during;
    bool after;
};

class UnderlineModeTest : public HyperlinkLabelTest, public testing::WithParamInterface<UnderlineCase> {};

TEST_P(UnderlineModeTest, UnderlinesBeforeDuringAndAfterHoverByMode)
{
    AttachAndShow();
    m_link->SetUnderlineMode(GetParam().mode);
    EXPECT_EQ(m_link->font().underline(), GetParam().before);
    HoverStart();
    EXPECT_EQ(m_link->font().underline(), GetParam().during);
    HoverEnd();
    EXPECT_EQ(m_link->font().underline(), GetParam().after);
    // The pointer may come back: a second hover behaves like the first.
    HoverStart();
    EXPECT_EQ(m_link->font().underline(), GetParam().during);
    HoverEnd();
    EXPECT_EQ(m_link->font().underline(), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Modes, UnderlineModeTest, testing::Values(
    UnderlineCase{-1, false, true, false}, UnderlineCase{0, false, false, false},
    UnderlineCase{1, true, true, true}));

TEST_F(HyperlinkLabelTest, HoverEndsOnlyWhenThePointerIsOutside)
{
    AttachAndShow();
    HoverStart();
    // Ticks come every 100 ms; with the pointer inside, none ends the hover.
    ASSERT_FALSE(WaitUntil([this] { return !m_link->IsHovering(); }, 350));
    HoverEnd();
}

TEST_F(HyperlinkLabelTest, TooltipShowsTheAddress)
{
    m_link->SetLinkUrl("https://example.org/first");
    EXPECT_TRUE(m_link->toolTip().isEmpty()) << "nothing shows before attaching";
    AttachAndShow();
    EXPECT_EQ(m_link->toolTip(), QStringLiteral("https://example.org/first"));
    m_link->SetLinkUrl("https://example.org/second");
    EXPECT_EQ(m_link->toolTip(), QStringLiteral("https://example.org/second"));
    EXPECT_EQ(m_link->text().toStdString(), kUrl) << "the text stays";
    EXPECT_EQ(m_link->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(HyperlinkLabelTest, EmptyTextTakesTheAddressAndEmptyAddressTheText)
{
    AttachAndShow();
    EXPECT_EQ(m_link->LinkUrl(), kUrl);

    auto* blank = new HyperlinkLabel(m_parent.get());
    blank->SetLinkUrl("https://example.org/x");
    blank->PreSubclassWindow();
    EXPECT_EQ(blank->text(), QStringLiteral("https://example.org/x"));
    EXPECT_EQ(blank->toolTip(), QStringLiteral("https://example.org/x"));
    EXPECT_GT(blank->width(), 0);

    auto* nothing = new HyperlinkLabel(m_parent.get());
    nothing->PreSubclassWindow();
    EXPECT_TRUE(nothing->text().isEmpty());
    EXPECT_TRUE(nothing->LinkUrl().empty());
}

TEST_F(HyperlinkLabelTest, MarkupInTheTextIsShownNotInterpreted)
{
    m_link->setText(QStringLiteral("<b>https://example.org</b>"));
    AttachAndShow();
    EXPECT_EQ(m_link->textFormat(), Qt::PlainText);
    EXPECT_EQ(m_link->LinkUrl(), "<b>https://example.org</b>");
}

TEST_F(HyperlinkLabelTest, SubclassingTakesThePlaceOfTheControl)
{
    auto* control = new QLabel(QString::fromStdString(kUrl), m_parent.get());
    control->setObjectName(QStringLiteral("control1019"));
    control->setGeometry(142, 37, 197, 12);
    control->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont font = control->font();
    font.setPointSize(15);
    control->setFont(font);

    HyperlinkLabel* link = HyperlinkLabel::SubclassLabel(*control);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->parentWidget(), m_parent.get());
    EXPECT_EQ(link->objectName(), QStringLiteral("control1019"));
    EXPECT_EQ(link->text(), control->text());
    EXPECT_EQ(link->LinkUrl(), kUrl);
    EXPECT_EQ(link->font().pointSize(), 15);
    EXPECT_FALSE(link->font().underline());
    EXPECT_EQ(link->pos(), QPoint(142, 37));
    EXPECT_TRUE(control->isHidden());
    EXPECT_FALSE(link->isHidden());

    QLabel orphan;
    EXPECT_EQ(HyperlinkLabel::SubclassLabel(orphan), nullptr);
}

TEST_F(HyperlinkLabelTest, FailedClickWithoutPromptsShowsAWarningBox)
{
    m_link->SetPrompts(nullptr);
    AttachAndShow();
    m_nResult = 31;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    ModalCloser closer([&](QWidget& modal) {
        if (auto* box = qobject_cast<QMessageBox*>(&modal)) {
            text = box->text();
            icon = box->icon();
        }
    });
    Click();
    ASSERT_EQ(closer.Count(), 1);
    EXPECT_EQ(text, QStringLiteral("Unable to open hyperlink:\n\nThere is no application associated\n"
                                   "with the given filename extension."));
    EXPECT_EQ(icon, QMessageBox::Warning);
}

// FitToText keeps the edge or centre that the alignment names and makes the
// text part exactly as wide and high as the text in the underline font, with
// the frame and the indent QLabel keeps from each edge it is aligned to (half
// an "x" for a framed label).
struct FitCase {
    const char* name;
    Qt::Alignment alignment;
    QRect start;
};

void PrintTo(const FitCase& c, std::ostream* os)
{
    *os << c.name;
}

class FitToTextTest : public HyperlinkLabelTest, public testing::WithParamInterface<FitCase> {};

TEST_P(FitToTextTest, KeepsTheAnchorOfItsAlignment)
{
    const FitCase& c = GetParam();
    m_link->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_link->setLineWidth(2);
    m_link->setAlignment(c.alignment);
    m_link->setGeometry(c.start);
    m_link->PreSubclassWindow();

    QFont underline = m_link->font();
    underline.setUnderline(true);
    const QFontMetrics metrics(underline);
    const QSize text = metrics.size(0, m_link->text());
    const QRect fitted = m_link->geometry();
    const int indent = metrics.horizontalAdvance(QLatin1Char('x')) / 2;
    const int borders = 4 + ((c.alignment & Qt::AlignHCenter) ? 0 : indent);
    const int bordersY = 4 + ((c.alignment & Qt::AlignTop) ? indent : 0);

    if (c.alignment & Qt::AlignHCenter) {
        // Centre kept; truncation toward zero may leave one pixel either way.
        EXPECT_LE(std::abs((fitted.left() + fitted.right()) - (c.start.left() + c.start.right())), 1);
        EXPECT_LE(std::abs(fitted.width() - (text.width() + borders)), 1);
    } else if (c.alignment & Qt::AlignRight) {
        EXPECT_EQ(fitted.right(), c.start.right());
        EXPECT_EQ(fitted.width(), text.width() + borders);
    } else {
        EXPECT_EQ(fitted.left(), c.start.left());
        EXPECT_EQ(fitted.width(), text.width() + borders);
        EXPECT_EQ(m_link->contentsRect().width(), text.width() + indent);
    }
    if (c.alignment & Qt::AlignVCenter) {
        EXPECT_LE(std::abs((fitted.top() + fitted.bottom()) - (c.start.top() + c.start.bottom())), 1);
        EXPECT_LE(std::abs(fitted.height() - (text.height() + bordersY)), 1);
    } else {
        EXPECT_EQ(fitted.top(), c.start.top());
        EXPECT_EQ(fitted.height(), text.height() + bordersY);
    }
}

INSTANTIATE_TEST_SUITE_P(Alignments, FitToTextTest, testing::Values(
    FitCase{"left, wide", Qt::AlignLeft | Qt::AlignTop, QRect(10, 20, 351, 51)},
    FitCase{"left, narrow", Qt::AlignLeft | Qt::AlignTop, QRect(10, 20, 31, 5)},
    FitCase{"centre, wide", Qt::AlignHCenter | Qt::AlignTop, QRect(10, 20, 351, 51)},
    FitCase{"centre, narrow", Qt::AlignHCenter | Qt::AlignTop, QRect(100, 20, 31, 51)},
    FitCase{"right, wide", Qt::AlignRight | Qt::AlignTop, QRect(10, 20, 351, 51)},
    FitCase{"right, narrow", Qt::AlignRight | Qt::AlignTop, QRect(300, 20, 30, 51)},
    FitCase{"left, vertically centred", Qt::AlignLeft | Qt::AlignVCenter, QRect(10, 20, 351, 51)},
    FitCase{"left, vertically centred, low", Qt::AlignLeft | Qt::AlignVCenter, QRect(10, 20, 351, 3)}));

TEST_F(HyperlinkLabelTest, FitsAgainWhenTheAddressChanges)
{
    AttachAndShow();
    const int width = m_link->width();
    m_link->setText(QStringLiteral("a much longer text than the address was before"));
    m_link->SetLinkUrl("https://example.org/y");
    EXPECT_GT(m_link->width(), width);
}

} // namespace
