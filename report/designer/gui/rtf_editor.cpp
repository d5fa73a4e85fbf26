#include "report/designer/gui/rtf_editor.h"

#include "report/model/custom_report.h"
#include "report/model/data_pipeline.h"
#include "report/model/rich_text.h"
#include "report/page/resource_manager.h"

#include "platform/base/exception.h"
#include "platform/print/print_document.h"
#include "platform/print/printer_catalog.h"
#include "platform/richtext/rich_text_layout.h"
#include "platform/richtext/rtf_reader.h"
#include "platform/richtext/rtf_writer.h"
#include "platform/ui/dialog_service.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSaveFile>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>
#include <QTextList>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int kMarkerWidth = 9;
constexpr int kMarkerHeight = 8;
constexpr int kRulerHeight = 26;
/// Tab stops of the ruler's ticks: half an inch.
constexpr int kTabPixels = 48;
/// Side margins of the formatting rectangle.
constexpr int kFormatMargin = 6;

enum class Glyph { Open, Save, Print, Undo, Cut, Copy, Paste, Bold, Italic, Underline, Left, Center, Right, Bullets };

/// A 16-pixel toolbar picture drawn in code.
QIcon glyph(Glyph g) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor ink(Qt::black);
    p.setPen(ink);
    auto lines = [&](const std::initializer_list<std::pair<int, int>>& spans) {
        int y = 3;
        for (auto [x0, x1] : spans) {
            p.drawLine(x0, y, x1, y);
            y += 3;
        }
    };
    auto letter = [&](const QString& text, bool bold, bool italic, bool underline) {
        QFont f(QStringLiteral("Liberation Serif"));
        f.setPixelSize(14);
        f.setBold(bold);
        f.setItalic(italic);
        f.setUnderline(underline);
        p.setFont(f);
        p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, text);
    };
    switch (g) {
    case Glyph::Open:
        p.setBrush(QColor(240, 200, 80));
        p.drawPolygon(QPolygon({QPoint(1, 4), QPoint(6, 4), QPoint(7, 6), QPoint(14, 6), QPoint(14, 13), QPoint(1, 13)}));
        break;
    case Glyph::Save:
        p.setBrush(QColor(60, 90, 160));
        p.drawRect(1, 1, 13, 13);
        p.setBrush(Qt::white);
        p.drawRect(4, 2, 7, 4);
        p.drawRect(4, 9, 7, 5);
        break;
    case Glyph::Print:
        p.setBrush(Qt::white);
        p.drawRect(4, 1, 7, 5);
        p.setBrush(QColor(180, 180, 180));
        p.drawRect(1, 6, 13, 6);
        p.setBrush(Qt::white);
        p.drawRect(4, 10, 7, 4);
        break;
    case Glyph::Undo: {
        QPainterPath path;
        path.moveTo(4, 6);
        path.cubicTo(8, 2, 15, 4, 13, 11);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.drawPath(path);
        p.setBrush(ink);
        p.drawPolygon(QPolygon({QPoint(1, 6), QPoint(6, 2), QPoint(6, 9)}));
        break;
    }
    case Glyph::Cut:
        p.drawLine(4, 1, 10, 10);
        p.drawLine(11, 1, 5, 10);
        p.drawEllipse(2, 10, 4, 4);
        p.drawEllipse(9, 10, 4, 4);
        break;
    case Glyph::Copy:
        p.setBrush(Qt::white);
        p.drawRect(1, 1, 8, 10);
        p.drawRect(6, 4, 8, 10);
        break;
    case Glyph::Paste:
        p.setBrush(QColor(190, 140, 70));
        p.drawRect(1, 2, 10, 12);
        p.setBrush(Qt::white);
        p.drawRect(6, 6, 8, 9);
        break;
    case Glyph::Bold: letter(QStringLiteral("B"), true, false, false); break;
    case Glyph::Italic: letter(QStringLiteral("I"), false, true, false); break;
    case Glyph::Underline: letter(QStringLiteral("U"), false, false, true); break;
    case Glyph::Left: lines({{1, 14}, {1, 10}, {1, 14}, {1, 10}}); break;
    case Glyph::Center: lines({{1, 14}, {4, 11}, {1, 14}, {4, 11}}); break;
    case Glyph::Right: lines({{1, 14}, {5, 14}, {1, 14}, {5, 14}}); break;
    case Glyph::Bullets:
        p.setBrush(ink);
        for (int y : {3, 8, 13}) {
            p.drawRect(1, y - 1, 2, 2);
            p.drawLine(6, y, 14, y);
        }
        break;
    }
    return QIcon(pm);
}

