#include "BatchPage.h"

#include "ConversionEngine.h"
#include "ConvertMessages.h"
#include "DroppedPaths.h"
#include "FolderBrowser.h"
#include "Naming.h"
#include "OutputFormat.h"
#include "PageSettings.h"
#include "Prompts.h"
#include "ResourceIds.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <iostream>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <thread>
#include <utility>

namespace {

// Every control that takes input; all but the one that stops the work are
// disabled while a scan or a conversion runs.
constexpr int kInputControls[] = {
    res::IDC_CONVERT,  res::IDC_FILE_LIST,         res::IDC_ADD_FILE, res::IDC_ADD_FOLDER,     res::IDC_OUT_TYPE,
    res::IDC_OUT_DIR,  res::IDC_BATCH_OPEN_FOLDER, res::IDC_DELETE,   res::IDC_DELETE_ALL,
};

constexpr char kStopCaption[] = "Stop";

// A batch run's bar, moved on the page's thread in the order the run calls.
class PostedProgress final : public IBatchProgress {
public:
    using Range = std::function<void(std::int64_t lower, std::int64_t upper)>;
    using Position = std::function<void(std::int64_t position)>;

    PostedProgress(const JobControl& control, Range onRange, Position onPosition)
        : m_control(control)
        , m_onRange(std::move(onRange))
        , m_onPosition(std::move(onPosition))
    {
    }

    void SetRange(std::int64_t lower, std::int64_t upper) override
    {
        m_control.Post([f = m_onRange, lower, upper] { f(lower, upper); });
    }
    void SetPosition(std::int64_t position) override
    {
        m_control.Post([f = m_onPosition, position] { f(position); });
    }

private:
    const JobControl& m_control;
    Range m_onRange;
    Position m_onPosition;
};

// Hands a folder scan's findings to the page in batches of at most kBatch
// paths (a batch takes a few tens of milliseconds to add to a list of
// 100,000 entries), one every tenth of a second while the scan finds files.
// A backlog follows batch after batch, each once the page has taken the one
// before and has had a moment to repaint, so the window keeps painting
// however fast the scan finds files. After a stop the rest goes at once.
// Made on the page's thread, then used on the scan's; the page's take()
// runs on the page's thread.
class ScanHandOver : public std::enable_shared_from_this<ScanHandOver> {
public:
    using Take = std::function<void(std::vector<std::string> paths)>;

    explicit ScanHandOver(Take take)
        : m_take(std::move(take))
    {
    }

    void Begin(const JobControl& control)
    {
        m_pControl = &control;
        m_lastPost = Clock::now();
    }

    void Found(const std::string& path)
    {
        m_pending.push_back(path);
        if (Due(false))
            Post(kBatch);
    }

    // After the scan: hands over what is left.
    void Finish()
    {
        while (!m_pending.empty()) {
            if (m_pControl->StopRequested())
                Post(m_pending.size());
            else if (Due(true))
                Post(kBatch);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr std::size_t kBatch = 10000;

    bool Due(bool ended) const
    {
        if (!m_bTaken.load())
            return false;
        const Clock::time_point now = Clock::now();
        if (ended || m_pending.size() >= kBatch)
            return now - Clock::time_point(Clock::duration(m_nTakenAt.load())) >= std::chrono::milliseconds(20);
        return now - m_lastPost >= std::chrono::milliseconds(100);
    }

    void Post(std::size_t most)
    {
        // From the back, so what stays need not move.
        const auto first = m_pending.end() - static_cast<std::ptrdiff_t>(std::min(most, m_pending.size()));
        std::vector<std::string> batch(std::make_move_iterator(first), std::make_move_iterator(m_pending.end()));
        m_pending.erase(first, m_pending.end());
        m_bTaken.store(false);
        m_lastPost = Clock::now();
        m_pControl->Post([self = shared_from_this(), batch = std::move(batch)]() mutable {
            self->m_take(std::move(batch));
            self->m_nTakenAt.store(Clock::now().time_since_epoch().count());
            self->m_bTaken.store(true);
        });
    }

    Take m_take;
    const JobControl* m_pControl = nullptr;
    std::vector<std::string> m_pending;  // the scan's thread's
    Clock::time_point m_lastPost;
    std::atomic<bool> m_bTaken{true};
    std::atomic<Clock::rep> m_nTakenAt{0};
};


int ClampedToInt(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                      std::numeric_limits<int>::max()));
}

}  // namespace

