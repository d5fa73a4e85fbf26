#include "report/model/report_utils.h"

#include <QCoreApplication>

#include "report/page/units.h"

#include "platform/paint/text_metrics.h"

#include <QDir>
#include <QGuiApplication>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QPaintDevice>
#include <QScreen>
#include <QTemporaryFile>

#include <algorithm>
#include <cmath>

namespace {

std::optional<QMetaProperty> findProperty(const QObject* o, const QString& name) {
    if (!o) return std::nullopt;
    const QMetaObject* mo = o->metaObject();
    for (int i = QObject::staticMetaObject.propertyCount(); i < mo->propertyCount(); ++i)
        if (name.compare(QLatin1String(mo->property(i).name()), Qt::CaseInsensitive) == 0) return mo->property(i);
    return std::nullopt;
}

}  // namespace

bool ppHasProperty(const QObject* aObject, const QString& aName) { return findProperty(aObject, aName).has_value(); }

int ppGetOrdPropValue(const QObject* aObject, const QString& aName) {
    const auto p = findProperty(aObject, aName);
    if (!p) return 0;
    const QVariant v = p->read(aObject);
    if (v.metaType().id() == QMetaType::QChar) return v.toChar().unicode();
    return v.toInt();
}

QString ppGetStrPropValue(const QObject* aObject, const QString& aName) {
    const auto p = findProperty(aObject, aName);
    return p ? p->read(aObject).toString() : QString();
}

void ppSetOrdPropValue(QObject* aObject, const QString& aName, int aValue) {
    const auto p = findProperty(aObject, aName);
    if (!p) return;
    QVariant v(aValue);
    if (p->metaType().id() == QMetaType::Bool) v = QVariant(aValue != 0);
    else if (v.canConvert(p->metaType())) v.convert(p->metaType());
    p->write(aObject, v);
}

void ppSetStrPropValue(QObject* aObject, const QString& aName, const QString& aValue) {
    const auto p = findProperty(aObject, aName);
    if (p) p->write(aObject, aValue);
}

void ppSetMethodPropValue(QObject* aObject, const QString& aName, const TMethod& aMethod) {
    const auto p = findProperty(aObject, aName);
    if (p && p->metaType() == QMetaType::fromType<TMethod>()) p->write(aObject, QVariant::fromValue(aMethod));
}

TMethod ppMakeMethod(QObject* aObject, const QString& aMethodName) {
    if (!aObject) return {};
    const QMetaObject* mo = aObject->metaObject();
    for (int i = QObject::staticMetaObject.methodCount(); i < mo->methodCount(); ++i) {
        const QMetaMethod m = mo->method(i);
        if (m.methodType() == QMetaMethod::Signal || m.access() != QMetaMethod::Public) continue;
        if (aMethodName.compare(QLatin1String(m.name()), Qt::CaseInsensitive) == 0) return TMethod{aObject, m.name()};
    }
    return {};
}

QString ppGetEnumName(const report::EnumType& aTypeInfo, int aValue) { return aTypeInfo.values.value(aValue); }

void ppGetEnumNames(const report::EnumType& aTypeInfo, QStringList& aList) {
    aList.clear();
    aList << aTypeInfo.values;
}

