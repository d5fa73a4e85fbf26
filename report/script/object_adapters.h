#pragma once

// The general classes scripts may make and use: object lists (TList), string lists
// (TStrings, TStringList), graphics (TGraphic, TBitmap, TPicture) and fonts (the report
// font, known to scripts as TFont) with their adapters, and the folders their LoadFromFile
// and SaveToFile may reach.
//
// LoadFromFile and SaveToFile reach only allowed folders: the per-user script folder and
// the folders listed in the designer settings (script::SetScriptFolders). A path is checked
// after resolving symbolic links and ".."; any other path is a run failure naming it, and
// nothing is read, created or truncated.

#include "report/model/script_adapter.h"
#include "report/page/enum_type.h"

#include "platform/paint/picture.h"

#include <QImage>

#include <QList>
#include <QPointer>
#include <QStringList>

/// A list of strings, each with an optional object.
class TStrings : public TPersistent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TStrings(QObject* parent = nullptr) : TPersistent(parent) {}

    int Count() const { return int(m_strings.size()); }
    QString Strings(int aIndex) const;
    void SetStrings(int aIndex, const QString& aText);
    QObject* Objects(int aIndex) const;
    void SetObjects(int aIndex, QObject* aObject);
    QString Text() const;
    void SetText(const QString& aText);
    QString Names(int aIndex) const;
    QString Values(const QString& aName) const;
    void SetValues(const QString& aName, const QString& aValue);
    virtual int AddObject(const QString& aText, QObject* aObject);
    virtual void InsertObject(int aIndex, const QString& aText, QObject* aObject);
    void Delete(int aIndex);
    void Clear();
    void Exchange(int aIndex1, int aIndex2);
    void Move(int aCurIndex, int aNewIndex);
    virtual int IndexOf(const QString& aText) const;
    int IndexOfName(const QString& aName) const;
    int IndexOfObject(QObject* aObject) const;
    bool Equals(const TStrings* aOther) const;
    void Assign(TPersistent* Source) override;
    const QStringList& Lines() const { return m_strings; }

protected:
    /// An index outside the list: the run failure "List index out of bounds (<n>)".
    void checkIndex(int aIndex, int aCount) const;
    QStringList m_strings;
    QList<QPointer<QObject>> m_objects;
};

/// A string list that may keep itself sorted.
class TStringList : public TStrings {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TStringList(QObject* parent = nullptr) : TStrings(parent) {}
    bool Sorted() const { return m_sorted; }
    void SetSorted(bool aSorted);
    void Sort();
    /// Whether the list holds the string; aIndex receives its position (or where it would go
    /// in a sorted list).
    bool Find(const QString& aText, int& aIndex) const;
    int AddObject(const QString& aText, QObject* aObject) override;
    int IndexOf(const QString& aText) const override;

private:
    bool m_sorted = false;
};

/// A list of object references (guarded: a freed object reads as nil).
class TList : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TList(QObject* parent = nullptr) : QObject(parent) {}
    int Count() const { return int(m_items.size()); }
    QObject* Items(int aIndex) const;
    void SetItems(int aIndex, QObject* aObject);
    int Add(QObject* aObject);
    void Clear() { m_items.clear(); }
    void Delete(int aIndex);
    void Exchange(int aIndex1, int aIndex2);
    int IndexOf(QObject* aObject) const;
    void Insert(int aIndex, QObject* aObject);
    void Move(int aCurIndex, int aNewIndex);
    int Remove(QObject* aObject);

private:
    void checkIndex(int aIndex, int aCount) const;
    QList<QPointer<QObject>> m_items;
};

/// How a bitmap's transparent colour is chosen: its bottom-left pixel, or TransparentColor.
DOSSARA_REPORT_ENUM(TTransparentMode, tmAuto, tmFixed)

