#include "TemplateBuilder.h"

#include "AppIcon.h"
#include "PreviewFrame.h"

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

#include <algorithm>

namespace res {
namespace {

// The application icon, as large as the template's square allows, so it
// grows with the dialog font like the rest. Painted rather than held as a
// pixmap: the icon picks its image for the screen it is drawn on.
class IconLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        const int side = std::min(width(), height());
        m_icon.paint(&painter, QRect(0, 0, side, side));
    }

private:
    const QIcon m_icon = AppIcon();
};

QWidget* MakeEdit(const ControlTemplate& control, QWidget& parent)
{
    const bool border = (control.styles & kBorder) != 0;
    if (control.styles & kMultiLine) {
        auto* edit = new QPlainTextEdit(&parent);
        edit->setReadOnly((control.styles & kReadOnly) != 0);
        edit->setLineWrapMode(QPlainTextEdit::NoWrap);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        edit->setVerticalScrollBarPolicy((control.styles & kVScroll) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
        edit->setTabChangesFocus(true);
        if (!border)
            edit->setFrameShape(QFrame::NoFrame);
        edit->setPlainText(QString::fromStdString(control.caption));
        return edit;
    }
    auto* edit = new QLineEdit(QString::fromStdString(control.caption), &parent);
    edit->setReadOnly((control.styles & kReadOnly) != 0);
    edit->setFrame(border);
    return edit;
}

QWidget* MakeListBox(QWidget& parent)
{
    auto* list = new QListView(&parent);
    list->setUniformItemSizes(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Paths: keep the drive and the file name in sight.
    list->setTextElideMode(Qt::ElideMiddle);
    return list;
}

QWidget* MakeComboBox(const ControlTemplate& control, QWidget& parent)
{
    auto* combo = new QComboBox(&parent);
    for (const auto& item : control.items)
        combo->addItem(QString::fromStdString(item));
    combo->setCurrentIndex(-1);
    return combo;
}

QWidget* MakeProgressBar(QWidget& parent)
{
    auto* bar = new QProgressBar(&parent);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

QWidget* MakeIcon(QWidget& parent)
{
    return new IconLabel(&parent);
}

QWidget* MakeControl(const ControlTemplate& control, QWidget& parent)
{
    const QString caption = QString::fromStdString(control.caption);
    switch (control.kind) {
    case ControlKind::Text: {
        auto* label = new QLabel(caption, &parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case ControlKind::BlackFrame:
        return new PreviewFrame(&parent);
    case ControlKind::Icon:
        return MakeIcon(parent);
    case ControlKind::Edit:
        return MakeEdit(control, parent);
    case ControlKind::PushButton: {
        auto* button = new QPushButton(caption, &parent);
        // Only the template's default button answers Enter. An auto-default
        // button would become the default when the window shows or when it
        // takes the focus, and losing the focus would clear the template's.
        button->setAutoDefault(false);
        button->setDefault((control.styles & kDefPushButton) != 0);
        return button;
    }
    case ControlKind::CheckBox:
        return new QCheckBox(caption, &parent);
    case ControlKind::GroupBox:
        return new QGroupBox(caption, &parent);
    case ControlKind::ListBox:
        return MakeListBox(parent);
    case ControlKind::ComboBox:
        return MakeComboBox(control, parent);
    case ControlKind::ProgressBar:
        return MakeProgressBar(parent);
    }
    return new QWidget(&parent);
}

bool TakesFocus(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Edit:
    case ControlKind::PushButton:
    case ControlKind::CheckBox:
    case ControlKind::ListBox:
    case ControlKind::ComboBox:
        return true;
    default:
        return false;
    }
}

QRect PixelRect(const ControlTemplate& control, QWidget& widget, const DialogUnits& units)
{
    QRect rect = units.ToPixels(control.rect);
    if (control.kind == ControlKind::ComboBox)
        rect.setHeight(widget.sizeHint().height());
    return rect;
}

}  // namespace

QWidget* BuiltTemplate::Item(int id) const
{
    const auto it = m_byId.find(id);
    return it == m_byId.end() ? nullptr : it->second;
}

BuiltTemplate BuildTemplate(const DialogTemplate& dialog, QWidget& parent, const DialogUnits& units)
{
    BuiltTemplate built;
    built.m_size = units.ToPixels(dialog.cx, dialog.cy);
    for (const ControlTemplate& control : dialog.controls) {
        QWidget* widget = MakeControl(control, parent);
        widget->setObjectName(QStringLiteral("control%1").arg(control.id));
        if (TakesFocus(control.kind))
            widget->setFocusPolicy((control.styles & kTabStop) ? Qt::StrongFocus : Qt::ClickFocus);
        widget->setGeometry(PixelRect(control, *widget, units));
        built.m_widgets.push_back(widget);
        if (control.id >= 0)
            built.m_byId[control.id] = widget;
    }
    return built;
}

}  // namespace res
