#pragma once

#include "AboutPage.h"
#include "BatchPage.h"
#include "PageServices.h"
#include "PageTabControl.h"
#include "SinglePage.h"

#include <QDialog>
#include <QIcon>

#include <memory>

class QMenu;

// The program's one window: the tab control with the Single, Batch and About
// pages. It closes by its close button, the window manager (Alt+F4), Ctrl+Q
// or done(), never by Escape (a stray Escape would lose the Batch list).
// Closing ends its modal run and gives every page its destroy handling once,
// while the pages' controls still exist.
class MainDialog : public QDialog {
    Q_OBJECT

public:
    explicit MainDialog(const PageServices& services, QWidget* parent = nullptr);
    ~MainDialog() override;

    // System commands: (nID & 0xFFF0) == 0x10 opens the About box modally;
    // everything else is left to the platform.
    void OnSysCommand(unsigned int nID);

    // The menu of the About entry (a separator, then string 101), or nullptr
    // when that string is empty. On Linux it opens from the tab strip.
    std::unique_ptr<QMenu> CreateSystemMenu();

    void done(int result) override;

    PageTabControl& TabControl() { return m_tabControl; }

protected:
    bool OnInitDialog();

    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void DestroyWindow();

    QIcon m_hIcon;
    AboutPage m_aboutPage;
    SinglePage m_singlePage;
    BatchPage m_batchPage;
    PageTabControl m_tabControl;
};