/// The indent markers of the ruler: drawn shapes (first line: a triangle pointing down at
/// the top; left and right indents: triangles pointing up at the bottom).
class IndentMarker : public QWidget {
public:
    IndentMarker(QWidget* parent, const QString& name, bool pointsDown) : QWidget(parent), m_down(pointsDown) {
        setObjectName(name);
        setFixedSize(kMarkerWidth, kMarkerHeight);
        setCursor(Qt::SizeHorCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(Qt::black);
        p.setBrush(QColor(192, 192, 192));
        const int w = width() - 1;
        const int h = height() - 1;
        if (m_down) p.drawPolygon(QPolygon({QPoint(0, 0), QPoint(w, 0), QPoint(w / 2, h)}));
        else p.drawPolygon(QPolygon({QPoint(w / 2, 0), QPoint(w, h), QPoint(0, h)}));
    }

private:
    bool m_down;
};

/// The ruler's panel: a one-line bevel and a tick at every tab stop.
class RulerPanel : public QWidget {
public:
    explicit RulerPanel(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("Ruler"));
        setFixedHeight(kRulerHeight);
        setAutoFillBackground(true);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const int y = kMarkerHeight + 1;
        p.setPen(palette().color(QPalette::Dark));
        p.drawLine(4, y, width() - 4, y);
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(4, y + 1, width() - 4, y + 1);
        p.setPen(palette().color(QPalette::WindowText));
        for (int x = kFormatMargin + kTabPixels; x < width() - 4; x += kTabPixels) p.drawLine(x, y + 4, x, y + 8);
    }
};

QToolButton* toolButton(QWidget* parent, const QString& name, Glyph g, bool checkable = false) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setIcon(glyph(g));
    b->setAutoRaise(true);
    b->setCheckable(checkable);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QString fileFilter() { return QStringLiteral("Rich Text Files (*.RTF);;Text Files (*.TXT)"); }

/// The small print dialog: the printer to print on.
class RichTextPrintDialog : public QDialog {
public:
    explicit RichTextPrintDialog(QWidget* parent) : QDialog(parent) {
        setObjectName(QStringLiteral("PrintDialog"));
        setWindowTitle(ppGetMessageText(22));
        Printer = new QComboBox(this);
        Printer->setObjectName(QStringLiteral("PrinterName"));
        for (const print::PrinterEntry& e : print::Catalog().Printers()) Printer->addItem(e.name);
        const int def = Printer->findText(print::Catalog().DefaultPrinterName());
        if (def >= 0) Printer->setCurrentIndex(def);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKButton"));
        buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelButton"));
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(Printer);
        layout->addWidget(buttons);
    }
    QComboBox* Printer;
};

}  // namespace

namespace report {

void DeclareRTFEditorTexts() {
    static const bool declared = [] {
        DeclareTexts({{22, "Print"},
                      {120, "&Edit"},
                      {122, "&Copy"},
                      {123, "Cu&t"},
                      {125, "&Paste"},
                      {130, "&Undo"},
                      {131, "&File"},
                      {132, "&Close"},
                      {133, "&New"},
                      {134, "&Open..."},
                      {136, "&Print"},
                      {139, "Save &As..."},
                      {160, "Bold"},
                      {163, "Center"},
                      {168, "Font"},
                      {169, "Font Size"},
                      {171, "Italic"},
                      {173, "Left Justify"},
                      {176, "Right Justify"},
                      {179, "Underline"},
                      {353, "Rich Text Editor"},
                      {354, "Bullets"},
                      {355, "Save changes?"},
                      {356, "OK to overwrite <filename> ?"},
                      {357, "Save changes to <filename> ?"},
                      {358, "Row"},
                      {359, "Col"},
                      {360, "Modified"},
                      {361, "Open"},
                      {362, "Save"},
                      {364, "Undo"},
                      {365, "Cut"},
                      {366, "Copy"},
                      {367, "Paste"},
                      {503, "&Insert Field..."},
                      {505, "&Font..."}});
        return true;
    }();
    (void)declared;
}

}  // namespace report

