#include "report/script/gui/code_editor.h"

#include "report/script/code_module.h"
#include "report/script/gui/script_gui_texts.h"
#include "report/script/program.h"
#include "report/page/resource_manager.h"

#include "platform/ui/run_guarded.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTextLayout>
#include <QVBoxLayout>

namespace script::gui {

QString ToEditorText(const QString& aSource) {
    QString text = aSource;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString FromEditorText(const QString& aText) {
    QString text = aText;
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

}  // namespace script::gui

// TraFormatAttributes ---------------------------------------------------------------------------

QTextCharFormat TraFormatAttributes::Format() const {
    QTextCharFormat f;
    f.setForeground(Color);
    f.setFontWeight(Bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(Italic);
    return f;
}

bool TraFormatAttributes::Matches(const QTextCharFormat& aFormat) const {
    return aFormat.foreground().color() == Color && (aFormat.fontWeight() >= QFont::Bold) == Bold &&
           aFormat.fontItalic() == Italic;
}

// TraEdit -----------------------------------------------------------------------------------------

TraEdit::TraEdit(QWidget* aParent) : QPlainTextEdit(aParent) {
    // "Courier New" resolves to its metric-compatible stand-in (Liberation Mono).
    QFont font(QStringLiteral("Courier New"), 10);
    font.setStyleHint(QFont::TypeWriter);
    setFont(font);
    const QFontMetrics fm(font);
    m_lineHeight = fm.height();
    m_charWidth = fm.horizontalAdvance(QLatin1Char('O'));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(false);
    m_lexer.SkipComments = false;
    m_lexer.SkipQuotes = false;
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("RecolourTimer"));
    m_timer->setInterval(200);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] { timerFired(); });
    connect(document(), &QTextDocument::contentsChanged, this, [this] {
        if (m_formatting) return;
        restartTimer();
        if (OnChange) OnChange();
    });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { restartTimer(); });
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] { caretMoved(); });
    SetReadOnly(false);
}

void TraEdit::SetReadOnly(bool aValue) {
    setReadOnly(aValue);
    QPalette p = palette();
    p.setColor(QPalette::Base, aValue ? QApplication::palette().color(QPalette::Button)
                                      : QApplication::palette().color(QPalette::Base));
    setPalette(p);
}

void TraEdit::restartTimer() {
    m_timer->stop();
    m_timer->start();
}

void TraEdit::caretMoved() {
    if (OnCaretMoved && !m_formatting) OnCaretMoved();
}

void TraEdit::Lex() { m_lexer.Parse(toPlainText()); }

void TraEdit::timerFired() {
    m_timer->stop();
    if (m_formatting) return;
    Lex();
    const int first = firstVisibleBlock().blockNumber() + 1;
    const int visible = m_lineHeight > 0 ? viewport()->height() / m_lineHeight : 0;
    Recolour(first, first + visible + 1);
}

