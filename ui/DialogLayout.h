#pragma once
// Where the dialog's controls sit and how big it is: the compact layout it
// starts in, the status layout that shows the status box, and both again at
// another display scale, with the icons and the banner's art for that scale.
#include "afxwin.h"

class DialogLayout {
public:
    explicit DialogLayout(CWnd& dialog, UINT templateId);
    ~DialogLayout();
    DialogLayout(const DialogLayout&) = delete;
    DialogLayout& operator=(const DialogLayout&) = delete;

    // From the dialog's first set-up: the art and label widths of the window's
    // scale, then the compact layout, the status box hidden.
    void FitToScale();
    void StartCompact();
    // The status layout: the dialog grows and its buttons move down, the status
    // box shows. Once; later calls leave it as it is.
    void ShowStatusArea();
    bool statusShown() const { return m_statusShown; }

    // The window moved to a display of `dpi`: every control placed again from
    // the template at that scale, in the layout the dialog is in. False when
    // the new font could not be made (the dialog stays as it was).
    bool LayOutForDpi(UINT dpi, const RECT* suggested);
    UINT dpi() const { return m_dpi; }
    // The program's small icon at the dialog's scale, or null before it is loaded.
    HICON smallIcon() const { return m_smallIcon; }

private:
    void ShowArtForDpi();
    void FitLabelsToText();
    int ClientWidthForBanner(int templateWidth) const;
    HWND BannerWindow() const;
    int LayoutShift() const;
    void MoveButtonsBy(int dy);

    CWnd& m_dialog;
    UINT m_templateId;
    bool m_statusShown;
    RECT m_windowRect;
    RECT m_loginRect;
    RECT m_cancelRect;
    // The display scale the dialog is laid out for, and what it holds for it:
    // the icons at the sizes of that scale, the banner's art and the font of
    // the controls once the window has moved to another scale.
    UINT m_dpi;
    HICON m_bigIcon;
    HICON m_smallIcon;
    CBitmap m_bannerArt;
    CGdiObject m_scaledFont;
};
