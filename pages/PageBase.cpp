#include "PageBase.h"

#include "DialogTemplate.h"
#include "DialogUnits.h"

#include <QKeyEvent>

PageBase::PageBase()
    : QDialog(nullptr, Qt::Widget)
{
}

PageBase::~PageBase() = default;

bool PageBase::Create(int templateId, QWidget* parent)
{
    const res::DialogTemplate* dialog = res::FindDialogTemplate(templateId);
    if (m_bCreated || !dialog)
        return false;
    // A child without a frame; the tab control shows it.
    setParent(parent, Qt::Widget);
    setFont(res::DialogFont());
    m_controls = res::BuildTemplate(*dialog, *this, res::DialogFontUnits());
    setFixedSize(m_controls.Size());
    m_bCreated = true;
    OnInitDialog();
    return true;
}

void PageBase::DestroyWindow()
{
    if (!m_bCreated || m_bDestroyed)
        return;
    m_bDestroyed = true;
    OnDestroy();
    emit PageDestroyed();
    hide();
    setParent(nullptr);
}

QWidget* PageBase::GetDlgItem(int id) const
{
    return m_controls.Item(id);
}

bool PageBase::UpdateData(bool bSaveAndValidate)
{
    if (!m_bCreated)
        return false;
    DataExchange dx(*this, bSaveAndValidate);
    DoDataExchange(dx);
    return true;
}

void PageBase::done(int /*result*/)
{
}

void PageBase::DoDataExchange(DataExchange& /*dx*/)
{
}

bool PageBase::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void PageBase::OnDestroy()
{
}

void PageBase::keyPressEvent(QKeyEvent* event)
{
    // Escape is the holding window's to handle; QDialog would hide the page.
    if (event->matches(QKeySequence::Cancel)) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

QWidget* PageBase::MessageOwner()
{
    return m_bDestroyed || !window()->isVisible() ? nullptr : this;
}
