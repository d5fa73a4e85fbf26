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

/// One-line edit. Alpha fields are written at every keystroke, limited to the field's
/// size; other kinds when editing finishes (or DataSource::UpdateRecord runs).
class DBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DBEdit(QWidget* parent = nullptr);

    DataSource* GetDataSource() const;
    void SetDataSource(DataSource* source);
    QString DataField() const;
    void SetDataField(const QString& name);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);

private:
    void reload();
    void userEdited(const QString& text);
    void flush();

    FieldDataLink* m_link;
    bool m_readOnly = false;
    bool m_pending = false;  ///< typed text not yet written (non-alpha fields)
};

/// Multi-line text of a memo (or alpha) field; line breaks are stored as "\r\n".
class DBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit DBMemo(QWidget* parent = nullptr);

    DataSource* GetDataSource() const;
    void SetDataSource(DataSource* source);
    QString DataField() const;
    void SetDataField(const QString& name);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);

private:
    void reload();
    void userChanged();

    FieldDataLink* m_link;
    bool m_readOnly = false;
    bool m_loading = false;
};

/// Check box of a logical field; a null field shows unchecked.
class DBCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit DBCheckBox(const QString& caption, QWidget* parent = nullptr);

    DataSource* GetDataSource() const;
    void SetDataSource(DataSource* source);
    QString DataField() const;
    void SetDataField(const QString& name);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);

private:
    void reload();
    void userClicked(bool checked);

    FieldDataLink* m_link;
    bool m_readOnly = false;
};

/// Picture of a graphic field, drawn at its own size in the middle of the control (or
/// scaled to fit, keeping its proportions, with Stretch). SetPicture stores a new picture.
class DBImage : public QFrame {
    Q_OBJECT
public:
    explicit DBImage(QWidget* parent = nullptr);

    DataSource* GetDataSource() const;
    void SetDataSource(DataSource* source);
    QString DataField() const;
    void SetDataField(const QString& name);
    bool ReadOnly() const { return m_readOnly; }
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

    FieldDataLink* m_link;
    QImage m_picture;
    bool m_readOnly = false;
    bool m_stretch = false;
};

}  // namespace db::gui