void TraEdit::Recolour(int aFirst, int aLast) {
    if (m_formatting) return;
    m_formatting = true;
    QTextDocument* doc = document();
    // Ranges per block of the lines being coloured.
    QHash<int, QList<QTextLayout::FormatRange>> ranges;
    for (int line = aFirst; line <= aLast; ++line) {
        if (doc->findBlockByNumber(line - 1).isValid()) ranges.insert(line - 1, {});
    }
    for (int i = 0; i < m_lexer.TokenCount(); ++i) {
        const TraToken* t = m_lexer.Tokens(i);
        if (t->LineNo > aLast) break;
        int endLine = t->LineNo;
        if (auto* c = dynamic_cast<const TraCommentToken*>(t)) endLine = c->EndLineNo;
        if (endLine < aFirst) continue;
        const TraFormatAttributes* attr = &PlainAttributes;
        const TraTokenType k = t->TokenType;
        if ((int(k) >= int(TraTokenType::ttAnd) && int(k) <= int(TraTokenType::ttWhile)) ||
            (k == TraTokenType::ttType && t->Text().compare(QLatin1String("String"), Qt::CaseInsensitive) == 0))
            attr = &ReservedWordAttributes;
        else if (k == TraTokenType::ttComment)
            attr = &CommentAttributes;
        else if (k == TraTokenType::ttString)
            attr = &StringAttributes;
        const QTextBlock start = doc->findBlockByNumber(t->LineNo - 1);
        if (!start.isValid()) continue;
        int from = start.position() + t->CharPos;
        const int to = from + int(t->Text().size());
        // A token may run over several lines (comments): one range per block it touches.
        for (QTextBlock b = start; b.isValid() && from < to; b = b.next()) {
            const int blockEnd = b.position() + b.length();
            const int upTo = std::min(to, blockEnd);
            if (ranges.contains(b.blockNumber()) && upTo > from) {
                QTextLayout::FormatRange r;
                r.start = from - b.position();
                r.length = upTo - from;
                r.format = attr->Format();
                ranges[b.blockNumber()].append(r);
            }
            from = blockEnd;
        }
    }
    for (auto it = ranges.begin(); it != ranges.end(); ++it) {
        QTextBlock b = doc->findBlockByNumber(it.key());
        if (b.layout()) {
            b.layout()->setFormats(QVector<QTextLayout::FormatRange>(it.value().begin(), it.value().end()));
            doc->markContentsDirty(b.position(), b.length());
        }
    }
    m_formatting = false;
    viewport()->update();
}

QTextCharFormat TraEdit::FormatAt(int aPosition) const {
    const QTextBlock b = document()->findBlock(aPosition);
    if (!b.isValid() || !b.layout()) return {};
    const int offset = aPosition - b.position();
    for (const QTextLayout::FormatRange& r : b.layout()->formats())
        if (offset >= r.start && offset < r.start + r.length) return r.format;
    return {};
}

void TraEdit::LoadText(const QString& aText) {
    m_formatting = true;
    const QString text = script::gui::ToEditorText(aText);
    setPlainText(text);
    m_formatting = false;
    Lex();
    Recolour(1, document()->blockCount());
    m_formatting = true;
    // Caret: with a header, at the start of the third line (or the end of the header line).
    const QStringList lines = text.split(QLatin1Char('\n'));
    int caret = 0;
    if (m_headerLength > 0) {
        if (lines.size() > 2) caret = int(lines[0].size() + lines[1].size()) + 2;
        else if (!lines.isEmpty()) caret = std::min(int(lines[0].size()) + 1, int(text.size()));
    }
    QTextCursor c = textCursor();
    c.setPosition(std::min(caret, int(text.size())));
    setTextCursor(c);
    m_formatting = false;
    viewport()->update();
    caretMoved();
}

bool TraEdit::ChangeAllowed(int aFrom, int aTo) const {
    if (m_formatting || m_headerLength <= 0) return true;
    Q_UNUSED(aTo);
    return aFrom >= m_headerLength;
}

void TraEdit::keyPressEvent(QKeyEvent* e) {
    const QTextCursor c = textCursor();
    const int start = c.selectionStart(), end = c.selectionEnd();
    const bool hasSelection = c.hasSelection();
    bool changes = false;
    int from = start;
    if (e->matches(QKeySequence::Undo) || e->matches(QKeySequence::Redo)) {
        changes = false;
    } else if (e->key() == Qt::Key_Backspace || e->matches(QKeySequence::DeleteStartOfWord)) {
        changes = true;
        if (!hasSelection) from = start - 1;
    } else if (e->key() == Qt::Key_Delete || e->matches(QKeySequence::DeleteEndOfWord) ||
               e->matches(QKeySequence::Cut) || e->matches(QKeySequence::Paste)) {
        changes = true;
    } else if (!e->text().isEmpty() && (e->text().at(0).isPrint() || e->key() == Qt::Key_Return ||
                                        e->key() == Qt::Key_Enter || e->key() == Qt::Key_Tab)) {
        changes = true;
    }
    if (changes && !isReadOnly() && !ChangeAllowed(from, end)) {
        e->accept();
        return;
    }
    if (!e->text().isEmpty()) m_lastKey = e->text().at(0);
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) m_lastKey = QLatin1Char('\r');
    QPlainTextEdit::keyPressEvent(e);
}

