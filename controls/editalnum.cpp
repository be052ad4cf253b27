#include "editalnum.h"

// Std
#include <algorithm>
#include <limits>

// Qt
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QValidator>

#include "firmware/fieldrules.h"

// The last guard behind the routes that CEditAlnum filters itself: a change the user makes that
// would bring in a character the box does not take, or grow the text beyond the limit, is
// refused whole. Text that the program sets with SetTextAsIs passes unchanged, however long it is.
//
// Every other change comes from outside the box's input events: QLineEdit::setText, through
// whatever pointer, and assistive technology (a screen reader, an on-screen keyboard), which
// sets, inserts and deletes text through the accessibility interface and so through QLineEdit's
// own functions. Their new characters go through the typing rule, as if they had been typed.
class CEditAlnumValidator : public QValidator
{
public:
    explicit CEditAlnumValidator(CEditAlnum *edit) : QValidator(edit), m_edit(edit) {}

    State validate(QString &input, int &) const override
    {
        if (m_edit->m_bProgramText)
            return Acceptable;
        if (!m_edit->m_bUserInput) {
            // Asked before a change (the whole new text proposed), or during one (the text
            // already is the input, and the text before it is the last one signalled).
            const QString before = input == m_edit->text() ? m_edit->m_strLast : m_edit->text();
            input = m_edit->AsTyped(before, input);
            return Acceptable;
        }
        const QString &before = m_edit->m_strLast;
        if (Refused(input) > Refused(before))
            return Invalid;
        const int limit = m_edit->m_nLimit;
        if (limit > 0 && input.size() > limit && input.size() > before.size())
            return Invalid;
        return Acceptable;
    }

private:
    // How many characters of `text` the user could not have entered.
    qsizetype Refused(const QString &text) const
    {
        return std::count_if(text.begin(), text.end(), [this](QChar c) {
            return !FieldRules::IsCodeChar(c) || (m_edit->m_bUpperCase && c.isLower());
        });
    }

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

CEditAlnum::CEditAlnum(QWidget *parent) : CEdit(parent)
{
    setValidator(new CEditAlnumValidator(this));
    connect(this, &QLineEdit::textChanged, this, [this](const QString &text) { m_strLast = text; });
}

QString CEditAlnum::Acceptable(const QString &text) const
{
    QString kept;
    for (QChar c : text) {
        if (FieldRules::IsCodeChar(c))
            kept.append(m_bUpperCase ? c.toUpper() : c);
    }
    return kept;
}

void CEditAlnum::SetTextAsIs(const QString &text)
{
    const QScopedValueRollback<bool> program(m_bProgramText, true);
    QLineEdit::setText(text);
}

QString CEditAlnum::AsTyped(const QString &current, const QString &proposed) const
{
    // The part of `proposed` that differs from `current`: what stays before and after it is kept.
    qsizetype head = 0;
    while (head < current.size() && head < proposed.size() && current.at(head) == proposed.at(head))
        ++head;
    qsizetype tail = 0;
    while (tail < current.size() - head && tail < proposed.size() - head
           && current.at(current.size() - 1 - tail) == proposed.at(proposed.size() - 1 - tail))
        ++tail;
    QString kept = Acceptable(proposed.mid(head, proposed.size() - head - tail));
    const qsizetype replaced = current.size() - head - tail;
    if (m_nLimit > 0)
        kept.truncate(std::max<qsizetype>(m_nLimit - (current.size() - replaced), 0));
    return current.left(head) + kept + current.right(tail);
}

bool CEditAlnum::OnChar(QChar c)
{
    if (FieldRules::IsCodeChar(c)) {
        InsertUserText(QString(c));
        return true;
    }
    switch (c.unicode()) {
    case kSelectAll: selectAll(); return true;
    case kCopy: copy(); return true;
    case kBackspace: backspace(); return true;
    case kPaste: PasteFrom(QClipboard::Clipboard); return true;
    case kCut: cut(); return true;
    case kUndo: undo(); return true;
    default: return false;
    }
}

qsizetype CEditAlnum::Room(qsizetype replaced) const
{
    if (m_nLimit <= 0)
        return std::numeric_limits<qsizetype>::max();
    return std::max<qsizetype>(m_nLimit - (text().size() - replaced), 0);
}

void CEditAlnum::InsertUserText(const QString &text)
{
    if (isReadOnly())
        return;
    QString kept = Acceptable(text);
    kept.truncate(Room(selectedText().size()));
    if (!kept.isEmpty())
        insert(kept);
}

void CEditAlnum::PasteFrom(QClipboard::Mode mode)
{
    InsertUserText(QGuiApplication::clipboard()->text(mode));
}

bool CEditAlnum::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::Drop:
    case QEvent::MouseButtonRelease: {
        const QScopedValueRollback<bool> input(m_bUserInput, true);
        return QLineEdit::event(event);
    }
    default: return QLineEdit::event(event);
    }
}

