#include "platform/paint/font_resolver.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>

#include <cstdlib>

namespace paint {

namespace {

struct FaceRow {
    const char* face;
    const char* metricCompatible;  ///< nullptr: none packaged
    FontKind kind;
};

// Windows faces that forms and templates name, with their metric-compatible stand-ins.
constexpr FaceRow kFaces[] = {
    {"Arial", "Liberation Sans", FontKind::Sans},
    {"Helvetica", "Liberation Sans", FontKind::Sans},
    {"Times New Roman", "Liberation Serif", FontKind::Serif},
    {"Times", "Liberation Serif", FontKind::Serif},
    {"Courier New", "Liberation Mono", FontKind::Mono},
    {"Courier", "Liberation Mono", FontKind::Mono},
    {"MS Sans Serif", nullptr, FontKind::Sans},
    {"Microsoft Sans Serif", nullptr, FontKind::Sans},
    {"Small Fonts", nullptr, FontKind::Sans},
    {"System", nullptr, FontKind::Sans},
    {"Modern", nullptr, FontKind::Sans},
    {"Tahoma", nullptr, FontKind::Sans},
    {"Verdana", nullptr, FontKind::Sans},
    {"Segoe UI", nullptr, FontKind::Sans},
    {"MS Serif", nullptr, FontKind::Serif},
    {"Roman", nullptr, FontKind::Serif},
    {"Georgia", nullptr, FontKind::Serif},
    {"Book Antiqua", nullptr, FontKind::Serif},
    {"Fixedsys", nullptr, FontKind::Mono},
    {"Terminal", nullptr, FontKind::Mono},
    {"Lucida Console", nullptr, FontKind::Mono},
    {"Consolas", nullptr, FontKind::Mono},
    {"Symbol", nullptr, FontKind::Symbol},
    {"Wingdings", nullptr, FontKind::Symbol},
    {"Marlett", nullptr, FontKind::Symbol},
};

const FaceRow* findFace(const QString& faceName) {
    const QString name = faceName.trimmed();
    for (const FaceRow& row : kFaces)
        if (name.compare(QLatin1String(row.face), Qt::CaseInsensitive) == 0) return &row;
    return nullptr;
}

QFont::StyleHint hintOf(FontKind kind) {
    switch (kind) {
    case FontKind::Sans: return QFont::SansSerif;
    case FontKind::Serif: return QFont::Serif;
    case FontKind::Mono: return QFont::Monospace;
    case FontKind::Symbol:
    case FontKind::Unknown: break;
    }
    return QFont::AnyStyle;
}

QString resolve(const QString& faceName) {
    const FaceRow* row = findFace(faceName);
    if (row && row->metricCompatible && QFontDatabase::hasFamily(QString::fromLatin1(row->metricCompatible)))
        return QString::fromLatin1(row->metricCompatible);
    if (!faceName.trimmed().isEmpty() && QFontDatabase::hasFamily(faceName.trimmed())) return faceName.trimmed();
    QFont probe(faceName.trimmed());
    const FontKind kind = row ? row->kind : FontKind::Unknown;
    probe.setStyleHint(hintOf(kind));
    if (kind == FontKind::Mono) probe.setFixedPitch(true);
    return QFontInfo(probe).family();
}

}  // namespace

FontKind KindOfFace(const QString& faceName) {
    const FaceRow* row = findFace(faceName);
    return row ? row->kind : FontKind::Unknown;
}

QString InstalledFamily(const QString& faceName) {
    static QMutex mutex;
    static QHash<QString, QString> cache;
    const QString key = faceName.trimmed().toCaseFolded();
    {
        QMutexLocker lock(&mutex);
        auto it = cache.constFind(key);
        if (it != cache.constEnd()) return *it;
    }
    const QString family = resolve(faceName);
    QMutexLocker lock(&mutex);
    cache.insert(key, family);
    return family;
}

QFont LayoutFont(const Font& font) {
    QFont f(InstalledFamily(font.Name));
    f.setPixelSize(std::max(1, std::abs(font.Size)) * kLayoutUnitsPerInch / 72);
    f.setBold(font.Style.Contains(TFontStyle::fsBold));
    f.setItalic(font.Style.Contains(TFontStyle::fsItalic));
    f.setUnderline(font.Style.Contains(TFontStyle::fsUnderline));
    f.setStrikeOut(font.Style.Contains(TFontStyle::fsStrikeOut));
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    if (font.Pitch == TFontPitch::fpFixed) f.setFixedPitch(true);
    return f;
}

}  // namespace paint
