#include "MainDialog.h"

#include "AboutBox.h"

#include "AppIcon.h"
#include "DialogTemplate.h"
#include "DialogUnits.h"
#include "ResourceIds.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QShortcut>

MainDialog::MainDialog(const PageServices& services, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_hIcon(res::AppIcon())
    , m_aboutPage(services)
    , m_singlePage(services)
    , m_batchPage(services)
{
    const res::DialogTemplate& dialog = *res::FindDialogTemplate(res::IDD_MAIN);
    setWindowTitle(QString::fromStdString(dialog.caption));
    setFont(res::DialogFont());
    setFixedSize(res::DialogFontUnits().ToPixels(dialog.cx, dialog.cy));
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    connect(quit, &QShortcut::activated, this, &QWidget::close);
    OnInitDialog();
}

MainDialog::~MainDialog()
{
    DestroyWindow();
}

bool MainDialog::OnInitDialog()
{
    setWindowIcon(m_hIcon);

    m_tabControl.Create(rect().adjusted(5, 5, -5, -5), this, res::IDC_TABCONTROL);

    // The page table, in tab order.
    PageBase& single = m_singlePage;
    PageBase& batch = m_batchPage;
    PageBase& about = m_aboutPage;
    m_tabControl.AddPage(QStringLiteral("Single"), "&Page1", single, res::IDD_SINGLE);
    m_tabControl.AddPage(QStringLiteral("Batch"), "&Page2", batch, res::IDD_BATCH);
    m_tabControl.AddPage(QStringLiteral("About"), "&Page3", about, res::IDD_ABOUT);
    return true;
}

void MainDialog::OnSysCommand(unsigned int nID)
{
    if ((nID & 0xFFF0) != res::IDM_ABOUTBOX)
        return;
    AboutBox about(this);
    about.exec();
}

std::unique_ptr<QMenu> MainDialog::CreateSystemMenu()
{
    const QString text = QString::fromStdString(res::ResourceString(res::IDS_ABOUTBOX));
    if (text.isEmpty())
        return nullptr;
    auto menu = std::make_unique<QMenu>(this);
    menu->addSeparator();
    QAction* about = menu->addAction(text);
    connect(about, &QAction::triggered, this, [this] { OnSysCommand(res::IDM_ABOUTBOX); });
    return menu;
}

void MainDialog::done(int result)
{
    QDialog::done(result);
    DestroyWindow();
}

void MainDialog::contextMenuEvent(QContextMenuEvent* event)
{
    // Reached when the tab control leaves the event: only its strip offers the entry.
    const bool fromStrip = event->reason() == QContextMenuEvent::Keyboard
        ? m_tabControl.hasFocus()
        : m_tabControl.StripRect().contains(m_tabControl.mapFromGlobal(event->globalPos()));
    if (!fromStrip) {
        event->ignore();
        return;
    }
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard
        ? m_tabControl.mapToGlobal(m_tabControl.tabRect(m_tabControl.currentIndex()).bottomLeft())
        : event->globalPos();
    if (auto menu = CreateSystemMenu())
        menu->exec(at);
}

void MainDialog::keyPressEvent(QKeyEvent* event)
{
    // The window has no buttons of its own: Escape would close it and Enter
    // on the strip press a page's default button.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void MainDialog::DestroyWindow()
{
    m_tabControl.DestroyWindow();
}

