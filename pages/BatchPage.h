#pragma once

#include "BackgroundJob.h"
#include "PageBase.h"
#include "PageServices.h"
#include "PictureListModel.h"
#include "PicturePreview.h"
#include "PreviewFrame.h"

#include "BatchRun.h"
#include "FolderScan.h"

#include <QRect>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QDragEnterEvent;
class QDropEvent;
class QListView;
class QPainter;
class QProgressBar;

// The Batch tab: gathers a list of pictures (AddFile, AddFolder, or dropped
// onto the page), prunes it (Delete, Delete All) and converts the whole list
// into the one format of the combo box, into one out folder, with a progress
// bar. The preview shows the picture last added with AddFile or selected in
// the list, also after it has left the list. Keeps OutType, InFile, InDir and
// OutDir in section "Batch" of the settings file: loaded when the page is
// created, saved when it is destroyed. The list itself is not kept.
//
// Long work runs as a background job, and while it runs the page
// takes no other input (its controls are disabled, the cursor is busy) but
// keeps painting:
// - a folder scan adds what it finds every tenth of a second; AddFolder
//   reads "Stop" and ends the scan, keeping what was found so far;
// - a conversion runs on every conversion worker of the engine; the bar
//   moves after each picture and reads "k / n" (entries handled of the
//   list), Convert reads "Stop" and ends the run once the
//   pictures in flight are done. The closing message comes after the bar has
//   reached its end.
// Destroying the page (closing the window) stops either, waits for the
// pictures in flight (each is written whole or not at all) with the event
// loop running, and saves the settings; how far a stopped conversion got goes
// to standard error, as no window is left to show it.
//
// User-interface thread only.
class BatchPage : public PageBase {
    Q_OBJECT

public:
    explicit BatchPage(const PageServices& services);
    ~BatchPage() override;

    // Button 1013: lets the user pick files (any files); each is listed
    // unless it is already, and the last one is previewed at once. Controls
    // are rewritten from the members, also after Cancel.
    void OnAddFile();
    // Button 1012: lets the user pick a folder, opened at the last one, and
    // scans its tree. During a scan the button stops it.
    void OnAddFolder();
    // Button 1008: lets the user pick the out folder, offered at the current one.
    void OnOpenFolder();
    // The list's selection changed: the selected entry becomes the previewed
    // picture. Without a selection nothing changes.
    void OnSelChangeFileList();
    // Button 1021: removes the selected entry, if any.
    void OnDelete();
    // Button 1022: empties the list.
    void OnDeleteAll();
    // Button 1007: refuses with a message, or starts the conversion. During a
    // conversion the button stops it.
    void OnConvert();

    // Lists the picture files of `folder`'s tree, found off the
    // user-interface thread; returns at once. A folder that cannot be read is
    // skipped without a message and the scan goes on.
    void ScanFolder(const std::string& folder);

    // Section "Batch" into the members and the controls; the controls into
    // the members and the section into the file. Always 1.
    int LoadSettings();
    int SaveSettings();

    bool IsScanning() const { return m_scan.IsRunning(); }
    bool IsConverting() const { return m_run.IsRunning(); }

    const PictureList& FileList() const { return m_list->List(); }
    QListView* FileListView() const { return m_fileList; }
    const std::string& InFile() const { return m_strInFile; }
    const std::string& InDir() const { return m_strInDir; }
    const std::string& OutDir() const { return m_strOutDir; }
    int OutType() const { return m_nOutType; }
    int InType() const { return m_nInType; }
    const PicturePreview& Preview() const { return m_picture; }
    // What the last finished scan found and skipped.
    const FolderScanResult& LastScan() const { return m_lastScan; }
    const BatchOutcome& LastOutcome() const { return m_lastOutcome; }

signals:
    // The bar was given this range (before the first picture of a run).
    void ProgressRangeSet(qint64 lower, qint64 upper);
    // The bar was moved to this position.
    void ProgressPositionSet(qint64 position);
    // A conversion has ended and its message has been shown.
    void ConversionFinished();

protected:
    void DoDataExchange(DataExchange& dx) override;
    bool OnInitDialog() override;
    void OnDestroy() override;

    // The preview frame's painting: the member's picture.
    void OnPaint(QPainter& painter, const QRect& clientRect);

    // Dropped pictures are added as AddFile adds them, dropped folders
    // scanned as AddFolder scans them; a folder dropped onto the out-folder
    // field becomes the out folder instead.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddToList(const std::string& path);
    void StartScan(std::vector<std::string> folders);
    void AddScanFindings(std::vector<std::string> found);
    void EndScan(const FolderScanResult& result);
    void EndRun(BatchOutcome outcome);
    void OnProgressRange(std::int64_t lower, std::int64_t upper);
    void OnProgressPosition(std::int64_t position);
    void ShowEntriesHandled(std::int64_t handled);
    // Disables every input control but `keep` (the button that stops the
    // work), or enables them all again.
    void SetBusy(bool busy, int keep);
    int SelectedRow() const;

    // Dialog data, in the order of the template's page.
    QProgressBar* m_progress = nullptr;
    QListView* m_fileList = nullptr;
    res::PreviewFrame* m_preview = nullptr;
    int m_nOutType = -1;
    std::string m_strOutDir;
    int m_nInType = 0;
    std::string m_strInFile;
    std::string m_strInDir;

    PageServices m_services;
    PictureListModel* m_list;  // owned by the page, as its child
    PicturePreview m_picture;

    FolderScanResult m_lastScan;
    // Quiet while the page itself changes the selection, which is no user's choice.
    bool m_bQuietSelection = false;

    BatchOutcome m_lastOutcome;  // the last ended run's
    std::int64_t m_nRunEntries = 0;     // n of the bar's "k / n"
    std::int64_t m_nPositionCalls = 0;  // the run's positions so far

    // Last: their work posts to this page until they have ended.
    BackgroundJob<FolderScanResult> m_scan;
    BackgroundJob<BatchOutcome> m_run;
};
