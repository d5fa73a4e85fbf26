#pragma once

// The code editor: the text pane in which one script program is edited, in the code
// workspace and in the calculations dialog.
// - TraEdit: a plain-text control that colours the source by token kind with the language's
//   own lexer (200 ms after the last change or scroll, only the visible lines), keeps a
//   protected declaration line (shown darker; edits that touch it are refused), indents new
//   lines like the line above and inserts dropped code at a pixel position. Colours live in
//   the lines' layouts, never in the text, so they never reach the undo history.
// - TraCodeEditor: binds a TraEdit to a program, shows its whole source or only its body,
//   applies the text back, compiles and lists the compile messages below the text.
//
// TraEdit states: idle, or formatting (while it recolours or loads text; changes then do not
// restart the timer). TraCodeEditor states: empty (no program) or bound to one program; it
// becomes empty when the program is freed elsewhere, deleted, or the owner sets none.

#include "report/script/parser.h"

#include <QColor>
#include <QFont>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QListWidget;
class QListWidgetItem;
class QSplitter;
class QTextCharFormat;
class TraCommunicator;
class TraProgram;
class TraSyntaxError;

/// A colour and a font style.
struct TraFormatAttributes {
    QColor Color;
    bool Bold = false;
    bool Italic = false;
    /// The character format these attributes give.
    QTextCharFormat Format() const;
    /// Whether a character format already has them.
    bool Matches(const QTextCharFormat& aFormat) const;
};

class TraEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TraEdit(QWidget* aParent = nullptr);

    /// Puts the text into the control, coloured, with the caret placed (see the .cpp).
    void LoadText(const QString& aText);
    /// Colours the tokens of lines aFirst..aLast (counted from 1) from the last lex.
    void Recolour(int aFirst, int aLast);
    /// Lexes the whole text again.
    void Lex();
    /// Inserts dropped code at a pixel position of the viewport.
    void InsertAt(int aX, int aY, const QString& aText);
    /// Caret to the line's first character plus the column (both from 0).
    void GotoPosition(int aColumn, int aLine);
    /// The selection's line when text is selected, else the line under y (from 0).
    int DropLine(int aX, int aY) const;
    void SetReadOnly(bool aValue);

    /// Number of leading characters that are protected (0: none).
    int HeaderLength() const { return m_headerLength; }
    void SetHeaderLength(int aValue) { m_headerLength = aValue; }
    bool Formatting() const { return m_formatting; }
    int LineHeight() const { return m_lineHeight; }
    int CharWidth() const { return m_charWidth; }
    /// The colour format applied at a character position (what a reader sees there).
    QTextCharFormat FormatAt(int aPosition) const;
    /// Whether an edit of the characters [aFrom, aTo) (an insertion when equal) is allowed.
    bool ChangeAllowed(int aFrom, int aTo) const;
    QTimer* RecolourTimer() const { return m_timer; }

    TraFormatAttributes PlainAttributes{QColor(Qt::black), false, false};
    TraFormatAttributes ReservedWordAttributes{QColor(Qt::black), true, false};
    TraFormatAttributes CommentAttributes{QColor(0x00, 0x00, 0x80), false, true};
    TraFormatAttributes StringAttributes{QColor(0x00, 0x80, 0x00), false, false};

    std::function<void()> OnCaretMoved;
    std::function<void()> OnChange;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void restartTimer();
    void timerFired();
    void caretMoved();

    QTimer* m_timer = nullptr;
    TraParser m_lexer;
    bool m_formatting = false;
    int m_headerLength = 0;
    QChar m_lastKey;
    int m_lineHeight = 0;
    int m_charWidth = 0;
};

class TraCodeEditor : public QWidget {
    Q_OBJECT
public:
    explicit TraCodeEditor(QWidget* aParent = nullptr);
    ~TraCodeEditor() override;

    TraEdit* Edit() const { return m_edit; }
    QListWidget* MessageList() const { return m_messages; }
    TraProgram* Program() const { return m_program; }
    /// Loads the program (none: empties the editor).
    void SetProgram(TraProgram* aProgram);
    /// Writes the text back to the program when it was changed, then compiles.
    void Apply();
    void Compile();
    void Revert();
    /// Asks the owner to free the program and empties the editor.
    void DeleteProgram();
    /// Asks the owner for a program and places the caret in its body.
    void CreateProgram();
    void ShowMessages(bool aValue);
    bool MessagesShown() const { return m_messagesShown; }
    /// The caret's column and line, both counted from 1.
    QPoint CaretPosition() const;
    bool AcceptsDrop(int aX, int aY) const;
    /// Inserts dropped text: creates the program first when there is none (the text then
    /// goes to the caret), else at the drop point.
    void DropText(int aX, int aY, const QString& aText);
    void RefreshMessages();

    // Editing commands.
    void Undo() { m_edit->undo(); }
    void Cut();
    void Copy() { m_edit->copy(); }
    void Paste();
    void Delete();
    void SelectAll();
    bool CanUndo() const { return m_edit->document()->isUndoAvailable(); }
    bool CanPaste() const { return m_edit->canPaste(); }
    bool Focused() const { return m_edit->hasFocus(); }
    bool ReadOnly() const { return m_edit->isReadOnly(); }
    void SetReadOnly(bool aValue) { m_edit->SetReadOnly(aValue); }

    bool BodyMode = false;
    bool ApplyOnExit = true;
    bool Modified() const { return m_modified; }
    void SetModified(bool v) { m_modified = v; }
    int HeaderLength = 0;
    /// The kind of program a creation makes (the explorer's slot kinds 0 to 7).
    int SlotKind = 7;

    std::function<void()> OnCreateProgram;
    std::function<void()> OnTextChanged;
    std::function<void()> OnAfterCompile;
    std::function<void(TraProgram*)> OnGotoProgram;
    std::function<void(TraProgram*)> OnDeleteProgram;
    std::function<void()> OnAfterApply;
    std::function<void()> OnCaretMoved;
    std::function<void()> OnExit;
    /// The owner decides drops (returns whether accepted) and performs them.
    std::function<bool(int x, int y, const QString& text)> OnDragDrop;

    /// The help keyword F1 opens here.
    QString HelpKeyword() const;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void messageDoubleClicked(QListWidgetItem* aItem);
    int shiftedLine(const TraSyntaxError* aError) const;
    void forgetProgram();

    TraEdit* m_edit = nullptr;
    QSplitter* m_splitter = nullptr;
    QListWidget* m_messages = nullptr;
    TraProgram* m_program = nullptr;
    std::unique_ptr<TraCommunicator> m_watcher;
    bool m_loading = false;
    bool m_modified = false;
    bool m_compiling = false;
    bool m_messagesShown = false;
};

/// The editor's pop-up: New, New Function, New Procedure, Compile, Save, Revert, Delete.
class TraCodeEditorPopupMenu : public QMenu {
    Q_OBJECT
public:
    TraCodeEditorPopupMenu(TraCodeEditor* aEditor, QWidget* aParent);
    void LanguageChanged();
    /// The kind New creates.
    int NewKind = 7;
    QAction* Item(const char* aName) const;

protected:
    /// The opening rules; descendants replace them.
    virtual void UpdateItems();
    TraCodeEditor* m_editor;

private:
    QAction* add(const char* aName, int aText);
};

namespace script::gui {
/// Source text as the editor shows it (line breaks "\n") and back ("\r\n").
QString ToEditorText(const QString& aSource);
QString FromEditorText(const QString& aText);
}  // namespace script::gui
