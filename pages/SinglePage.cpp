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

SinglePage::~SinglePage()
{
    // The task's thread posts to this page as its last act; it must be done
    // before the page stops being a QObject.
    m_pConversion.reset();
}

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
    if (m_pConversion) {
        // The window is gone: no owner, no box.
        EndConversion(nullptr);
    }
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
    if (m_pConversion)
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
    const unsigned serial = ++m_nConversionSerial;
    const std::size_t total = job.outputs.size();
    ShowOutputsDone(0, total);
    // Called on the task's threads, which always end before the page does;
    // the page handles the news on its own thread, in the order it came.
    m_pConversion = std::make_unique<ConversionTask>(
        *m_services.engine, std::move(job),
        [this, serial] {
            QMetaObject::invokeMethod(this, [this, serial] { OnConversionDone(serial); }, Qt::QueuedConnection);
        },
        [this, serial, total](std::size_t handled) {
            QMetaObject::invokeMethod(
                this,
                [this, serial, handled, total] {
                    if (m_pConversion && serial == m_nConversionSerial)
                        ShowOutputsDone(handled, total);
                },
                Qt::QueuedConnection);
        });
}

void SinglePage::ShowOutputsDone(std::size_t handled, std::size_t total)
{
    if (auto* convert = GetDlgItemAs<QPushButton>(res::IDC_CONVERT))
        convert->setText(QStringLiteral("%1 / %2").arg(handled).arg(total));
}

void SinglePage::OnConversionDone(unsigned serial)
{
    // Late news of a conversion that OnDestroy already waited for.
    if (!m_pConversion || serial != m_nConversionSerial)
        return;
    EndConversion(this);
}

void SinglePage::EndConversion(QWidget* owner)
{
    const ConversionResult result = m_pConversion->Wait();
    const std::string message = ConversionMessage(m_pConversion->Job(), result);
    m_pConversion.reset();
    unsetCursor();
    if (auto* convert = GetDlgItemAs<QPushButton>(res::IDC_CONVERT))
        convert->setText(QStringLiteral("Convert"));
    SetInputsEnabled(true);
    ShowConversionMessage(owner, message);
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
    if (!m_pConversion && !DroppedPaths::Of(event->mimeData()).Empty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void SinglePage::dropEvent(QDropEvent* event)
{
    const DroppedPaths dropped = DroppedPaths::Of(event->mimeData());
    if (m_pConversion || dropped.Empty()) {
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
