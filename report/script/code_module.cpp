#include "report/script/code_module.h"

#include "report/model/custom_engine.h"
#include "report/model/custom_report.h"
#include "report/model/data_pipeline.h"
#include "report/model/errors.h"
#include "report/model/report.h"
#include "report/page/resource_manager.h"
#include "report/script/calls.h"
#include "report/script/errors.h"
#include "report/script/members.h"
#include "report/script/object_adapters.h"
#include "report/script/values.h"

#include "platform/stream/class_registry.h"
#include "platform/stream/persistent.h"
#include "platform/stream/stream_error.h"
#include "platform/stream/value_reader.h"
#include "platform/stream/value_writer.h"
#include "platform/ui/dialog_service.h"

#include <QRegularExpression>
#include <QScopeGuard>

#include <algorithm>

namespace {

void declareCodeModuleTexts() {
    static const bool declared = [] {
        report::DeclareTexts({
            {374, "Main"},
            {925, "Could not compile program: <name>"},
            {926, "Could not run program: <name>"},
            {969, "Report Code file"},
        });
        return true;
    }();
    (void)declared;
}

QString textWithName(int aNumber, const QString& aName) {
    declareCodeModuleTexts();
    return ppGetMessageText(aNumber).replace(QLatin1String("<name>"), aName);
}

/// Answers a warning with its OK button through the dialog service.
void warn(const QString& aText) {
    ui::Message(aText, ui::MessageKind::Warning, ui::Button::Ok);
}

const QString kCrLf = QStringLiteral("\r\n");

}  // namespace

// ---- the program communicator ----------------------------------------------------------

TraProgramCommunicator::TraProgramCommunicator(TComponent* AOwner) : TppCommunicator(AOwner) {}

void TraProgramCommunicator::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    TppCommunicator::Notify(aCommunicator, aOperation);
    if (OnPartnerNotify)
        OnPartnerNotify(aCommunicator, aOperation);  // may free this communicator: nothing after it
}

// ---- event handlers --------------------------------------------------------------------

TraEventHandler::TraEventHandler() : m_listener(std::make_unique<TraProgramCommunicator>()) {
    m_listener->OnPartnerNotify = [this](TppCommunicator* aSender, TppOperationType aOperation) {
        partnerNotify(aSender, aOperation);
    };
    m_listener->OnEventNotify = [this](QObject*, TppCommunicator*, int aEventId, TraParamList* aParams) {
        RunWithParams(aEventId, aParams);
    };
}

TraEventHandler::~TraEventHandler() {
    m_listener->OnPartnerNotify = nullptr;
    m_listener->OnEventNotify = nullptr;
}

QString TraEventHandler::DeclarationFor(TClass aClass, const QString& aEventName, const QString& aProgramName) {
    TraPropRec rec;
    if (!aClass || !raGetClassManager().GetPropRec(aClass, aEventName, rec))
        return QStringLiteral("procedure ") + aProgramName + QLatin1Char(';');
    const TraParamList* list = rec.Params.get();
    const int count = list ? list->Count() : 0;
    const bool function = list && list->IndexOf(QStringLiteral("Result")) >= 0;
    const auto typeName = [](const TraParamRec& p) {
        if ((p.DataType == TraDataType::daObject || p.DataType == TraDataType::daClass) && p.ClassType)
            return QString::fromLatin1(p.ClassType->className());
        if (p.DataType == TraDataType::daEnum)
            return p.TypeName;
        return DataTypeName(p.DataType);
    };
    QString text = (function ? QStringLiteral("function ") : QStringLiteral("procedure ")) + aProgramName;
    const int params = function ? count - 1 : count;
    if (params > 0) {
        text += QLatin1Char('(');
        for (int i = 0; i < params; ++i) {
            const TraParamRec& p = list->Param(i);
            if (i > 0)
                text += QStringLiteral("; ");
            if (p.IsConst)
                text += QStringLiteral("const ");
            else if (p.IsVar)
                text += QStringLiteral("var ");
            text += p.Name + QStringLiteral(": ") + typeName(p);
        }
        text += QLatin1Char(')');
    }
    if (function)
        text += QLatin1Char(':') + typeName(list->Param(count - 1));
    return text + QLatin1Char(';');
}

QString TraEventHandler::currentDeclaration() const {
    if (!m_bound)
        return m_declaration;
    return DeclarationFor(m_bound->metaObject(), m_eventName, ProgramName) + kCrLf;
}

QString TraEventHandler::GetHeading() const {
    if (!m_bound)
        return m_declaration.isEmpty() ? TraProgram::GetHeading() : m_declaration;
    return currentDeclaration();
}

void TraEventHandler::CreateDefaultSource() {
    m_declaration = currentDeclaration();
    QString text = m_declaration.isEmpty() ? QStringLiteral("procedure ") + ProgramName + QLatin1Char(';') + kCrLf
                                           : m_declaration;
    text += QStringLiteral("begin") + kCrLf + kCrLf;
    TraPropRec rec;
    bool any = false;
    if (m_bound && raGetClassManager().GetPropRec(m_bound->metaObject(), m_eventName, rec) && rec.Params) {
        for (int i = 0; i < rec.Params->Count(); ++i) {
            const TraParamRec& p = rec.Params->Param(i);
            if (!p.IsVar || p.Name.compare(QLatin1String("Result"), Qt::CaseInsensitive) == 0)
                continue;
            text += QStringLiteral("  ") + p.Name + QStringLiteral(" := ") + kCrLf;
            any = true;
        }
    }
    if (any)
        text += kCrLf;
    text += QStringLiteral("end;");
    SetSource(text);
}