int ppEnumNameToOrdinal(const report::EnumType& aTypeInfo, const QString& aName) {
    for (qsizetype i = 0; i < aTypeInfo.values.size(); ++i)
        if (aTypeInfo.values.at(i).compare(aName, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

QString ppGetClassBaseName(const QObject* aComponent) {
    return aComponent ? QString::fromLatin1(aComponent->metaObject()->className()).mid(1) : QString();
}

QString ppGetClassShortName(const QObject* aComponent) {
    return aComponent ? QString::fromLatin1(aComponent->metaObject()->className()).mid(3) : QString();
}

void ppGetUniqueName(const QObject* aRoot, const QString& aBaseName, const QObject* aComponent, QString& aName) {
    QStringList used;
    if (aRoot) {
        const QMetaObject* cls = aComponent ? aComponent->metaObject() : nullptr;
        for (const QObject* child : aRoot->findChildren<QObject*>(Qt::FindDirectChildrenOnly)) {
            if (child == aComponent) continue;
            if (cls && !report::InheritsFrom(child->metaObject(), cls)) continue;
            const QString name = child->objectName();
            if (!name.startsWith(aBaseName, Qt::CaseSensitive)) continue;
            const QString rest = name.mid(aBaseName.size());
            if (rest.isEmpty() || !std::all_of(rest.begin(), rest.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
                continue;
            bool ok = false;
            const int n = rest.toInt(&ok);
            if (ok && n > 0) used << QStringLiteral("%1").arg(n, 8);
        }
    }
    used.sort();
    int n = int(used.size()) + 1;
    for (qsizetype i = 0; i < used.size(); ++i) {
        if (used.at(i).trimmed().toInt() != i + 1) {
            n = int(i) + 1;
            break;
        }
    }
    aName = aBaseName + QString::number(n);
}

TppVarType ppCalcTypeToVarType(TppCalcType aCalcType) {
    const int ordinal = static_cast<int>(aCalcType);
    if (ordinal >= 1 && ordinal <= 8) return static_cast<TppVarType>(ordinal);
    return TppVarType::vtDate;
}

int ppVarEventTypeToEventID(TppVarEventType aEventType) {
    static const int ids[] = {35, 39, 21, 17, 19, 15, 13, 14, 28, 27, 29, 30};
    const int i = static_cast<int>(aEventType);
    return i >= 0 && i < int(std::size(ids)) ? ids[i] : -1;
}

double ppGetFitScale(int aSourceWidth, int aSourceHeight, int aTargetWidth, int aTargetHeight) {
    if (aSourceWidth <= 0 || aSourceHeight <= 0) return 0;
    return std::min(double(aTargetWidth) / aSourceWidth, double(aTargetHeight) / aSourceHeight);
}

void ppStretchDrawDIB(paint::Canvas& aCanvas, const QRect& aRect, const QImage& aBitmap) {
    aCanvas.StretchDraw(QRectF(aRect.left(), aRect.top(), aRect.width(), aRect.height()), aBitmap);
}

void ppDrawBitmapOnPrinter(paint::Canvas& aCanvas, const QRect& aRect, const QImage& aBitmap) {
    aCanvas.StretchDrawTransparent(QRectF(aRect.left(), aRect.top(), aRect.width(), aRect.height()), aBitmap,
                                   paint::clWhite);
}

QSize ppGetScreenResolution() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (const QScreen* screen = QGuiApplication::primaryScreen()) return screen->size();
    return QSize(1024, 768);
}

int ppGetTextWidth(const paint::Font& aFont, const QString& aText) {
    const int ppi = report::ScreenPixelsPerInch();
    return int(std::lround(paint::TextMetrics(aFont, ppi, ppi).TextWidth(aText)));
}

int ppGetTextHeight(const paint::Font& aFont, const QString& aText) {
    Q_UNUSED(aText);
    const int ppi = report::ScreenPixelsPerInch();
    return int(std::lround(paint::TextMetrics(aFont, ppi, ppi).Height()));
}

TppDeviceCompatibleCanvas::TppDeviceCompatibleCanvas(const QPaintDevice& aTarget, int aWidth, int aHeight)
    : m_image(std::max(1, aWidth), std::max(1, aHeight), QImage::Format_RGB32) {
    m_image.setDotsPerMeterX(int(std::lround(aTarget.logicalDpiX() / 0.0254)));
    m_image.setDotsPerMeterY(int(std::lround(aTarget.logicalDpiY() / 0.0254)));
    m_image.fill(Qt::white);
    m_painter = std::make_unique<QPainter>(&m_image);
    m_canvas = std::make_unique<paint::Canvas>(*m_painter, aTarget.logicalDpiX(), aTarget.logicalDpiY());
}

TppDeviceCompatibleCanvas::~TppDeviceCompatibleCanvas() {
    m_canvas.reset();
    m_painter.reset();
}

void TppDeviceCompatibleCanvas::DrawToDevice(QPainter& aTarget, const QRect& aRect) {
    m_painter->end();
    aTarget.drawImage(aRect, m_image);
    m_painter->begin(&m_image);
}

ui::Button ppMessageDlg(const QString& aCaption, const QString& aMessage, ui::MessageKind aDlgType,
                        ui::Buttons aButtons) {
    ui::MessageRequest request;
    request.text = aMessage;
    request.caption = aCaption;
    request.kind = aDlgType == ui::MessageKind::Custom ? ui::MessageKind::Error : aDlgType;
    request.buttons = aButtons;
    return ui::Dialogs().Message(request);
}

QString ppGetTempPath() { return QDir::tempPath() + QLatin1Char('/'); }

QString ppGetTempFileName(const QString& aFolder, const QString& aPrefix) {
    QTemporaryFile file(QDir(aFolder).filePath(aPrefix.left(3) + QStringLiteral("XXXXXX.tmp")));
    file.setAutoRemove(false);
    if (!file.open()) return QString();
    return file.fileName();
}

QString ppGetIDERootDir() {
    // The program's own folder: help files live in its Help folder.
    if (!QCoreApplication::instance()) return QString();
    return QCoreApplication::applicationDirPath() + QLatin1Char('/');
}
