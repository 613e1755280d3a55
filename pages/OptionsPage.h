#pragma once

#include "ConversionOptions.h"
#include "PageBase.h"
#include "PageServices.h"

// The Options tab: how pictures are written (the writers' quality and
// effort, resizing, metadata, existing files, the Batch page's folders).
// It edits the options the Single and Batch pages convert with
// (PageServices::options) as the user changes a control, loads them from
// section [Options] of the settings file when it is created and saves them
// there when it is destroyed.
class OptionsPage : public PageBase {
    Q_OBJECT

public:
    explicit OptionsPage(const PageServices& services);

    // The options the controls show.
    const ConversionOptions& Options() const { return *m_pOptions; }

    void LoadSettings();
    void SaveSettings();

protected:
    void DoDataExchange(DataExchange& dx) override;
    bool OnInitDialog() override;
    void OnDestroy() override;

private:
    // A control changed: the options follow it, and the size fields that
    // do not apply to the chosen resize are disabled.
    void OnOptionChanged();
    void EnableResizeFields();

    PageServices m_services;
    ConversionOptions m_ownOptions;  // when the services carry none (tests)
    ConversionOptions* m_pOptions;
    bool m_bShowing = false;  // members are being moved into the controls
};