void CEditAlnum::keyPressEvent(QKeyEvent *event)
{
    // Every key that pastes on this platform (Ctrl+V, Shift+Insert, a Paste key) pastes by the
    // box's own rule.
    if (event->matches(QKeySequence::Paste)) {
        PasteFrom(QClipboard::Clipboard);
        event->accept();
        return;
    }

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
    default: break;
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
    // A key may carry several characters (a composed sequence); each is taken or dropped on its
    // own. Every other character is dropped without a sound.
    for (QChar c : text)
        OnChar(c);
    event->accept();
}

void CEditAlnum::inputMethodEvent(QInputMethodEvent *event)
{
    if (event->commitString().isEmpty() || isReadOnly()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // The committed text follows the typing rule; the composition still on show is left to the
    // edit, which never puts it into the text.
    QString kept = Acceptable(event->commitString());
    kept.truncate(Room(selectedText().size() + std::max(event->replacementLength(), 0)));
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    // When nothing of the commit is kept, nothing that it would have replaced goes either.
    if (kept.isEmpty())
        filtered.setCommitString(QString());
    else
        filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
    event->setAccepted(filtered.isAccepted());
}

void CEditAlnum::mouseReleaseEvent(QMouseEvent *event)
{
    // The middle button pastes the X11 selection, where the platform has one.
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        if (!isReadOnly()) {
            deselect();
            PasteFrom(QClipboard::Selection);
        }
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void CEditAlnum::dropEvent(QDropEvent *event)
{
    // A move inside the box brings nothing new; the guard still keeps it to the limit.
    if (event->source() == this || isReadOnly() || !event->mimeData()->hasText()) {
        QLineEdit::dropEvent(event);
        return;
    }
    // The drop lands at the mouse, beside the selection rather than over it.
    QString kept = Acceptable(event->mimeData()->text());
    kept.truncate(Room(0));
    if (kept.isEmpty()) {
        event->ignore();
        return;
    }
    QMimeData data;
    data.setText(kept);
    QDropEvent filtered(event->position(), event->possibleActions(), &data, event->buttons(), event->modifiers());
    filtered.setDropAction(event->dropAction());
    QLineEdit::dropEvent(&filtered);
    event->setDropAction(filtered.dropAction());
    event->setAccepted(filtered.isAccepted());
}

QMenu *CEditAlnum::CreateContextMenu()
{
    QMenu *menu = createStandardContextMenu();
    // Pasting from the menu follows the box's rule, as Ctrl+V does.
    if (QAction *paste = menu ? FindPasteAction(menu) : nullptr) {
        disconnect(paste, &QAction::triggered, nullptr, nullptr);
        connect(paste, &QAction::triggered, this, [this] { PasteFrom(QClipboard::Clipboard); });
    }
    return menu;
}

void CEditAlnum::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = CreateContextMenu();
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

bool CEditAlnum::SelectsOnFocus(Qt::FocusReason reason) const
{
    return reason != Qt::MouseFocusReason && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}