void TraEventHandler::SetComponentName(const QString& aName) {
    m_componentName = aName;
    if (Loading)
        return;
    ProgramName = m_componentName + m_eventName;
    m_needsResolve = true;
    Resolve();
    if (m_bound) {
        m_declaration = currentDeclaration();
        SetSource(m_declaration + GetTextAfterHeading());
    }
    SendNotify(this, script::kOpHandlerRenamed);
}

void TraEventHandler::SetEventName(const QString& aName) {
    if (!m_eventName.isEmpty())
        m_listener->EventNotifies().reset();
    m_eventName = aName;
    if (Loading || m_eventName.isEmpty() || !m_bound)
        return;
    TraPropRec rec;
    EventID = raGetClassManager().GetPropRec(m_bound->metaObject(), m_eventName, rec) ? rec.EventID : -1;
    m_listener->EventNotifies().reset();
    if (EventID >= 0 && EventID <= 255)
        m_listener->EventNotifies().set(size_t(EventID));
}

TppCommunicator* TraEventHandler::Resolve() {
    if (Loading)
        return nullptr;
    if (!m_needsResolve)
        return m_bound.data();
    if (m_bound)
        m_bound->RemoveEventNotify(m_listener.get());
    m_bound = nullptr;
    QObject* found = CodeModule() ? CodeModule()->FindObject(m_componentName) : nullptr;
    if (auto* object = qobject_cast<TppCommunicator*>(found)) {
        m_needsResolve = false;
        m_bound = object;
        object->AddEventNotify(m_listener.get());
        SetEventName(m_eventName);
    }
    return m_bound.data();
}

void TraEventHandler::SetCodeModule(TraCodeModule* aModule) {
    TraProgram::SetCodeModule(aModule);
    Resolve();
}

void TraEventHandler::partnerNotify(TppCommunicator* aSender, TppOperationType aOperation) {
    if (!aSender || aSender != m_bound.data())
        return;
    if (aOperation == ppopUserNameChange) {
        SetComponentName(aSender->UserName());
    } else if (aOperation == ppopRemove) {
        m_bound = nullptr;
        if (TraCodeModule* module = CodeModule())
            module->FreeProgram(this);  // the handler goes with its object
        else
            m_needsResolve = true;
    }
}

void TraEventHandler::RunWithParams(int aEventId, TraParamList* aParams) {
    Q_UNUSED(aEventId);
    TraCodeModule* module = CodeModule();
    if (!Compiled() || !module)
        return;
    const int count = aParams ? std::min(ParamCount(), aParams->Count()) : 0;
    for (int i = 0; i < count; ++i)
        raLoadValueFromParam(aParams->Param(i), Params(i));
    try {
        module->RunProgram(this);
    } catch (const script::CancelSignal&) {
        module->CancelJob();  // the job ends as cancelled, with no error
        return;
    }
    for (int i = 0; i < count; ++i) {
        TraParamRec rec = aParams->Param(i);
        if (rec.IsVar && rec.Value)
            raStoreValueToParam(Params(i), rec);
    }
}

// ---- the code module -------------------------------------------------------------------

TraCodeModule::TraCodeModule(TComponent* AOwner) : TppReportModule(AOwner) {
    declareCodeModuleTexts();
    script::RegisterCodeModuleClasses();  // the first module also reads the script folders
    for (int id : {report::ciReportEndPage, report::ciReportStartPage, report::ciProducerReportStart,
                   report::ciProducerReportEnd})
        EventNotifies().set(size_t(id));
}

TraCodeModule::~TraCodeModule() {
    Clear();
    if (m_listening)
        m_listening->RemoveEventNotify(this);
}

std::vector<TraProgram*> TraCodeModule::Programs() const {
    std::vector<TraProgram*> list;
    for (TraProgram* p : {m_const, m_var, m_onCreate, m_onDestroy})
        if (p)
            list.push_back(p);
    list.insert(list.end(), m_globals.begin(), m_globals.end());
    list.insert(list.end(), m_handlers.begin(), m_handlers.end());
    return list;
}

int TraCodeModule::ProgramCount() const {
    return int(Programs().size());
}

void TraCodeModule::AddProgram(TraProgram* aProgram) {
    if (!aProgram || aProgram->m_codeModule == this)
        return;
    if (aProgram->m_codeModule)
        aProgram->m_codeModule->RemoveProgram(aProgram);
    if (IsEmpty())
        RemoveState(ppsModule);
    const auto replace = [](TraProgram*& slot, TraProgram* p) {
        if (slot && slot != p) {
            TraProgram* old = slot;
            slot = nullptr;
            old->m_codeModule = nullptr;
            delete old;  // a single slot is overwritten
        }
        slot = p;
    };
    switch (aProgram->ChildType()) {
    case 17: replace(m_var, aProgram); break;
    case 18: replace(m_const, aProgram); break;
    case 19: replace(m_onCreate, aProgram); break;
    case 20: replace(m_onDestroy, aProgram); break;
    case 21: m_globals.push_back(aProgram); break;
    default: m_handlers.push_back(aProgram); break;
    }
    aProgram->m_codeModule = this;
    attachEvents(aProgram);
    setModifiedFlag();
}

