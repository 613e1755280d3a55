#include "OptionsPage.h"

#include "OptionsSettings.h"
#include "ResourceIds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>

namespace {

// Which control shows which option.
struct Binding {
    int id;
    const char* key;
};

constexpr Binding kBindings[] = {
    {res::IDC_JPEG_QUALITY, "JpegQuality"},     {res::IDC_JPEG_CHROMA, "JpegChroma"},
    {res::IDC_JPEG_PROGRESSIVE, "JpegProgressive"}, {res::IDC_WEBP_QUALITY, "WebpQuality"},
    {res::IDC_WEBP_LOSSLESS, "WebpLossless"},   {res::IDC_AVIF_QUALITY, "AvifQuality"},
    {res::IDC_AVIF_SPEED, "AvifSpeed"},         {res::IDC_JXL_DISTANCE, "JxlDistance"},
    {res::IDC_JXL_LOSSLESS_JPEG, "JxlLosslessJpeg"}, {res::IDC_PNG_COMPRESSION, "PngCompression"},
    {res::IDC_RESIZE, "Resize"},                {res::IDC_RESIZE_WIDTH, "ResizeWidth"},
    {res::IDC_RESIZE_HEIGHT, "ResizeHeight"},   {res::IDC_MAX_SIDE, "MaxSide"},
    {res::IDC_NEVER_ENLARGE, "NeverEnlarge"},   {res::IDC_METADATA, "Metadata"},
    {res::IDC_REMOVE_GPS, "RemoveGps"},         {res::IDC_IF_EXISTS, "IfExists"},
    {res::IDC_FOLDERS, "Folders"},
};

}  // namespace

OptionsPage::OptionsPage(const PageServices& services)
    : m_services(services)
    , m_pOptions(services.options != nullptr ? services.options : &m_ownOptions)
{
}

void OptionsPage::DoDataExchange(DataExchange& dx)
{
    PageBase::DoDataExchange(dx);
    for (const Binding& binding : kBindings) {
        const OptionDefinition* option = FindOption(binding.key);
        double value = option->get(*m_pOptions);
        if (option->kind == OptionKind::Choice || option->kind == OptionKind::Flag) {
            int index = static_cast<int>(value);
            if (option->kind == OptionKind::Choice)
                DDX_CBIndex(dx, binding.id, index);
            else
                DDX_Check(dx, binding.id, index);
            value = index;
        } else {
            DDX_Spin(dx, binding.id, value);
        }
        if (dx.m_bSaveAndValidate && value >= option->minimum && value <= option->maximum)
            option->set(*m_pOptions, value);
    }
}

bool OptionsPage::OnInitDialog()
{
    for (const Binding& binding : kBindings) {
        const OptionDefinition* option = FindOption(binding.key);
        QWidget* control = GetDlgItem(binding.id);
        if (auto* whole = qobject_cast<QSpinBox*>(control)) {
            whole->setRange(static_cast<int>(option->minimum), static_cast<int>(option->maximum));
            connect(whole, qOverload<int>(&QSpinBox::valueChanged), this, &OptionsPage::OnOptionChanged);
        } else if (auto* decimal = qobject_cast<QDoubleSpinBox*>(control)) {
            decimal->setRange(option->minimum, option->maximum);
            connect(decimal, qOverload<double>(&QDoubleSpinBox::valueChanged), this, &OptionsPage::OnOptionChanged);
        } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
            connect(combo, qOverload<int>(&QComboBox::currentIndexChanged), this, &OptionsPage::OnOptionChanged);
        } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
            connect(box, &QCheckBox::toggled, this, &OptionsPage::OnOptionChanged);
        }
    }
    PageBase::OnInitDialog();
    LoadSettings();
    return true;
}

void OptionsPage::OnDestroy()
{
    PageBase::OnDestroy();
    SaveSettings();
}

void OptionsPage::LoadSettings()
{
    LoadOptionsSettings(m_services.configPath, *m_pOptions);
    m_bShowing = true;
    UpdateData(false);
    m_bShowing = false;
    EnableResizeFields();
}

void OptionsPage::SaveSettings()
{
    UpdateData(true);
    SaveOptionsSettings(m_services.configPath, *m_pOptions);
}

void OptionsPage::OnOptionChanged()
{
    if (m_bShowing)
        return;
    UpdateData(true);
    EnableResizeFields();
}

void OptionsPage::EnableResizeFields()
{
    const ResizeMode mode = m_pOptions->resize;
    for (int id : {res::IDC_RESIZE_WIDTH, res::IDC_RESIZE_HEIGHT}) {
        if (QWidget* field = GetDlgItem(id))
            field->setEnabled(mode == ResizeMode::Fit);
    }
    if (QWidget* side = GetDlgItem(res::IDC_MAX_SIDE))
        side->setEnabled(mode == ResizeMode::LongestSide);
    if (QWidget* enlarge = GetDlgItem(res::IDC_NEVER_ENLARGE))
        enlarge->setEnabled(mode != ResizeMode::None);
}