TppRTFEditor::TppRTFEditor(QObject* aOwner) : TppForm(aOwner) {
    report::DeclareRTFEditorTexts();
    setObjectName(QStringLiteral("ppRichTextEditor"));
    resize(619, 370);
    setSizeGripEnabled(true);

    // Menus.
    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    auto item = [this](QMenu* menu, const QString& name, const QKeySequence& keys, void (TppRTFEditor::*run)()) {
        auto* a = menu->addAction(QString());
        a->setObjectName(name);
        a->setShortcut(keys);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, [this, run] { (this->*run)(); });
        return a;
    };
    FileMenu = MainMenu->addMenu(QString());
    FileMenu->setObjectName(QStringLiteral("FileMenu"));
    FileNewItem = item(FileMenu, QStringLiteral("FileNewItem"), QKeySequence(Qt::CTRL | Qt::Key_N), &TppRTFEditor::FileNew);
    FileOpenItem = item(FileMenu, QStringLiteral("FileOpenItem"), QKeySequence(Qt::CTRL | Qt::Key_O), &TppRTFEditor::FileOpen);
    FileSaveAsItem = item(FileMenu, QStringLiteral("FileSaveAsItem"), QKeySequence(), &TppRTFEditor::FileSaveAs);
    FilePrintItem = item(FileMenu, QStringLiteral("FilePrintItem"), QKeySequence(Qt::CTRL | Qt::Key_P), &TppRTFEditor::FilePrint);
    FileMenu->addSeparator();
    FileExitItem = item(FileMenu, QStringLiteral("FileExitItem"), QKeySequence(Qt::ALT | Qt::Key_X), &TppRTFEditor::FileExit);
    EditMenu = MainMenu->addMenu(QString());
    EditMenu->setObjectName(QStringLiteral("EditMenu"));
    EditUndoItem = item(EditMenu, QStringLiteral("EditUndoItem"), QKeySequence(Qt::CTRL | Qt::Key_Z), &TppRTFEditor::EditUndo);
    EditMenu->addSeparator();
    EditCutItem = item(EditMenu, QStringLiteral("EditCutItem"), QKeySequence(Qt::CTRL | Qt::Key_X), &TppRTFEditor::EditCut);
    EditCopyItem = item(EditMenu, QStringLiteral("EditCopyItem"), QKeySequence(Qt::CTRL | Qt::Key_C), &TppRTFEditor::EditCopy);
    EditPasteItem = item(EditMenu, QStringLiteral("EditPasteItem"), QKeySequence(Qt::CTRL | Qt::Key_V), &TppRTFEditor::EditPaste);
    EditMenu->addSeparator();
    EditFontItem = item(EditMenu, QStringLiteral("EditFontItem"), QKeySequence(), &TppRTFEditor::EditFont);
    EditInsertFieldItem = item(EditMenu, QStringLiteral("EditInsertFieldItem"), QKeySequence(), &TppRTFEditor::EditInsertField);

    // Toolbar.
    ToolBar = new QToolBar(this);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setIconSize(QSize(16, 16));
    ToolBar->setMovable(false);
    auto add = [this](QWidget* w) { ToolBar->addWidget(w); };
    auto button = [this, &add](const QString& name, Glyph g, void (TppRTFEditor::*run)()) {
        QToolButton* b = toolButton(ToolBar, name, g);
        connect(b, &QToolButton::clicked, this, [this, run] { (this->*run)(); });
        add(b);
        return b;
    };
    OpenButton = button(QStringLiteral("OpenButton"), Glyph::Open, &TppRTFEditor::FileOpen);
    SaveButton = button(QStringLiteral("SaveButton"), Glyph::Save, &TppRTFEditor::FileSaveAs);
    PrintButton = button(QStringLiteral("PrintButton"), Glyph::Print, &TppRTFEditor::FilePrint);
    ToolBar->addSeparator();
    UndoButton = button(QStringLiteral("UndoButton"), Glyph::Undo, &TppRTFEditor::EditUndo);
    CutButton = button(QStringLiteral("CutButton"), Glyph::Cut, &TppRTFEditor::EditCut);
    CopyButton = button(QStringLiteral("CopyButton"), Glyph::Copy, &TppRTFEditor::EditCopy);
    PasteButton = button(QStringLiteral("PasteButton"), Glyph::Paste, &TppRTFEditor::EditPaste);
    ToolBar->addSeparator();
    FontName = new QComboBox(ToolBar);
    FontName->setObjectName(QStringLiteral("FontName"));
    FontName->setFixedWidth(145);
    QStringList families = QFontDatabase::families();
    families.sort(Qt::CaseInsensitive);
    FontName->addItems(families);
    FontName->setFocusPolicy(Qt::ClickFocus);
    add(FontName);
    ToolBar->addSeparator();
    FontSize = new QLineEdit(ToolBar);
    FontSize->setObjectName(QStringLiteral("FontSize"));
    FontSize->setFixedWidth(36);
    add(FontSize);
    auto* arrows = new QWidget(ToolBar);
    auto* arrowsLayout = new QVBoxLayout(arrows);
    arrowsLayout->setContentsMargins(0, 0, 0, 0);
    arrowsLayout->setSpacing(0);
    auto arrow = [arrows, arrowsLayout](const QString& name, Qt::ArrowType type) {
        auto* b = new QToolButton(arrows);
        b->setObjectName(name);
        b->setArrowType(type);
        b->setAutoRaise(true);
        b->setFixedSize(14, 10);
        b->setFocusPolicy(Qt::NoFocus);
        arrowsLayout->addWidget(b);
        return b;
    };
    FontSizeUp = arrow(QStringLiteral("FontSizeUp"), Qt::UpArrow);
    FontSizeDown = arrow(QStringLiteral("FontSizeDown"), Qt::DownArrow);
    add(arrows);
    BoldButton = toolButton(ToolBar, QStringLiteral("BoldButton"), Glyph::Bold, true);
    ItalicButton = toolButton(ToolBar, QStringLiteral("ItalicButton"), Glyph::Italic, true);
    UnderlineButton = toolButton(ToolBar, QStringLiteral("UnderlineButton"), Glyph::Underline, true);
    add(BoldButton);
    add(ItalicButton);
    add(UnderlineButton);
    ToolBar->addSeparator();
    LeftAlign = toolButton(ToolBar, QStringLiteral("LeftAlign"), Glyph::Left, true);
    CenterAlign = toolButton(ToolBar, QStringLiteral("CenterAlign"), Glyph::Center, true);
    RightAlign = toolButton(ToolBar, QStringLiteral("RightAlign"), Glyph::Right, true);
    // The paragraph alignment each button sets: left 0, centre 2, right 1.
    LeftAlign->setProperty("Tag", 0);
    CenterAlign->setProperty("Tag", 2);
    RightAlign->setProperty("Tag", 1);
    for (QToolButton* b : {LeftAlign, CenterAlign, RightAlign}) {
        b->setAutoExclusive(true);
        add(b);
        connect(b, &QToolButton::clicked, this, [this, b] { setAlignment(b->property("Tag").toInt()); });
    }
    ToolBar->addSeparator();
    BulletsButton = toolButton(ToolBar, QStringLiteral("BulletsButton"), Glyph::Bullets, true);
    add(BulletsButton);

    // Ruler.
    Ruler = new RulerPanel(this);
    FirstInd = new IndentMarker(Ruler, QStringLiteral("FirstInd"), true);
    LeftInd = new IndentMarker(Ruler, QStringLiteral("LeftInd"), false);
    RightInd = new IndentMarker(Ruler, QStringLiteral("RightInd"), false);
    for (QWidget* m : {FirstInd, LeftInd, RightInd}) m->installEventFilter(this);

    // The editor.
    Editor = new QTextEdit(this);
    Editor->setObjectName(QStringLiteral("Editor"));
    Editor->setAcceptRichText(true);
    Editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Editor->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Editor->setLineWrapMode(QTextEdit::WidgetWidth);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(12);
    Editor->document()->setDefaultFont(font);
    Editor->setCurrentFont(font);
    Editor->viewport()->installEventFilter(this);
    Editor->installEventFilter(this);
    Editor->setAcceptDrops(true);

    // Status bar.
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    auto panel = [this](const QString& name, int width, Qt::Alignment alignment) {
        auto* l = new QLabel(StatusBar);
        l->setObjectName(name);
        l->setFixedWidth(width);
        l->setAlignment(alignment | Qt::AlignVCenter);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        StatusBar->addWidget(l);
        return l;
    };
    PositionPanel = panel(QStringLiteral("PositionPanel"), 120, Qt::AlignLeft);
    ModifiedPanel = panel(QStringLiteral("ModifiedPanel"), 60, Qt::AlignHCenter);
    HintPanel = panel(QStringLiteral("HintPanel"), 50, Qt::AlignLeft);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(MainMenu);
    layout->addWidget(ToolBar);
    layout->addWidget(Ruler);
    layout->addWidget(Editor, 1);
    layout->addWidget(StatusBar);

    // Formatting: each handler is ignored while the toolbar follows the selection.
    connect(BoldButton, &QToolButton::toggled, this, [this](bool on) {
        if (!m_updating) Editor->setFontWeight(on ? QFont::Bold : QFont::Normal);
    });
    connect(ItalicButton, &QToolButton::toggled, this, [this](bool on) {
        if (!m_updating) Editor->setFontItalic(on);
    });
    connect(UnderlineButton, &QToolButton::toggled, this, [this](bool on) {
        if (!m_updating) Editor->setFontUnderline(on);
    });
    connect(BulletsButton, &QToolButton::toggled, this, [this](bool on) {
        if (!m_updating) toggleBullets(on);
    });
    connect(FontName, &QComboBox::activated, this, [this](int index) {
        if (m_updating || index < 0) return;
        QTextCharFormat f;
        f.setFontFamilies({FontName->itemText(index)});
        Editor->mergeCurrentCharFormat(f);
        Editor->setFocus();
    });
    connect(FontSize, &QLineEdit::editingFinished, this, [this] {
        if (!m_updating) takeFontSize();
    });
    connect(FontSizeUp, &QToolButton::clicked, this, [this] {
        bool ok = false;
        const int size = FontSize->text().trimmed().toInt(&ok);
        if (ok) applyFontSize(std::min(size + 1, kMaxFontSize));
    });
    connect(FontSizeDown, &QToolButton::clicked, this, [this] {
        bool ok = false;
        const int size = FontSize->text().trimmed().toInt(&ok);
        if (ok) applyFontSize(std::max(size - 1, kMinFontSize));
    });

    connect(Editor, &QTextEdit::cursorPositionChanged, this, &TppRTFEditor::RefreshFromSelection);
    connect(Editor, &QTextEdit::currentCharFormatChanged, this, [this] { RefreshFromSelection(); });
    connect(Editor, &QTextEdit::selectionChanged, this, &TppRTFEditor::refreshClipboardButtons);
    connect(Editor, &QTextEdit::textChanged, this, [this] {
        refreshModified();
        refreshPaste();
    });
    connect(Editor->document(), &QTextDocument::modificationChanged, this, [this] { refreshModified(); });
    connect(Editor->document(), &QTextDocument::undoAvailable, this, [this](bool available) {
        UndoButton->setEnabled(available);
        EditUndoItem->setEnabled(available);
    });
    // The clipboard tells every change; Paste follows it.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &TppRTFEditor::refreshPaste);

    UndoButton->setEnabled(false);
    EditUndoItem->setEnabled(false);
    SetDocumentName(QStringLiteral("Untitled"));
    LanguageChanged();
    RefreshFromSelection();
    refreshClipboardButtons();
}

