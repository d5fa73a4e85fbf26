#pragma once

#include "report/model/data_pipeline.h"
#include "report/page/class_library.h"
#include "report/page/report_types.h"

#include "platform/stream/persistent.h"

#include <QByteArray>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class TppTemplate;

namespace stream {
class Component;
class StreamError;
struct ReadOptions;
}  // namespace stream

/// Where a template lives in a table: the pipeline over the table, the key value of the
/// row (Name), the field holding the key (NameField) and the BLOB or memo field holding the
/// stream (TemplateField).
class TppTemplateDBSettings : public TPersistent, public stream::Persistent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppTemplateDBSettings(QObject* parent = nullptr) : TPersistent(parent) {}

    TppDataPipeline* DataPipeline() const { return m_dataPipeline; }
    /// Tells the owner (OnDataPipelineChange) before the pipeline is stored.
    void SetDataPipeline(TppDataPipeline* aValue);
    QString Name() const { return m_name; }
    /// Tells the owner (OnNameChanged) after the name is stored.
    void SetName(const QString& aValue);
    QString NameField() const { return m_nameField; }
    void SetNameField(const QString& v) { m_nameField = v; }
    QString TemplateField() const { return m_templateField; }
    void SetTemplateField(const QString& v) { m_templateField = v; }

    /// Copies the four properties through their setters.
    void Assign(TPersistent* Source) override;

    std::function<void()> OnNameChanged;
    std::function<void(TppDataPipeline*)> OnDataPipelineChange;

    const stream::PropertyList& StreamProperties() const override;

private:
    QPointer<TppDataPipeline> m_dataPipeline;
    QString m_name;
    QString m_nameField;
    QString m_templateField;
};

/// The settings of a template: where it is kept (a file or a table row), in which form
/// (binary or text) and behind how many reserved bytes.
class TppCustomTemplate : public TPersistent, public stream::Persistent {
    Q_OBJECT
public:
    /// aOwner: the object the template stores (a report, data module or code module).
    explicit TppCustomTemplate(TComponent* aOwner);

    TComponent* Owner() const { return m_owner; }
    TppTemplateDBSettings* DatabaseSettings() const { return m_databaseSettings.get(); }
    /// Copies the settings.
    virtual void SetDatabaseSettings(TppTemplateDBSettings* aValue);
    QString FileName() const { return m_fileName; }
    virtual void SetFileName(const QString& aValue);
    int Offset() const { return m_offset; }
    void SetOffset(int v) { m_offset = v; }
    TppFormatType Format() const { return m_format; }
    void SetFormat(TppFormatType v) { m_format = v; }
    TppSaveToType SaveTo() const { return m_saveTo; }
    void SetSaveTo(TppSaveToType v) { m_saveTo = v; }
    /// FileName for files, the row's name for tables.
    virtual QString GetDescription() const;
    virtual void SetDescription(const QString& aValue);
    QString Description() const { return GetDescription(); }
    /// A pipeline is set and both field names are given.
    virtual bool IsDatabaseSettingsValid() const;

    /// Copies DatabaseSettings, FileName, Offset, SaveTo and Format.
    void Assign(TPersistent* Source) override;

    const stream::PropertyList& StreamProperties() const override;

protected:
    /// Called after FileName or the row's name changed; empty here.
    virtual void NameChanged() {}
    /// Called with the new pipeline before it is stored; empty here.
    virtual void DataPipelineChanged(TppDataPipeline* aPipeline) { Q_UNUSED(aPipeline); }

private:
    QPointer<TComponent> m_owner;
    std::unique_ptr<TppTemplateDBSettings> m_databaseSettings;
    QString m_fileName;
    int m_offset = 0;
    TppFormatType m_format = TppFormatType::ftBinary;
    TppSaveToType m_saveTo = TppSaveToType::stFile;
};

