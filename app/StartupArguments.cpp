#include "StartupArguments.h"

#include "MainDialog.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QMimeData>
#include <QUrl>

namespace {

// Hands `urls` to `page` as a drag that enters it and drops them, away from
// every field of the page (a folder dropped onto the Batch page's out-folder
// field would become the out folder instead). Qt delivers a drop only after
// an accepted enter.
void DropOnto(PageBase& page, const QList<QUrl>& urls)
{
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint outside(-1, -1);
    QDragEnterEvent enter(outside, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&page, &enter);
    if (!enter.isAccepted())
        return;
    QDropEvent drop(QPointF(outside), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&page, &drop);
}

template <class Page>
int FindPage(PageTabControl& tabs)
{
    for (int i = 0; i < tabs.count(); ++i) {
        if (dynamic_cast<Page*>(tabs.Record(i).m_pPage))
            return i;
    }
    return -1;
}

}  // namespace

void OpenStartupArguments(const QStringList& arguments, MainDialog& dialog, std::ostream& errors)
{
    QList<QUrl> urls;
    bool anyFolder = false;
    bool optionsEnd = false;
    for (const QString& argument : arguments) {
        if (!optionsEnd && argument == QLatin1String("--")) {
            optionsEnd = true;
            continue;
        }
        const std::string shown = QFile::encodeName(argument).toStdString();
        if (!optionsEnd && argument.startsWith(QLatin1Char('-'))) {
            errors << "tessaglyph: ignored unknown option " << shown << '\n';
            continue;
        }
        const QFileInfo info(argument);
        if (!info.isFile() && !info.isDir()) {
            errors << "tessaglyph: ignored " << shown
                   << (info.exists() ? ": neither a file nor a folder\n" : ": no such file or folder\n");
            continue;
        }
        anyFolder = anyFolder || info.isDir();
        urls.push_back(QUrl::fromLocalFile(info.absoluteFilePath()));
    }
    if (urls.isEmpty())
        return;

    PageTabControl& tabs = dialog.TabControl();
    const int index = urls.size() == 1 && !anyFolder ? FindPage<SinglePage>(tabs) : FindPage<BatchPage>(tabs);
    if (index < 0)
        return;
    DropOnto(*tabs.Record(index).m_pPage, urls);
    tabs.SelectPage(index);
}
