#pragma once

// Qt
#include <QList>
#include <QRect>
#include <QString>

#include "settingstext.h"
#include "wizardpage.h"

class QLabel;

// "File Summary" (the loaded settings) and "Confirm Summary" (the settings to be written).
class CTabSummary : public CWizardPage
{
    Q_OBJECT

public:
    CTabSummary(int bConfirm, IWizardFrame *wizard);

    // The settings to describe at the next show.
    void SetValues(const SettingsText::SummaryValues &values) { m_values = values; }
    // The text that "Copy" places on the clipboard, from the texts last shown.
    QString CopyText() const;
    void OnCopy();

    int m_bConfirm;
    SettingsText::SummaryValues m_values;  // what the page describes
    SettingsText::SummaryTexts m_texts;    // the texts last shown

protected:
    void OnInitDialog() override;
    void OnShowWindow(bool show) override;

private:
    void UpdateData();  // the seven texts into their statics
    void LayOutRows();
    void MakeRowsReadable();

    // A value static, the label before it and where the template puts both.
    struct Row {
        QWidget *label;
        QLabel *value;
        QRect labelRect;
        QRect valueRect;
    };
    QList<Row> m_rows;  // top to bottom
};
