#include "AboutBox.h"

#include "DialogTemplate.h"
#include "DialogUnits.h"
#include "ResourceIds.h"

#include <QPushButton>

AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
{
    const res::DialogTemplate& dialog = *res::FindDialogTemplate(res::IDD_ABOUTBOX);
    setWindowTitle(QString::fromStdString(dialog.caption));
    setFont(res::DialogFont());
    m_controls = res::BuildTemplate(dialog, *this, res::DialogFontUnits());
    setFixedSize(m_controls.Size());
    if (auto* ok = m_controls.ItemAs<QPushButton>(res::IDC_ABOUTBOX_OK)) {
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
        ok->setFocus();
    }
}
