#include "report/model/template.h"

#include "report/model/errors.h"
#include "report/model/text_layout.h"

#include "report/page/report_texts.h"
#include "report/page/resource_manager.h"

#include "platform/base/scope_exit.h"
#include "platform/stream/class_registry.h"
#include "platform/stream/object_stream.h"
#include "platform/stream/property_table.h"
#include "platform/stream/stream_error.h"
#include "platform/stream/text_form.h"
#include "platform/stream/value_writer.h"
#include "platform/ui/dialog_service.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

namespace report {

namespace {

void declareTemplateTexts() {
    static const bool declared = [] {
        DeclareTexts({
            {50, "Ignore the error and continue?"},
            {418, "Error Reading Template"},
        });
        return true;
    }();
    Q_UNUSED(declared);
}

TemplateErrorAnswer askThroughDialogService(const QString& aText) {
    ui::MessageRequest request;
    request.text = aText;
    request.caption = ppGetMessageText(418);
    request.kind = ui::MessageKind::Error;
    request.buttons = ui::Button::Ignore | ui::Button::Cancel | ui::Button::All;
    request.defaultButton = ui::Button::Ignore;
    switch (ui::Dialogs().Message(request)) {
    case ui::Button::Ignore: return TemplateErrorAnswer::Ignore;
    case ui::Button::All: return TemplateErrorAnswer::IgnoreAll;
    default: return TemplateErrorAnswer::Cancel;
    }
}

TemplateErrorPrompt& installedPrompt() {
    static TemplateErrorPrompt prompt;
    return prompt;
}

TemplateNamePrompt& installedNamePrompt() {
    static TemplateNamePrompt prompt;
    return prompt;
}

TppTemplate*& askingTemplate() {
    static TppTemplate* asking = nullptr;
    return asking;
}

}  // namespace

TemplateNamePrompt SetTemplateNamePrompt(TemplateNamePrompt aPrompt) {
    TemplateNamePrompt old = std::move(installedNamePrompt());
    installedNamePrompt() = std::move(aPrompt);
    return old;
}

TppTemplate* TemplateAskingForName() { return askingTemplate(); }

TemplateErrorAnswer AskTemplateErrorInMessageBox(const QString& aText) { return askThroughDialogService(aText); }

TemplateErrorPrompt SetTemplateErrorPrompt(TemplateErrorPrompt aPrompt) {
    TemplateErrorPrompt old = std::move(installedPrompt());
    installedPrompt() = std::move(aPrompt);
    return old;
}

}  // namespace report

// ---- database settings ----

void TppTemplateDBSettings::SetDataPipeline(TppDataPipeline* aValue) {
    if (OnDataPipelineChange) OnDataPipelineChange(aValue);
    m_dataPipeline = aValue;
}

void TppTemplateDBSettings::SetName(const QString& aValue) {
    m_name = aValue;
    if (OnNameChanged) OnNameChanged();
}

void TppTemplateDBSettings::Assign(TPersistent* Source) {
    auto* s = qobject_cast<TppTemplateDBSettings*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    SetDataPipeline(s->DataPipeline());
    SetName(s->Name());
    SetNameField(s->NameField());
    SetTemplateField(s->TemplateField());
}

const stream::PropertyList& TppTemplateDBSettings::StreamProperties() const {
    using T = TppTemplateDBSettings;
    static const auto table = stream::PropertyTable<T>()
        .Reference("DataPipeline", &T::DataPipeline, [](T& t, TppDataPipeline* p) { t.SetDataPipeline(p); })
        .String("Name", &T::Name, [](T& t, const QString& v) { t.SetName(v); })
        .String("NameField", &T::NameField, &T::SetNameField)
        .String("TemplateField", &T::TemplateField, &T::SetTemplateField);
    return table;
}

// ---- custom template ----

TppCustomTemplate::TppCustomTemplate(TComponent* aOwner)
    : m_owner(aOwner), m_databaseSettings(std::make_unique<TppTemplateDBSettings>()) {
    m_databaseSettings->OnNameChanged = [this] { NameChanged(); };
    m_databaseSettings->OnDataPipelineChange = [this](TppDataPipeline* p) { DataPipelineChanged(p); };
}