TppRTFEditor::~TppRTFEditor() { delete m_insertFieldDialog; }

QTextDocument* TppRTFEditor::GetLines() { return Editor->document(); }

void TppRTFEditor::LanguageChanged() {
    SetDocumentName(m_documentName);
    FileMenu->setTitle(ppGetMessageText(131));
    FileNewItem->setText(ppGetMessageText(133));
    FileOpenItem->setText(ppGetMessageText(134));
    FileSaveAsItem->setText(ppGetMessageText(139));
    FilePrintItem->setText(ppGetMessageText(136));
    FileExitItem->setText(ppGetMessageText(132));
    EditMenu->setTitle(ppGetMessageText(120));
    EditUndoItem->setText(ppGetMessageText(130));
    EditCutItem->setText(ppGetMessageText(123));
    EditCopyItem->setText(ppGetMessageText(122));
    EditPasteItem->setText(ppGetMessageText(125));
    EditFontItem->setText(ppGetMessageText(505));
    EditInsertFieldItem->setText(ppGetMessageText(503));
    const std::pair<QWidget*, int> hints[] = {
        {OpenButton, 361}, {SaveButton, 362},     {PrintButton, 22},     {UndoButton, 364},      {CutButton, 365},
        {CopyButton, 366}, {PasteButton, 367},    {FontName, 168},       {FontSize, 169},        {BoldButton, 160},
        {ItalicButton, 171}, {UnderlineButton, 179}, {LeftAlign, 173}, {CenterAlign, 163}, {RightAlign, 176},
        {BulletsButton, 354}};
    for (auto [w, n] : hints) {
        w->setToolTip(ppGetMessageText(n));
        w->setStatusTip(ppGetMessageText(n));
    }
    m_rowColFormat = ppGetMessageText(358) + QStringLiteral(": %1   ") + ppGetMessageText(359) + QStringLiteral(": %2");
    refreshPosition();
    refreshModified();
}