void TraCodeModule::RemoveProgram(TraProgram* aProgram) {
    if (!aProgram || aProgram->m_codeModule != this)
        return;
    detachEvents(aProgram);
    aProgram->m_codeModule = nullptr;
    bool handler = false;
    for (TraProgram** slot : {&m_const, &m_var, &m_onCreate, &m_onDestroy})
        if (*slot == aProgram)
            *slot = nullptr;
    std::erase(m_globals, aProgram);
    if (std::erase(m_handlers, aProgram) > 0)
        handler = true;
    if (IsEmpty())
        AddState(ppsModule);
    if (!m_clearing)
        setModifiedFlag();
    AllCompiled = handler;
}

void TraCodeModule::FreeProgram(TraProgram* aProgram) {
    if (!aProgram || aProgram->m_codeModule != this)
        return;
    RemoveProgram(aProgram);
    delete aProgram;
}

void TraCodeModule::Clear() {
    m_clearing = true;
    for (TraProgram* p : Programs())
        FreeProgram(p);
    m_clearing = false;
}

void TraCodeModule::setModifiedFlag() {
    if (!(ComponentState() & (csLoading | csReading | csDestroying)))
        SetModified(true);
}

void TraCodeModule::attachEvents(TraProgram* aProgram) {
    const int kind = aProgram->ChildType();
    const bool shared = kind >= 17 && kind <= 21;
    aProgram->OnCompileEnd = [this, shared](TraProgram*) {
        if (!shared || CompilingAll || Recompiling)
            return;
        Recompiling = true;
        const auto done = qScopeGuard([this] { Recompiling = false; });
        CompileAll(false);
    };
    aProgram->OnGetGlobalConstant = [this](const QString& aName, TraVariableValue*& aValue) {
        for (const TraCodeModule* m = this; m && !aValue; m = GetParentCodeModule(m))
            if (m->m_const)
                m->m_const->FindLocalConstant(aName, aValue);
    };
    aProgram->OnGetGlobalVariable = [this](const QString& aName, TraVariableValue*& aValue) {
        for (const TraCodeModule* m = this; m && !aValue; m = GetParentCodeModule(m))
            if (m->m_var)
                m->m_var->FindDeclaredVariable(aName, aValue);
    };
    aProgram->OnGetProgram = [this](const QString& aName, std::unique_ptr<TraValue>& aCall) {
        // A compiled program, or the one being compiled (a function calling itself: its
        // heading is read before its body).
        TraProgram* found = FindGlobalProgram(aName);
        if (!found || (!found->Compiled() && !found->Compiling()))
            return;
        auto call = std::make_unique<TraOrvelProgramCallValue>();
        call->SetProgramObject(found);
        aCall = std::move(call);
    };
    aProgram->OnGetObject = [this](TraProgram*, const QString& aName, QObject*& aObject) {
        aObject = FindObject(aName);
        return aObject != nullptr;
    };
    aProgram->OnSourceChange = [this](TraProgram* aChanged, bool& aNotifyDependents) {
        setModifiedFlag();
        aNotifyDependents = aChanged == m_const || aChanged == m_var ||
                            std::find(m_globals.begin(), m_globals.end(), aChanged) != m_globals.end();
        if (aNotifyDependents)
            AllCompiled = false;
    };
    if (kind == 17 || kind == 18) {
        aProgram->OnValidateIdentifier = [this](TraProgram* aDeclaring, const TraToken* aToken,
                                                std::unique_ptr<TraSyntaxError>& aError) {
            TraProgram* other = aDeclaring == m_const ? m_var : aDeclaring == m_var ? m_const : nullptr;
            if (!other || !aToken)
                return;
            TraVariableValue* clash = nullptr;
            const bool declared = other == m_var ? other->FindDeclaredVariable(aToken->Text(), clash)
                                                 : other->FindLocalConstant(aToken->Text(), clash);
            if (!declared)
                return;
            aError = std::make_unique<TraSyntaxError>();
            aError->ErrorCode = other == m_var ? script::kDeclaredGlobalVariable : script::kDeclaredGlobalConstant;
            aError->Msg = script::BuildSyntaxErrorMessage(aToken, {}, aError->ErrorCode);
            aError->TokenText = aToken->Text();
            aError->LineNo = aToken->LineNo;
            aError->CharPos = aToken->CharPos;
        };
    }
}

void TraCodeModule::detachEvents(TraProgram* aProgram) {
    aProgram->OnCompileEnd = nullptr;
    aProgram->OnGetGlobalConstant = nullptr;
    aProgram->OnGetGlobalVariable = nullptr;
    aProgram->OnGetProgram = nullptr;
    aProgram->OnGetObject = nullptr;
    aProgram->OnSourceChange = nullptr;
    aProgram->OnValidateIdentifier = nullptr;
}

void TraCodeModule::CompileProgram(TraProgram* aProgram, bool aIncremental, bool aRaise) {
    if (!aProgram)
        return;
    aProgram->CompileProgram(aIncremental, false);
    if (aRaise && !aProgram->Compiled()) {
        QString cause;
        int line = 0, column = 0;
        if (aProgram->SyntaxErrorCount() > 0) {
            const TraSyntaxError* e = aProgram->SyntaxErrors(0);
            cause = e->Msg;
            line = e->LineNo;
            column = e->CharPos;
            if (line > 0)
                cause = QStringLiteral("Line %1, column %2: %3").arg(line).arg(column + 1).arg(e->Msg);
        }
        throw ECodeError(textWithName(925, aProgram->ProgramName), cause, line, column);
    }
}

