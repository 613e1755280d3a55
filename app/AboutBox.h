#pragma once

#include "TemplateBuilder.h"

#include <QDialog>

// The small modal box of the About entry: icon, name and version, the
// maker's notice and OK. OK, Escape or the close button end it.
class AboutBox : public QDialog {
    Q_OBJECT

public:
    explicit AboutBox(QWidget* parent = nullptr);

    QWidget* GetDlgItem(int id) const { return m_controls.Item(id); }
    const res::BuiltTemplate& Controls() const { return m_controls; }

private:
    res::BuiltTemplate m_controls;
};
