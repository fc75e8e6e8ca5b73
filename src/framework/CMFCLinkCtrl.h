#pragma once

#include "framework/CFont.h"
#include "framework/CString.h"
#include "framework/CWnd.h"

// A static control shown as a web link: underlined text in the link colour, a hand cursor, and a click
// opens its URL in the browser (web addresses only, WebAddress::Open). Bind it to a static with SS_NOTIFY.
class CMFCLinkCtrl : public CWnd {
public:
    CMFCLinkCtrl();

    void SetURL(const CString& url) { m_url = url; }
    const CString& GetURL() const { return m_url; }
    // Fits the control to its text in its font, keeping its top-left corner.
    void SizeToContent(BOOL verticalAlign = FALSE, BOOL horizontalAlign = FALSE);

private:
    void OnPaint();
    HFONT UnderlinedFont();

    CString m_url;
    // The control's font with an underline, made again when the control's font changes.
    CFont m_underlinedFont;
    HFONT m_underlinedFrom = nullptr;
};