void TraEdit::keyReleaseEvent(QKeyEvent* e) {
    QPlainTextEdit::keyReleaseEvent(e);
    if (m_lastKey == QLatin1Char('\r') && !isReadOnly()) {
        m_lastKey = QChar();
        const QTextBlock line = textCursor().block();
        if (line.blockNumber() > 0 && line.text().isEmpty()) {
            const QString previous = line.previous().text();
            int spaces = 0;
            while (spaces < previous.size() && previous.at(spaces) == QLatin1Char(' ')) ++spaces;
            if (spaces > 0) insertPlainText(QString(spaces, QLatin1Char(' ')));
        }
    }
    caretMoved();
}

void TraEdit::mousePressEvent(QMouseEvent* e) {
    QPlainTextEdit::mousePressEvent(e);
    caretMoved();
}

void TraEdit::mouseReleaseEvent(QMouseEvent* e) {
    QPlainTextEdit::mouseReleaseEvent(e);
    caretMoved();
}

void TraEdit::paintEvent(QPaintEvent* e) {
    QPlainTextEdit::paintEvent(e);
    if (m_formatting || m_headerLength <= 0) return;
    const QTextBlock first = document()->firstBlock();
    if (firstVisibleBlock().blockNumber() != 0) return;
    const QRectF band = blockBoundingGeometry(first).translated(contentOffset());
    QPainter p(viewport());
    // The protected declaration line is shown darker: the button face multiplied in.
    p.setCompositionMode(QPainter::CompositionMode_Multiply);
    p.fillRect(QRectF(0, band.top(), viewport()->width(), m_lineHeight), palette().color(QPalette::Button));
}

bool TraEdit::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText() && ChangeAllowed(textCursor().selectionStart(), textCursor().selectionEnd());
}

void TraEdit::insertFromMimeData(const QMimeData* source) {
    if (!ChangeAllowed(textCursor().selectionStart(), textCursor().selectionEnd())) return;
    insertPlainText(source->text());
}

int TraEdit::DropLine(int aX, int aY) const {
    Q_UNUSED(aX);
    const QTextCursor c = textCursor();
    if (c.hasSelection()) return document()->findBlock(c.selectionStart()).blockNumber();
    const int top = firstVisibleBlock().blockNumber();
    const int y = aY - int(contentOffset().y() + blockBoundingGeometry(firstVisibleBlock()).top());
    return std::max(0, top + (m_lineHeight > 0 ? y / m_lineHeight : 0));
}

void TraEdit::InsertAt(int aX, int aY, const QString& aText) {
    int line = DropLine(aX, aY);
    QTextCursor c = textCursor();
    // Lines missing below the text are added, so the drop lands where it was let go.
    while (document()->blockCount() <= line) {
        QTextCursor endCursor(document());
        endCursor.movePosition(QTextCursor::End);
        endCursor.insertText(QStringLiteral("\n"));
    }
    const QTextBlock block = document()->findBlockByNumber(line);
    int column = 0;
    if (!c.hasSelection()) {
        column = std::max(0, (aX - int(contentOffset().x()) - int(document()->documentMargin())) /
                                 std::max(1, m_charWidth));
        const int length = block.length() - 1;
        if (length < column) {
            QTextCursor pad(block);
            pad.movePosition(QTextCursor::EndOfBlock);
            pad.insertText(QString(column - length, QLatin1Char(' ')));
        }
        c.setPosition(block.position() + column);
    } else {
        column = c.selectionStart() - block.position();
    }
    if (!ChangeAllowed(c.selectionStart(), c.selectionEnd())) return;
    QString text = script::gui::ToEditorText(aText);
    if (text.contains(QLatin1Char('\n'))) {
        QStringList lines = text.split(QLatin1Char('\n'));
        if (lines.last().isEmpty()) lines.removeLast();
        QString joined;
        for (int i = 0; i < lines.size(); ++i)
            joined += (i > 0 ? QString(column, QLatin1Char(' ')) : QString()) + lines[i] + QLatin1Char('\n');
        text = joined;
    }
    c.insertText(text);
    setTextCursor(c);
    setFocus();
    caretMoved();
}