BatchPage::BatchPage(const PageServices& services)
    : m_services(services)
    , m_list(new PictureListModel(this))
    , m_picture(PicturePreview::EngineRenderer(services.engine), [this] {
        if (m_preview)
            m_preview->update();
    })
{
}

BatchPage::~BatchPage() = default;

void BatchPage::DoDataExchange(DataExchange& dx)
{
    PageBase::DoDataExchange(dx);
    DDX_Control(dx, res::IDC_PROGRESS, m_progress);
    DDX_Control(dx, res::IDC_FILE_LIST, m_fileList);
    DDX_Control(dx, res::IDC_PREVIEW, m_preview);
    DDX_CBIndex(dx, res::IDC_OUT_TYPE, m_nOutType);
    DDX_Text(dx, res::IDC_OUT_DIR, m_strOutDir);
}

bool BatchPage::OnInitDialog()
{
    PageBase::OnInitDialog();
    m_nOutType = 0;
    LoadSettings();
    UpdateData(false);

    if (m_preview)
        m_preview->SetPaintHandler([this](QPainter& painter, const QRect& clientRect) { OnPaint(painter, clientRect); });
    if (m_fileList) {
        m_fileList->setModel(m_list);
        connect(m_fileList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &BatchPage::OnSelChangeFileList);
        m_fileList->installEventFilter(this);
    }
    const std::pair<int, void (BatchPage::*)()> buttons[] = {
        {res::IDC_ADD_FILE, &BatchPage::OnAddFile},
        {res::IDC_ADD_FOLDER, &BatchPage::OnAddFolder},
        {res::IDC_CONVERT, &BatchPage::OnConvert},
        {res::IDC_BATCH_OPEN_FOLDER, &BatchPage::OnOpenFolder},
        {res::IDC_DELETE, &BatchPage::OnDelete},
        {res::IDC_DELETE_ALL, &BatchPage::OnDeleteAll},
    };
    for (const auto& [id, handler] : buttons) {
        if (auto* button = GetDlgItemAs<QPushButton>(id))
            connect(button, &QPushButton::clicked, this, handler);
    }

    // Drops come to the page, which tells files from folders; the out-folder
    // field would otherwise paste a dropped URL as text.
    setAcceptDrops(true);
    if (QWidget* field = GetDlgItem(res::IDC_OUT_DIR))
        field->setAcceptDrops(false);
    return true;
}

void BatchPage::OnDestroy()
{
    PageBase::OnDestroy();
    // Their ends find the page destroyed: what a run did goes to standard error.
    m_scan.RequestStop();
    m_scan.WaitForEnd();
    m_run.RequestStop();
    m_run.WaitForEnd();
    m_picture.Finish();
    SaveSettings();
}

int BatchPage::LoadSettings()
{
    const BatchSettings settings = LoadBatchSettings(m_services.configPath);
    m_nOutType = settings.OutType;
    m_strInFile = settings.InFile;
    m_strInDir = settings.InDir;
    m_strOutDir = settings.OutDir;
    UpdateData(false);
    return 1;
}

int BatchPage::SaveSettings()
{
    UpdateData(true);
    BatchSettings settings;
    settings.OutType = m_nOutType;
    settings.InFile = m_strInFile;
    settings.InDir = m_strInDir;
    settings.OutDir = m_strOutDir;
    SaveBatchSettings(m_services.configPath, settings);
    return 1;
}

void BatchPage::OnAddFile()
{
    UpdateData(true);
    const std::vector<std::string> chosen = m_services.prompts.OpenPictureFiles(this, m_strInFile);
    // Each as if picked alone: previewed in turn, so the last one stays.
    for (const std::string& path : chosen) {
        m_strInFile = path;
        m_nInType = static_cast<int>(TypeFromPath(m_strInFile));
        AddToList(m_strInFile);
    }
    if (!chosen.empty() && m_preview)
        m_preview->update();
    UpdateData(false);
}

void BatchPage::AddToList(const std::string& path)
{
    const std::size_t row = m_list->Add(path);
    if (m_fileList)
        m_fileList->scrollTo(m_list->index(static_cast<int>(row)));
}

void BatchPage::OnAddFolder()
{
    if (IsScanning()) {
        m_scan.RequestStop();
        if (QWidget* button = GetDlgItem(res::IDC_ADD_FOLDER))
            button->setEnabled(false);
        return;
    }
    std::string result;
    if (!FolderBrowser(m_services.prompts, result, m_strInDir, this))
        return;
    // A choice without a path names nothing to scan.
    if (result.empty())
        return;
    m_strInDir = WithoutFinalSeparator(std::move(result));
    ScanFolder(m_strInDir);
}

