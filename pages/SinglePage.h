#pragma once

#include "BackgroundJob.h"
#include "PageBase.h"
#include "PageServices.h"
#include "PicturePreview.h"
#include "PreviewFrame.h"

#include "ConvertFile.h"

#include <QRect>

#include <cstddef>
#include <memory>
#include <string>

class QDragEnterEvent;
class QDropEvent;
class QPainter;

// The Single tab: converts one picture into any of the nine ticked formats,
// into one out folder, with a preview of the picture on the left. Keeps its
// boxes, its input path and its out folder in section "Single" of the
// settings file: loaded when it is created, saved when it is destroyed.
//
// The controls reach the members only through the data exchange: a path
// typed into the In File field is previewed after the next Open File, Open
// Folder or Convert has read it and the page paints again.
//
// A conversion runs on the engine as a background job. Meanwhile
// the page takes no input (its controls are disabled, the cursor is busy),
// the Convert button reads how many of the ticked outputs are done ("3 / 9")
// and the window keeps painting; the conversion's one message comes at its
// end. Destroying the page during a conversion waits for the outputs in
// flight (each is written whole or not at all) with the event loop running;
// its message then goes to standard error, as no window is left to show it.
// User-interface thread only.
class SinglePage : public PageBase {
    Q_OBJECT

public:
    explicit SinglePage(const PageServices& services);
    ~SinglePage() override;

    // Button 1004: lets the user pick the picture; it is previewed at once.
    // Every control is rewritten from the members, also after Cancel.
    void OnOpenFile();
    // Button 1006: lets the user pick the out folder, offered at the current one.
    void OnOpenFolder();
    // Button 1007: refuses with a message, or starts the conversion.
    void OnConvert();

    // Section "Single" into the members and the controls; the controls into
    // the members and the section into the file. Always 1.
    int LoadSettings();
    int SaveSettings();

    bool IsConverting() const { return m_conversion.IsRunning(); }

    const std::string& InFile() const { return m_strInFile; }
    const std::string& OutDir() const { return m_strOutDir; }
    int InType() const { return m_nInType; }
    const PicturePreview& Preview() const { return m_picture; }

    // The flags in the format table's order (bmp, jpg, gif, pcx, png, ico,
    // tif, tga, raw), as the conversion takes them.
    FormatFlags Flags() const;

signals:
    // A conversion has ended and its message has been shown.
    void ConversionFinished();

protected:
    void DoDataExchange(DataExchange& dx) override;
    bool OnInitDialog() override;
    void OnDestroy() override;

    // The preview frame's painting: the member's picture, not the field's text.
    void OnPaint(QPainter& painter, const QRect& clientRect);
    void DrawPreview(QPainter& painter, const QRect& clientRect, const std::string& path);

    // A dropped file becomes the input as Open File would make it; a dropped
    // folder becomes the out folder as Open Folder would.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void TakeInFile(const std::string& path);
    void StartConversion(ConversionJob job);
    void ShowOutputsDone(std::size_t handled, std::size_t total);
    void EndConversion(const ConversionResult& result);
    void SetInputsEnabled(bool enabled);
    void ShowConversionMessage(QWidget* owner, const std::string& text);

    PageServices m_services;

    // Dialog data, in the order of the template's page.
    res::PreviewFrame* m_preview = nullptr;
    int m_bbmp = 0;
    int m_bgif = 0;
    int m_bico = 0;
    int m_bjpg = 0;
    int m_bpcx = 0;
    int m_bpng = 0;
    int m_braw = 0;
    int m_btga = 0;
    int m_btif = 0;
    std::string m_strInFile;
    std::string m_strOutDir;
    int m_nInType = 0;

    PicturePreview m_picture;
    ConversionJob m_convertingJob;  // the running conversion's, for its message
    BackgroundJob<ConversionResult> m_conversion;
};
