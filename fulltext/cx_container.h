#pragma once

#include <QString>

class QIODevice;

namespace stream {
class ValueReader;
class ValueWriter;
}  // namespace stream

#include <cstdint>
#include <functional>

namespace fulltext {
/// The value a container keeps per entry: an integer or an object reference, the
/// container's owner decides which (and disposes of it through the dispose operation).
using CxData = std::intptr_t;
}  // namespace fulltext

/// One entry of a container.
class TCxNode {
public:
    explicit TCxNode(fulltext::CxData data) : Data(data) {}
    virtual ~TCxNode() = default;

    fulltext::CxData Data;
};

/// Base of the library's containers: an entry count and four customisable operations on the
/// entries' data, each settable as an event (a bound function) and as a plain routine; the
/// event wins when both are set.
/// - compare: the plain routine is preset to one that raises ECxContainerError 51;
///   with both cleared DoCompare answers 0.
/// - dispose: with neither set nothing happens to the data.
/// - load and store (one entry's data from / to a component stream): with neither set
///   loading raises ECxContainerError 60 and storing 59.
/// Each descendant empties itself in its own destructor.
class TCxContainer {
public:
    using TCompareEvent = std::function<int(fulltext::CxData, fulltext::CxData)>;
    using TCompareProc = int (*)(fulltext::CxData, fulltext::CxData);
    using TDisposeEvent = std::function<void(fulltext::CxData)>;
    using TDisposeProc = void (*)(fulltext::CxData);

    TCxContainer();
    virtual ~TCxContainer();

    TCxContainer(const TCxContainer&) = delete;
    TCxContainer& operator=(const TCxContainer&) = delete;

    /// Class name as registered with the container class registry.
    virtual QString ClassName() const { return QStringLiteral("TCxContainer"); }
    virtual QString NodeClassName() const { return QStringLiteral("TCxNode"); }

    /// Number of entries.
    int Count() const { return m_count; }

    TCompareEvent OnCompare;
    TCompareProc CompareProc;
    TDisposeEvent OnDisposeData;
    TDisposeProc DisposeProc = nullptr;
    using TLoadDataEvent = std::function<fulltext::CxData(stream::ValueReader& reader)>;
    using TLoadDataProc = fulltext::CxData (*)(stream::ValueReader& reader);
    using TStoreDataEvent = std::function<void(stream::ValueWriter& writer, fulltext::CxData data)>;
    using TStoreDataProc = void (*)(stream::ValueWriter& writer, fulltext::CxData data);
    TLoadDataEvent OnLoadData;
    TLoadDataProc LoadDataProc = nullptr;
    TStoreDataEvent OnStoreData;
    TStoreDataProc StoreDataProc = nullptr;

    virtual void Clear() {}
    virtual int DoCompare(fulltext::CxData a, fulltext::CxData b);
    virtual void DoDisposeData(fulltext::CxData data);
    virtual fulltext::CxData DoLoadData(stream::ValueReader& reader);
    virtual void DoStoreData(stream::ValueWriter& writer, fulltext::CxData data);

    /// Reads the container from the rest of `device` (nothing here). A damaged stream raises
    /// stream::StreamError or ECxContainerError.
    virtual void LoadFromStream(QIODevice& device);
    /// Writes the container to `device` (nothing here).
    virtual void StoreToStream(QIODevice& device);
    /// LoadFromStream over a file; a file that cannot be opened raises ECxException.
    void LoadFromFile(const QString& fileName);
    /// StoreToStream into a new file; a file that cannot be created raises ECxException.
    void StoreToFile(const QString& fileName);

protected:
    int m_count = 0;
};

namespace fulltext {

/// The registry of container and node classes that a stored container may name: a class
/// name and the name of its base class.
void RegisterCxClass(const QString& className, const QString& baseClassName);
bool IsCxClassRegistered(const QString& className);
/// True when `className` is `ancestorName` or descends from it.
bool CxClassInheritsFrom(const QString& className, const QString& ancestorName);

}  // namespace fulltext