void TraEdit::GotoPosition(int aColumn, int aLine) {
    const QTextBlock block = document()->findBlockByNumber(std::max(0, aLine));
    if (!block.isValid()) return;
    QTextCursor c(block);
    c.setPosition(block.position() + std::clamp(aColumn, 0, block.length() - 1));
    setTextCursor(c);
    caretMoved();
    setFocus();
}

// TraCodeEditor -----------------------------------------------------------------------------------

TraCodeEditor::TraCodeEditor(QWidget* aParent) : QWidget(aParent) {
    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setObjectName(QStringLiteral("splMessages"));
    m_splitter->setHandleWidth(2);
    m_edit = new TraEdit(m_splitter);
    m_edit->setObjectName(QStringLiteral("raEdit"));
    m_messages = new QListWidget(m_splitter);
    m_messages->setObjectName(QStringLiteral("lbxMessages"));
    m_messages->setFont(m_edit->font());
    m_messages->setFixedHeight(m_edit->LineHeight() * 3 + 4);
    m_messages->hide();
    m_splitter->setCollapsible(0, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_splitter);

    m_watcher = std::make_unique<TraCommunicator>();
    m_watcher->OnNotify = [this](TraCommunicator*, TraCommunicator* aSender, int aOperation) {
        if (aOperation == script::kOpFreeing && static_cast<TraCommunicator*>(m_program) == aSender) forgetProgram();
    };
    m_edit->OnChange = [this] {
        if (m_loading) return;
        m_modified = true;
        if (OnTextChanged) OnTextChanged();
    };
    m_edit->OnCaretMoved = [this] {
        if (OnCaretMoved) OnCaretMoved();
    };
    m_edit->installEventFilter(this);
    m_edit->viewport()->installEventFilter(this);
    m_edit->viewport()->setAcceptDrops(true);
    m_edit->setAcceptDrops(true);
    m_messages->installEventFilter(this);
    connect(m_messages, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { ui::RunGuarded(this, [&] { messageDoubleClicked(item); }); });
}

TraCodeEditor::~TraCodeEditor() {
    if (m_program) m_watcher->RemoveNotify(m_program);
}

void TraCodeEditor::forgetProgram() {
    m_program = nullptr;
    m_loading = true;
    m_edit->SetHeaderLength(0);
    m_edit->LoadText(QString());
    m_messages->clear();
    m_loading = false;
    m_modified = false;
}

void TraCodeEditor::SetProgram(TraProgram* aProgram) {
    m_loading = true;
    if (m_program) m_watcher->RemoveNotify(m_program);
    m_program = aProgram;
    if (m_program) m_watcher->AddNotify(m_program);
    QString text;
    if (!m_program) {
        m_edit->SetHeaderLength(0);
    } else {
        m_edit->SetHeaderLength(HeaderLength);
        text = BodyMode ? m_program->GetBodyText() : m_program->Source();
    }
    m_edit->LoadText(text);
    RefreshMessages();
    if (m_program && m_program->HasErrors()) ShowMessages(true);
    m_modified = false;
    m_loading = false;
}

void TraCodeEditor::Apply() {
    if (!m_program || !m_modified) return;
    const QString text = script::gui::FromEditorText(m_edit->toPlainText());
    if (BodyMode) m_program->SetBodyText(text);
    else m_program->SetSource(text);
    m_modified = false;
    if (OnAfterApply) OnAfterApply();
    if (!m_compiling) Compile();
}

