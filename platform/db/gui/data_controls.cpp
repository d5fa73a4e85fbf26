#include "platform/db/gui/data_controls.h"

#include "platform/db/gui/field_data_link.h"
#include "platform/db/gui/picture.h"
#include "platform/ui/run_guarded.h"

#include <QMouseEvent>
#include <QPainter>
#include <QValidator>

namespace db::gui {

namespace {

/// Keeps the edit's text made of whole characters: the edit's length limit counts UTF-16
/// units and cuts an inserted text wherever the limit falls, which can leave the first half
/// of a surrogate pair (an emoji, a rare CJK character) at the cut. Such a half, and any
/// other unpaired surrogate, is dropped.
class WholeCharacterValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override {
        for (qsizetype i = 0; i < input.size();) {
            const bool paired = input[i].isHighSurrogate() && i + 1 < input.size() && input[i + 1].isLowSurrogate();
            if (paired) {
                i += 2;
            } else if (input[i].isSurrogate()) {
                input.remove(i, 1);
                if (pos > i) --pos;
            } else {
                ++i;
            }
        }
        return Acceptable;
    }
};

}  // namespace

// ---- FieldControl ----

DataSource* FieldControl::GetDataSource() const { return m_link->GetDataSource(); }
void FieldControl::SetDataSource(DataSource* source) { m_link->SetDataSource(source); }
QString FieldControl::DataField() const { return m_link->DataField(); }
void FieldControl::SetDataField(const QString& name) { m_link->SetDataField(name); }

// ---- DBEdit ----

DBEdit::DBEdit(QWidget* parent) : QLineEdit(parent), FieldControl(new FieldDataLink(this)) {
    setValidator(new WholeCharacterValidator(this));
    m_link->Reload = [this] { reload(); };
    m_link->Flush = [this] { flush(); };
    connect(this, &QLineEdit::textEdited, this, &DBEdit::userEdited);
    connect(this, &QLineEdit::editingFinished, this, &DBEdit::flush);
    reload();
}

void DBEdit::SetReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    reload();
}

void DBEdit::reload() {
    m_pending = false;
    const Field* f = m_link->GetField();
    setMaxLength(f && f->DataType() == FieldType::ftString ? f->Size() : 32767);
    QString text;
    if (f) ui::RunGuarded(this, [&] { text = f->AsString(); });
    if (this->text() != text) setText(text);
    setReadOnly(m_readOnly || !m_link->CanModify());
}

void DBEdit::userEdited(const QString& text) {
    if (isReadOnly()) return;
    bool written = false;
    const bool ok = ui::RunGuarded(this, [&] {
        const Field* f = m_link->GetField();
        if (f && f->DataType() == FieldType::ftString) {
            written = m_link->Write([&](Field& field) { field.SetAsString(text); });
        } else {
            written = m_link->Write([](Field&) {});  // edit state now; the value when editing ends
            m_pending = written;
        }
    });
    if (!ok || !written) reload();
}

void DBEdit::flush() {
    if (!m_pending) return;
    m_pending = false;
    const QString typed = text();
    m_link->WriteOrReload([&](Field& field) { field.SetAsString(typed); });
}

// ---- DBMemo ----

DBMemo::DBMemo(QWidget* parent) : QPlainTextEdit(parent), FieldControl(new FieldDataLink(this)) {
    m_link->Reload = [this] { reload(); };
    connect(this, &QPlainTextEdit::textChanged, this, &DBMemo::userChanged);
    reload();
}

void DBMemo::SetReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    reload();
}

void DBMemo::reload() {
    const Field* f = m_link->GetField();
    QString text;
    if (f) ui::RunGuarded(this, [&] { text = f->AsString(); });
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    m_loading = true;
    if (toPlainText() != text) setPlainText(text);
    m_loading = false;
    setReadOnly(m_readOnly || !m_link->CanModify());
}

void DBMemo::userChanged() {
    if (m_loading || isReadOnly()) return;
    QString text = toPlainText();
    text.replace(u'\n', QLatin1String("\r\n"));
    m_link->WriteOrReload([&](Field& field) { field.SetAsString(text); });
}

// ---- DBCheckBox ----

DBCheckBox::DBCheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent), FieldControl(new FieldDataLink(this)) {
    m_link->Reload = [this] { reload(); };
    connect(this, &QCheckBox::clicked, this, &DBCheckBox::userClicked);
    reload();
}

void DBCheckBox::SetReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    reload();
}

void DBCheckBox::reload() {
    const Field* f = m_link->GetField();
    bool on = false;
    if (f) ui::RunGuarded(this, [&] { on = f->AsBoolean(); });
    setChecked(on);
}

void DBCheckBox::userClicked(bool checked) {
    if (m_readOnly || !m_link->CanModify()) {
        reload();
        return;
    }
    m_link->WriteOrReload([&](Field& field) { field.SetAsBoolean(checked); });
}

// ---- DBImage ----

DBImage::DBImage(QWidget* parent) : QFrame(parent), FieldControl(new FieldDataLink(this)) {
    setFrameShape(QFrame::StyledPanel);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    m_link->Reload = [this] { reload(); };
}

void DBImage::SetStretch(bool stretch) {
    m_stretch = stretch;
    update();
}

void DBImage::reload() {
    const Field* f = m_link->GetField();
    QByteArray bytes;
    if (f && f->IsBlob()) ui::RunGuarded(this, [&] { bytes = f->AsBytes(); });
    m_picture = PictureFromBytes(bytes);
    updateGeometry();
    update();
}

bool DBImage::SetPicture(const QImage& picture) {
    if (m_readOnly || !m_link->CanModify()) return false;
    const bool written = m_link->Write([&](Field& field) { field.SetAsBytes(PictureToBytes(picture)); });
    reload();
    return written;
}

QSize DBImage::sizeHint() const {
    const int frame = 2 * frameWidth();
    return m_picture.size().expandedTo(QSize(64, 64)) + QSize(frame, frame);
}

void DBImage::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (m_picture.isNull()) return;
    QPainter p(this);
    const QRect area = contentsRect();
    QSize size = m_picture.size();
    if (m_stretch) size = size.scaled(area.size(), Qt::KeepAspectRatio);
    QRect target(QPoint(0, 0), size);
    target.moveCenter(area.center());
    p.setClipRect(area);
    p.drawImage(target, m_picture);
}

void DBImage::mouseDoubleClickEvent(QMouseEvent* event) {
    emit DoubleClicked();
    QFrame::mouseDoubleClickEvent(event);
}

}  // namespace db::gui