void TppRTFEditor::SetDocumentName(const QString& aName) {
    m_documentName = aName;
    setWindowTitle(ppGetMessageText(353) + QStringLiteral(": ") + QFileInfo(aName).fileName());
}

// File commands -------------------------------------------------------------------------------

bool TppRTFEditor::checkModified() {
    if (!Editor->document()->isModified()) return true;
    const ui::Button answer =
        ui::Message(report::MessageText(357, {m_documentName}), ui::MessageKind::Confirmation,
                    ui::Button::Yes | ui::Button::No | ui::Button::Cancel);
    if (answer == ui::Button::Cancel || answer == ui::Button::None) return false;
    if (answer == ui::Button::Yes) FileSaveAs();
    return true;
}

void TppRTFEditor::FileNew() {
    SetDocumentName(QStringLiteral("Untitled"));
    Editor->clear();
    Editor->document()->setModified(true);
    refreshModified();
}

void TppRTFEditor::loadFile(const QString& aFileName) {
    QFile file(aFileName);
    if (!file.open(QIODevice::ReadOnly))
        throw base::Exception(QStringLiteral("Cannot open file \"%1\". %2").arg(aFileName, file.errorString()));
    const QByteArray bytes = file.readAll();
    m_updating = true;
    richtext::ReadRtf(bytes, *Editor->document());
    m_updating = false;
    SetDocumentName(aFileName);
    Editor->setFocus();
    Editor->document()->setModified(true);
    refreshModified();
    RefreshFromSelection();
}

void TppRTFEditor::FileOpen() {
    if (!checkModified()) return;
    ui::FileRequest request;
    request.caption = ppGetMessageText(361);
    request.folder = QCoreApplication::applicationDirPath();
    request.filter = fileFilter();
    request.defaultSuffix = QStringLiteral("RTF");
    const std::optional<QString> name = ui::ChooseFileToOpen(request);
    if (!name) return;
    loadFile(*name);
    Editor->setReadOnly(false);
}

bool TppRTFEditor::OpenDroppedFile(const QString& aFileName) {
    if (!checkModified()) return false;
    loadFile(aFileName);
    return true;
}

void TppRTFEditor::FileSaveAs() {
    ui::FileRequest request;
    request.caption = ppGetMessageText(362);
    request.folder = QCoreApplication::applicationDirPath();
    request.fileName = m_documentName;
    request.filter = fileFilter();
    request.defaultSuffix = QStringLiteral("RTF");
    const std::optional<QString> name = ui::ChooseFileToSave(request);
    if (!name) return;
    if (QFileInfo::exists(*name) &&
        ui::Message(report::MessageText(356, {*name}), ui::MessageKind::Confirmation,
                    ui::Button::Yes | ui::Button::No | ui::Button::Cancel) != ui::Button::Yes)
        return;
    QSaveFile file(*name);
    if (!file.open(QIODevice::WriteOnly) || file.write(richtext::WriteRtf(*Editor->document())) < 0 || !file.commit())
        throw base::Exception(QStringLiteral("Cannot write file \"%1\". %2").arg(*name, file.errorString()));
    SetDocumentName(*name);
}