void TraCodeEditor::Compile() {
    if (!m_program) return;
    m_compiling = true;
    if (m_modified) Apply();
    m_program->CompileProgram(false, false);
    ShowMessages(true);
    RefreshMessages();
    if (OnAfterCompile) OnAfterCompile();
    m_compiling = false;
}

void TraCodeEditor::Revert() {
    if (!m_program) return;
    SetProgram(m_program);
}

void TraCodeEditor::DeleteProgram() {
    if (!m_program || ReadOnly()) return;
    TraProgram* program = m_program;
    m_watcher->RemoveNotify(program);
    m_program = nullptr;
    if (OnDeleteProgram) OnDeleteProgram(program);
    HeaderLength = 0;
    m_loading = true;
    m_edit->SetHeaderLength(0);
    m_edit->LoadText(QString());
    m_messages->clear();
    m_loading = false;
    m_modified = false;
}

void TraCodeEditor::CreateProgram() {
    if (m_program || ReadOnly()) return;
    if (OnCreateProgram) OnCreateProgram();
    if (!m_program) return;
    QTextDocument* doc = m_edit->document();
    if (BodyMode && doc->blockCount() > 1) {
        QTextCursor c(doc->findBlockByNumber(1));
        c.movePosition(QTextCursor::EndOfBlock);
        m_edit->setTextCursor(c);
    } else if ((SlotKind == 1 || SlotKind == 2) && doc->blockCount() > 3) {
        QTextCursor c(doc->findBlockByNumber(2));
        c.movePosition(QTextCursor::EndOfBlock);
        m_edit->setTextCursor(c);
    }
    m_modified = true;
}

void TraCodeEditor::ShowMessages(bool aValue) {
    m_messagesShown = aValue;
    m_messages->setVisible(aValue);
}

QPoint TraCodeEditor::CaretPosition() const {
    const QTextCursor c = m_edit->textCursor();
    return {c.positionInBlock() + 1, c.blockNumber() + 1};
}

bool TraCodeEditor::AcceptsDrop(int aX, int aY) const {
    if (ReadOnly()) return false;
    if (!BodyMode) {
        if (!m_program) return SlotKind != 7;
        const int headerLine = m_edit->document()->findBlock(std::max(0, m_edit->HeaderLength() - 1)).blockNumber();
        return m_edit->HeaderLength() <= 0 || m_edit->DropLine(aX, aY) > headerLine;
    }
    return m_program || SlotKind != 7;
}

void TraCodeEditor::DropText(int aX, int aY, const QString& aText) {
    if (!m_program) {
        CreateProgram();
        if (!m_program) return;
        m_edit->insertPlainText(script::gui::ToEditorText(aText));
        return;
    }
    m_edit->InsertAt(aX, aY, aText);
}

int TraCodeEditor::shiftedLine(const TraSyntaxError* aError) const {
    int line = aError->LineNo;
    if (BodyMode && m_program) line -= m_program->BodyStartLine();
    const int lines = m_edit->document()->blockCount();
    if (line < 1 || line > lines) line = lines;
    return line;
}

void TraCodeEditor::RefreshMessages() {
    m_messages->clear();
    if (!m_program) return;
    if (m_program->Compiled()) {
        m_messages->addItem(report::MessageText(920));
        return;
    }
    for (int i = 0; i < m_program->SyntaxErrorCount(); ++i) {
        TraSyntaxError* error = m_program->SyntaxErrors(i);
        auto* item = new QListWidgetItem(error->ErrorText(), m_messages);
        item->setData(Qt::UserRole, QVariant::fromValue<void*>(error));
        item->setData(Qt::UserRole + 1, 0);
    }
    if (TraCodeModule* module = m_program->CodeModule()) {
        for (TraProgram* other : module->Programs()) {
            if (other == m_program || other->Compiled()) continue;
            auto* item = new QListWidgetItem(report::MessageText(909, {other->ProgramName}), m_messages);
            item->setData(Qt::UserRole, QVariant::fromValue<void*>(other));
            item->setData(Qt::UserRole + 1, 1);
        }
    }
}

