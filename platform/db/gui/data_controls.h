#pragma once

#include "platform/db/gui/data_source.h"

#include <QCheckBox>
#include <QFrame>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>

namespace db::gui {

class FieldDataLink;

/// Controls bound to one field of a data source's cursor. Each shows the field of the
/// current record and follows every move and change; when the user changes it, a browsing
/// cursor enters edit state (DataSource::AutoEdit) and the value goes into the record's
/// edit buffer, to be written by the cursor's Post. A control is read-only while its field
/// cannot be modified (no cursor, a closed or read-only cursor, a read-only or
/// autoincrement field) or its own ReadOnly is set. Engine errors while writing (a value
/// a number field refuses, a locked record) are reported through the dialog service and
/// the control shows the field's value again.

/// What every control below shares: the data source and field it shows, and its own
/// read-only setting. The link belongs to the control (a child QObject).
class FieldControl {
public:
    DataSource* GetDataSource() const;
    void SetDataSource(DataSource* source);
    QString DataField() const;
    void SetDataField(const QString& name);
    bool ReadOnly() const { return m_readOnly; }

protected:
    explicit FieldControl(FieldDataLink* link) : m_link(link) {}
    ~FieldControl() = default;

    FieldDataLink* const m_link;  ///< owned by the control as its child
    bool m_readOnly = false;
};

/// One-line edit. Alpha fields are written at every keystroke, limited to the field's
/// size; other kinds when editing finishes (or DataSource::UpdateRecord runs).
class DBEdit : public QLineEdit, public FieldControl {
    Q_OBJECT
public:
    explicit DBEdit(QWidget* parent = nullptr);

    void SetReadOnly(bool readOnly);

private:
    void reload();
    void userEdited(const QString& text);
    void flush();

    bool m_pending = false;  ///< typed text not yet written (non-alpha fields)
};

/// Multi-line text of a memo (or alpha) field; line breaks are stored as "\r\n".
class DBMemo : public QPlainTextEdit, public FieldControl {
    Q_OBJECT
public:
    explicit DBMemo(QWidget* parent = nullptr);

    void SetReadOnly(bool readOnly);

private:
    void reload();
    void userChanged();

    bool m_loading = false;
};

/// Check box of a logical field; a null field shows unchecked.
class DBCheckBox : public QCheckBox, public FieldControl {
    Q_OBJECT
public:
    explicit DBCheckBox(const QString& caption, QWidget* parent = nullptr);

    void SetReadOnly(bool readOnly);

private:
    void reload();
    void userClicked(bool checked);

};

/// Picture of a graphic field, drawn at its own size in the middle of the control (or
/// scaled to fit, keeping its proportions, with Stretch). SetPicture stores a new picture.
class DBImage : public QFrame, public FieldControl {
    Q_OBJECT
public:
    explicit DBImage(QWidget* parent = nullptr);

    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool stretch);

    /// The shown picture (null when the field is null or not a picture).
    const QImage& Picture() const { return m_picture; }
    /// Writes a picture into the field (entering edit state); false when the field cannot
    /// be modified. Engine errors propagate.
    bool SetPicture(const QImage& picture);

    /// Room for the picture, at least 64 by 64 pixels.
    QSize sizeHint() const override;

signals:
    void DoubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void reload();

    QImage m_picture;
    bool m_stretch = false;
};

}  // namespace db::gui
