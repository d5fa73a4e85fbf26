#pragma once

// The designer's toolbars (Standard, Format, Edit, Draw, Align, Size, Nudge), one component
// palette toolbar per palette of the component registry, and the toolbar manager that makes
// them, keeps the palettes in step with the registry, fills the Toolbars menu, translates
// captions and hints, and saves positions, visibility and the toolbar colours in the
// designer's ini file.

#include "report/designer/docking/designer_bars.h"
#include "report/designer/gui/palette_buttons.h"
#include "report/model/reg_list.h"

#include <QHash>
#include <QMenu>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>

class QComboBox;
class QLineEdit;
class TppFont;
class TppToolbarSepSkiffrow;

/// A toolbar button with a glyph by resource name and a hint by numbered text (Tag = text).
TppToolbarButton* ppMakeToolbarButton(TppSkiffrow* aBar, const QString& aName, const QString& aGlyph, int aHint);

class TppStandardToolbar : public TppToolbar {
    Q_OBJECT
public:
    TppStandardToolbar(QMainWindow* aOwner, const QString& aName);
    void LanguageChanged(int aLanguageIndex) override;
    TppToolbarButton *New, *Open, *Save, *PageSetup, *Print, *PrintPreview, *Cut, *Copy, *Paste;
};

class TppCustomFormatToolbar : public TppToolbar {
    Q_OBJECT
public:
    TppCustomFormatToolbar(QMainWindow* aOwner, const QString& aName);
    ~TppCustomFormatToolbar() override;
    virtual void CreateControls();
    void LanguageChanged(int aLanguageIndex) override;

    TAlignment GetTextAlignment() const;
    void SetTextAlignment(TAlignment aAlignment);
    /// The working font from the boxes and buttons; a size text that is not a positive whole
    /// number keeps the working font's size.
    TppFont* GetToolbarFont();
    void SetToolbarFont(const TppFont* aFont);
    void SetHighlightPaletteColor(paint::TColor aColor, bool aClear);

    TppFontComboBox* FontName = nullptr;
    QComboBox* FontSize = nullptr;
    TppFontButton* FontNameButton = nullptr;
    TppFontButton* FontSizeButton = nullptr;
    TppToolbarButton *Bold = nullptr, *Italic = nullptr, *Underline = nullptr;
    TppToolbarButton *AlignLeft = nullptr, *AlignCenter = nullptr, *AlignRight = nullptr;
    TppColorButton* FontColor = nullptr;
    TppColorButton* HighlightColor = nullptr;

protected:
    std::unique_ptr<TppFont> m_font;
};

class TppFormatToolbar : public TppCustomFormatToolbar {
    Q_OBJECT
public:
    TppFormatToolbar(QMainWindow* aOwner, const QString& aName);
    void CreateControls() override;
    void LanguageChanged(int aLanguageIndex) override;
    TppToolbarButton *BringToFront = nullptr, *SendToBack = nullptr;
};

class TppEditToolbar : public TppToolbar {
    Q_OBJECT
public:
    TppEditToolbar(QMainWindow* aOwner, const QString& aName);
    void LanguageChanged(int aLanguageIndex) override;
    /// Shows the text box (TextBox), the value combo (ValueBox), both combos (PipelineBox) or,
    /// for nullptr, the text box empty and disabled.
    void ShowEditor(QWidget* aControl);

    QWidget* Panel = nullptr;
    QLineEdit* TextBox = nullptr;
    QComboBox* ValueBox = nullptr;
    QComboBox* PipelineBox = nullptr;
};

class TppDrawToolbar : public TppToolbar {
    Q_OBJECT
public:
    TppDrawToolbar(QMainWindow* aOwner, const QString& aName);
    void LanguageChanged(int aLanguageIndex) override;
    TppColorButton* FillColor = nullptr;
    TppColorButton* LineColor = nullptr;
    TppLineThicknessButton* LineThickness = nullptr;
    TppLineStyleButton* LineStyle = nullptr;
};