void TppRTFEditor::FilePrint() {
    RichTextPrintDialog dialog(this);
    if (ui::ExecModal(dialog) != QDialog::Accepted || dialog.Printer->currentText().isEmpty()) return;
    const QString printer = dialog.Printer->currentText();
    print::PrintDocument document(printer, print::Catalog().PdfOutputFor(printer));
    if (!document.BeginDoc(m_documentName))
        throw base::Exception(QStringLiteral("The printer \"%1\" cannot print.").arg(printer));
    // The pages hold the text between inch margins, each going on at the next character.
    richtext::RichTextLayout layout(*Editor->document());
    int from = 0;
    const int length = layout.textLength();
    do {
        if (!document.NewPage()) break;
        QPainter* painter = document.Painter();
        const qreal dpiX = painter->device()->logicalDpiX();
        const qreal dpiY = painter->device()->logicalDpiY();
        const QRectF rect(dpiX, dpiY, painter->device()->width() - 2 * dpiX, painter->device()->height() - 2 * dpiY);
        const richtext::FitResult fit = layout.draw(*painter, rect, from);
        if (fit.complete || fit.lastChar < from) break;  // done, or not one line fits a page
        from = fit.lastChar + 1;
    } while (from < length);
    if (!document.EndDoc()) throw base::Exception(QStringLiteral("The printer \"%1\" did not take the document.").arg(printer));
}

void TppRTFEditor::FileExit() { close(); }

void TppRTFEditor::reject() { close(); }

// Edit commands -------------------------------------------------------------------------------

void TppRTFEditor::EditUndo() { Editor->undo(); }
void TppRTFEditor::EditCut() { Editor->cut(); }
void TppRTFEditor::EditCopy() { Editor->copy(); }
void TppRTFEditor::EditPaste() { Editor->paste(); }

void TppRTFEditor::EditFont() {
    QFontDialog dialog(Editor->currentFont(), this);
    dialog.setObjectName(QStringLiteral("FontDialog"));
    if (ui::ExecModal(dialog) == QDialog::Accepted) Editor->setCurrentFont(dialog.selectedFont());
    Editor->setFocus();
}

void TppRTFEditor::EditInsertField() {
    if (!MailMerge) return;
    if (!m_insertFieldDialog) {
        m_insertFieldDialog = report::CreateForm<TppCustomMailMergeDialog>(nullptr);
        if (!m_insertFieldDialog) return;
        report::ppSetFormLanguageIndex(m_insertFieldDialog, LanguageIndex());
        QStringList aliases;
        if (auto* r = qobject_cast<TppCustomReport*>(Report()); r && r->DataPipeline()) {
            QStringList names;
            r->DataPipeline()->GetFieldNames(names);
            for (const QString& n : names) aliases << r->DataPipeline()->GetFieldAlias(n);
        }
        m_insertFieldDialog->SetFieldList(aliases);
    }
    if (m_insertFieldDialog->ShowModal() != report::ModalResult::mrOk) return;
    const QString field = m_insertFieldDialog->GetSelectedField();
    if (field.isEmpty()) return;
    Editor->textCursor().insertText(QLatin1Char('<') + field + QLatin1Char('>'));
}

// Formatting ----------------------------------------------------------------------------------

void TppRTFEditor::applyFontSize(int aSize) {
    QTextCharFormat f;
    f.setFontPointSize(aSize);
    Editor->mergeCurrentCharFormat(f);
    m_updating = true;
    FontSize->setText(QString::number(aSize));
    m_updating = false;
}

void TppRTFEditor::takeFontSize() {
    bool ok = false;
    const int size = FontSize->text().trimmed().toInt(&ok);
    if (!ok || size < kMinFontSize || size > kMaxFontSize) {
        // Refused: the box shows the selection's size again.
        const QString typed = FontSize->text();
        RefreshFromSelection();
        ui::Message(QStringLiteral("\"%1\" is not a font size: give a whole number of points from %2 to %3.")
                        .arg(typed)
                        .arg(kMinFontSize)
                        .arg(kMaxFontSize),
                    ui::MessageKind::Warning);
        return;
    }
    applyFontSize(size);
}

void TppRTFEditor::setAlignment(int aTag) {
    if (m_updating) return;
    const Qt::Alignment a = aTag == 2 ? Qt::AlignHCenter : aTag == 1 ? Qt::AlignRight : Qt::AlignLeft;
    Editor->setAlignment(a | Qt::AlignAbsolute);
    RefreshFromSelection();
}

