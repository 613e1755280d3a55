#pragma once

#include "DataExchange.h"
#include "TemplateBuilder.h"

#include <QDialog>

class QKeyEvent;

// A page of the main dialog's tab control: a frameless child dialog built
// from a dialog template. Lifecycle, all on the user-interface thread:
//   1. constructed without a window parent (a member of the main dialog);
//   2. Create(): the template's controls are built, then OnInitDialog() runs;
//   3. shown and hidden by the tab control; Enter presses the page's default
//      button if it has one and otherwise does nothing, Escape is passed on
//      to the window that holds the page; neither ends or hides the page;
//   4. DestroyWindow(), once, when the main dialog closes: OnDestroy() runs
//      while every control still exists, then the page leaves its parent.
class PageBase : public QDialog {
    Q_OBJECT

public:
    PageBase();
    ~PageBase() override;

    // Builds template `templateId` on this page as a child of `parent`, sizes
    // the page to the template and calls OnInitDialog(). Returns false, and
    // builds nothing, for an unknown template or a second call.
    bool Create(int templateId, QWidget* parent);

    // Runs OnDestroy() once and detaches the page from its parent, so the
    // parent's destruction never deletes it. Later calls do nothing.
    void DestroyWindow();

    // The control with this id, or nullptr (also before Create()).
    QWidget* GetDlgItem(int id) const;

    template <class T>
    T* GetDlgItemAs(int id) const
    {
        return qobject_cast<T*>(GetDlgItem(id));
    }

    // true: controls to members; false: members to controls. Calls
    // DoDataExchange; false before Create().
    bool UpdateData(bool bSaveAndValidate = true);

    bool IsDestroyed() const { return m_bDestroyed; }

    // Whom a message box at the end of long work belongs to: this page, or
    // null once the page is destroyed or its window closed (hidden), since a
    // box would then stand alone and keep the program running until answered.
    QWidget* MessageOwner();

    // A page is never ended like a dialog: accept(), reject() and done() do nothing.
    void done(int result) override;

signals:
    // Emitted by DestroyWindow() right after OnDestroy().
    void PageDestroyed();

protected:
    // Moves data between the controls and the members with the DDX_ helpers.
    virtual void DoDataExchange(DataExchange& dx);

    // Runs at the end of Create(). The default moves the members into the
    // controls (UpdateData(false)) and returns true.
    virtual bool OnInitDialog();

    // Runs once when the main dialog closes; the controls still exist.
    virtual void OnDestroy();

    void keyPressEvent(QKeyEvent* event) override;

private:
    res::BuiltTemplate m_controls;
    bool m_bCreated = false;
    bool m_bDestroyed = false;
};
