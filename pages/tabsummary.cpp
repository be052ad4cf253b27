#include "tabsummary.h"

// Std
#include <algorithm>
#include <utility>

// Qt
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>

#include "settingstext.h"

namespace {

constexpr int IDC_FW_VERSION = 1020;
constexpr int IDC_FW_TYPE = 1021;
constexpr int IDC_MONITOR = 1022;
constexpr int IDC_PID = 1023;
constexpr int IDC_VID = 1024;
constexpr int IDC_INIT_MODE = 1025;
constexpr int IDC_OPTIONS = 1026;
constexpr int IDC_COPY = 1038;

// A label breaks lines at "\n"; the texts themselves keep their "\r\n" for the clipboard.
QString ForDisplay(const QString &text)
{
    QString shown = text;
    return shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

CTabSummary::CTabSummary(int bConfirm, CBrindleDlg *wizard)
    : CWizardPage(wizard,
                  bConfirm ? "Summary of Firmware Customisations" : "Firmware Settings",
                  bConfirm ? "The following firmware settings will be applied to the firmware file selected. The "
                             "next screen will be able to choose a new filename to store it as."
                           : "This is the firmware settings for the selected firmware file before modification. "
                             "The following screens allow you to modify the baud rate, startup mode and enable or "
                             "disable monitor messages."),
      m_bConfirm(bConfirm)
{
}

void CTabSummary::OnInitDialog()
{
    if (auto *copy = GetDlgItem<QPushButton>(IDC_COPY))
        connect(copy, &QPushButton::clicked, this, &CTabSummary::OnCopy);

    const QList<QWidget *> &order = Controls().InOrder();
    for (int i = 1; i < order.size(); ++i) {
        auto *value = qobject_cast<QLabel *>(order.at(i));
        const int id = value ? value->property("controlId").toInt() : kNoId;
        if (id < IDC_FW_VERSION || id > IDC_OPTIONS || id == IDC_PID || id == IDC_VID)
            continue;
        QWidget *label = order.at(i - 1);
        m_rows.append({label, value, label->geometry(), value->geometry()});
    }
    std::sort(m_rows.begin(), m_rows.end(),
              [](const Row &a, const Row &b) { return a.valueRect.y() < b.valueRect.y(); });
    UpdateData();
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

    SettingsText::SummaryValues v;
    v.nFileKind = m_nFileKind;
    v.nCodeType = m_nCodeType;
    v.nFirmwareType = m_nFirmwareType;
    v.nBaudRate = m_nBaudRate;
    v.nDataBits = m_nDataBits;
    v.nStopBits = m_nStopBits;
    v.nParity = m_nParity;
    v.nFlowControl = m_nFlowControl;
    v.nProductId = m_nProductId;
    v.nVendorId = m_nVendorId;
    v.bDisableUpgrades = m_bDisableUpgrades;
    v.bHideConnects = m_bHideConnects;
    v.bDisableDataMode = m_bDisableDataMode;
    v.bDisableStatusInfo = m_bDisableStatusInfo;
    v.bHideVersionReport = m_bHideVersionReport;
    v.bHidePrompt = m_bHidePrompt;
    v.bDisableLedFlash = m_bDisableLedFlash;
    v.bShortCommandSet = m_bShortCommandSet;
    v.bAsciiInput = m_bAsciiInput;
    v.strVersion = m_strVersion;

    const SettingsText::SummaryTexts t = SettingsText::Describe(v, m_bConfirm != 0);
    m_strFwVersion = t.fwVersion;
    m_strFwType = t.fwType;
    m_strMonitor = t.monitor;
    m_strPid = t.pid;
    m_strVid = t.vid;
    m_strInitMode = t.initMode;
    m_strOptions = t.options;
    UpdateData();
}

void CTabSummary::UpdateData()
{
    const std::pair<int, const QString *> texts[] = {
        {IDC_FW_VERSION, &m_strFwVersion}, {IDC_FW_TYPE, &m_strFwType}, {IDC_MONITOR, &m_strMonitor},
        {IDC_PID, &m_strPid},              {IDC_VID, &m_strVid},        {IDC_INIT_MODE, &m_strInitMode},
        {IDC_OPTIONS, &m_strOptions},
    };
    for (const auto &[id, text] : texts) {
        if (auto *label = GetDlgItem<QLabel>(id))
            label->setText(ForDisplay(*text));
    }
    LayOutRows();
}

QString CTabSummary::CopyText() const
{
    SettingsText::SummaryTexts t;
    t.fwVersion = m_strFwVersion;
    t.fwType = m_strFwType;
    t.monitor = m_strMonitor;
    t.pid = m_strPid;
    t.vid = m_strVid;
    t.initMode = m_strInitMode;
    t.options = m_strOptions;
    return SettingsText::CopyText(t, m_bConfirm != 0);
}

void CTabSummary::OnCopy()
{
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->setText(CopyText());
}