void TraCodeModule::CompileAll(bool aRaise) {
    if (CompilingAll || !Active)
        return;
    CompilingAll = true;
    const auto done = qScopeGuard([this] { CompilingAll = false; });
    const bool incremental = AllCompiled;
    CompileProgram(m_const, incremental, aRaise);
    CompileProgram(m_var, incremental, aRaise);
    std::vector<TraProgram*> failed;
    for (TraProgram* p : std::vector<TraProgram*>(m_globals)) {
        p->CompileProgram(incremental, false);  // a later program's call compiles on the retry
        if (!p->Compiled())
            failed.push_back(p);
    }
    for (TraProgram* p : failed)
        CompileProgram(p, false, aRaise);
    CompileProgram(m_onCreate, incremental, aRaise);
    CompileProgram(m_onDestroy, incremental, aRaise);
    for (TraProgram* p : std::vector<TraProgram*>(m_handlers))
        CompileProgram(p, incremental, aRaise);
    AllCompiled = true;
    QList<QPair<QString, TraCodeModule*>> children;
    GetChildCodeModules(CustomReport(), children);
    for (const auto& child : children)
        child.second->CompileAll(aRaise);
}

void TraCodeModule::RunProgram(TraProgram* aProgram) {
    if (!aProgram)
        return;
    script::ThrowAwayScope scope;
    try {
        aProgram->Execute();
    } catch (const EScriptRunError& e) {
        throw ECodeError(textWithName(926, aProgram->ProgramName), e.Message(), e.LineNo(), e.CharPos());
    } catch (const script::CancelSignal&) {
        throw;
    } catch (const ECodeError&) {
        throw;  // a handler's failure inside a call already names its program
    } catch (const std::exception& e) {
        throw ECodeError(textWithName(926, aProgram->ProgramName), QString::fromUtf8(e.what()));
    }
}

void TraCodeModule::CancelJob() {
    TppCustomReport* report = CustomReport();
    for (TppCustomReport* r = report; r; r = r->ParentReport())
        if (TppCustomEngine* engine = r->Engine())
            engine->SetCancelled(true);
}

void TraCodeModule::RunStartPrograms() {
    if (Running)
        return;
    Running = true;
    if (TppCustomReport* report = CustomReport(); !report || report->MainReport() == report)
        script::CancelFlag() = false;  // a new job: an earlier Cancel is done with
    try {
        CompileAll(true);
        RunProgram(m_const);
        RunProgram(m_var);
        RunProgram(m_onCreate);
    } catch (const script::CancelSignal&) {
        Running = false;
        CancelJob();
    } catch (...) {
        Running = false;
        throw;
    }
}

void TraCodeModule::RunEndPrograms() {
    if (!Running)
        return;
    const auto done = qScopeGuard([this] {
        Running = false;
        TppCustomReport* report = CustomReport();
        if (!report || report->MainReport() == report)
            script::FreeMadeObjects();  // the objects the job's scripts made and left
    });
    try {
        RunProgram(m_onDestroy);
    } catch (const script::CancelSignal&) {
        CancelJob();
    }
}

void TraCodeModule::BindEventHandlers() {
    if (!Active)
        return;
    for (TraProgram* p : Programs())
        p->Rebind();
    for (TraProgram* p : std::vector<TraProgram*>(m_handlers)) {
        auto* handler = dynamic_cast<TraEventHandler*>(p);
        if (!handler)
            continue;
        const QString unable = QStringLiteral("Unable to load ") + handler->EventName() + QStringLiteral(" code for ") +
                               handler->ComponentName() + QStringLiteral(", ");
        if (!handler->BoundObject()) {
            const QString shorter = handler->ComponentName().chopped(handler->ComponentName().isEmpty() ? 0 : 1);
            if (!shorter.isEmpty() && qobject_cast<TppCommunicator*>(FindObject(shorter))) {
                handler->SetComponentName(shorter);  // stored templates rely on this rebinding
            } else {
                warn(unable + QStringLiteral("no object with this name found"));
                FreeProgram(handler);
                continue;
            }
        }
        QObject* bound = handler->BoundObject();
        if (qobject_cast<TppCustomReport*>(bound) &&
            !raGetClassManager().IsEvent(bound->metaObject(), handler->EventName())) {
            warn(unable + kCrLf + handler->EventName() + QStringLiteral(" is not a valid event for a ") +
                 QString::fromLatin1(bound->metaObject()->className()).mid(3) + QLatin1Char('.'));
            FreeProgram(handler);
        }
    }
}

TraEventHandler* TraCodeModule::FindEventHandler(QObject* aComponent, const QString& aEventName) const {
    for (TraProgram* p : m_handlers) {
        auto* handler = dynamic_cast<TraEventHandler*>(p);
        if (handler && handler->BoundObject() == aComponent && aComponent && handler->EventName() == aEventName)
            return handler;
    }
    return nullptr;
}