void TppCustomTemplate::SetDatabaseSettings(TppTemplateDBSettings* aValue) {
    if (aValue && aValue != m_databaseSettings.get()) m_databaseSettings->Assign(aValue);
}

void TppCustomTemplate::SetFileName(const QString& aValue) {
    m_fileName = aValue;
    NameChanged();
}

QString TppCustomTemplate::GetDescription() const {
    return m_saveTo == TppSaveToType::stFile ? m_fileName : m_databaseSettings->Name();
}

void TppCustomTemplate::SetDescription(const QString& aValue) {
    if (m_saveTo == TppSaveToType::stFile) SetFileName(aValue);
    else m_databaseSettings->SetName(aValue);
}

bool TppCustomTemplate::IsDatabaseSettingsValid() const {
    return m_databaseSettings->DataPipeline() && !m_databaseSettings->TemplateField().isEmpty() &&
           !m_databaseSettings->NameField().isEmpty();
}

void TppCustomTemplate::Assign(TPersistent* Source) {
    auto* s = qobject_cast<TppCustomTemplate*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    SetDatabaseSettings(s->DatabaseSettings());
    SetFileName(s->FileName());
    m_offset = s->m_offset;
    m_saveTo = s->m_saveTo;
    m_format = s->m_format;
}

const stream::PropertyList& TppCustomTemplate::StreamProperties() const {
    using T = TppCustomTemplate;
    static const auto table = stream::PropertyTable<T>()
        .Object("DatabaseSettings", [](const T& t) -> const TppTemplateDBSettings& { return *t.DatabaseSettings(); })
        .String("FileName", &T::FileName, [](T& t, const QString& v) { t.SetFileName(v); })
        .Enum("Format", &T::Format, &T::SetFormat, EnumTypeOf(TppFormatType{}).values, TppFormatType::ftBinary)
        .Integer("Offset", &T::Offset, &T::SetOffset, 0)
        .Enum("SaveTo", &T::SaveTo, &T::SetSaveTo, EnumTypeOf(TppSaveToType{}).values, TppSaveToType::stFile);
    return table;
}

// ---- template ----

TppTemplate::TppTemplate(TComponent* aOwner) : TppCustomTemplate(aOwner) { report::DeclareFoundationTexts(); }

TppTemplate::~TppTemplate() = default;

QObject* TppTemplate::Root() const {
    if (m_root) return m_root;
    return Owner() ? Owner()->parent() : nullptr;
}

bool TppTemplate::IsReadOnly() const {
    if (FileName().isEmpty()) return false;
    const QFileInfo info(FileName());
    return info.exists() && !info.isWritable();
}

bool TppTemplate::IsDatabaseSettingsValid() const {
    if (!TppCustomTemplate::IsDatabaseSettingsValid()) return false;
    const TppDataType type = DatabaseSettings()->DataPipeline()->GetFieldDataType(DatabaseSettings()->TemplateField());
    if (type != TppDataType::dtBLOB && type != TppDataType::dtMemo) throw ETemplateSaveError(ppGetMessageText(53));
    return true;
}

bool TppTemplate::LocateRecord() {
    if (Events.OnLocateRecord || ExplorerEvents.OnLocateRecord) {
        bool found = false;
        if (Events.OnLocateRecord) found = Events.OnLocateRecord(this, DatabaseSettings()->Name());
        if (ExplorerEvents.OnLocateRecord) found = ExplorerEvents.OnLocateRecord(this, DatabaseSettings()->Name());
        return found;
    }
    TppDataPipeline* p = DatabaseSettings()->DataPipeline();
    if (!p) return false;
    return p->Locate(DatabaseSettings()->NameField(), DatabaseSettings()->Name(), 1);
}

void TppTemplate::DoLoadStream(QByteArray& aStream) {
    if (Events.OnLoadStream) Events.OnLoadStream(this, aStream);
}

