#pragma once

#include "LaunchUrl.h"

#include <QColor>
#include <QFont>
#include <QLabel>

#include <string>

class IPrompts;

// A static text of a dialog that acts as a web link: link colours, an
// underline (always, never, or while the pointer is over it), a hand pointer,
// the address as its tooltip, a size fitted to its text, and a click that
// opens the address and reports a failure. No background is painted, so the
// dialog shows through. User-interface thread only.
//
// Lifecycle: construct, then attach, either by SubclassLabel() (taking the
// place of a template's static text) or by PreSubclassWindow() on a label
// already placed in its dialog. Until then SetLinkUrl() and
// SetUnderlineMode() only record their values.
class HyperlinkLabel : public QLabel {
    Q_OBJECT

public:
    explicit HyperlinkLabel(QWidget* parent = nullptr);
    ~HyperlinkLabel() override;

    // Makes a link that takes the place of `control`: its parent, geometry,
    // stacking position, text, font, alignment, frame and object name. The
    // control is hidden, not deleted, so pointers to it held by whoever built
    // the dialog stay valid. Then attaches. The link belongs to the parent;
    // a control without a parent gives nullptr.
    static HyperlinkLabel* SubclassLabel(QLabel& control);

    // The attaching steps: an empty address takes the text, an empty text
    // takes the address, the fonts are made from the current font, the label
    // fits its text, shows the hand pointer, the font of the underline mode
    // and the address as its tooltip.
    void PreSubclassWindow();

    // Sets the address; once attached, refits and updates the tooltip.
    void SetLinkUrl(const std::string& url);
    // Sets the visited state; once attached, repaints in the matching colour.
    void SetVisitedState(bool visited);
    // 1 always underlined, 0 never, -1 only while the pointer is over it.
    void SetUnderlineMode(int mode);

    // Resizes the label to its text in the underline font plus its frame,
    // margins and indent:
    // left-aligned keeps its left edge, centred its centre (AlignHCenter),
    // right-aligned its right edge; AlignVCenter keeps the vertical centre,
    // otherwise the top. Nothing before attaching or with m_bFitToText false.
    void FitToText();

    const std::string& LinkUrl() const { return m_strUrl; }
    bool IsHovering() const { return m_bHover; }
    bool IsVisited() const { return m_bVisited; }
    int UnderlineMode() const { return m_nUnderlineMode; }

    // The text colour for the current state: hover, else visited, else link.
    QColor CtlColor() const;

    // How a click opens the address (LaunchUrl by default) and where its
    // failure is reported (Qt's message box by default). Tests replace both.
    void SetLauncher(UrlLauncher launcher);
    void SetPrompts(IPrompts* prompts);

    // Opens the address as a click does.
    void OnLinkClicked();

    // The failure message of a click: "Unable to open hyperlink:", an empty
    // line and the text for code, with the warning icon and an OK button.
    void ShowLaunchError(int code);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void OnMouseMove();
    void OnTimer();
    void ApplyTextColour();

    const QColor m_crLink{0, 0, 238};
    const QColor m_crVisited{85, 26, 139};
    const QColor m_crHover{255, 0, 0};
    bool m_bHover = false;
    bool m_bVisited = false;
    int m_nUnderlineMode = -1;
    bool m_bFitToText = true;
    std::string m_strUrl;
    QFont m_fontUnderline;
    QFont m_fontPlain;
    int m_nTimerId = 0; // the running hover timer, 0 when none
    bool m_bAttached = false;
    bool m_bPressed = false;
    UrlLauncher m_launch;
    IPrompts* m_prompts = nullptr;
};