namespace report {

/// The answer to an error met while reading a template.
enum class TemplateErrorAnswer { Ignore, IgnoreAll, Cancel };
/// Asks the user about a reading error (the text holds the reader's message, a line break
/// and "Ignore the error and continue?"). The default asks through the dialog service with
/// the buttons Ignore, Cancel and All; a window of the report library installs its own.
using TemplateErrorPrompt = std::function<TemplateErrorAnswer(const QString& aText)>;
/// Installs the prompt; answers the previous one. An empty function restores the default.
TemplateErrorPrompt SetTemplateErrorPrompt(TemplateErrorPrompt aPrompt);
/// The default question: a message box with Ignore, Cancel and All.
TemplateErrorAnswer AskTemplateErrorInMessageBox(const QString& aText);

/// Asks for the name of a template row: aMode 0 opens, 1 saves; aName is proposed. Answers
/// the name chosen, or nothing when cancelled. Installed by the template dialog; without one
/// no row can be chosen.
using TemplateNamePrompt = std::function<std::optional<QString>(int aMode, TppDataPipeline* aPipeline,
                                                                const QString& aNameField, const QString& aName)>;
TemplateNamePrompt SetTemplateNamePrompt(TemplateNamePrompt aPrompt);
/// The template whose row name is being asked for (while its ShowOpenDialog or
/// ShowSaveDialog runs the prompt); null otherwise. Lets a prompt learn the template's kind.
TppTemplate* TemplateAskingForName();

/// Files and table fields larger than this are refused before they are read.
inline constexpr qint64 kMaxTemplateBytes = qint64(256) * 1024 * 1024;

}  // namespace report

/// Loads and saves a template stream: an optional reserved prefix of Offset bytes, then the
/// component stream in binary form ("TPF0") or text form ("object ..."), kept in a file or
/// in a BLOB or memo field of a table row reached through a pipeline.
///
/// Load: the stream is read whole, its form and offset found (Offset, else 0, else the
/// little-endian 32-bit number at 0), the text form upgraded when old and read with the root
/// component as owner. Every length and count in the stream is checked by the stream reader;
/// a damaged stream raises a stream error naming what is wrong and where. Errors the reader
/// meets in properties and classes are put to the user (Ignore, Ignore All, Cancel).
///
/// The owner's own contents are never touched by this base: the stream is read into a new
/// component handed to ReadComponent. Templates that load into their existing owner derive
/// from report::RelativeTemplate.
class TppTemplate : public TppCustomTemplate {
    Q_OBJECT
public:
    explicit TppTemplate(TComponent* aOwner);
    ~TppTemplate() override;

    /// The owner of what is read (the form or data module of the owner); the owner's owner
    /// until set.
    QObject* Root() const;
    void SetRoot(QObject* aRoot) { m_root = aRoot; }
    QString FileExtension() const { return m_fileExtension; }
    void SetFileExtension(const QString& v) { m_fileExtension = v; }
    QString FileFilter() const { return m_fileFilter; }
    void SetFileFilter(const QString& v) { m_fileFilter = v; }
    /// The file exists and cannot be written.
    virtual bool IsReadOnly() const;

    virtual void Load();
    virtual void LoadFromDatabase();
    virtual void LoadFromFile();
    /// Loads a stream held in memory (the contents of a file or template field).
    void LoadFromBytes(const QByteArray& aBytes);
    virtual void Save();
    virtual void SaveToDatabase();
    virtual void SaveToFile();
    /// The stream a save writes (binary or text, behind Offset reserved bytes).
    QByteArray SaveToBytes();
    virtual void New();

    /// The row of the template: OnLocateRecord when a handler is set, else Locate of
    /// NameField = Name ignoring case. False without a pipeline.
    bool LocateRecord();
    /// The file dialogs for file storage, the template dialog for table rows; True when a
    /// file or row name was chosen (it is then FileName or the row's Name).
    bool ShowOpenDialog();
    bool ShowSaveDialog();
    /// File dialogs (file storage only); True when a file was chosen.
    bool ShowOpenFileDialog();
    /// A read-only choice shows "File is read-only." and asks again; Cancel restores FileName.
    bool ShowSaveFileDialog();
    /// Copies the settings and the event handlers of aSource, keeping this template's row
    /// name and file name.
    void AssignKeepingLocation(TppTemplate* aSource);

    /// Raises ETemplateSaveError 53 when the template field is neither BLOB nor memo.
    bool IsDatabaseSettingsValid() const override;

    /// The events; each has a public handler and a second one for the report explorer.
    struct Handlers {
        std::function<void(TppTemplate*, QObject* aDialog)> OnCreateDialog;
        std::function<void(TppTemplate*, QByteArray& aStream)> OnLoadStream;
        std::function<void(QObject* aOwner)> OnLoadEnd;
        std::function<bool(TppTemplate*, const QString& aName)> OnLocateRecord;
        std::function<void(TppTemplate*)> OnNew;
        std::function<void(QObject* aOwner)> OnSaveStart;
        std::function<void(TppTemplate*, QByteArray& aStream)> OnSaveStream;
    };
    Handlers Events;
    Handlers ExplorerEvents;  ///< OnLoadStream and OnSaveStart are not used here