void TppRTFEditor::toggleBullets(bool aOn) {
    QTextCursor cursor = Editor->textCursor();
    cursor.beginEditBlock();
    if (aOn) {
        QTextListFormat list;
        list.setStyle(QTextListFormat::ListDisc);
        cursor.createList(list);
    } else if (QTextList* list = cursor.currentList()) {
        const QTextBlock end = Editor->document()->findBlock(cursor.selectionEnd());
        for (QTextBlock b = Editor->document()->findBlock(cursor.selectionStart()); b.isValid(); b = b.next()) {
            list->remove(b);
            QTextCursor c(b);
            QTextBlockFormat f = b.blockFormat();
            f.setIndent(0);
            c.setBlockFormat(f);
            if (b == end) break;
        }
    }
    cursor.endEditBlock();
}

// Following the selection ---------------------------------------------------------------------

void TppRTFEditor::RefreshFromSelection() {
    m_updating = true;
    placeMarkers();
    const QTextCharFormat f = Editor->currentCharFormat();
    BoldButton->setChecked(f.fontWeight() >= QFont::Bold);
    ItalicButton->setChecked(f.fontItalic());
    UnderlineButton->setChecked(f.fontUnderline());
    BulletsButton->setChecked(Editor->textCursor().currentList() != nullptr);
    const QFont font = f.font();
    const qreal points = f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : font.pointSizeF();
    FontSize->setText(points > 0 ? QString::number(int(std::lround(points))) : QString());
    const QString family = font.families().isEmpty() ? font.family() : font.families().constFirst();
    const int index = FontName->findText(family, Qt::MatchFixedString);
    if (index >= 0) FontName->setCurrentIndex(index);
    else FontName->setEditText(family);
    const Qt::Alignment a = Editor->alignment() & Qt::AlignHorizontal_Mask;
    QToolButton* down = (a & Qt::AlignHCenter) ? CenterAlign : (a & Qt::AlignRight) ? RightAlign : LeftAlign;
    down->setChecked(true);
    m_updating = false;
    refreshPosition();
}

void TppRTFEditor::refreshPosition() {
    const QTextCursor cursor = Editor->textCursor();
    const int start = cursor.selectionStart();
    const QTextBlock block = Editor->document()->findBlock(start);
    // The line is the rich edit's: a paragraph mark counts one character.
    const int line = block.blockNumber();
    const int column = start - block.position();
    QString text = m_rowColFormat;
    text = text.arg(line + 1, 3).arg(column + 1, 3);
    PositionPanel->setText(text);
}

void TppRTFEditor::refreshModified() {
    ModifiedPanel->setText(Editor->document()->isModified() ? ppGetMessageText(360) : QString());
}

void TppRTFEditor::refreshPaste() {
    const bool can = Editor->canPaste();
    PasteButton->setEnabled(can);
    EditPasteItem->setEnabled(can);
}

void TppRTFEditor::refreshClipboardButtons() {
    const bool selected = Editor->textCursor().hasSelection();
    CutButton->setEnabled(selected);
    EditCutItem->setEnabled(selected);
    CopyButton->setEnabled(selected);
    EditCopyItem->setEnabled(selected);
}

// Ruler ---------------------------------------------------------------------------------------
//
// The markers stand where the paragraph's indents are: the first line's (the left margin
// plus the text indent), the left one (the margin) and the right one, in pixels of the
// editor's 96-dpi document units, 2 pixels in from the ruler's edges.

void TppRTFEditor::placeMarkers() {
    if (m_dragging) return;
    const QTextBlockFormat f = Editor->textCursor().blockFormat();
    const int left = int(f.leftMargin());
    const int first = int(f.leftMargin() + f.textIndent());
    const int right = int(f.rightMargin());
    FirstInd->move(first + 2, 0);
    LeftInd->move(left + 2, kRulerHeight - kMarkerHeight - 1);
    RightInd->move(Ruler->width() - (right + 8) - 6, kRulerHeight - kMarkerHeight - 1);
}

void TppRTFEditor::setParagraphIndents(qreal aLeftMargin, qreal aTextIndent, qreal aRightMargin, bool aRight) {
    QTextCursor cursor = Editor->textCursor();
    QTextBlockFormat f;
    if (aRight) {
        f.setRightMargin(std::max<qreal>(0, aRightMargin));
    } else {
        f.setLeftMargin(std::max<qreal>(0, aLeftMargin));
        f.setTextIndent(aTextIndent);
    }
    cursor.mergeBlockFormat(f);
    Editor->setTextCursor(cursor);
}

void TppRTFEditor::releaseMarker(QWidget* aMarker) {
    const QTextBlockFormat f = Editor->textCursor().blockFormat();
    const qreal firstNow = f.leftMargin() + f.textIndent();
    if (aMarker == RightInd) {
        const qreal right = Ruler->width() + m_dragOffset - RightInd->x() - 2 - 16;
        setParagraphIndents(0, 0, right, true);
    } else {
        // The first line's marker sets the first indent; the left marker keeps its place.
        const qreal first = aMarker == FirstInd ? std::max<qreal>(0, FirstInd->x() + m_dragOffset - 6) : firstNow;
        const qreal left = std::max<qreal>(0, LeftInd->x() + m_dragOffset - 6);
        setParagraphIndents(left, first - left, 0, false);
    }
    m_dragging = false;
    RefreshFromSelection();
}

