#pragma once

// The code module of a report: every script program written for one report, stored in the
// report's template as the binary property "ProgramStream" and exported and imported as a
// "Report Code file" (.ctm). It compiles its programs (with one retry pass for global
// programs), binds the event handlers to report objects after loading, runs the global
// programs around each print job (events 70 and 71 the report passes on), and answers the
// look-ups of its programs (constants, variables, program calls, object names) along the
// chain of parent reports.
//
// Program order, wherever the module enumerates its programs (streaming, binding): const
// program, var program, GlobalOnCreate, GlobalOnDestroy, the global programs, the event
// handlers. Program kinds (ChildType): 17 var, 18 const, 19 OnCreate, 20 OnDestroy,
// 21 global procedure or function, anything else an event handler.

#include "report/model/errors.h"
#include "report/model/module.h"
#include "report/script/program.h"

#include "platform/base/exception.h"

#include <QByteArray>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <vector>

class TppCustomReport;
class TraCodeModule;
class TraParamList;

/// The report-side communicator of a program: it subscribes to a report object's numbered
/// events and follows the object's notifications (an event handler's listener).
class TraProgramCommunicator : public TppCommunicator {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TraProgramCommunicator(TComponent* AOwner = nullptr);
    /// Called after the base handled a partner's notification (a freed partner is already
    /// gone from the lists, so the hook may free this communicator).
    std::function<void(TppCommunicator* aSender, TppOperationType aOperation)> OnPartnerNotify;
    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;
};

/// A program attached to one event of one report object: it names the object by user name
/// and the event by name, listens for the event's id on the object, copies the event's
/// parameters into its own, runs, and copies its var parameters back to the sender.
class TraEventHandler : public TraProgram {
public:
    TraEventHandler();
    ~TraEventHandler() override;

    QString ComponentName() const { return m_componentName; }
    /// Stores the name; unless loading, renames the program, looks the object up again and,
    /// when bound, rewrites the declaration line (the rest of the source is kept).
    void SetComponentName(const QString& aName);
    QString EventName() const { return m_eventName; }
    /// Stores the name and, when bound, listens for the event's id from the class manager.
    void SetEventName(const QString& aName);
    int EventID = -1;  ///< recomputed whenever the handler binds; stored for information

    /// The bound object, looked up again first when needed; none while loading.
    TppCommunicator* Resolve();
    TppCommunicator* BoundObject() const { return m_bound.data(); }
    /// Runs the handler for one event: parameters in by position (only as many as the event
    /// has), run through the module, var parameters back into the sender's buffers.
    virtual void RunWithParams(int aEventId, TraParamList* aParams);

    /// The declaration built from the event's parameter list, with CR LF.
    QString GetHeading() const override;
    void CreateDefaultSource() override;
    void SetCodeModule(TraCodeModule* aModule) override;
    void Rebind() override { SetComponentName(m_componentName); }
    QString StreamClassName() const override { return QStringLiteral("TraEventHandler"); }
    /// The declaration text of an event of a class, without CR LF ("procedure " + name + ";"
    /// when the class manager knows no such event).
    static QString DeclarationFor(TClass aClass, const QString& aEventName, const QString& aProgramName);

private:
    void partnerNotify(TppCommunicator* aSender, TppOperationType aOperation);
    QString currentDeclaration() const;

    QString m_componentName;
    QString m_eventName;
    QPointer<TppCommunicator> m_bound;
    bool m_needsResolve = false;
    QString m_declaration;  ///< the last declaration built, with CR LF
    std::unique_ptr<TraProgramCommunicator> m_listener;
};

/// The code module.
class TraCodeModule : public TppReportModule {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TraCodeModule(TComponent* AOwner = nullptr);
    ~TraCodeModule() override;

    bool Active = true;         ///< false while the module's template loads
    bool CompileOnLoad = true;  ///< compile every program when loaded or attached
    bool AllCompiled = false;   ///< compile-all may recompile only changed programs
    bool CompilingAll = false;
    bool Recompiling = false;
    bool Running = false;  ///< between the start and the end of a print job

    TraProgram* ConstProgram() const { return m_const; }
    TraProgram* VarProgram() const { return m_var; }
    TraProgram* GlobalOnCreate() const { return m_onCreate; }
    TraProgram* GlobalOnDestroy() const { return m_onDestroy; }
    const std::vector<TraProgram*>& GlobalPrograms() const { return m_globals; }
    const std::vector<TraProgram*>& EventHandlers() const { return m_handlers; }
    /// Every program in program order.
    std::vector<TraProgram*> Programs() const;

    /// Files a program by its kind and takes ownership (TraProgram::SetCodeModule calls it).
    void AddProgram(TraProgram* aProgram);
    /// Takes a program out of its slot or list (the caller owns it afterwards).
    void RemoveProgram(TraProgram* aProgram);
    /// Removes and frees a program.
    void FreeProgram(TraProgram* aProgram);
    /// Frees every program.
    void Clear();

