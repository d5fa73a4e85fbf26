#pragma once

#include "report/model/custom_component.h"

#include <vector>

class TppGroup;

/// A one-piece text: alignment, auto-size, word wrap, a display format, an OnGetText hook
/// and membership in its band's list of texts exported by the text-file device (Save,
/// SaveOrder, SaveLength). Groups that break on the text are told when its Name changes.
class TppCustomText : public TppCustomComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppCustomText(TComponent* AOwner = nullptr);
    ~TppCustomText() override;

    /// The text before OnGetText; Text here.
    virtual QString GetValueText() const { return Text(); }
    virtual void SetDisplayFormat(const QString& aFormat);
    QString GetText() const override;
    QString GetDescription() const override { return UserName() + QStringLiteral(": ") + Text(); }
    bool IsSaved() const override { return m_save; }
    int StoredSaveOrder() const override { return m_storedSaveOrder; }

    bool CharWrap() const { return m_charWrap; }
    void SetCharWrap(bool v);
    QString DisplayFormat() const { return m_displayFormat; }
    bool Save() const { return m_save; }
    void SetSave(bool v);
    /// The position in the band's export list, -1 without band.
    int SaveOrder() const;
    void SetSaveOrder(int v);
    int SaveLength() const { return m_saveLength; }
    void SetSaveLength(int v);
    TppGetTextEvent OnGetText;
    QString OnGetTextName;

    // Groups breaking on this text.
    void AddGroup(TppGroup* aGroup);
    void RemoveGroup(TppGroup* aGroup);
    int GroupCount() const { return int(m_groups.size()); }

    void SetName(const QString& aName) override;
    /// Text, font, alignment, colour and the export fields; wrapped lines with WordWrap.
    void PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) override;
    const stream::PropertyList& StreamProperties() const override;

private:
    bool m_charWrap = false;
    QString m_displayFormat;
    bool m_save = false;
    int m_storedSaveOrder = -1;
    int m_saveLength = 0;
    std::vector<TppGroup*> m_groups;  ///< each group unregisters itself before it is freed
};

/// A fixed caption.
class TppLabel : public TppCustomText {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppLabel(TComponent* AOwner = nullptr);
    QString Caption() const { return Text(); }
    void SetCaption(const QString& aCaption) { SetText(aCaption); }
    /// The caption follows the user name while it equals it.
    void SetUserName(const QString& aName) override;
    const stream::PropertyList& StreamProperties() const override;
};

/// The formatted value of a pipeline field, with suppression of repeated values.
class TppDBText : public TppCustomText {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDBText(TComponent* AOwner = nullptr);

    bool IsDataAware() const override { return true; }
    bool HasComputeState() const override { return true; }
    int CacheRecordSize() const override { return 12; }
    QString GetValueText() const override;
    QString GetDescription() const override;

    bool BlankWhenZero() const { return m_blankWhenZero; }
    void SetBlankWhenZero(bool v);
    bool ReprintOnSubsequent() const { return m_reprintOnSubsequent; }
    void SetReprintOnSubsequent(bool v);
    bool SuppressRepeatedValues() const { return m_suppressRepeatedValues; }
    void SetSuppressRepeatedValues(bool v);
    TppFormatEvent OnFormat;
    QString OnFormatName;

    const stream::PropertyList& StreamProperties() const override;

private:
    bool m_blankWhenZero = false;
    bool m_reprintOnSubsequent = false;
    bool m_suppressRepeatedValues = false;
};
