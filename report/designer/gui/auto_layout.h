#pragma once

// Laying out the components made for fields dropped from the data tree on a band: a label
// and a data component per field (either may be left out), each optionally in a box, in a
// row (tabular: labels side by side with the data components in a row below them, moved to
// the next band when the labels' band is too low) or in a column (vertical: a label and its
// data component per row, both on the row's bottom). Positions are screen pixels within the
// band. TppAutoLayoutManager is the Layout page of the data tree window that edits the
// settings and shows a preview picture.

#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;
class QWidget;
class TppComponent;
class TppFont;
class TppFontButton;

class TppAutoLayout {
public:
    TppAutoLayout(int aX, int aY) : m_x(aX), m_y(aY) {}
    virtual ~TppAutoLayout() = default;

    // Virtual operations in slot order.
    /// Places the first label; answers its position.
    virtual QPoint StartLabels() = 0;
    virtual QPoint StartFields() = 0;
    virtual void Arrange() = 0;

    /// The lists, index by index in step (a list is empty when its kind is not made).
    QList<TppComponent*> Labels, LabelBoxes, Fields, FieldBoxes;

    bool HasLabels() const { return !Labels.isEmpty(); }
    bool HasFields() const { return !Fields.isEmpty(); }
    bool HasLabelBoxes() const { return !LabelBoxes.isEmpty(); }
    bool HasFieldBoxes() const { return !FieldBoxes.isEmpty(); }
    int Count() const { return HasFields() ? int(Fields.size()) : int(Labels.size()); }

protected:
    int m_x, m_y;
    QPoint m_nextLabel, m_nextField;
};

class TppAutoLayoutTabular : public TppAutoLayout {
public:
    using TppAutoLayout::TppAutoLayout;
    QPoint StartLabels() override;
    QPoint StartFields() override;
    void Arrange() override;

private:
    int m_labelBandWidth = 0;
    int m_fieldBandWidth = 0;
};

class TppAutoLayoutVertical : public TppAutoLayout {
public:
    using TppAutoLayout::TppAutoLayout;
    QPoint StartLabels() override;
    QPoint StartFields() override;
    void Arrange() override;

private:
    int rowHeight(int aIndex) const;
    int fieldColumnWidth() const;
};

/// The controls of the data tree window's Layout page.
class TppAutoLayoutManager : public QObject {
    Q_OBJECT
public:
    TppAutoLayoutManager(QObject* aWindow, QWidget* aPage);
    ~TppAutoLayoutManager() override;

    bool CreateFields() const;
    bool CreateLabels() const;
    bool LabelGrid() const;
    bool FieldGrid() const;
    TppFont* LabelFont() const;
    TppFont* FieldFont() const;
    /// True when the style box shows "Tabular".
    bool LayoutType() const;

    void SetLayoutType(int aValue);
    void SetLabelGrid(bool aValue);
    void SetFieldGrid(bool aValue);
    void SetLabelFont(const TppFont* aFont);
    void SetFieldFont(const TppFont* aFont);
    void SetCreateLabels(bool aValue);
    void SetCreateFields(bool aValue);
    void LanguageChanged(int aLanguageIndex);
    /// Enables the label and field controls for what is created.
    void UpdateEnabled();
    /// Draws the preview picture and fires OnChange.
    void DrawPreview();
    QImage Preview() const;

    std::function<void(QObject* Sender)> OnChange;

private:
    QWidget* m_page;
    QLabel* m_createCaption;
    QRadioButton *m_all, *m_labels, *m_fields;
    QLabel* m_styleCaption;
    QComboBox* m_style;
    QLabel *m_labelsCaption, *m_fieldsCaption;
    QLabel *m_labelFontCaption, *m_fieldFontCaption;
    TppFontButton *m_labelFont, *m_fieldFont;
    QCheckBox *m_labelGrid, *m_fieldGrid;
    QLabel* m_preview;
    bool m_loading = false;
};