    int ProgramCount() const;
    bool IsEmpty() const override { return ProgramCount() == 0; }
    /// Compiles const, var and global programs (a retry pass for the global programs that
    /// failed), then OnCreate, OnDestroy and the handlers, then the direct sub-reports'
    /// modules. With aRaise the first program left uncompiled raises ECodeError.
    void CompileAll(bool aRaise);
    void CompileProgram(TraProgram* aProgram, bool aIncremental, bool aRaise);
    /// Runs a program; any failure becomes ECodeError "Could not run program: <name>".
    void RunProgram(TraProgram* aProgram);
    /// Event 70: compile all (raising), then run const, var and GlobalOnCreate, once per job.
    void RunStartPrograms();
    /// Event 71: GlobalOnDestroy, then the objects the scripts made and left are freed.
    void RunEndPrograms();
    /// A script was cancelled: the report's engine (and its parents') stops the job.
    void CancelJob();
    /// Binds every handler to its object: a handler whose object is missing is tried with
    /// the last character of its name removed (Variable12 → Variable1), else dropped with a
    /// warning; a handler of a report event the report does not have is dropped too.
    void BindEventHandlers();

    TraEventHandler* FindEventHandler(QObject* aComponent, const QString& aEventName) const;
    TraEventHandler* CreateEventHandler(TppCommunicator* aComponent, const QString& aEventName);
    /// The global program of that name (any case), here or in a parent report's module.
    TraProgram* FindGlobalProgram(const QString& aName) const;
    QString UniqueProgramName(const QString& aBase) const;
    int IndexOfProgram(const TraProgram* aProgram) const;
    /// The report object of that user name, else a data pipeline of the report's owner.
    QObject* FindObject(const QString& aName) const;
    TppCustomReport* CustomReport() const;

    // The program stream.
    QByteArray WriteProgramStream() const;
    /// Replaces the programs with those of the stream. An item of an unknown class is
    /// skipped (its name is added to aWarnings); a damaged stream raises
    /// stream::StreamError and leaves the module as it was.
    void ReadProgramStream(const QByteArray& aBytes, QStringList* aWarnings = nullptr);
    /// Warnings of the last stream read (skipped items).
    const QStringList& StreamWarnings() const { return m_streamWarnings; }

    // The report module.
    void SetReport(TppRelative* aReport) override;
    void ReportDestroying() override;
    void Transfer(TPersistent* aSource) override;
    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;
    void EventNotify(TppCommunicator* aCommunicator, int aEventID, TraParamList* aParams) override;
    void StateChange(TppCommunicatorStates aStates) override;
    void DefineProperties(stream::Filer& aFiler) override;
    void Loaded() override;

protected:
    std::unique_ptr<TppReportModuleTemplate> CreateTemplate() override;

private:
    void attachEvents(TraProgram* aProgram);
    void detachEvents(TraProgram* aProgram);
    void setModifiedFlag();
    void listenTo(TppCustomReport* aReport);

    TraProgram* m_const = nullptr;
    TraProgram* m_var = nullptr;
    TraProgram* m_onCreate = nullptr;
    TraProgram* m_onDestroy = nullptr;
    std::vector<TraProgram*> m_globals;
    std::vector<TraProgram*> m_handlers;
    QPointer<TppCustomReport> m_listening;
    QStringList m_streamWarnings;
    bool m_clearing = false;
};

/// The template of a code module: ".ctm" files and table rows. After a load each handler
/// whose object the report does not have is questioned ("Unable to import ..."); Cancel
/// stops the import and the module keeps its programs.
class TraCodeModuleTemplate : public TppReportModuleTemplate {
    Q_OBJECT
public:
    explicit TraCodeModuleTemplate(TraCodeModule* aModule);

protected:
    void TakeContents(TppRelative& aLoaded) override;
};

// Code modules of a report tree.
TraCodeModule* GetCodeModule(const TppCustomReport* aReport);
/// The code modules of the direct sub-reports, keyed by the sub-report's user name.
void GetChildCodeModules(const TppCustomReport* aReport, QList<QPair<QString, TraCodeModule*>>& aList);
/// The same over all descendant sub-reports, depth first.
void GetDescendantCodeModules(const TppCustomReport* aReport, QList<QPair<QString, TraCodeModule*>>& aList);
TraCodeModule* GetParentCodeModule(const TraCodeModule* aModule);
/// From this module up to the top: each module's name at the front ("Main" for the top).
void GetCodeModuleNames(const TraCodeModule* aModule, QStringList& aNames);

namespace script {
/// Registers the code module's classes for streaming (idempotent).
void RegisterCodeModuleClasses();
/// The plain text form of a code module (script-run reads it): programs separated by
/// marker lines "//@ const", "//@ var", "//@ oncreate", "//@ ondestroy", "//@ global" and
/// "//@ handler <object> <event>"; each program's source follows its marker.
void ReadCodeModuleText(TraCodeModule& aModule, const QString& aText);
QString WriteCodeModuleText(const TraCodeModule& aModule);
}  // namespace script