void TraCodeEditor::messageDoubleClicked(QListWidgetItem* aItem) {
    if (!aItem || !m_program) return;
    void* data = aItem->data(Qt::UserRole).value<void*>();
    if (!data) return;
    if (aItem->data(Qt::UserRole + 1).toInt() == 0) {
        auto* error = static_cast<TraSyntaxError*>(data);
        m_edit->GotoPosition(error->CharPos, shiftedLine(error) - 1);
        return;
    }
    auto* program = static_cast<TraProgram*>(data);
    Apply();
    if (OnGotoProgram) OnGotoProgram(program);
}

QString TraCodeEditor::HelpKeyword() const {
    if (m_messages->hasFocus() && m_messages->currentItem() && m_program) {
        QListWidgetItem* item = m_messages->currentItem();
        if (!item->data(Qt::UserRole).value<void*>()) return QStringLiteral("Orvel_Editor");
        if (item->data(Qt::UserRole + 1).toInt() == 1) return QStringLiteral("Orvel_Error_CouldNotBeCompiled");
        auto* error = static_cast<TraSyntaxError*>(item->data(Qt::UserRole).value<void*>());
        return QStringLiteral("Orvel_Error_%1").arg(error->ErrorCode);
    }
    return QStringLiteral("Orvel_Editor");
}

bool TraCodeEditor::eventFilter(QObject* watched, QEvent* e) {
    const bool onText = watched == m_edit || watched == m_edit->viewport();
    switch (e->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(e)->key() == Qt::Key_F1 && (onText || watched == m_messages)) {
            script::gui::ShowOrvelHelp(HelpKeyword());
            return true;
        }
        break;
    case QEvent::FocusOut:
        if (watched == m_edit) {
            if (OnExit) OnExit();
            if (ApplyOnExit) ui::RunGuarded(this, [&] { Apply(); });
        }
        break;
    case QEvent::MouseButtonPress:
        if (watched == m_edit->viewport() && static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton && !m_program) {
            ui::RunGuarded(this, [&] { CreateProgram(); });
            // The caret stays where the new program's body begins.
            if (m_program) {
                m_edit->setFocus();
                return true;
            }
        }
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
        if (watched == m_edit->viewport()) {
            auto* d = static_cast<QDragMoveEvent*>(e);
            const QPoint p = d->position().toPoint();
            const bool ok = d->mimeData()->hasFormat(QStringLiteral("application/x-dossara-code")) &&
                            AcceptsDrop(p.x(), p.y());
            if (ok) d->acceptProposedAction();
            else d->ignore();
            return true;
        }
        break;
    case QEvent::Drop:
        if (watched == m_edit->viewport()) {
            auto* d = static_cast<QDropEvent*>(e);
            const QPoint p = d->position().toPoint();
            const QString text =
                QString::fromUtf8(d->mimeData()->data(QStringLiteral("application/x-dossara-code")));
            bool done = false;
            ui::RunGuarded(this, [&] {
                if (OnDragDrop) done = OnDragDrop(p.x(), p.y(), text);
                else if (!text.isEmpty() && AcceptsDrop(p.x(), p.y())) {
                    DropText(p.x(), p.y(), text);
                    done = true;
                }
            });
            if (done) d->acceptProposedAction();
            else d->ignore();
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, e);
}

void TraCodeEditor::Cut() {
    const QTextCursor c = m_edit->textCursor();
    if (m_edit->ChangeAllowed(c.selectionStart(), c.selectionEnd())) m_edit->cut();
}

void TraCodeEditor::Paste() {
    const QTextCursor c = m_edit->textCursor();
    if (m_edit->ChangeAllowed(c.selectionStart(), c.selectionEnd())) m_edit->paste();
}

