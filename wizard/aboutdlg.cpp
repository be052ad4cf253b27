#include "aboutdlg.h"

// Qt
#include <QLabel>
#include <QPushButton>

#include "resources/dialogtemplates.h"
#include "resources/resourceids.h"

CAboutDlg::CAboutDlg(QWidget *parent) : QDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::CustomizeWindowHint);
    m_controls = CDialogBuilder::Build(this, *FindDialogTemplate(IDD_ABOUTBOX));
    setFixedSize(size());

    m_staticNotice = m_controls.Item<QLabel>(AboutIds::Notice);
    m_staticCompany = m_controls.Item<QLabel>(AboutIds::Company);
    m_staticProduct = m_controls.Item<QLabel>(AboutIds::Product);

    // The product line is in the heading font, as the wizard's page titles are.
    m_fontBold = CDialogBuilder::HeadingFont(font());
    m_staticProduct->setFont(m_fontBold);

    auto *ok = m_controls.Item<QPushButton>(AboutIds::Ok);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ok->setFocus();
}
