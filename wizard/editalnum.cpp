#include "editalnum.h"

// Qt
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QValidator>

// Sees every change the user makes (typing, pasting, dropping) but not text the program sets:
// turns letters into capitals and refuses a change that would grow the text beyond the limit.
class CEditAlnumValidator : public QValidator
{
public:
    explicit CEditAlnumValidator(CEditAlnum *edit) : QValidator(edit), m_edit(edit) {}

    State validate(QString &input, int &) const override
    {
        if (m_edit->m_bUpperCase)
            input = input.toUpper();
        const int limit = m_edit->m_nLimit;
        if (limit > 0 && input.size() > limit && input.size() > m_edit->m_nLastLength)
            return Invalid;
        return Acceptable;
    }

private:
    CEditAlnum *m_edit;
};

namespace {

// The control characters a typed key may carry and that the edit passes on.
constexpr char16_t kSelectAll = 1;
constexpr char16_t kCopy = 3;
constexpr char16_t kBackspace = 8;
constexpr char16_t kPaste = 22;
constexpr char16_t kCut = 24;
constexpr char16_t kUndo = 26;

}  // namespace

CEditAlnum::CEditAlnum(QWidget *parent) : QLineEdit(parent)
{
    setValidator(new CEditAlnumValidator(this));
    connect(this, &QLineEdit::textChanged, this, [this](const QString &text) { m_nLastLength = text.size(); });
}

bool CEditAlnum::OnChar(QChar c)
{
    const char16_t code = c.unicode();
    if (c.isLetterOrNumber() || code == u'.') {
        QString text(c);
        if (m_bUpperCase)
            text = text.toUpper();
        // Typing replaces the selection; the limit counts what would remain.
        if (m_nLimit > 0 && this->text().size() - selectedText().size() + text.size() > m_nLimit)
            return true;
        insert(text);
        return true;
    }
    switch (code) {
    case kSelectAll: selectAll(); return true;
    case kCopy: copy(); return true;
    case kBackspace: backspace(); return true;
    case kPaste: PasteWithinLimit(); return true;
    case kCut: cut(); return true;
    case kUndo: undo(); return true;
    default: return false;
    }
}

void CEditAlnum::PasteWithinLimit()
{
    if (isReadOnly())
        return;
    QString text = QGuiApplication::clipboard()->text();
    // A single-line edit takes the first line of what is pasted.
    text = text.section(QLatin1Char('\n'), 0, 0).remove(QLatin1Char('\r'));
    if (m_bUpperCase)
        text = text.toUpper();
    if (m_nLimit > 0) {
        const qsizetype room = m_nLimit - (this->text().size() - selectedText().size());
        text.truncate(std::max<qsizetype>(room, 0));
    }
    if (!text.isEmpty() || hasSelectedText())
        insert(text);
}

void CEditAlnum::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    if (text.size() != 1) {
        // Keys without a character (arrows, Home, End, Delete) and the dialog's keys (Tab,
        // Enter, Escape) take their normal way.
        QLineEdit::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        QLineEdit::keyPressEvent(event);
        return;
    default:
        break;
    }
    const QChar c = text.at(0);
    // Every other character is either handled here or dropped without a sound.
    OnChar(c);
    event->accept();
}