void BatchPage::ScanFolder(const std::string& folder)
{
    StartScan({folder});
}

void BatchPage::StartScan(std::vector<std::string> folders)
{
    if (IsScanning() || IsConverting())
        return;
    SetBusy(true, res::IDC_ADD_FOLDER);
    auto handOver =
        std::make_shared<ScanHandOver>([this](std::vector<std::string> found) { AddScanFindings(std::move(found)); });
    // One scan for all the folders, so a file under two of them is found once.
    auto scan = std::make_shared<FolderScan>([handOver](const std::string& path) { handOver->Found(path); });
    m_scan.Start(
        [folders = std::move(folders), scan, handOver](const JobControl& control) {
            handOver->Begin(control);
            FolderScanResult total;
            for (const std::string& folder : folders) {
                if (control.StopRequested()) {
                    total.stopped = true;
                    break;
                }
                FolderScanResult one = scan->Run(folder);
                total.filesFound += one.filesFound;
                for (std::string& skipped : one.skippedFolders)
                    total.skippedFolders.push_back(std::move(skipped));
                total.stopped = total.stopped || one.stopped;
            }
            handOver->Finish();
            return total;
        },
        [this](FolderScanResult result) { EndScan(result); }, [scan] { scan->RequestStop(); });
}

void BatchPage::AddScanFindings(std::vector<std::string> found)
{
    // Adding a batch resets the list; the selected entry is selected again.
    const int selected = SelectedRow();
    std::optional<std::string> selectedPath;
    if (selected >= 0)
        selectedPath = m_list->List().At(static_cast<std::size_t>(selected));
    m_list->AddMany(std::move(found));
    if (!selectedPath || !m_fileList)
        return;
    if (const auto row = m_list->List().IndexOf(*selectedPath)) {
        const QScopedValueRollback<bool> quiet(m_bQuietSelection, true);
        const QModelIndex index = m_list->index(static_cast<int>(*row));
        m_fileList->setCurrentIndex(index);
        m_fileList->scrollTo(index);
    }
}

void BatchPage::EndScan(const FolderScanResult& result)
{
    m_lastScan = result;
    SetBusy(false, 0);
}

void BatchPage::OnOpenFolder()
{
    UpdateData(true);
    FolderBrowser(m_services.prompts, m_strOutDir, m_strOutDir, this);
    UpdateData(false);
}

int BatchPage::SelectedRow() const
{
    if (!m_fileList || !m_fileList->selectionModel())
        return -1;
    const QModelIndexList rows = m_fileList->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void BatchPage::OnSelChangeFileList()
{
    if (m_bQuietSelection)
        return;
    const int row = SelectedRow();
    if (row < 0)
        return;
    m_strInFile = m_list->List().At(static_cast<std::size_t>(row));
    if (m_preview)
        m_preview->update();
}

void BatchPage::OnDelete()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    // The view would select the next entry in the deleted one's place; the
    // list keeps no selection instead, so the preview stays as it was.
    const QScopedValueRollback<bool> quiet(m_bQuietSelection, true);
    m_list->RemoveAt(static_cast<std::size_t>(row));
    if (m_fileList)
        m_fileList->selectionModel()->clearSelection();
}

void BatchPage::OnDeleteAll()
{
    m_list->Clear();
}

void BatchPage::OnConvert()
{
    if (IsConverting()) {
        m_run.RequestStop();
        if (QWidget* button = GetDlgItem(res::IDC_CONVERT))
            button->setEnabled(false);
        return;
    }
    if (IsScanning())
        return;
    UpdateData(true);
    if (m_list->List().Empty() || m_strOutDir.empty()) {
        m_services.prompts.ShowMessage(this, kMsgSelectInAndOut);
        return;
    }
    if (!m_services.engine) {
        m_services.prompts.ShowMessage(this, std::string(kMsgConvertFailed) + "\nthe converter is not available",
                                       MessageIcon::Warning);
        return;
    }

    BatchRequest request{m_list->List().Entries(), m_strOutDir, TypeCodesForComboIndex(m_nOutType)};
    SetBusy(true, res::IDC_CONVERT);
    auto run = std::make_shared<BatchRun>(*m_services.engine, m_services.engine->ConversionWorkerCount());
    m_run.Start(
        [this, run, request = std::move(request)](const JobControl& control) {
            PostedProgress progress(
                control, [this](std::int64_t lower, std::int64_t upper) { OnProgressRange(lower, upper); },
                [this](std::int64_t position) { OnProgressPosition(position); });
            return run->Run(request, progress);
        },
        // After the run's last progress, so the bar has reached its end.
        [this](BatchOutcome outcome) { EndRun(std::move(outcome)); }, [run] { run->RequestStop(); });
}

