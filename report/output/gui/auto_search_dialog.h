#pragma once

#include "report/output/gui/form.h"

#include <QFrame>

#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollArea;
class QVBoxLayout;
class TppAutoSearchField;

/// One criterion of the search dialog: the sentence "Show all data where the <field>
/// <operator>", the value controls of its operator (one edit box, two for a range, or a value
/// list), a "Show all values" box for criteria that are not mandatory, and an error line.
class TppAutoSearchPanel : public QFrame {
    Q_OBJECT
public:
    TppAutoSearchPanel(TppAutoSearchField* aField, bool aFirst, QWidget* aParent);

    TppAutoSearchField* Field() const { return m_field; }
    /// Checks the values and stores them in the criterion; false (with the error shown) when
    /// a value is wrong or a mandatory value is missing.
    bool Apply();
    /// The text that a value check refuses; empty when the value is good.
    static QString CheckValue(const TppAutoSearchField& aField, const QString& aValue);

    QCheckBox* chkShowAll;
    QLabel* lblError;
    QLineEdit* edtValue = nullptr;
    QLineEdit* edtValue2 = nullptr;
    QListWidget* lstValues = nullptr;

private:
    enum Kind { Simple, Between, InList, Blank };
    void updateEnabled();
    bool fail(const QString& aText);
    void addToList();
    void removeFromList();

    TppAutoSearchField* m_field;
    Kind m_kind = Simple;
};

/// The default search dialog: one panel per criterion in a scrolling column, OK and Cancel,
/// and the note on mandatory values when any criterion is mandatory.
class TppAutoSearchDialog : public TppForm, public TppCustomAutoSearchDialog {
    Q_OBJECT
public:
    explicit TppAutoSearchDialog(QObject* aOwner = nullptr);
    ~TppAutoSearchDialog() override;

    void Init() override;
    void LanguageChanged() override;

    const std::vector<TppAutoSearchPanel*>& Panels() const { return m_panels; }

    QScrollArea* ScrollBox;
    QLabel* lblMandatory;
    QPushButton* btnOK;
    QPushButton* btnCancel;

private:
    void okClicked();
    std::vector<TppAutoSearchPanel*> m_panels;
    QVBoxLayout* m_column = nullptr;
    bool m_initialized = false;
};
