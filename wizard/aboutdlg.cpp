#include "aboutdlg.h"

// Qt
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>

#include "resourceids.h"

CAboutDlg::CAboutDlg(QWidget *parent) : QDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::CustomizeWindowHint);
    m_controls = CDialogBuilder::Build(this, *FindDialogTemplate(IDD_ABOUTBOX));
    setFixedSize(size());

    m_staticNotice = m_controls.Item<QLabel>(1025);
    m_staticCompany = m_controls.Item<QLabel>(1026);
    m_staticProduct = m_controls.Item<QLabel>(1024);

    // The product line is a third larger than the dialog font, and bold.
    m_fontBold = font();
    m_fontBold.setPixelSize(QFontInfo(font()).pixelSize() * 4 / 3);
    m_fontBold.setWeight(QFont::Bold);
    m_staticProduct->setFont(m_fontBold);

    if (auto *ok = m_controls.Item<QPushButton>(1)) {
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
        ok->setFocus();
    }
}