TraEventHandler* TraCodeModule::CreateEventHandler(TppCommunicator* aComponent, const QString& aEventName) {
    if (!aComponent || FindEventHandler(aComponent, aEventName))
        return nullptr;
    auto* handler = new TraEventHandler();
    handler->Loading = true;
    handler->SetEventName(aEventName);
    handler->SetComponentName(aComponent->UserName());
    handler->Loading = false;
    handler->SetCodeModule(this);
    handler->SetComponentName(aComponent->UserName());
    handler->CreateDefaultSource();
    return handler;
}

TraProgram* TraCodeModule::FindGlobalProgram(const QString& aName) const {
    for (const TraCodeModule* m = this; m; m = GetParentCodeModule(m))
        for (TraProgram* p : m->m_globals)
            if (p->ProgramName.compare(aName, Qt::CaseInsensitive) == 0)
                return p;
    return nullptr;
}

QString TraCodeModule::UniqueProgramName(const QString& aBase) const {
    for (int n = 1;; ++n) {
        const QString name = aBase + QString::number(n);
        if (!FindGlobalProgram(name))
            return name;
    }
}

int TraCodeModule::IndexOfProgram(const TraProgram* aProgram) const {
    if (!aProgram)
        return -1;
    const int n = int(m_globals.size());
    for (int i = 0; i < n; ++i)
        if (m_globals[size_t(i)] == aProgram)
            return i;
    const TraProgram* singles[] = {m_const, m_var, m_onCreate, m_onDestroy};
    for (int i = 0; i < 4; ++i)
        if (singles[i] == aProgram)
            return n + i;
    return -1;
}

TppCustomReport* TraCodeModule::CustomReport() const {
    return qobject_cast<TppCustomReport*>(Report());
}

QObject* TraCodeModule::FindObject(const QString& aName) const {
    if (aName.isEmpty())
        return nullptr;
    if (TppCustomReport* report = CustomReport()) {
        if (TppCommunicator* found = report->FindUserName(aName); found && !qobject_cast<TraProgramCommunicator*>(found))
            return found;
    }
    const QObject* owner = CustomReport() ? static_cast<QObject*>(CustomReport()->Owner()) : nullptr;
    if (!owner)
        return nullptr;
    for (QObject* child : owner->children())
        if (auto* pipeline = qobject_cast<TppDataPipeline*>(child);
            pipeline && pipeline->UserName().compare(aName, Qt::CaseInsensitive) == 0)
            return pipeline;
    return nullptr;
}

// ---- the program stream ----------------------------------------------------------------

