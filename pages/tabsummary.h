#pragma once

// Qt
#include <QList>
#include <QRect>
#include <QString>

#include "firmware/settings.h"
#include "firmware/settingstext.h"
#include "wizardpage.h"

class QLabel;
class QScrollArea;

// "File Summary" (the loaded settings) and "Confirm Summary" (the settings to be written).
class CTabSummary : public CWizardPage
{
    Q_OBJECT

public:
    CTabSummary(int bConfirm, IWizardFrame *wizard);

    // The settings to describe at the next show.
    void SetValues(const Firmware::Settings &values) { m_values = values; }
    // The text that "Copy" places on the clipboard, from the texts last shown, in the
    // platform's line ends (CR LF on Windows, LF elsewhere).
    QString CopyText() const;
    void OnCopy();

    // The rows below the version, in a frame of their own: when a long value (USB strings of a
    // hundred characters) makes them taller than the page, they scroll.
    QScrollArea *RowsArea() const { return m_scrollRows; }

    int m_bConfirm;

protected:
    QWidget *CreateCustomControl(const ControlTemplate &c, QWidget *parent) override;
    void OnInitDialog() override;
    void OnShowWindow(bool show) override;

private:
    Firmware::Settings m_values;         // what the page describes
    SettingsText::SummaryTexts m_texts;  // the texts last shown

    void UpdateData();  // the texts into their statics
    void LayOutRows();
    void MakeRowsReadable();
    // Lays the rows out at `width`, as the template spaces them or `compact`; returns the
    // height they take in their frame.
    int LayOutRowsAt(int width, bool compact);

    // A value static, the label before it, and where the template puts them.
    struct Row {
        QWidget *label;
        QLabel *value;
        QRect labelRect;
        QRect valueRect;
    };
    QList<Row> m_rows;  // top to bottom
    QScrollArea *m_scrollRows = nullptr;
    QWidget *m_rowsWidget = nullptr;
};
