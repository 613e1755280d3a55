#pragma once

// Ends modal dialogs and popup menus that the code under test opens, so a
// test never blocks: while alive it polls every few milliseconds, records
// what it found, hands it to an optional action and then closes it if the
// action left it open.
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

class ModalCloser {
public:
    // `action` may answer the dialog itself (fill a field, press OK).
    explicit ModalCloser(std::function<void(QWidget&)> action = {})
        : m_action(std::move(action))
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start();
    }

    // Window titles of the modal dialogs found, in order.
    const std::vector<std::string>& Titles() const { return m_titles; }
    // Texts of the popup menus' actions found, separators as "-".
    const std::vector<std::vector<std::string>>& Menus() const { return m_menus; }
    int Count() const { return static_cast<int>(m_titles.size() + m_menus.size()); }

private:
    void Poll()
    {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            std::vector<std::string> items;
            if (auto* menu = qobject_cast<QMenu*>(popup)) {
                for (QAction* action : menu->actions())
                    items.push_back(action->isSeparator() ? "-" : action->text().toStdString());
            }
            m_menus.push_back(items);
            if (m_action)
                m_action(*popup);
            if (popup->isVisible())
                popup->close();
            return;
        }
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        m_titles.push_back(modal->windowTitle().toStdString());
        if (m_action)
            m_action(*modal);
        if (modal && modal->isVisible()) {
            if (auto* dialog = qobject_cast<QDialog*>(modal.data()))
                dialog->reject();
            else
                modal->close();
        }
    }

    std::function<void(QWidget&)> m_action;
    QTimer m_timer;
    std::vector<std::string> m_titles;
    std::vector<std::vector<std::string>> m_menus;
};