namespace {

/// The published properties of a program in stream order: name, the value to write (an
/// invalid one when it holds its default), and how a read value is applied.
void writeProgram(stream::ValueWriter& aOut, const TraProgram& aProgram) {
    aOut.WriteListBegin();
    aOut.WriteString(aProgram.StreamClassName());
    const auto put = [&](const char* name, const stream::Value& value) {
        aOut.WriteStr(QString::fromLatin1(name));
        aOut.WriteValue(value);
    };
    if (aProgram.ChildType() != 0)
        put("ChildType", stream::Value::Integer(aProgram.ChildType()));
    if (aProgram.IsFunctionType)
        put("IsFunctionType", stream::Value::Boolean(true));
    if (aProgram.Hidden)
        put("Hidden", stream::Value::Boolean(true));
    if (aProgram.Locked)
        put("Locked", stream::Value::Boolean(true));
    if (!aProgram.ProgramName.isEmpty())
        put("ProgramName", stream::Value::Text(aProgram.ProgramName));
    if (aProgram.ProgramType != TraTokenType::ttUnknown)
        put("ProgramType", stream::Value::Ident(EnumTypeOf(TraTokenType{}).values.value(int(aProgram.ProgramType))));
    const QString source = aProgram.Source();
    if (!source.isEmpty())
        put("Source", stream::Value::Text(source));
    if (aProgram.SourceModified)
        put("SourceModified", stream::Value::Boolean(true));
    if (auto* handler = dynamic_cast<const TraEventHandler*>(&aProgram)) {
        if (!handler->ComponentName().isEmpty())
            put("ComponentName", stream::Value::Text(handler->ComponentName()));
        if (!handler->EventName().isEmpty())
            put("EventName", stream::Value::Text(handler->EventName()));
        put("EventID", stream::Value::Integer(handler->EventID));
    }
    aOut.WriteListEnd();
}

std::unique_ptr<TraProgram> makeProgram(const QString& aClassName) {
    if (aClassName.compare(QLatin1String("TraProgram"), Qt::CaseInsensitive) == 0)
        return std::make_unique<TraProgram>();
    if (aClassName.compare(QLatin1String("TraEventHandler"), Qt::CaseInsensitive) == 0 ||
        aClassName.compare(QLatin1String("TraOnCalcEventHandler"), Qt::CaseInsensitive) == 0)
        return std::make_unique<TraEventHandler>();
    if (aClassName.compare(QLatin1String("TraConstProgram"), Qt::CaseInsensitive) == 0)
        return std::make_unique<TraConstProgram>();
    if (aClassName.compare(QLatin1String("TraVarProgram"), Qt::CaseInsensitive) == 0)
        return std::make_unique<TraVarProgram>();
    return nullptr;
}

void applyProperty(TraProgram& aProgram, const QString& aName, const stream::Value& aValue, stream::ValueReader& aIn) {
    const auto is = [&](const char* name) { return aName.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
    const auto integer = [&]() -> qint64 {
        if (!aValue.IsInteger())
            aIn.Fail(stream::StreamErrorKind::WrongValueKind, QStringLiteral("%1 is not a number").arg(aName));
        return aValue.AsInteger();
    };
    const auto boolean = [&]() -> bool {
        if (!aValue.IsBoolean())
            aIn.Fail(stream::StreamErrorKind::WrongValueKind, QStringLiteral("%1 is not True or False").arg(aName));
        return aValue.AsBoolean();
    };
    const auto text = [&]() -> QString {
        if (!aValue.IsText())
            aIn.Fail(stream::StreamErrorKind::WrongValueKind, QStringLiteral("%1 is not a string").arg(aName));
        return aValue.AsText();
    };
    auto* handler = dynamic_cast<TraEventHandler*>(&aProgram);
    if (is("ChildType")) {
        const qint64 kind = integer();
        aProgram.SetChildType(int(std::clamp<qint64>(kind, 0, 255)));
    } else if (is("IsFunctionType")) {
        aProgram.IsFunctionType = boolean();
    } else if (is("Hidden")) {
        aProgram.Hidden = boolean();
    } else if (is("Locked")) {
        aProgram.Locked = boolean();
    } else if (is("ProgramName")) {
        aProgram.ProgramName = text();
    } else if (is("ProgramType")) {
        const int index = EnumTypeOf(TraTokenType{}).values.indexOf(aValue.AsText());
        aProgram.SetProgramType(index >= 0 ? TraTokenType(index) : TraTokenType::ttUnknown);
    } else if (is("Source")) {
        aProgram.SetSource(text());
        aProgram.SourceModified = false;  // stored after Source when set
    } else if (is("SourceModified")) {
        aProgram.SourceModified = boolean();
    } else if (handler && is("ComponentName")) {
        handler->SetComponentName(text());
    } else if (handler && is("EventName")) {
        handler->SetEventName(text());
    } else if (handler && is("EventID")) {
        handler->EventID = int(integer());
    }
    // Other names are properties of a later version: read and left alone.
}

}  // namespace

QByteArray TraCodeModule::WriteProgramStream() const {
    stream::ValueWriter out;
    for (const TraProgram* p : Programs())
        writeProgram(out, *p);
    out.WriteListEnd();
    return out.TakeData();
}

void TraCodeModule::ReadProgramStream(const QByteArray& aBytes, QStringList* aWarnings) {
    stream::ValueReader in(aBytes);
    std::vector<std::unique_ptr<TraProgram>> read;
    QStringList warnings;
    while (!in.EndOfList()) {
        const stream::ValueType type = in.PeekValueType();
        if (type == stream::ValueType::Int8 || type == stream::ValueType::Int16 || type == stream::ValueType::Int32)
            in.ReadInteger();
        in.ReadListBegin();
        const QString className = in.ReadString();
        std::unique_ptr<TraProgram> program = makeProgram(className);
        if (!program)
            warnings << QStringLiteral("A program of the unknown class %1 was skipped.").arg(className);
        else
            program->Loading = true;
        while (!in.EndOfList()) {
            const QString name = in.ReadStr();
            const stream::Value value = in.ReadValue();
            if (program)
                applyProperty(*program, name, value, in);
        }
        in.ReadListEnd();
        if (program) {
            read.push_back(std::move(program));
        }
    }
    in.ReadListEnd();
    // The whole stream was read: only now are the module's programs replaced.
    Clear();
    for (auto& p : read) {
        TraProgram* program = p.release();
        // Every property of the stream is set: the source as stored is not a new edit.
        const bool modified = program->SourceModified;
        program->SetCodeModule(this);
        program->SourceModified = modified;
        program->Loading = false;
    }
    m_streamWarnings = warnings;
    if (aWarnings)
        *aWarnings << warnings;
}

void TraCodeModule::DefineProperties(stream::Filer& aFiler) {
    TppReportModule::DefineProperties(aFiler);
    aFiler.DefineBinaryProperty(
        QStringLiteral("ProgramStream"), [this](const QByteArray& aBytes) { ReadProgramStream(aBytes); },
        [this] { return WriteProgramStream(); }, true);
}

// ---- the report module -----------------------------------------------------------------

void TraCodeModule::listenTo(TppCustomReport* aReport) {
    if (m_listening == aReport)
        return;
    if (m_listening)
        m_listening->RemoveEventNotify(this);
    m_listening = aReport;
    if (aReport)
        aReport->AddEventNotify(this);
}

void TraCodeModule::SetReport(TppRelative* aReport) {
    TppReportModule::SetReport(aReport);
    listenTo(qobject_cast<TppCustomReport*>(aReport));
    // The module takes over the report's state; while the report or the module is being
    // read, the end of the load does the binding.
    if (aReport && (aReport->State() & ppsTemplateLoading))
        AddState(ppsTemplateLoading);
    if (!aReport || (ComponentState() & (csLoading | csReading)) || (State() & ppsTemplateLoading) ||
        (aReport->State() & ppsTemplateLoading))
        return;
    BindEventHandlers();
    if (CompileOnLoad)
        CompileAll(false);
}

void TraCodeModule::ReportDestroying() {
    TppReportModule::ReportDestroying();
    Clear();
}

void TraCodeModule::Transfer(TPersistent* aSource) {
    if (auto* other = qobject_cast<TraCodeModule*>(aSource); other && other != this) {
        Clear();
        std::vector<TraProgram*> moving(other->m_handlers);
        moving.insert(moving.end(), other->m_globals.begin(), other->m_globals.end());
        for (TraProgram* p : {other->m_const, other->m_onCreate, other->m_onDestroy, other->m_var})
            if (p)
                moving.push_back(p);
        for (TraProgram* p : moving) {
            const bool modified = p->SourceModified;
            p->SetCodeModule(this);
            p->SourceModified = modified;
        }
        CompileOnLoad = other->CompileOnLoad;
        TppCustomReport* report = CustomReport();
        if (report && !(report->State() & ppsTemplateLoading) && Active) {
            if (CompileOnLoad)
                CompileAll(false);
            BindEventHandlers();
        }
        return;
    }
    TppReportModule::Transfer(aSource);
}

void TraCodeModule::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    if (aOperation == ppopRemove && aCommunicator && aCommunicator == m_listening.data())
        m_listening = nullptr;
    if (aOperation == ppopRemove)
        AllCompiled = false;  // compiled programs may refer to the object
    TppReportModule::Notify(aCommunicator, aOperation);
}