void TppTemplate::DoSaveStream(QByteArray& aStream) {
    if (Events.OnSaveStream) Events.OnSaveStream(this, aStream);
    if (ExplorerEvents.OnSaveStream) ExplorerEvents.OnSaveStream(this, aStream);
}

void TppTemplate::fireLoadEnd() {
    if (Events.OnLoadEnd) Events.OnLoadEnd(Owner());
    if (ExplorerEvents.OnLoadEnd) ExplorerEvents.OnLoadEnd(Owner());
}

bool TppTemplate::PreserveSettings() {
    m_preserved = std::make_unique<TppCustomTemplate>(nullptr);
    m_preserved->Assign(this);
    return true;
}

void TppTemplate::RestoreSettings(bool aSuccess) {
    Q_UNUSED(aSuccess);
    if (!m_preserved) return;
    // The settings as they were, with the form and offset the load found.
    const TppFormatType format = Format();
    const int offset = Offset();
    Assign(m_preserved.get());
    SetFormat(format);
    SetOffset(offset);
    m_preserved.reset();
}

void TppTemplate::ReaderSetName(stream::Component& aComponent, QString& aName) {
    Q_UNUSED(aComponent);
    m_readerName = aName;
}

bool TppTemplate::ReaderError(const stream::StreamError& aError) { return LoadErrorQuestion(aError.Message()); }

bool TppTemplate::LoadErrorQuestion(const QString& aText) {
    if (m_ignoreAll) return true;
    report::declareTemplateTexts();
    const QString text = aText + QStringLiteral("\r\n") + ppGetMessageText(50);
    const report::TemplateErrorPrompt& prompt = report::installedPrompt();
    const report::TemplateErrorAnswer answer = prompt ? prompt(text) : report::askThroughDialogService(text);
    switch (answer) {
    case report::TemplateErrorAnswer::IgnoreAll:
        m_ignoreAll = true;
        return true;
    case report::TemplateErrorAnswer::Ignore:
        return true;
    case report::TemplateErrorAnswer::Cancel:
        break;
    }
    return false;
}

void TppTemplate::setReaderHooks(stream::ReadOptions& aOptions) {
    aOptions.onError = [this](const stream::StreamError& e) { return ReaderError(e); };
    aOptions.onSetName = [this](stream::Component& c, QString& name) { ReaderSetName(c, name); };
    aOptions.onComponentRead = [this](stream::Component& c) { ReadComponent(c); };
    QPointer<QObject> root = Root();
    aOptions.findComponent = [root](const QString& name) -> stream::Component* {
        if (!root) return nullptr;
        for (QObject* c : root->children())
            if (c->objectName().compare(name, Qt::CaseInsensitive) == 0)
                if (auto* component = dynamic_cast<stream::Component*>(c)) return component;
        return nullptr;
    };
}

void TppTemplate::ReadStream(const QByteArray& aBinary) {
    stream::ReadOptions options;
    setReaderHooks(options);
    std::unique_ptr<stream::Component> read = stream::ReadComponent(stream::ReadObjectBinary(aBinary), options);
    if (auto* object = dynamic_cast<QObject*>(read.get()); object && Root()) {
        object->setParent(Root());
        read.release();  // owned by the root from now on
    }
}

TppFormatType TppTemplate::FindStreamStart(const QByteArray& aBytes, int& aOffset) {
    auto signatureAt = [&aBytes](qint64 at) {
        if (at < 0 || at >= aBytes.size()) return false;
        const QByteArray rest = QByteArray::fromRawData(aBytes.constData() + at, aBytes.size() - at);
        return rest.startsWith("object") || rest.startsWith("TPF0");
    };
    if (!signatureAt(aOffset)) {
        if (signatureAt(0)) {
            aOffset = 0;
        } else {
            // A number at the start may say where the stream begins; it is only believed when
            // a signature stands there.
            qint64 stated = -1;
            if (aBytes.size() >= 4) stated = qFromLittleEndian<qint32>(aBytes.constData());
            if (stated > 0 && signatureAt(stated)) aOffset = int(stated);
            else throw EInvalidTemplateError(ppGetMessageText(49));
        }
    }
    const QByteArray rest = aBytes.mid(aOffset);
    if (rest.startsWith("object")) return TppFormatType::ftASCII;
    return TppFormatType::ftBinary;
}

