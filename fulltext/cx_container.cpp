#include "fulltext/cx_container.h"

#include "fulltext/cx_strings.h"

#include <QFile>
#include <QHash>
#include <QMutex>

namespace {

int raiseCompareUnset(fulltext::CxData, fulltext::CxData) {
    throw ECxContainerError(51);
}

QMutex& classMutex() {
    static QMutex m;
    return m;
}

QHash<QString, QString>& classes() {
    static QHash<QString, QString> c{
        {QStringLiteral("TCxNode"), QString()},
        {QStringLiteral("TCxContainer"), QString()},
        {QStringLiteral("TCxDictNode"), QStringLiteral("TCxNode")},
        {QStringLiteral("TCxDictionary"), QStringLiteral("TCxContainer")},
        {QStringLiteral("TCxBits"), QStringLiteral("TCxContainer")},
    };
    return c;
}

}  // namespace

TCxContainer::TCxContainer() : CompareProc(&raiseCompareUnset) {}

TCxContainer::~TCxContainer() = default;

int TCxContainer::DoCompare(fulltext::CxData a, fulltext::CxData b) {
    if (OnCompare) return OnCompare(a, b);
    if (CompareProc) return CompareProc(a, b);
    return 0;
}

void TCxContainer::DoDisposeData(fulltext::CxData data) {
    if (OnDisposeData) OnDisposeData(data);
    else if (DisposeProc) DisposeProc(data);
}

fulltext::CxData TCxContainer::DoLoadData(stream::ValueReader& reader) {
    if (OnLoadData) return OnLoadData(reader);
    if (LoadDataProc) return LoadDataProc(reader);
    throw ECxContainerError(60);
}

void TCxContainer::DoStoreData(stream::ValueWriter& writer, fulltext::CxData data) {
    if (OnStoreData) OnStoreData(writer, data);
    else if (StoreDataProc) StoreDataProc(writer, data);
    else throw ECxContainerError(59);
}

void TCxContainer::LoadFromStream(QIODevice&) {}
void TCxContainer::StoreToStream(QIODevice&) {}

void TCxContainer::LoadFromFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw ECxException(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()),
                           fulltext::cxFileOpen);
    LoadFromStream(file);
}

void TCxContainer::StoreToFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw ECxException(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file.errorString()),
                           fulltext::cxFileCreate);
    StoreToStream(file);
    if (!file.flush())
        throw ECxException(QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, file.errorString()),
                           fulltext::cxFileWrite);
}

namespace fulltext {

void RegisterCxClass(const QString& className, const QString& baseClassName) {
    QMutexLocker lock(&classMutex());
    classes().insert(className, baseClassName);
}

bool IsCxClassRegistered(const QString& className) {
    QMutexLocker lock(&classMutex());
    return classes().contains(className);
}

bool CxClassInheritsFrom(const QString& className, const QString& ancestorName) {
    QMutexLocker lock(&classMutex());
    QString name = className;
    for (int depth = 0; depth < 64 && !name.isEmpty(); ++depth) {
        if (name == ancestorName) return true;
        const auto it = classes().constFind(name);
        if (it == classes().constEnd()) return false;
        name = *it;
    }
    return false;
}

}  // namespace fulltext