void TraCodeModule::EventNotify(TppCommunicator* aCommunicator, int aEventID, TraParamList* aParams) {
    TppReportModule::EventNotify(aCommunicator, aEventID, aParams);
    TppCustomReport* report = CustomReport();
    if (!report || !report->MainReport())
        return;
    if (aEventID == report::ciProducerReportStart)
        RunStartPrograms();
    else if (aEventID == report::ciProducerReportEnd)
        RunEndPrograms();
}

void TraCodeModule::StateChange(TppCommunicatorStates aStates) {
    TppReportModule::StateChange(aStates);
    if (!(aStates & ppsTemplateLoading))
        return;
    const bool active = !(State() & ppsTemplateLoading);
    const bool becameActive = active && !Active;
    Active = active;
    if (becameActive) {
        if (CompileOnLoad)
            CompileAll(false);
        BindEventHandlers();
    }
}

void TraCodeModule::Loaded() {
    TppReportModule::Loaded();
    TppCustomReport* report = CustomReport();
    if (!report || report->ParentHasCodeModule() || (report->State() & ppsTemplateLoading))
        return;  // the top module does the work for its descendants; a loaded template's when it is taken
    if (CompileOnLoad)
        CompileAll(false);
    BindEventHandlers();
    QList<QPair<QString, TraCodeModule*>> descendants;
    GetDescendantCodeModules(report, descendants);
    for (const auto& d : descendants)
        d.second->BindEventHandlers();
    if (TppCustomReport* main = report->MainReport())
        main->SetModified(false);
}

std::unique_ptr<TppReportModuleTemplate> TraCodeModule::CreateTemplate() {
    return std::make_unique<TraCodeModuleTemplate>(this);
}

// ---- the template ----------------------------------------------------------------------

TraCodeModuleTemplate::TraCodeModuleTemplate(TraCodeModule* aModule) : TppReportModuleTemplate(aModule) {
    declareCodeModuleTexts();
    SetFileExtension(QStringLiteral("ctm"));
    SetFileFilter(ppGetMessageText(969) + QStringLiteral(" (*.ctm)|*.ctm"));
}

void TraCodeModuleTemplate::TakeContents(TppRelative& aLoaded) {
    auto* loaded = qobject_cast<TraCodeModule*>(&aLoaded);
    auto* module = qobject_cast<TraCodeModule*>(Module());
    TppCustomReport* report = module ? module->CustomReport() : nullptr;
    if (loaded && report) {
        const std::vector<TraProgram*> handlers = loaded->EventHandlers();
        for (auto it = handlers.rbegin(); it != handlers.rend(); ++it) {
            auto* handler = dynamic_cast<TraEventHandler*>(*it);
            if (!handler || report->FindUserName(handler->ComponentName()))
                continue;
            const QString text = QStringLiteral("Unable to import ") + handler->EventName() +
                                 QStringLiteral(" code for ") + handler->ComponentName() + QStringLiteral(", ") +
                                 QStringLiteral("no object with this name found.");
            if (!LoadErrorQuestion(text))
                throw ETemplateLoadError(QStringLiteral("Unable to import code module."));
            loaded->FreeProgram(handler);
        }
    }
    TppReportModuleTemplate::TakeContents(aLoaded);
}

// ---- code modules of a report tree -----------------------------------------------------

TraCodeModule* GetCodeModule(const TppCustomReport* aReport) {
    if (!aReport)
        return nullptr;
    for (int i = 0; i < aReport->ModuleCount(); ++i)
        if (auto* m = qobject_cast<TraCodeModule*>(aReport->Modules(i)))
            return m;
    return nullptr;
}

namespace {
void collectCodeModules(const TppChildReportList& aReports, QList<QPair<QString, TraCodeModule*>>& aList) {
    for (const auto& entry : aReports)
        if (TraCodeModule* m = GetCodeModule(static_cast<const TppCustomReport*>(entry.second)))
            aList.append({entry.first, m});
}
}  // namespace

void GetChildCodeModules(const TppCustomReport* aReport, QList<QPair<QString, TraCodeModule*>>& aList) {
    if (!aReport)
        return;
    TppChildReportList children;
    aReport->GetChildReports(children);
    collectCodeModules(children, aList);
}