void BatchPage::EndRun(BatchOutcome outcome)
{
    m_lastOutcome = std::move(outcome);
    // Exact also after a stop, whose last position is the number handled.
    if (!m_lastOutcome.refused)
        ShowEntriesHandled(static_cast<std::int64_t>(m_lastOutcome.handled));
    SetBusy(false, 0);
    QWidget* owner = MessageOwner();
    if (!owner) {
        std::cerr << m_lastOutcome.message << std::endl;
        return;
    }
    m_services.prompts.ShowMessage(owner, m_lastOutcome.message,
                                   m_lastOutcome.failures.empty() ? MessageIcon::None : MessageIcon::Warning);
    emit ConversionFinished();
}

void BatchPage::OnProgressRange(std::int64_t lower, std::int64_t upper)
{
    if (m_progress)
        m_progress->setRange(ClampedToInt(lower), ClampedToInt(upper));
    m_nRunEntries = upper;
    m_nPositionCalls = 0;
    emit ProgressRangeSet(lower, upper);
}

void BatchPage::OnProgressPosition(std::int64_t position)
{
    if (m_progress)
        m_progress->setValue(ClampedToInt(position));
    // The bar stands at the index of the entry just handled; the text counts
    // entries. The first position is the start, each later one an entry more.
    ShowEntriesHandled(std::min(m_nPositionCalls++, m_nRunEntries));
    emit ProgressPositionSet(position);
}

void BatchPage::ShowEntriesHandled(std::int64_t handled)
{
    if (!m_progress)
        return;
    m_progress->setFormat(QStringLiteral("%1 / %2").arg(handled).arg(m_nRunEntries));
    m_progress->setTextVisible(true);
}

void BatchPage::SetBusy(bool busy, int keep)
{
    for (const int id : kInputControls) {
        if (QWidget* control = GetDlgItem(id))
            control->setEnabled(!busy || id == keep);
    }
    if (auto* convert = GetDlgItemAs<QPushButton>(res::IDC_CONVERT))
        convert->setText(busy && keep == res::IDC_CONVERT ? kStopCaption : "Convert");
    if (auto* addFolder = GetDlgItemAs<QPushButton>(res::IDC_ADD_FOLDER))
        addFolder->setText(busy && keep == res::IDC_ADD_FOLDER ? kStopCaption : "AddFolder");
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void BatchPage::OnPaint(QPainter& painter, const QRect& clientRect)
{
    m_picture.DrawPreview(painter, clientRect, m_strInFile, m_nInType);
}

void BatchPage::dragEnterEvent(QDragEnterEvent* event)
{
    if (!IsScanning() && !IsConverting() && !DroppedPaths::Of(event->mimeData()).Empty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void BatchPage::dropEvent(QDropEvent* event)
{
    DroppedPaths dropped = DroppedPaths::Of(event->mimeData());
    if (IsScanning() || IsConverting() || dropped.Empty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();

    QWidget* outDir = GetDlgItem(res::IDC_OUT_DIR);
    if (outDir && outDir->geometry().contains(event->position().toPoint()) && dropped.files.empty()
        && dropped.folders.size() == 1) {
        UpdateData(true);
        m_strOutDir = WithFinalSeparator(dropped.folders.front());
        UpdateData(false);
        return;
    }

    // As AddFile would: each file previewed in turn, the last one stays.
    for (const std::string& file : dropped.files) {
        m_strInFile = file;
        m_nInType = static_cast<int>(TypeFromPath(m_strInFile));
        AddToList(file);
    }
    if (!dropped.files.empty() && m_preview)
        m_preview->update();
    // As AddFolder would: the last folder is where AddFolder opens next.
    if (!dropped.folders.empty()) {
        m_strInDir = dropped.folders.back();
        StartScan(std::move(dropped.folders));
    }
}

bool BatchPage::eventFilter(QObject* watched, QEvent* event)
{
    // The Delete key on the list does what the Delete button does.
    if (watched == m_fileList && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Delete)) {
        OnDelete();
        return true;
    }
    return PageBase::eventFilter(watched, event);
}
