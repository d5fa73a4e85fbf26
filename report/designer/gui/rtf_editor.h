#pragma once

// The rich text editor: the modal word processor in which the designer edits the text of a
// rich-text component. TppRTFEditor is the form registered for TppCustomRTFEditor;
// InstallRTFEditor registers it and installs the component's Edit seam.

#include "report/output/gui/form.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QStatusBar;
class QTextEdit;
class QToolBar;
class QToolButton;
class QTextDocument;

class TppRTFEditor : public TppForm, public TppCustomRTFEditor {
    Q_OBJECT
public:
    /// Font sizes the size box takes, in points.
    static constexpr int kMinFontSize = 1;
    static constexpr int kMaxFontSize = 1638;

    explicit TppRTFEditor(QObject* aOwner = nullptr);
    ~TppRTFEditor() override;

    QTextDocument* GetLines() override;
    void LanguageChanged() override;

    /// "Untitled", or the file the text was last opened from or saved to; the caption shows
    /// its file part.
    const QString& DocumentName() const { return m_documentName; }
    void SetDocumentName(const QString& aName);

    // File and Edit commands (menu items and toolbar buttons run these).
    void FileNew();
    void FileOpen();
    void FileSaveAs();
    void FilePrint();
    void FileExit();
    void EditUndo();
    void EditCut();
    void EditCopy();
    void EditPaste();
    void EditFont();
    void EditInsertField();
    /// Opens a file after the modified check (a dropped file); false when the check was
    /// cancelled.
    bool OpenDroppedFile(const QString& aFileName);
    /// The toolbar, ruler and status bar follow the selection.
    void RefreshFromSelection();
    /// Closing by Escape asks like any other close.
    void reject() override;

    QMenuBar* MainMenu;
    QMenu* FileMenu;
    QAction* FileNewItem;
    QAction* FileOpenItem;
    QAction* FileSaveAsItem;
    QAction* FilePrintItem;
    QAction* FileExitItem;
    QMenu* EditMenu;
    QAction* EditUndoItem;
    QAction* EditCutItem;
    QAction* EditCopyItem;
    QAction* EditPasteItem;
    QAction* EditFontItem;
    QAction* EditInsertFieldItem;

    QToolBar* ToolBar;
    QToolButton* OpenButton;
    QToolButton* SaveButton;
    QToolButton* PrintButton;
    QToolButton* UndoButton;
    QToolButton* CutButton;
    QToolButton* CopyButton;
    QToolButton* PasteButton;
    QComboBox* FontName;
    QLineEdit* FontSize;
    QToolButton* FontSizeUp;
    QToolButton* FontSizeDown;
    QToolButton* BoldButton;
    QToolButton* ItalicButton;
    QToolButton* UnderlineButton;
    QToolButton* LeftAlign;
    QToolButton* CenterAlign;
    QToolButton* RightAlign;
    QToolButton* BulletsButton;

    QWidget* Ruler;
    QWidget* FirstInd;
    QWidget* LeftInd;
    QWidget* RightInd;

    QTextEdit* Editor;
    QStatusBar* StatusBar;
    QLabel* PositionPanel;
    QLabel* ModifiedPanel;
    QLabel* HintPanel;

protected:
    /// Hints show in the status bar, which shows nothing else while one is there.
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* aWatched, QEvent* aEvent) override;

private:
    /// Asks "Save changes to <file> ?" when modified: false when cancelled.
    bool checkModified();
    void loadFile(const QString& aFileName);
    void applyFontSize(int aSize);
    void takeFontSize();
    void setAlignment(int aTag);
    void toggleBullets(bool aOn);
    void refreshPosition();
    void refreshModified();
    void refreshPaste();
    void refreshClipboardButtons();
    void placeMarkers();
    void releaseMarker(QWidget* aMarker);
    void setParagraphIndents(qreal aLeftMargin, qreal aTextIndent, qreal aRightMargin, bool aRight);

    QString m_documentName;
    QString m_rowColFormat;
    bool m_updating = false;
    bool m_dragging = false;
    int m_dragOffset = 0;
    class TppCustomMailMergeDialog* m_insertFieldDialog = nullptr;
};

namespace report {
/// Registers TppRTFEditor for TppCustomRTFEditor and installs the rich-text component's Edit
/// seam (idempotent).
void InstallRTFEditor();
/// The texts of the editor's captions and questions.
void DeclareRTFEditorTexts();
}  // namespace report
