#pragma once

#include "core/view_def.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class TViewControl;

namespace core {
class ViewTables;
}

/// "Field & Label Properties": defines a new field of a View or changes an existing one in
/// the in-memory definition (nothing is written to the database here). A change that needs
/// the View table restructured (a stored column given another name, type or length) marks
/// the field so that saving the customisation carries its data over.
///
/// States: loading (controls being filled; handlers change nothing but controls), editing
/// (`m_modified` follows the user's changes), written (OK passed every check and the
/// definition was written; the dialog is accepted). Each data-loss warning (length, type,
/// mask) is asked at most once while the dialog is open.
class TFieldProperties : public QDialog {
    Q_OBJECT
public:
    /// With `isNew` a new field of the tool letter `typeLetter` ("S" edit field, "B" check
    /// box) placed at (top, left); otherwise field `field` of the View.
    TFieldProperties(TViewControl& views, core::ViewTables& tables, int view, int field, int top, int left,
                     QChar typeLetter, bool isNew, QWidget* parent = nullptr);

    /// Index of the field written (a new field's new index); -1 after "No" to the closing
    /// question; otherwise the index the dialog was given.
    int ResultField() const { return m_resultField; }
    bool Modified() const { return m_modified; }

    /// The checks and the writing of OK; true when the definition was written.
    bool SaveFieldProperties();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void loadNew();
    void loadExisting();
    void TypeChange();
    void applyLabelRules();
    void applyMaskRules();
    void basicToAdvanced();
    void refreshSample();
    void calcWidth();
    void setModified();
    QChar typeLetter() const;
    bool fail(QWidget* page, QWidget* control, const QString& text, int help);
    void colourPanelClick(QPushButton* panel, int which);
    void paintPanels();

    TViewControl& m_views;
    core::ViewTables& m_tables;
    int m_view;
    int m_field;
    bool m_isNew;
    QChar m_tool;
    int m_placedTop;
    int m_placedLeft;
    int m_resultField;

    core::FieldFont m_fonts[4];       ///< normal, changed, error, label
    core::ColorCode m_colours[4] = {core::kClWindow, core::kClYellow, core::kClRed, core::kClBtnFace};
    bool m_modified = false;
    bool m_loading = true;
    bool m_askedType = false;
    bool m_askedLength = false;
    bool m_askedMask = false;
    bool m_lengthAccepted = false;
    bool m_typeAccepted = false;
    bool m_maskAccepted = false;
    QString m_storedName;
    QChar m_storedType;
    int m_storedLength = 0;
    QString m_storedMask;
    bool m_storedMaskLiteral = false;
    bool m_isColumn = false;   ///< the field is a column of the View table
    int m_previousType = 0;
    QString m_rememberedMask;

public:
    // ---- controls (named as the user sees them) ----
    QTabWidget* PageControl;
    QWidget* BasicsPage;
    QWidget* FieldOptionsPage;
    QWidget* LabelOptionsPage;
    QLineEdit* FP_Top;
    QLineEdit* FP_Left;
    QLineEdit* FP_Height;
    QLineEdit* FP_Width;
    QPushButton* CalcWidthBtn;
    QCheckBox* FP_NoLabel;
    QWidget* LabelPanel;
    QLineEdit* FP_LabelCaption;
    QGroupBox* FP_BasicPosition;
    QButtonGroup* m_basic;
    QLabel* BasicSetElsewhere;
    QLineEdit* FP_FieldName;
    QComboBox* FP_Type;
    QLineEdit* FP_Length;
    QCheckBox* FP_ShowHint;
    QLineEdit* FP_Hint;
    QStackedWidget* TypeOptions;
    QLineEdit* FP_Mask;
    QPushButton* MaskBuilderBtn;
    QCheckBox* FP_MaskLiteral;
    QCheckBox* FP_MaskInHint;
    QButtonGroup* m_checkAlign;
    QCheckBox* FP_LongDateHint;
    QCheckBox* FP_DateFormatHint;
    QPushButton* NormalPanel;
    QPushButton* ChangedPanel;
    QPushButton* ErrorPanel;
    QLineEdit* FP_CaptionCopy;
    QPushButton* LabelColorPanel;
    QCheckBox* FP_UseBasic;
    QWidget* AdvancedPanel;
    QComboBox* FP_Relative;
    QComboBox* FP_Align;
    QLineEdit* FP_LabelTop;
    QLineEdit* FP_LabelLeft;
    QLineEdit* FP_LabelHeight;
    QLineEdit* FP_LabelWidth;
    QComboBox* SampleState;
    QLineEdit* SampleEdit;
    QLabel* SampleLabels[4];
    QCheckBox* SampleCheck;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QPushButton* HelpBtn;
};

namespace core {

/// Opens the field properties editor modally (see TFieldProperties); after OK the field's
/// controls are rebuilt without their value (CustomizeHooks::RebuildFieldControl).
int ShowFieldProperties(TViewControl& views, ViewTables& tables, int view, int field, int top, int left,
                        QChar typeLetter, bool isNew, QWidget* parent = nullptr);

/// The label rectangle of a field as the label placement rule puts it: with the exact
/// position (not basic, relative 4) the stored LabelPosition; otherwise sized to the
/// caption in the label font and placed above, below, left or right of the field with the
/// alignment.
ViewRect CalcLabelBounds(const TViewFieldDef& field);

}  // namespace core
