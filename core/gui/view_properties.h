#pragma once

#include "core/view_def.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class TViewControl;

/// "View Properties": the View-level settings of one View's definition (name, icon, start-up
/// and search options, floating position, docking, colours, title, note position and docked
/// height). Only the in-memory definition changes; saving the customisation writes it.
///
/// `m_modified` follows the user's changes (not those made while loading); OK runs the
/// checks in order and writes the definition; the close box with changes asks whether to
/// save them.
class TViewProperties : public QDialog {
    Q_OBJECT
public:
    TViewProperties(TViewControl& views, int view, QWidget* parent = nullptr);

    bool Modified() const { return m_modified; }
    /// The checks of OK and the writing; true when the definition was written.
    bool SaveViewProperties();

    /// The docked note's height as the dialog shows it: stored / 1000 as a decimal number.
    static QString DockHeightText(int stored);
    /// The stored docked height of a typed percentage (times 1000, fraction cut off), or
    /// nullopt when the text is empty, not a number or outside 0 to 100.
    static std::optional<int> DockHeightOfText(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void load();
    void setModified();
    bool fail(QWidget* page, QWidget* control, const QString& text, int help);
    void colourClick(QPushButton* panel, core::ColorCode& code);
    void IconDblClick();
    void paintColours();

    TViewControl& m_views;
    int m_view;
    int m_glyphIndex = 0;
    core::ColorCode m_formColor = core::kClBtnFace;
    core::ColorCode m_noteColor = core::kClBtnFace;
    core::ColorCode m_titleFG = core::kClYellow;
    core::ColorCode m_titleBG = core::kClBtnFace;
    bool m_modified = false;
    bool m_loading = true;

public:
    QTabWidget* PageControl;
    QWidget* BasicsPage;
    QWidget* ViewOptionsPage;
    QWidget* NoteOptionsPage;
    QWidget* DataPage;
    QLineEdit* VP_Name;
    QLabel* VP_Icon;
    QCheckBox* VP_OpenViewOnStart;
    QCheckBox* VP_OpenNotesOnStart;
    QCheckBox* VP_Searchable;
    QLineEdit* VP_ViewTop;
    QLineEdit* VP_ViewLeft;
    QLineEdit* VP_ViewHeight;
    QLineEdit* VP_ViewWidth;
    QCheckBox* VP_DockViewOnShow;
    QPushButton* VP_FormColor;
    QCheckBox* VP_ShowTitle;
    QLabel* TitleColorCaption;
    QPushButton* VP_TitleColorFG;
    QPushButton* VP_TitleColorBG;
    QLineEdit* VP_NoteTop;
    QLineEdit* VP_NoteLeft;
    QLineEdit* VP_NoteHeight;
    QLineEdit* VP_NoteWidth;
    QCheckBox* VP_DockNoteOnShow;
    QLineEdit* VP_NoteDockHeight;
    QPushButton* VP_NoteColor;
    QLineEdit* DataTableEdit;
    QLineEdit* DictTableEdit;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QPushButton* HelpBtn;
};

namespace core {

/// Opens the View properties modally; after OK the open View window takes the definition
/// (CustomizeHooks::RefreshViewWindow). True when it closed with OK.
bool ShowViewProperties(TViewControl& views, int view, QWidget* parent = nullptr);

}  // namespace core