void TraCodeEditor::Delete() {
    QTextCursor c = m_edit->textCursor();
    if (c.hasSelection() && !ReadOnly() && m_edit->ChangeAllowed(c.selectionStart(), c.selectionEnd())) {
        c.removeSelectedText();
        m_edit->setTextCursor(c);
    }
}

void TraCodeEditor::SelectAll() {
    QTextDocument* doc = m_edit->document();
    if (BodyMode || doc->blockCount() < 4) {
        m_edit->selectAll();
        return;
    }
    // The statements between "begin" and "end;" of a full source.
    QTextCursor c(doc->findBlockByNumber(2));
    const QTextBlock last = doc->findBlockByNumber(doc->blockCount() - 2);
    c.setPosition(last.position() + last.length() - 1, QTextCursor::KeepAnchor);
    m_edit->setTextCursor(c);
}

// TraCodeEditorPopupMenu ------------------------------------------------------------------------

TraCodeEditorPopupMenu::TraCodeEditorPopupMenu(TraCodeEditor* aEditor, QWidget* aParent)
    : QMenu(aParent), m_editor(aEditor) {
    setObjectName(QStringLiteral("TraCodeEditorPopupMenu"));
    add("mniNew", 957);
    addSeparator();
    add("mniNewFunction", 955);
    add("mniNewProcedure", 956);
    add("mniCompile", 921);
    add("mniSave", 972);
    add("mniRevert", 971);
    addSeparator();
    add("mniDelete", 547);
    connect(Item("mniNew"), &QAction::triggered, this, [this] {
        ui::RunGuarded(this, [&] {
            m_editor->SlotKind = NewKind;
            m_editor->CreateProgram();
        });
    });
    connect(Item("mniNewFunction"), &QAction::triggered, this, [this] {
        ui::RunGuarded(this, [&] {
            m_editor->SlotKind = 2;
            m_editor->CreateProgram();
        });
    });
    connect(Item("mniNewProcedure"), &QAction::triggered, this, [this] {
        ui::RunGuarded(this, [&] {
            m_editor->SlotKind = 1;
            m_editor->CreateProgram();
        });
    });
    connect(Item("mniCompile"), &QAction::triggered, this, [this] { ui::RunGuarded(this, [&] { m_editor->Compile(); }); });
    connect(Item("mniSave"), &QAction::triggered, this, [this] { ui::RunGuarded(this, [&] { m_editor->Apply(); }); });
    connect(Item("mniRevert"), &QAction::triggered, this, [this] { ui::RunGuarded(this, [&] { m_editor->Revert(); }); });
    connect(Item("mniDelete"), &QAction::triggered, this,
            [this] { ui::RunGuarded(this, [&] { m_editor->DeleteProgram(); }); });
    connect(this, &QMenu::aboutToShow, this, [this] { UpdateItems(); });
    LanguageChanged();
}

QAction* TraCodeEditorPopupMenu::add(const char* aName, int aText) {
    auto* a = addAction(QString());
    a->setObjectName(QString::fromLatin1(aName));
    a->setData(aText);
    return a;
}

QAction* TraCodeEditorPopupMenu::Item(const char* aName) const {
    return findChild<QAction*>(QString::fromLatin1(aName));
}

void TraCodeEditorPopupMenu::LanguageChanged() {
    for (QAction* a : actions())
        if (!a->isSeparator()) a->setText(report::MessageText(a->data().toInt()));
}

void TraCodeEditorPopupMenu::UpdateItems() {
    const bool program = m_editor->Program() != nullptr;
    const bool ro = m_editor->ReadOnly();
    Item("mniNew")->setEnabled(!program && !ro);
    Item("mniNewFunction")->setVisible(false);
    Item("mniNewProcedure")->setVisible(false);
    Item("mniCompile")->setEnabled(program);
    Item("mniSave")->setEnabled(program && !ro && m_editor->Modified());
    Item("mniRevert")->setEnabled(program && !ro && m_editor->Modified());
    Item("mniDelete")->setEnabled(program && !ro);
}