/// A row of buttons whose Tags are action numbers (Align, Size, Nudge).
class TppActionToolbar : public TppToolbar {
    Q_OBJECT
public:
    struct Action {
        const char* glyph;
        int hint;
        bool separatorAfter;
    };
    TppActionToolbar(QMainWindow* aOwner, const QString& aName, int aCaption, const QList<Action>& aActions);
    void LanguageChanged(int aLanguageIndex) override;
    int LastAction() const { return m_lastAction; }
    QList<TppToolbarButton*> ActionButtons() const { return m_buttons; }
    std::function<void(QObject* Sender, int Action)> OnAction;

private:
    int m_caption;
    QList<Action> m_actions;
    QList<TppToolbarButton*> m_buttons;
    int m_lastAction = -1;
};

class TppAlignToolbar : public TppActionToolbar {
    Q_OBJECT
public:
    TppAlignToolbar(QMainWindow* aOwner, const QString& aName);
};
class TppSizeToolbar : public TppActionToolbar {
    Q_OBJECT
public:
    TppSizeToolbar(QMainWindow* aOwner, const QString& aName);
};
class TppNudgeToolbar : public TppActionToolbar {
    Q_OBJECT
public:
    TppNudgeToolbar(QMainWindow* aOwner, const QString& aName);
};

/// Makes and keeps every toolbar and tool window of the designer window.
class TppToolbarManager : public TppRegListSubscriber {
    Q_OBJECT
public:
    explicit TppToolbarManager(QMainWindow* aDesignerWindow);
    ~TppToolbarManager() override;

    QString IniFileName;
    void SetDocks(TppDock* aTop, TppDock* aBottom, TppDock* aLeft, TppDock* aRight);
    TppDock* TopDock() const { return m_docks[0]; }
    /// A toolbar or tool window by name ("Standard", "Format", ..., or a palette name).
    TppCustomToolWindowSkiffrow* FindToolbar(const QString& aName) const;
    QWidget* FindToolbarWidget(const QString& aName) const;
    /// The names of every toolbar and tool window, in creation order (the Toolbars menu).
    QStringList ToolbarNames() const;
    /// The palette names with a toolbar, in order.
    QStringList PaletteNames() const;

    void Save();
    void Load();
    void LanguageChanged(int aLanguageIndex);
    void SetActive(bool aActive);
    void HideFloatingWindows();
    void ShowFloatingWindows();
    QList<QWidget*> FloatingWindows() const;

    /// The classes left off the palettes (ShowComponents); the palettes follow at once.
    void SetHiddenClasses(const QStringList& aClassNames);
    void Changed() override;

    QMenu* ToolbarsMenu() const { return m_menu; }
    void BuildToolbarsMenu();
    /// Select mode: the select button is down.
    bool SelectMode() const;
    TppToolbarButton* SelectButton() const { return m_selectButton; }
    /// The pressed component button (nullptr in select mode).
    TppToolbarButton* ComponentButton() const { return m_componentButton; }
    /// Presses the select button again (after a component was placed).
    void ResetSelectButton();
    void ComponentButtonClick(TppToolbarButton* Sender);
    /// Fired when the pressed component button changes.
    std::function<void(const QString& ClassName)> OnComponentButton;

    QList<TppColorButton*> ColorButtons() const { return m_colorButtons; }

private:
    struct Entry {
        QString name;
        QPointer<QWidget> widget;
        TppCustomToolWindowSkiffrow* bar = nullptr;
    };
    void createPaletteToolbars();
    void createFixedToolbars();
    TppToolbar* getPaletteToolbar(const QString& aPalette);
    void addComponentButton(const QString& aClassName);
    void removeComponentButton(const QString& aClassName);
    QStringList registryCopy() const;
    QString translatedPalette(const QString& aPalette) const;
    void addEntry(const QString& aName, QWidget* aWidget, TppCustomToolWindowSkiffrow* aBar);
    void removeEntry(QWidget* aWidget);

    QMainWindow* m_window;
    TppDock* m_docks[4] = {nullptr, nullptr, nullptr, nullptr};
    QStringList m_copy;
    QStringList m_hidden;
    QList<Entry> m_entries;
    QList<QPointer<TppToolbar>> m_paletteToolbars;
    QStringList m_paletteNames;
    QList<QPointer<QWidget>> m_fixed;
    QList<TppColorButton*> m_colorButtons;
    QList<QPointer<QWidget>> m_remembered;
    QMenu* m_menu;
    QPointer<TppToolbarButton> m_selectButton;
    QPointer<TppToolbarButton> m_componentButton;
    int m_languageIndex = 0;
};
