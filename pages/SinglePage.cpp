#include "SinglePage.h"

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
#include <QLineEdit>
#include <QPushButton>

#include <cstddef>
#include <exception>
#include <iostream>
#include <optional>
#include <utility>

namespace {

// Every control that takes input, disabled while a conversion runs.
constexpr int kInputControls[] = {
    res::IDC_IN_FILE,     res::IDC_OPEN_FILE,   res::IDC_OUT_DIR,     res::IDC_OPEN_FOLDER,
    res::IDC_CONVERT,     res::IDC_CHECK_BMP,   res::IDC_CHECK_JPG,   res::IDC_CHECK_GIF,
    res::IDC_CHECK_PCX,   res::IDC_CHECK_PNG,   res::IDC_CHECK_ICO,   res::IDC_CHECK_TIF,
    res::IDC_CHECK_TGA,   res::IDC_CHECK_RAW,
};

}  // namespace

SinglePage::SinglePage(const PageServices& services)
    : m_services(services)
    , m_picture(PicturePreview::EngineRenderer(services.engine), [this] {
        if (m_preview)
            m_preview->update();
    })
{
}

SinglePage::~SinglePage() = default;

void SinglePage::DoDataExchange(DataExchange& dx)
{
    PageBase::DoDataExchange(dx);
    DDX_Control(dx, res::IDC_PREVIEW, m_preview);
    DDX_Check(dx, res::IDC_CHECK_BMP, m_bbmp);
    DDX_Check(dx, res::IDC_CHECK_GIF, m_bgif);
    DDX_Check(dx, res::IDC_CHECK_ICO, m_bico);
    DDX_Check(dx, res::IDC_CHECK_JPG, m_bjpg);
    DDX_Check(dx, res::IDC_CHECK_PCX, m_bpcx);
    DDX_Check(dx, res::IDC_CHECK_PNG, m_bpng);
    DDX_Check(dx, res::IDC_CHECK_RAW, m_braw);
    DDX_Check(dx, res::IDC_CHECK_TGA, m_btga);
    DDX_Check(dx, res::IDC_CHECK_TIF, m_btif);
    DDX_Text(dx, res::IDC_IN_FILE, m_strInFile);
    DDX_Text(dx, res::IDC_OUT_DIR, m_strOutDir);
}

bool SinglePage::OnInitDialog()
{
    PageBase::OnInitDialog();
    LoadSettings();

    if (m_preview)
        m_preview->SetPaintHandler([this](QPainter& painter, const QRect& clientRect) { OnPaint(painter, clientRect); });
    const std::pair<int, void (SinglePage::*)()> buttons[] = {
        {res::IDC_OPEN_FILE, &SinglePage::OnOpenFile},
        {res::IDC_OPEN_FOLDER, &SinglePage::OnOpenFolder},
        {res::IDC_CONVERT, &SinglePage::OnConvert},
    };
    for (const auto& [id, handler] : buttons) {
        if (auto* button = GetDlgItemAs<QPushButton>(id))
            connect(button, &QPushButton::clicked, this, handler);
    }

    // Drops on the fields come to the page, which knows files from folders.
    setAcceptDrops(true);
    for (const int id : {res::IDC_IN_FILE, res::IDC_OUT_DIR}) {
        if (QWidget* field = GetDlgItem(id))
            field->setAcceptDrops(false);
    }
    return true;
}

void SinglePage::OnDestroy()
{
    // Its end finds the page destroyed: no owner, no box.
    m_conversion.WaitForEnd();
    m_picture.Finish();
    SaveSettings();
}

int SinglePage::LoadSettings()
{
    const SingleSettings settings = LoadSingleSettings(m_services.configPath);
    m_bbmp = settings.bbmp;
    m_bjpg = settings.bjpg;
    m_bgif = settings.bgif;
    m_bpcx = settings.bpcx;
    m_bpng = settings.bpng;
    m_bico = settings.bico;
    m_btif = settings.btif;
    m_btga = settings.btga;
    m_braw = settings.braw;
    m_strInFile = settings.InFile;
    m_strOutDir = settings.OutDir;
    UpdateData(false);
    return 1;
}

int SinglePage::SaveSettings()
{
    UpdateData(true);
    SingleSettings settings;
    settings.bbmp = m_bbmp;
    settings.bjpg = m_bjpg;
    settings.bgif = m_bgif;
    settings.bpcx = m_bpcx;
    settings.bpng = m_bpng;
    settings.bico = m_bico;
    settings.btif = m_btif;
    settings.btga = m_btga;
    settings.braw = m_braw;
    settings.InFile = m_strInFile;
    settings.OutDir = m_strOutDir;
    SaveSingleSettings(m_services.configPath, settings);
    return 1;
}

