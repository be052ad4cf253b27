#include "tabsummary.h"

// Std
#include <algorithm>
#include <utility>

// Qt
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>

#include "resourceids.h"

namespace {

// A label breaks lines at "\n"; the texts themselves keep their "\r\n" for the clipboard.
QString ForDisplay(const QString &text)
{
    QString shown = text;
    return shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

CTabSummary::CTabSummary(int bConfirm, IWizardFrame *wizard)
    : CWizardPage(wizard, bConfirm ? "Summary of Firmware Customisations" : "Firmware Settings",
                  bConfirm ? "The following firmware settings will be applied to the firmware file selected. The "
                             "next screen will be able to choose a new filename to store it as."
                           : "This is the firmware settings for the selected firmware file before modification. "
                             "The following screens allow you to modify the baud rate, startup mode and enable or "
                             "disable monitor messages.")
    , m_bConfirm(bConfirm)
{}

void CTabSummary::OnInitDialog()
{
    connect(GetDlgItem<QPushButton>(SummaryIds::Copy), &QPushButton::clicked, this, &CTabSummary::OnCopy);

    const QList<QWidget *> &order = Controls().InOrder();
    for (int i = 1; i < order.size(); ++i) {
        auto *value = qobject_cast<QLabel *>(order.at(i));
        const int id = value ? value->property("controlId").toInt() : kNoId;
        if (id < SummaryIds::FwVersion || id > SummaryIds::Options || id == SummaryIds::Pid || id == SummaryIds::Vid)
            continue;
        QWidget *label = order.at(i - 1);
        m_rows.append({label, value, label->geometry(), value->geometry()});
    }
    std::sort(m_rows.begin(), m_rows.end(),
              [](const Row &a, const Row &b) { return a.valueRect.y() < b.valueRect.y(); });
    MakeRowsReadable();
    UpdateData();
}

void CTabSummary::MakeRowsReadable()
{
    // Each value can be reached with Tab, read and selected, and is labelled by the text before
    // it, so a screen reader reads the summary row by row.
    for (const Row &row : std::as_const(m_rows)) {
        row.value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        row.value->setFocusPolicy(Qt::StrongFocus);
        if (auto *label = qobject_cast<QLabel *>(row.label))
            label->setBuddy(row.value);
    }
}

void CTabSummary::LayOutRows()
{
    // A value that does not fit its line wraps within the page, and the rows below it move down
    // by the lines it gained.
    int shift = 0;
    for (const Row &row : std::as_const(m_rows)) {
        const int need = row.value->heightForWidth(row.valueRect.width());
        const int height = std::max(row.valueRect.height(), need);
        row.value->setGeometry(row.valueRect.translated(0, shift).adjusted(0, 0, 0, height - row.valueRect.height()));
        row.label->move(row.labelRect.topLeft() + QPoint(0, shift));
        shift += height - row.valueRect.height();
    }
}

void CTabSummary::OnShowWindow(bool show)
{
    if (!show)
        return;
    WriteHeader();

    m_texts = SettingsText::Describe(m_values, m_bConfirm != 0);
    UpdateData();
}

void CTabSummary::UpdateData()
{
    const std::pair<int, const QString *> texts[] = {
        {SummaryIds::FwVersion, &m_texts.fwVersion},
        {SummaryIds::FwType, &m_texts.fwType},
        {SummaryIds::Monitor, &m_texts.monitor},
        {SummaryIds::Pid, &m_texts.pid},
        {SummaryIds::Vid, &m_texts.vid},
        {SummaryIds::InitMode, &m_texts.initMode},
        {SummaryIds::Options, &m_texts.options},
    };
    for (const auto &[id, text] : texts)
        GetDlgItem<QLabel>(id)->setText(ForDisplay(*text));
    LayOutRows();
}

QString CTabSummary::CopyText() const
{
    return SettingsText::CopyText(m_texts, m_bConfirm != 0);
}

void CTabSummary::OnCopy()
{
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->setText(CopyText());
}
