#pragma once

#include <QWidget>

#include <string>

class PageBase;

// One transfer between a page's controls and its members, in the direction
// UpdateData asked for. DoDataExchange passes it to the DDX_ helpers below.
class DataExchange {
public:
    DataExchange(PageBase& page, bool bSaveAndValidate);

    // true: controls to members; false: members to controls.
    const bool m_bSaveAndValidate;

    // The page's control with this id, or nullptr.
    QWidget* Control(int id) const;

private:
    PageBase& m_page;
};

// Points `member` at control `id` once; later exchanges leave it alone.
// A control of another type leaves it null.
template <class T>
void DDX_Control(DataExchange& dx, int id, T*& member)
{
    if (!member)
        member = qobject_cast<T*>(dx.Control(id));
}

// Check box <-> flag. Reading gives 1 for a ticked box, 0 for a clear one
// (2 for a partly ticked tri-state box). Writing ticks the box for any value
// but 0 (2 shows a tri-state box partly ticked).
void DDX_Check(DataExchange& dx, int id, int& value);

// Edit field (one line or multi-line) <-> UTF-8 text.
void DDX_Text(DataExchange& dx, int id, std::string& value);

// Combo box selection <-> index. Reading gives -1 when nothing is selected;
// writing an index outside the items leaves no selection.
void DDX_CBIndex(DataExchange& dx, int id, int& index);