/// A picture of some kind: whether it holds one, whether it is drawn transparent, and its
/// files (the folder rule applies).
class TGraphic : public TPersistent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TGraphic(QObject* parent = nullptr) : TPersistent(parent) {}
    virtual bool Empty() const { return true; }
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool aValue) { m_transparent = aValue; }
    /// Reads a picture file (BMP, JPEG, PNG, ICO, GIF); a file that is not one is a run failure.
    virtual void LoadFromFile(const QString& aFileName);
    virtual void SaveToFile(const QString& aFileName) const;

private:
    bool m_transparent = false;
};

/// A bitmap: an image in memory.
class TBitmap : public TGraphic {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TBitmap(QObject* parent = nullptr) : TGraphic(parent) {}
    bool Empty() const override { return m_image.isNull(); }
    const QImage& Image() const { return m_image; }
    void SetImage(const QImage& aImage) { m_image = aImage; }
    int TransparentColor() const;
    void SetTransparentColor(int aColor);
    TTransparentMode TransparentMode() const { return m_mode; }
    void SetTransparentMode(TTransparentMode aMode) { m_mode = aMode; }
    void LoadFromFile(const QString& aFileName) override;
    /// Writes the image as a BMP file.
    void SaveToFile(const QString& aFileName) const override;
    void Assign(TPersistent* Source) override;

private:
    QImage m_image;
    TTransparentMode m_mode = TTransparentMode::tmAuto;
    int m_transparentColor = -1;  ///< -1 until set: the bottom-left pixel's colour
};

/// A picture as a report image holds it: the decoded image and the bytes it came from.
class TPicture : public TPersistent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TPicture(QObject* parent = nullptr) : TPersistent(parent) {}
    const paint::Picture& Picture() const { return m_picture; }
    void SetPicture(const paint::Picture& aPicture) { m_picture = aPicture; }
    bool Empty() const { return m_picture.Image().isNull(); }
    void LoadFromFile(const QString& aFileName);
    /// Writes the bytes the picture was read from, unchanged.
    void SaveToFile(const QString& aFileName) const;
    void Assign(TPersistent* Source) override;

private:
    paint::Picture m_picture;
};

/// Font styles as Booleans (Bold, Italic, Underline, Strikeout, Normal) over the report font.
class TraTFontRTTI : public TraTPersistentRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override;
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
    bool SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

class TraTGraphicRTTI : public TraTPersistentRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TGraphic::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const override;
    std::unique_ptr<TraParamList> GetParams(const QString& aName) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
    bool SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

class TraTBitmapRTTI : public TraTGraphicRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TBitmap::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
    bool SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

class TraTPictureRTTI : public TraTPersistentRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TPicture::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const override;
    std::unique_ptr<TraParamList> GetParams(const QString& aName) const override;
};

class TraTListRTTI : public TraTObjectRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TList::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const override;
    std::unique_ptr<TraParamList> GetParams(const QString& aName) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

class TraTStringsRTTI : public TraTPersistentRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TStrings::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const override;
    std::unique_ptr<TraParamList> GetParams(const QString& aName) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
    bool SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

class TraTStringListRTTI : public TraTStringsRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TStringList::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const override;
    std::unique_ptr<TraParamList> GetParams(const QString& aName) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
    bool SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

namespace script {

/// Registers the string list classes and their adapters (once; later calls do nothing).
void RegisterObjectAdapters();

/// The folders LoadFromFile and SaveToFile may reach: the per-user script folder first,
/// then the folders of the designer settings.
void SetScriptFolders(const QStringList& aFolders);
QStringList ScriptFolders();
/// The per-user script folder, then the folders the designer settings list (key
/// "ScriptFolders" of section "CodeManager" in the designer's settings file, separated by
/// ";"). Read when the first code module is made.
void LoadScriptFolders(const QString& aSettingsFile = QStringLiteral("Marlisk.ini"));
/// The path resolved (links and ".." followed; a file that does not exist yet by its
/// folder) when it lies inside an allowed folder; otherwise a run failure naming the path.
QString CheckedScriptPath(const QString& aPath);

}  // namespace script
