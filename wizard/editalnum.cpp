#include "editalnum.h"

// Std
#include <algorithm>

// Qt
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScopedValueRollback>
#include <QValidator>

// Sees every change the user makes (typing, pasting, dropping, input methods): turns letters
// into capitals and refuses a change that would grow the text beyond the limit. Text that the
// program sets passes unchanged, however long it is.
class CEditAlnumValidator : public QValidator
{
public:
    explicit CEditAlnumValidator(CEditAlnum *edit) : QValidator(edit), m_edit(edit) {}

    State validate(QString &input, int &) const override
    {
        if (!m_edit->m_bUserInput)
            return Acceptable;
        if (m_edit->m_bUpperCase)
            input = CEditAlnum::Capitals(input);
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

constexpr char16_t kLastLatin1 = 0xFF;

// Letters and digits of any script, accented Latin-1 letters included.
bool IsLetterOrDigit(char32_t c)
{
    return QChar::isLetterOrNumber(c);
}

}  // namespace

QAction *CEditAlnum::FindPasteAction(const QMenu *menu)
{
    // Newer Qt names the entry; older Qt only gives it its (translated) caption.
    const QString caption = QLineEdit::tr("&Paste");
    for (QAction *action : menu->actions()) {
        if (action->objectName() == QLatin1String("edit-paste")
            || action->text().section(QLatin1Char('\t'), 0, 0) == caption)
            return action;
    }
    return nullptr;
}

CEditAlnum::CEditAlnum(QWidget *parent) : QLineEdit(parent)
{
    setValidator(new CEditAlnumValidator(this));
    connect(this, &QLineEdit::textChanged, this, [this](const QString &text) { m_nLastLength = text.size(); });
}

QString CEditAlnum::Capitals(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        const char32_t capital = QChar::toUpper(c);
        if (!(c <= kLastLatin1 && capital > kLastLatin1))
            c = capital;
        result.append(QStringView(QChar::fromUcs4(c)));
    }
    return result;
}

bool CEditAlnum::OnChar(QChar c)
{
    const char16_t code = c.unicode();
    if (IsLetterOrDigit(code) || code == u'.') {
        TypeText(QString(c));
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

void CEditAlnum::TypeText(const QString &text)
{
    if (isReadOnly())
        return;
    const QString typed = m_bUpperCase ? Capitals(text) : text;
    // Typing replaces the selection; the limit counts what would remain.
    if (m_nLimit > 0 && this->text().size() - selectedText().size() + typed.size() > m_nLimit)
        return;
    insert(typed);
}

void CEditAlnum::PasteWithinLimit()
{
    if (isReadOnly())
        return;
    QString text = QGuiApplication::clipboard()->text();
    // A single-line edit takes the first line of what is pasted.
    text = text.section(QLatin1Char('\n'), 0, 0).remove(QLatin1Char('\r'));
    if (m_bUpperCase)
        text = Capitals(text);
    if (m_nLimit > 0) {
        const qsizetype room = m_nLimit - (this->text().size() - selectedText().size());
        text.truncate(std::max<qsizetype>(room, 0));
    }
    if (!text.isEmpty() || hasSelectedText())
        insert(text);
}

bool CEditAlnum::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::Drop:
    case QEvent::MouseButtonRelease: {  // pasting the X11 selection with the middle button
        const QScopedValueRollback<bool> input(m_bUserInput, true);
        return QLineEdit::event(event);
    }
    default:
        return QLineEdit::event(event);
    }
}

void CEditAlnum::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        // Delete edits without a character; the others belong to the dialog.
        QLineEdit::keyPressEvent(event);
        return;
    default:
        break;
    }

    // Ctrl with a letter types that letter's control character (Ctrl+A is 1), whatever text the
    // platform attaches to the key: some give the control character, some the plain letter.
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (mods == Qt::ControlModifier && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z) {
        OnChar(QChar(char16_t(event->key() - Qt::Key_A + 1)));
        event->accept();
        return;
    }

    const QString text = event->text();
    if (text.isEmpty()) {
        // Keys without a character: arrows, Home, End and the like.
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (text.size() == 1) {
        OnChar(text.at(0));
    } else {
        // Several code units: a character beyond the basic plane, or a composed sequence.
        const QList<uint> codePoints = text.toUcs4();
        if (std::all_of(codePoints.begin(), codePoints.end(), [](uint c) { return IsLetterOrDigit(c); }))
            TypeText(text);
    }
    // Every other character is dropped without a sound.
    event->accept();
}

void CEditAlnum::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // Pasting from the menu keeps to the limit the way Ctrl+V does.
    if (QAction *paste = FindPasteAction(menu)) {
        disconnect(paste, &QAction::triggered, nullptr, nullptr);
        connect(paste, &QAction::triggered, this, &CEditAlnum::PasteWithinLimit);
    }
    menu->popup(event->globalPos());
}
