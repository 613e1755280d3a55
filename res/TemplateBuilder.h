#pragma once

#include "DialogTemplate.h"
#include "DialogUnits.h"

#include <QSize>
#include <QWidget>

#include <map>
#include <vector>

namespace res {

// The widgets made from one template. The widgets belong to the parent they
// were built on; this only points at them.
class BuiltTemplate {
public:
    // The control with this id, or nullptr. Ids below 0 name no control.
    QWidget* Item(int id) const;

    template <class T>
    T* ItemAs(int id) const
    {
        return qobject_cast<T*>(Item(id));
    }

    // Every control, in template (tab) order, those without an id included.
    const std::vector<QWidget*>& Widgets() const { return m_widgets; }

    // The template's client size in pixels.
    QSize Size() const { return m_size; }

private:
    friend BuiltTemplate BuildTemplate(const DialogTemplate&, QWidget&, const DialogUnits&);

    std::vector<QWidget*> m_widgets;
    std::map<int, QWidget*> m_byId;
    QSize m_size;
};

// Makes the controls of `dialog` as children of `parent`, placed by their
// rectangles converted with `units`, and returns them. Each control kind
// becomes:
//   Text         QLabel (top-left aligned, one line)
//   BlackFrame   PreviewFrame (hook the preview's painting into it)
//   Icon         QLabel painting the application icon in the largest square
//                of its rectangle, at its top left
//   Edit         QLineEdit; with kMultiLine a QPlainTextEdit (read-only with
//                kReadOnly, no wrapping, no scroll bars)
//   PushButton   QPushButton, never auto-default; the default button with
//                kDefPushButton
//   CheckBox     QCheckBox
//   GroupBox     QGroupBox
//   ListBox      QListView without a model: the page sets its own, so a list
//                of any size stays fast (uniform item sizes, single selection)
//   ComboBox     QComboBox with the template's items and no selection
//   ProgressBar  QProgressBar, 0 to 100, at 0, without text
// A combo box keeps its own closed height; the template's height is its
// drop-down height. Every control's objectName is "control<id>".
BuiltTemplate BuildTemplate(const DialogTemplate& dialog, QWidget& parent, const DialogUnits& units);

}  // namespace res