FormatFlags SinglePage::Flags() const
{
    return FormatFlags{m_bbmp, m_bjpg, m_bgif, m_bpcx, m_bpng, m_bico, m_btif, m_btga, m_braw};
}

void SinglePage::OnOpenFile()
{
    UpdateData(true);
    if (const std::optional<std::string> chosen = m_services.prompts.OpenPictureFile(this, m_strInFile))
        TakeInFile(*chosen);
    UpdateData(false);
}

void SinglePage::TakeInFile(const std::string& path)
{
    m_strInFile = path;
    m_nInType = static_cast<int>(TypeFromPath(m_strInFile));
    if (m_preview)
        m_preview->update();
}

void SinglePage::OnOpenFolder()
{
    UpdateData(true);
    FolderBrowser(m_services.prompts, m_strOutDir, m_strOutDir, this);
    UpdateData(false);
}

void SinglePage::OnConvert()
{
    if (IsConverting())
        return;
    UpdateData(true);
    ConversionPlan plan = PlanConversion(m_strInFile, m_strOutDir, Flags());
    if (plan.refused) {
        m_services.prompts.ShowMessage(this, plan.message);
        return;
    }
    if (!m_services.engine) {
        ShowConversionMessage(this, std::string(kMsgConvertFailed) + "\n" + m_strInFile +
                                        ": the converter is not available");
        return;
    }
    StartConversion(std::move(plan.job));
}

void SinglePage::StartConversion(ConversionJob job)
{
    SetInputsEnabled(false);
    setCursor(Qt::BusyCursor);
    const std::size_t total = job.outputs.size();
    ShowOutputsDone(0, total);
    m_convertingJob = std::move(job);
    m_conversion.Start(
        [this, engine = m_services.engine, job = m_convertingJob, total](const JobControl& control) {
            // The engine's threads tell of each share done.
            const auto progress = [this, &control, total](std::size_t handled) {
                control.Post([this, handled, total] { ShowOutputsDone(handled, total); });
            };
            try {
                return engine->RunWithProgress(job, progress);
            } catch (const std::exception& e) {
                return FailedConversionResult(job, std::string("the conversion stopped: ") + e.what());
            } catch (...) {
                return FailedConversionResult(job, "the conversion stopped");
            }
        },
        [this](ConversionResult result) { EndConversion(result); });
}

void SinglePage::ShowOutputsDone(std::size_t handled, std::size_t total)
{
    if (auto* convert = GetDlgItemAs<QPushButton>(res::IDC_CONVERT))
        convert->setText(QStringLiteral("%1 / %2").arg(handled).arg(total));
}

void SinglePage::EndConversion(const ConversionResult& result)
{
    const std::string message = ConversionMessage(m_convertingJob, result);
    m_convertingJob = ConversionJob();
    unsetCursor();
    if (auto* convert = GetDlgItemAs<QPushButton>(res::IDC_CONVERT))
        convert->setText(QStringLiteral("Convert"));
    SetInputsEnabled(true);
    ShowConversionMessage(MessageOwner(), message);
    emit ConversionFinished();
}

void SinglePage::ShowConversionMessage(QWidget* owner, const std::string& text)
{
    if (!owner) {
        // A box with the window gone would stand alone and keep the program
        // running until answered.
        std::cerr << text << std::endl;
        return;
    }
    const bool failed = text.rfind(kMsgConvertFailed, 0) == 0;
    m_services.prompts.ShowMessage(owner, text, failed ? MessageIcon::Warning : MessageIcon::None);
}

void SinglePage::SetInputsEnabled(bool enabled)
{
    for (const int id : kInputControls) {
        if (QWidget* control = GetDlgItem(id))
            control->setEnabled(enabled);
    }
}

void SinglePage::OnPaint(QPainter& painter, const QRect& clientRect)
{
    DrawPreview(painter, clientRect, m_strInFile);
}

void SinglePage::DrawPreview(QPainter& painter, const QRect& clientRect, const std::string& path)
{
    m_picture.DrawPreview(painter, clientRect, path, m_nInType);
}

void SinglePage::dragEnterEvent(QDragEnterEvent* event)
{
    if (!IsConverting() && !DroppedPaths::Of(event->mimeData()).Empty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void SinglePage::dropEvent(QDropEvent* event)
{
    const DroppedPaths dropped = DroppedPaths::Of(event->mimeData());
    if (IsConverting() || dropped.Empty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    UpdateData(true);
    if (dropped.firstIsFolder)
        m_strOutDir = WithFinalSeparator(dropped.folders.front());
    else
        TakeInFile(dropped.files.front());
    UpdateData(false);
}