int TppTemplate::TextStreamVersion(const QByteArray& aText) {
    const QString head = QString::fromUtf8(aText.left(2000));
    const int at = int(head.indexOf(QLatin1String("Version")));
    if (at < 0) return 0;
    return ppVersionToInt(head.mid(at + 11, 30));
}

QByteArray TppTemplate::UpgradeTextStream(const QByteArray& aText) {
    if (TextStreamVersion(aText) >= 3000) return aText;
    QStringList lines = QString::fromUtf8(aText).split(QStringLiteral("\n"));
    for (QString& line : lines)
        if (line.endsWith(u'\r')) line.chop(1);
    ppConvertOldTemplateText(lines);
    return lines.join(QStringLiteral("\r\n")).toUtf8();
}

void TppTemplate::loadStream(QByteArray aBytes) {
    bool success = false;
    try {
        DoLoadStream(aBytes);
        int offset = Offset() < 0 ? 0 : Offset();
        const TppFormatType format = FindStreamStart(aBytes, offset);
        SetOffset(offset);
        SetFormat(format);
        if (offset > 0) aBytes.remove(0, offset);
        PrepareStream(aBytes);
        if (format == TppFormatType::ftASCII) {
            ConvertTextStream(aBytes);
            aBytes = stream::ObjectTextToBinary(aBytes);
        }
        ReadStream(aBytes);
        success = true;
    } catch (...) {
        RestoreSettings(false);
        fireLoadEnd();
        throw;
    }
    RestoreSettings(success);
    fireLoadEnd();
}

void TppTemplate::LoadFromBytes(const QByteArray& aBytes) {
    m_ignoreAll = false;
    if (!PreserveSettings()) return;
    loadStream(aBytes);
}

void TppTemplate::Load() {
    if (SaveTo() == TppSaveToType::stDatabase) LoadFromDatabase();
    else LoadFromFile();
}

void TppTemplate::LoadFromFile() {
    m_ignoreAll = false;
    QFile file(FileName());
    if (FileName().isEmpty() || !file.exists())
        throw ETemplateLoadError(ppGetMessageText(46) + u' ' + FileName());
    if (!file.open(QIODevice::ReadOnly))
        throw ETemplateLoadError(report::MessageText(67, {FileName()}) + u' ' + file.errorString());
    if (file.size() > report::kMaxTemplateBytes)
        throw ETemplateLoadError(QStringLiteral("%1 is too large to be a template (%2 bytes).").arg(FileName()).arg(file.size()));
    if (!PreserveSettings()) return;
    QByteArray bytes;
    try {
        bytes = file.readAll();
    } catch (...) {
        RestoreSettings(false);
        fireLoadEnd();
        throw;
    }
    loadStream(std::move(bytes));
}

void TppTemplate::LoadFromDatabase() {
    m_ignoreAll = false;
    TppDataPipeline* p = DatabaseSettings()->DataPipeline();
    if (p && !p->GetActive()) p->Open();
    if (!IsDatabaseSettingsValid() || !LocateRecord())
        throw ETemplateLoadError(ppGetMessageText(45) + u' ' + DatabaseSettings()->Name());
    if (!PreserveSettings()) return;
    QByteArray bytes;
    try {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        p->GetFieldAsStream(DatabaseSettings()->TemplateField(), buffer);
    } catch (const std::exception&) {
        RestoreSettings(false);
        fireLoadEnd();
        throw ETemplateLoadError(ppGetMessageText(47));
    }
    loadStream(std::move(bytes));
}

QByteArray TppTemplate::SaveToBytes() {
    auto* owner = dynamic_cast<stream::Component*>(Owner());
    if (!owner) throw ETemplateSaveError(QStringLiteral("Nothing to save: the template has no component."));
    QByteArray bytes = stream::WriteComponent(*owner);
    if (Format() == TppFormatType::ftASCII) bytes = stream::ObjectBinaryToText(bytes);
    if (Offset() > 0) bytes.prepend(QByteArray(Offset(), '\0'));
    return bytes;
}