void GetDescendantCodeModules(const TppCustomReport* aReport, QList<QPair<QString, TraCodeModule*>>& aList) {
    if (!aReport)
        return;
    TppChildReportList children;
    aReport->GetAllChildReports(children);
    collectCodeModules(children, aList);
}

TraCodeModule* GetParentCodeModule(const TraCodeModule* aModule) {
    TppCustomReport* report = aModule ? aModule->CustomReport() : nullptr;
    return report ? GetCodeModule(report->ParentReport()) : nullptr;
}

void GetCodeModuleNames(const TraCodeModule* aModule, QStringList& aNames) {
    declareCodeModuleTexts();
    for (const TraCodeModule* m = aModule; m; m = GetParentCodeModule(m)) {
        TppCustomReport* report = m->CustomReport();
        TraCodeModule* parent = GetParentCodeModule(m);
        QString name = ppGetMessageText(374);
        if (parent && report && report->ParentReport()) {
            TppChildReportList siblings;
            report->ParentReport()->GetChildReports(siblings);
            for (const auto& entry : siblings)
                if (static_cast<TppCustomReport*>(entry.second) == report)
                    name = entry.first;
        }
        aNames.prepend(name);
    }
}

// ---- registration and the plain text form ----------------------------------------------

namespace {
/// A template that holds a code module can be read by any program that links this library
/// (report-run links it whole for that).
const bool kCodeModuleStreamed = [] {
    stream::ClassRegistry::Global().Register<TraCodeModule>(QStringLiteral("TraCodeModule"));
    report::RegisterClass(&TraCodeModule::staticMetaObject);
    return true;
}();
}  // namespace

namespace script {

void RegisterCodeModuleClasses() {
    (void)kCodeModuleStreamed;
    static const bool registered = [] {
        LoadScriptFolders();
        stream::ClassRegistry::Global().Register<TraCodeModule>(QStringLiteral("TraCodeModule"));
        report::RegisterClass(&TraCodeModule::staticMetaObject);
        return true;
    }();
    (void)registered;
}

void ReadCodeModuleText(TraCodeModule& aModule, const QString& aText) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n|\r"));
    static const QRegularExpression marker(QStringLiteral("^//@\\s*(\\w+)(?:\\s+(\\w+)\\s+(\\w+))?\\s*$"));
    aModule.Clear();
    std::unique_ptr<TraProgram> current;
    QStringList lines;
    std::vector<std::unique_ptr<TraProgram>> programs;
    const auto finish = [&] {
        if (!current)
            return;
        current->SetSource(lines.join(QStringLiteral("\r\n")));
        programs.push_back(std::move(current));
        lines.clear();
    };
    for (const QString& line : aText.split(lineBreak)) {
        const QRegularExpressionMatch m = marker.match(line);
        if (!m.hasMatch()) {
            if (current)
                lines << line;
            continue;
        }
        finish();
        const QString kind = m.captured(1).toLower();
        if (kind == QLatin1String("const")) {
            current = std::make_unique<TraConstProgram>();
        } else if (kind == QLatin1String("var")) {
            current = std::make_unique<TraVarProgram>();
        } else if (kind == QLatin1String("handler") && !m.captured(2).isEmpty()) {
            auto handler = std::make_unique<TraEventHandler>();
            handler->Loading = true;
            handler->SetComponentName(m.captured(2));
            handler->SetEventName(m.captured(3));
            handler->ProgramName = m.captured(2) + m.captured(3);
            current = std::move(handler);
        } else {
            current = std::make_unique<TraProgram>();
            current->SetChildType(kind == QLatin1String("oncreate")    ? 19
                                  : kind == QLatin1String("ondestroy") ? 20
                                                                       : 21);
        }
    }
    finish();
    for (auto& p : programs) {
        TraProgram* program = p.release();
        if (program->ChildType() == 19)
            program->ProgramName = QStringLiteral("GlobalOnCreate");
        else if (program->ChildType() == 20)
            program->ProgramName = QStringLiteral("GlobalOnDestroy");
        program->SetCodeModule(&aModule);
        program->Loading = false;
    }
    // Global programs take their names from their headings.
    for (TraProgram* p : aModule.GlobalPrograms()) {
        static const QRegularExpression heading(QStringLiteral("^\\s*(?:procedure|function)\\s+(\\w+)"),
                                                QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = heading.match(p->Source());
        if (m.hasMatch())
            p->ProgramName = m.captured(1);
    }
}

QString WriteCodeModuleText(const TraCodeModule& aModule) {
    QString text;
    for (const TraProgram* p : aModule.Programs()) {
        switch (p->ChildType()) {
        case 17: text += QStringLiteral("//@ var\n"); break;
        case 18: text += QStringLiteral("//@ const\n"); break;
        case 19: text += QStringLiteral("//@ oncreate\n"); break;
        case 20: text += QStringLiteral("//@ ondestroy\n"); break;
        case 21: text += QStringLiteral("//@ global\n"); break;
        default:
            if (auto* h = dynamic_cast<const TraEventHandler*>(p))
                text += QStringLiteral("//@ handler %1 %2\n").arg(h->ComponentName(), h->EventName());
            break;
        }
        QString source = p->Source();
        source.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text += source;
    }
    return text;
}

}  // namespace script
