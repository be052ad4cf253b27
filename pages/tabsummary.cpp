#include "tabsummary.h"

// Std
#include <algorithm>
#include <utility>

// Qt
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include "controls/wrapstatic.h"
#include "firmware/screentext.h"
#include "resources/resourceids.h"

namespace {

bool IsValueId(int id)
{
    return (id >= SummaryIds::FwVersion && id <= SummaryIds::DirPrefix);
}

}  // namespace

CTabSummary::CTabSummary(int bConfirm, IWizardFrame *wizard)
    : CWizardPage(wizard, bConfirm ? "Summary of Firmware Customisations" : "Firmware Settings",
                  bConfirm ? "The following firmware settings will be applied to the firmware file selected. The "
                             "next screen will be able to choose a new filename to store it as."
                           : "These are the firmware settings for the selected firmware file before modification. "
                             "The following screens allow you to modify the baud rate, startup mode and enable or "
                             "disable monitor messages.")
    , m_bConfirm(bConfirm)
{}

QWidget *CTabSummary::CreateCustomControl(const ControlTemplate &c, QWidget *parent)
{
    // The values break inside a word that is longer than their line.
    if (c.kind == ControlKind::Static && IsValueId(c.id))
        return new CWrapStatic(parent);
    return nullptr;
}

void CTabSummary::OnInitDialog()
{
    auto *copy = GetDlgItem<QPushButton>(SummaryIds::Copy);
    connect(copy, &QPushButton::clicked, this, &CTabSummary::OnCopy);

    const QList<QWidget *> &order = Controls().InOrder();
    const auto id = [](QWidget *w) { return w->property("controlId").toInt(); };
    for (int i = 1; i < order.size(); ++i) {
        auto *value = qobject_cast<QLabel *>(order.at(i));
        if (!value || !IsValueId(id(value)))
            continue;
        QWidget *label = order.at(i - 1);
        m_rows.append(Row{label, value, label->geometry(), value->geometry()});
    }
    std::sort(m_rows.begin(), m_rows.end(),
              [](const Row &a, const Row &b) { return a.valueRect.y() < b.valueRect.y(); });

    // The first row stays at the top beside "Copy"; the others go into a frame that scrolls below it.
    m_scrollRows = new QScrollArea(this);
    m_scrollRows->setFrameShape(QFrame::NoFrame);
    m_scrollRows->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollRows->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // LayOutRows decides
    m_scrollRows->setFocusPolicy(Qt::NoFocus);
    // When it scrolls it takes the focus: a reader names it by the page it is on.
    m_scrollRows->setAccessibleName(QString::fromUtf8(m_pszTitle));
    m_scrollRows->viewport()->setAutoFillBackground(false);
    m_rowsWidget = new QWidget;
    m_rowsWidget->setAutoFillBackground(false);
    m_scrollRows->setWidget(m_rowsWidget);
    const int top = copy->geometry().bottom() + 1;
    m_scrollRows->setGeometry(0, top, width(), height() - top);
    m_scrollRows->lower();
    for (Row &row : m_rows) {
        if (row.valueRect.top() < top)
            continue;
        const auto move = [this, top](QWidget *w, QRect &rect) {
            const bool visible = !w->isHidden();
            w->setParent(m_rowsWidget);
            rect.translate(0, -top);
            w->setGeometry(rect);
            w->setVisible(visible);
        };
        move(row.label, row.labelRect);
        move(row.value, row.valueRect);
    }
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

int CTabSummary::LayOutRowsAt(int width, bool compact)
{
    // A value that does not fit its line wraps within the page, and the rows below it move down
    // by the lines it gained. A row that is not shown takes no room. Compact, the rows in the
    // frame follow each other with a small gap, each as tall as its text.
    const int compactGap = std::max(1, fontMetrics().height() / 8);  // one dialog unit
    int shift = 0;
    int bottom = 0;
    for (const Row &row : std::as_const(m_rows)) {
        if (row.value->isHidden())
            continue;  // rows of other firmware types share a place: a hidden one moves nothing
        const bool inFrame = row.value->parentWidget() == m_rowsWidget;
        QRect valueRect = row.valueRect;
        if (inFrame)
            valueRect.setRight(std::min(valueRect.right(), width - 1));
        const int need = row.value->heightForWidth(valueRect.width());
        int height = std::max(valueRect.height(), need);
        int rowShift = 0;
        if (inFrame) {
            if (compact) {
                height = std::max(need, row.labelRect.height());
                rowShift = (bottom == 0 ? valueRect.top() : bottom + compactGap) - valueRect.top();
            } else {
                rowShift = shift;
            }
        }
        row.value->setGeometry(valueRect.left(), valueRect.top() + rowShift, valueRect.width(), height);
        row.label->move(row.labelRect.topLeft() + QPoint(0, rowShift));
        if (inFrame) {
            shift += height - valueRect.height();
            bottom = std::max(bottom, row.value->geometry().bottom() + 1);
        }
    }
    return bottom;
}

void CTabSummary::LayOutRows()
{
    // As the template spaces the rows, at the whole width; when they need more height than the
    // frame has, closer together; when that is not enough either, beside the scroll bar that
    // then appears.
    const int frameHeight = m_scrollRows->height();
    int width = m_scrollRows->width();
    bool compact = false;
    int bottom = LayOutRowsAt(width, compact);
    if (bottom > frameHeight) {
        compact = true;
        bottom = LayOutRowsAt(width, compact);
    }
    const bool scrolls = bottom > frameHeight;
    if (scrolls) {
        width -= m_scrollRows->verticalScrollBar()->sizeHint().width();
        bottom = LayOutRowsAt(width, compact);
    }
    m_scrollRows->setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    m_rowsWidget->resize(width, scrolls ? bottom : frameHeight);
    // Keyboard users can scroll a frame that has more than it shows.
    m_scrollRows->setFocusPolicy(scrolls ? Qt::StrongFocus : Qt::NoFocus);
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
        {SummaryIds::FwVersion, &m_texts.fwVersion},   {SummaryIds::FwType, &m_texts.fwType},
        {SummaryIds::Monitor, &m_texts.monitor},       {SummaryIds::Vid, &m_texts.usbIds},
        {SummaryIds::InitMode, &m_texts.initMode},     {SummaryIds::Options, &m_texts.options},
        {SummaryIds::UsbStrings, &m_texts.usbStrings}, {SummaryIds::DirPrefix, &m_texts.dirPrefix},
    };
    for (const auto &[id, text] : texts) {
        // The texts that come from the file show what they hold: no control is dropped.
        const bool fromFile = text == &m_texts.fwVersion || text == &m_texts.usbStrings || text == &m_texts.dirPrefix;
        GetDlgItem<QLabel>(id)->setText(SettingsText::WithLineFeeds(fromFile ? ScreenText::Isolated(*text) : *text));
    }

    // The rows that not every firmware type has are shown for the types that have them.
    const std::pair<int, bool> optional[] = {
        {SummaryIds::Vid, !m_texts.usbIds.isEmpty()},
        {SummaryIds::UsbStrings, !m_texts.usbStrings.isEmpty()},
        {SummaryIds::DirPrefix, !m_texts.dirPrefix.isEmpty()},
    };
    for (const auto &[id, shown] : optional) {
        for (const Row &row : std::as_const(m_rows)) {
            if (row.value != GetDlgItem(id))
                continue;
            row.label->setVisible(shown);
            row.value->setVisible(shown);
        }
    }
    LayOutRows();
}

QString CTabSummary::CopyText() const
{
    // A label breaks lines at "\n"; the texts keep their "\r\n" for the clipboard on Windows.
    const QString text = SettingsText::CopyText(m_texts, m_bConfirm != 0);
#ifdef Q_OS_WIN
    return text;
#else
    return SettingsText::WithLineFeeds(text);
#endif
}

void CTabSummary::OnCopy()
{
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->setText(CopyText());
}