void TppTemplate::Save() {
    if (SaveTo() == TppSaveToType::stDatabase) SaveToDatabase();
    else SaveToFile();
}

void TppTemplate::SaveToFile() {
    if (!BeforeSave()) return;
    bool success = false;
    try {
        if (Events.OnSaveStart) Events.OnSaveStart(Owner());
        QByteArray bytes = SaveToBytes();
        DoSaveStream(bytes);
        if (IsReadOnly()) throw ETemplateSaveError(ppGetMessageText(51));
        // Written beside the old file and renamed over it, so a failed save keeps the old one.
        QSaveFile file(FileName());
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            throw ETemplateSaveError(report::MessageText(67, {FileName()}) + u' ' + file.errorString());
        success = true;
    } catch (...) {
        AfterSave(false);
        throw;
    }
    AfterSave(success);
}

void TppTemplate::SaveToDatabase() {
    if (!IsDatabaseSettingsValid()) return;
    if (!BeforeSave()) return;
    bool success = false;
    try {
        if (Events.OnSaveStart) Events.OnSaveStart(Owner());
        QByteArray bytes = SaveToBytes();
        TppDataPipeline* p = DatabaseSettings()->DataPipeline();
        if (!p->GetActive()) p->Open();
        if (LocateRecord()) {
            p->Edit();
        } else {
            p->Insert();
            p->SetFieldValue(DatabaseSettings()->NameField(), DatabaseSettings()->Name());
        }
        DoSaveStream(bytes);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        p->SetFieldFromStream(DatabaseSettings()->TemplateField(), buffer);
        p->Post();
        success = true;
    } catch (...) {
        AfterSave(false);
        throw;
    }
    AfterSave(success);
}

void TppTemplate::New() {
    if (Events.OnNew) Events.OnNew(this);
    if (ExplorerEvents.OnNew) ExplorerEvents.OnNew(this);
}

namespace {

bool askForRow(TppTemplate& t, int aMode) {
    const report::TemplateNamePrompt& prompt = report::installedNamePrompt();
    if (!prompt) return false;
    TppTemplateDBSettings* s = t.DatabaseSettings();
    TppTemplate* const outer = report::askingTemplate();
    report::askingTemplate() = &t;
    const base::ScopeExit restore([outer] { report::askingTemplate() = outer; });
    const std::optional<QString> name = prompt(aMode, s->DataPipeline(), s->NameField(), s->Name());
    if (!name) return false;
    s->SetName(*name);
    return true;
}

}  // namespace

bool TppTemplate::ShowOpenDialog() {
    return SaveTo() == TppSaveToType::stFile ? ShowOpenFileDialog() : askForRow(*this, 0);
}

bool TppTemplate::ShowSaveDialog() {
    return SaveTo() == TppSaveToType::stFile ? ShowSaveFileDialog() : askForRow(*this, 1);
}

bool TppTemplate::ShowOpenFileDialog() {
    ui::FileRequest request;
    request.fileName = FileName();
    request.filter = FileFilter();
    request.defaultSuffix = FileExtension();
    const std::optional<QString> chosen = ui::ChooseFileToOpen(request);
    if (!chosen || !QFileInfo::exists(*chosen)) return false;
    SetFileName(*chosen);
    return true;
}

bool TppTemplate::ShowSaveFileDialog() {
    const QString before = FileName();
    for (;;) {
        ui::FileRequest request;
        request.fileName = FileName();
        request.filter = FileFilter();
        request.defaultSuffix = FileExtension();
        const std::optional<QString> chosen = ui::ChooseFileToSave(request);
        if (!chosen) {
            SetFileName(before);
            return false;
        }
        SetFileName(*chosen);
        if (!IsReadOnly()) return true;
        ui::Message(ppGetMessageText(51), ui::MessageKind::Warning, ui::Button::Ok);
    }
}

