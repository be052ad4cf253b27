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

    // A control of the box's template.
    template <class T>
    T *GetDlgItem(int id) const
    {
        return m_controls.Item<T>(id);
    }

private:
    CDialogControls m_controls;
    QFont m_fontBold;
    QLabel *m_staticNotice = nullptr;
    QLabel *m_staticCompany = nullptr;
    QLabel *m_staticProduct = nullptr;
};
