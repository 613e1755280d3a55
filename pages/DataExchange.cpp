#include "DataExchange.h"

#include "PageBase.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

DataExchange::DataExchange(PageBase& page, bool bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate)
    , m_page(page)
{
}

QWidget* DataExchange::Control(int id) const
{
    return m_page.GetDlgItem(id);
}

void DDX_Check(DataExchange& dx, int id, int& value)
{
    auto* box = qobject_cast<QCheckBox*>(dx.Control(id));
    if (!box)
        return;
    if (dx.m_bSaveAndValidate) {
        switch (box->checkState()) {
        case Qt::Checked:
            value = 1;
            break;
        case Qt::PartiallyChecked:
            value = 2;
            break;
        default:
            value = 0;
            break;
        }
    } else if (value == 2 && box->isTristate()) {
        box->setCheckState(Qt::PartiallyChecked);
    } else {
        box->setCheckState(value != 0 ? Qt::Checked : Qt::Unchecked);
    }
}

void DDX_Text(DataExchange& dx, int id, std::string& value)
{
    QWidget* control = dx.Control(id);
    if (auto* line = qobject_cast<QLineEdit*>(control)) {
        if (dx.m_bSaveAndValidate)
            value = line->text().toStdString();
        else
            line->setText(QString::fromStdString(value));
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(control)) {
        if (dx.m_bSaveAndValidate)
            value = text->toPlainText().toStdString();
        else
            text->setPlainText(QString::fromStdString(value));
    }
}

void DDX_CBIndex(DataExchange& dx, int id, int& index)
{
    auto* combo = qobject_cast<QComboBox*>(dx.Control(id));
    if (!combo)
        return;
    if (dx.m_bSaveAndValidate)
        index = combo->currentIndex();
    else
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}
