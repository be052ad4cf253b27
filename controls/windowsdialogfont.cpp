#include "windowsdialogfont.h"

// Qt
#include <QFontInfo>

#include <windows.h>

QSize WindowsDialogBaseUnits(const QFont &font)
{
    // The system's message font (which Qt makes the application font) gives the character set,
    // quality and pitch; the face, size, weight and slant are the font's own.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW lf{};
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        lf = metrics.lfMessageFont;
    else
        lf.lfCharSet = DEFAULT_CHARSET;
    const QFontInfo info(font);
    lf.lfHeight = -info.pixelSize();  // negative: the character height without internal leading
    lf.lfWidth = 0;
    lf.lfWeight = info.bold() ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = info.italic() ? TRUE : FALSE;
    lf.lfUnderline = FALSE;
    lf.lfStrikeOut = FALSE;
    // The face asked for, which Windows matches as it does for a dialog's own font.
    const QString family = font.family().left(LF_FACESIZE - 1);
    family.toWCharArray(lf.lfFaceName);
    lf.lfFaceName[family.size()] = L'\0';

    const HDC dc = ::GetDC(nullptr);
    if (!dc)
        return QSize();
    const HFONT hfont = ::CreateFontIndirectW(&lf);
    QSize base;
    if (hfont) {
        const HGDIOBJ old = ::SelectObject(dc, hfont);
        TEXTMETRICW tm{};
        SIZE extent{};
        static const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        if (::GetTextMetricsW(dc, &tm) && ::GetTextExtentPoint32W(dc, kLetters, 52, &extent))
            base = QSize((extent.cx / 26 + 1) / 2, tm.tmHeight);
        ::SelectObject(dc, old);
        ::DeleteObject(hfont);
    }
    ::ReleaseDC(nullptr, dc);
    return base;
}