bool TppRTFEditor::eventFilter(QObject* aWatched, QEvent* aEvent) {
    auto* marker = qobject_cast<QWidget*>(aWatched);
    if (marker && (marker == FirstInd || marker == LeftInd || marker == RightInd)) {
        auto* mouse = static_cast<QMouseEvent*>(aEvent);
        switch (aEvent->type()) {
        case QEvent::MouseButtonPress:
            if (mouse->button() != Qt::LeftButton) break;
            m_dragOffset = marker->width() / 2;
            m_dragging = true;
            [[fallthrough]];
        case QEvent::MouseMove:
            if (m_dragging) {
                const int x = marker->mapTo(Ruler, mouse->position().toPoint()).x();
                marker->move(std::clamp(x - m_dragOffset, 0, std::max(0, Ruler->width() - marker->width())), marker->y());
            }
            return true;
        case QEvent::MouseButtonRelease:
            if (m_dragging && mouse->button() == Qt::LeftButton) releaseMarker(marker);
            return true;
        default: break;
        }
        return false;
    }
    if (aWatched == Editor->viewport() || aWatched == Editor) {
        // Dropped files open (after the modified check); the drop always finishes.
        if (aEvent->type() == QEvent::DragEnter || aEvent->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDropEvent*>(aEvent);
            if (drag->mimeData()->hasUrls() && !drag->mimeData()->urls().isEmpty() &&
                drag->mimeData()->urls().constFirst().isLocalFile()) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (aEvent->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(aEvent);
            if (drop->mimeData()->hasUrls() && !drop->mimeData()->urls().isEmpty() &&
                drop->mimeData()->urls().constFirst().isLocalFile()) {
                drop->acceptProposedAction();
                const QString file = drop->mimeData()->urls().constFirst().toLocalFile();
                QTimer::singleShot(0, this, [this, file] { OpenDroppedFile(file); });
                return true;
            }
        }
    }
    return TppForm::eventFilter(aWatched, aEvent);
}

// Window --------------------------------------------------------------------------------------

bool TppRTFEditor::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        if (tip.isEmpty()) StatusBar->clearMessage();
        else StatusBar->showMessage(tip);
        return true;
    }
    return TppForm::event(event);
}

void TppRTFEditor::showEvent(QShowEvent* event) {
    TppForm::showEvent(event);
    QTextFrameFormat frame = Editor->document()->rootFrame()->frameFormat();
    frame.setLeftMargin(kFormatMargin);
    frame.setRightMargin(kFormatMargin);
    frame.setTopMargin(0);
    frame.setBottomMargin(0);
    Editor->document()->rootFrame()->setFrameFormat(frame);
    Editor->moveCursor(QTextCursor::Start);
    Editor->setFocus();
    refreshPaste();
    Editor->document()->setModified(false);
    EditInsertFieldItem->setEnabled(MailMerge);
    refreshModified();
    RefreshFromSelection();
}

void TppRTFEditor::resizeEvent(QResizeEvent* event) {
    TppForm::resizeEvent(event);
    RefreshFromSelection();
}

void TppRTFEditor::closeEvent(QCloseEvent* event) {
    int result = this->result() == int(report::ModalResult::mrOk) ? int(report::ModalResult::mrOk)
                                                                  : int(report::ModalResult::mrCancel);
    if (Editor->document()->isModified()) {
        switch (ui::Message(ppGetMessageText(355), ui::MessageKind::Confirmation,
                            ui::Button::Yes | ui::Button::No | ui::Button::Cancel)) {
        case ui::Button::Yes: result = int(report::ModalResult::mrOk); break;  // the component takes the text
        case ui::Button::No: result = int(report::ModalResult::mrCancel); break;  // the text is dropped
        default: event->ignore(); return;
        }
    }
    event->accept();
    done(result);
}

// Installing ----------------------------------------------------------------------------------

namespace report {

void InstallRTFEditor() {
    static const bool done = [] {
        RegisterForm<TppCustomRTFEditor, TppRTFEditor>();
        SetRichTextEditPrompt([](TppCustomRichText& aComponent, QByteArray& aRtf) {
            TppCustomRTFEditor* editor = CreateForm<TppCustomRTFEditor>(nullptr);
            if (!editor) return false;
            ppSetFormLanguageIndex(editor, aComponent.GetLanguageIndex());
            ppSetFormReport(editor, aComponent.GetOwnerReport());
            editor->MailMerge = aComponent.MailMerge();
            QTextDocument* lines = editor->GetLines();
            if (!aRtf.isEmpty()) richtext::ReadRtf(aRtf, *lines);
            lines->setModified(false);
            const bool ok = editor->ShowModal() == ModalResult::mrOk;
            if (ok) aRtf = richtext::WriteRtf(*lines);
            delete editor;
            return ok;
        });
        return true;
    }();
    (void)done;
}

}  // namespace report
