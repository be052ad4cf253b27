#pragma once

// Qt
#include <QDialog>
#include <QFont>

#include "controls/dialogtemplate.h"

class QLabel;

// The About box: icon, product name and version, notice and maker.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget *parent = nullptr);

    QFont m_fontBold;
    QLabel *m_staticNotice = nullptr;
    QLabel *m_staticCompany = nullptr;
    QLabel *m_staticProduct = nullptr;

private:
    CDialogControls m_controls;
};
