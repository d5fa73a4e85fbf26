#pragma once

// Script adapters of the rich-text components.

#include "report/model/report_adapters.h"
#include "report/model/rich_text.h"

/// Rich text: the methods FindText (SearchStr, StartPos, Length, Options; Result the
/// position, -1 when not found), LoadFromFile, LoadFromRTFStream, SaveToFile and
/// SaveToRTFStream (a stream, TStream or TMemoryStream to older scripts, is a QIODevice
/// object), listed; EndCharPos, StartCharPos,
/// RichTextStream, Paragraph and SelAttributes (read-only; the last two are objects whose
/// published properties scripts read and write), RichText, SelLength, SelStart, SelText and
/// PlainText, reached by name. Every other name goes to its parent adapter.
class TraTppCustomRichTextRTTI : public TraTppStretchableRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TppCustomRichText::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const override;
    std::unique_ptr<TraParamList> GetParams(const QString& aName) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
    bool SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

/// The data rich text adds AutoDisplay (read and write, through its setter).
class TraTppDBRichTextRTTI : public TraTppCustomRichTextRTTI {
    Q_OBJECT
public:
    TClass RefClass() const override { return &TppDBRichText::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
    bool SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

namespace report {
/// Registers and unregisters the two rich-text adapters (with the printable's).
void RegisterRichTextAdapters();
void UnRegisterRichTextAdapters();
}  // namespace report