    /// The form and the offset of a stream, as Load finds them. Raises EInvalidTemplateError
    /// 49 when no signature is found. aOffset is the offset to try first.
    static TppFormatType FindStreamStart(const QByteArray& aBytes, int& aOffset);
    /// The version written in the first 2000 bytes of a text stream ("Version = '4.0'" gives
    /// 4000); 0 when there is none.
    static int TextStreamVersion(const QByteArray& aText);
    /// A text stream of a version before 3000 with its integer measurements made decimals.
    static QByteArray UpgradeTextStream(const QByteArray& aText);

protected:
    virtual void PrepareStream(QByteArray& aStream) { Q_UNUSED(aStream); }
    virtual void DoLoadStream(QByteArray& aStream);
    virtual void DoSaveStream(QByteArray& aStream);
    /// Called for every component read; empty here.
    virtual void ReadComponent(stream::Component& aComponent) { Q_UNUSED(aComponent); }
    /// Called before the reader names a component; may change the name.
    virtual void ReaderSetName(stream::Component& aComponent, QString& aName);
    /// Resolves an event handler's name read from the stream. Handler names are bound only
    /// when the root is designed in a form designer, and there is none in this system: the
    /// names stay as read (the components keep them as text), so this does nothing.
    virtual void ReaderFindMethod(stream::Component& aComponent, const QString& aMethodName) {
        Q_UNUSED(aComponent);
        Q_UNUSED(aMethodName);
    }
    /// A reading error: True when it is to be ignored (ignore-all, or the user's answer).
    virtual bool ReaderError(const stream::StreamError& aError);
    /// The load-error question: the text, CR LF and "Ignore the error and continue?" in the
    /// template error dialog. True to go on (Ignore, or every question after Ignore All of
    /// the same load is answered so without asking); false for Cancel.
    bool LoadErrorQuestion(const QString& aText);
    /// Keeps the template's settings; False stops the load before anything is read.
    virtual bool PreserveSettings();
    virtual void ConvertTextStream(QByteArray& aText) { Q_UNUSED(aText); }
    /// Gives back the settings kept by PreserveSettings.
    virtual void RestoreSettings(bool aSuccess);
    virtual bool BeforeSave() { return true; }
    virtual void AfterSave(bool aSuccess) { Q_UNUSED(aSuccess); }
    /// Reads the stream's components with the root as owner; the base makes a new
    /// component of the stored class and hands it to ReadComponent, which owns it from then.
    virtual void ReadStream(const QByteArray& aBinary);
    /// Fills the reader's hooks (set-name, error, component read).
    void setReaderHooks(stream::ReadOptions& aOptions);

    QString readerName() const { return m_readerName; }

private:
    void loadStream(QByteArray aBytes);
    void fireLoadEnd();
    bool ignoreAll() const { return m_ignoreAll; }

    QPointer<QObject> m_root;
    QString m_fileExtension;
    QString m_fileFilter;
    bool m_ignoreAll = false;
    QString m_readerName;
    std::unique_ptr<TppCustomTemplate> m_preserved;
};

namespace report {

/// A template that loads into its existing owner, a relative object (a report, a data or
/// code module): the stream is read into a new object of the owner's class, and only when
/// the whole read succeeded does the owner take over its contents (TppRelative::Transfer).
/// A load that fails, however far it got, leaves the owner exactly as it was. Old text
/// streams (before version 3000) are upgraded before they are read.
///
/// Names: until the owner takes them, the objects read belong to the new object, so their
/// user names never meet those of the tree they replace; then they move to the owner's
/// owner. A component name that another component of the root already has gets a new
/// default name, except names of the owner's own tree, which the loaded contents replace.
class RelativeTemplate : public TppTemplate {
    Q_OBJECT
public:
    explicit RelativeTemplate(TppRelative* aOwner);

    TppRelative* OwnerRelative() const;
    /// The object read by the last load, until the owner took its contents.
    TppRelative* LoadedObject() const { return m_loaded.get(); }

protected:
    void ConvertTextStream(QByteArray& aText) override;
    void ReaderSetName(stream::Component& aComponent, QString& aName) override;
    void ReadStream(const QByteArray& aBinary) override;
    /// After a successful read: the owner takes the loaded object's contents; its place in
    /// the tree stays.
    virtual void TakeContents(TppRelative& aLoaded);

private:
    std::unique_ptr<TppRelative> m_loaded;
};

}  // namespace report