void TppTemplate::AssignKeepingLocation(TppTemplate* aSource) {
    if (!aSource) return;
    const QString name = DatabaseSettings()->Name();
    const QString fileName = FileName();
    Assign(aSource);
    Events = aSource->Events;
    ExplorerEvents = aSource->ExplorerEvents;
    DatabaseSettings()->SetName(name);
    SetFileName(fileName);
}

// ---- templates of relatives ----

namespace report {

RelativeTemplate::RelativeTemplate(TppRelative* aOwner) : TppTemplate(aOwner) {}

TppRelative* RelativeTemplate::OwnerRelative() const { return qobject_cast<TppRelative*>(Owner()); }

void RelativeTemplate::ConvertTextStream(QByteArray& aText) { aText = UpgradeTextStream(aText); }

void RelativeTemplate::ReaderSetName(stream::Component& aComponent, QString& aName) {
    TppTemplate::ReaderSetName(aComponent, aName);
    QObject* root = Root();
    TppRelative* owner = OwnerRelative();
    auto* object = dynamic_cast<QObject*>(&aComponent);
    if (!root || !owner || !object || aName.isEmpty() || object == m_loaded.get()) return;
    // Names of the owner's tree are free: the loaded contents replace that tree.
    std::function<bool(const QObject*)> inOwnerTree = [&](const QObject* c) {
        for (auto* r = qobject_cast<const TppRelative*>(c); r; r = r->Parent())
            if (r == owner) return true;
        return false;
    };
    for (QObject* c : root->children()) {
        if (c == object || c->objectName().compare(aName, Qt::CaseInsensitive) != 0 || inOwnerTree(c)) continue;
        if (auto* communicator = qobject_cast<TppCommunicator*>(object)) communicator->GetDefaultName(object, aName);
        return;
    }
}

void RelativeTemplate::ReadStream(const QByteArray& aBinary) {
    TppRelative* owner = OwnerRelative();
    if (!owner) throw ETemplateLoadError(QStringLiteral("Nothing to load into: the template has no owner."));
    const stream::ObjectData data = stream::ReadObjectBinary(aBinary);
    const QString ownerClass = QString::fromLatin1(owner->metaObject()->className());
    if (data.className.compare(ownerClass, Qt::CaseInsensitive) != 0)
        throw ETemplateLoadError(QStringLiteral("The template holds a %1, not a %2.").arg(data.className, ownerClass));
    // The new object has no owner, so the objects read are its own until the owner takes
    // them: their user names do not meet those of the tree they replace.
    QObject* created = owner->metaObject()->newInstance(Q_ARG(TComponent*, nullptr));
    m_loaded.reset(qobject_cast<TppRelative*>(created));
    if (!m_loaded) {
        delete created;
        throw ETemplateLoadError(QStringLiteral("%1 cannot be made to read the template into.").arg(ownerClass));
    }
    m_loaded->AddState(ppsTemplateLoading);
    stream::ReadOptions options;
    setReaderHooks(options);
    try {
        stream::ReadComponentInto(*m_loaded, data, options);
    } catch (...) {
        m_loaded.reset();  // the owner was never touched
        throw;
    }
    ReadComponent(*m_loaded);
    TakeContents(*m_loaded);
    m_loaded.reset();
}

void RelativeTemplate::TakeContents(TppRelative& aLoaded) {
    TppRelative* owner = OwnerRelative();
    TppRelative* parent = owner->Parent();
    const int position = owner->Index();
    aLoaded.RemoveState(ppsTemplateLoading);
    owner->Transfer(&aLoaded);
    // Transfer also takes the loaded object's place in the tree, which is none.
    if (owner->Parent() != parent && parent) {
        owner->SetParent(parent);
        owner->MoveToPosition(position);
    }
    // What the loaded object owned itself moves to the owner's owner.
    TComponent* newOwner = owner->Owner() ? owner->Owner() : static_cast<TComponent*>(owner);
    const QObjectList owned = aLoaded.children();
    for (QObject* child : owned)
        if (auto* c = qobject_cast<TppCommunicator*>(child)) c->ChangeOwner(newOwner);
}

}  // namespace report
