#include "report/designer/docking/skiffrow.h"

#include "report/designer/docking/dock_skiffrow.h"
#include "report/designer/docking/errors.h"
#include "report/designer/docking/float_parent.h"
#include "report/designer/docking/toolbar_sep_skiffrow.h"

#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

/// The toolbar's client: holds the controls and draws the etched lines where a floating
/// toolbar wrapped at a separator. Presses on empty spots go to the toolbar (drag).
class ToolbarClient : public QWidget {
public:
    ToolbarClient(TppSkiffrow* toolbar) : QWidget(toolbar), m_toolbar(toolbar) { setObjectName(QStringLiteral("Client")); }

protected:
    void paintEvent(QPaintEvent*) override {
        if (m_toolbar->CurrentOrientation() != 0) return;
        QPainter p(this);
        for (const skiffrow::WrapLine& line : m_toolbar->WrapLines()) {
            if (line.blank) continue;
            p.setPen(palette().color(QPalette::Dark));
            p.drawLine(1, line.top - 4, width() - 2, line.top - 4);
            p.setPen(palette().color(QPalette::Light));
            p.drawLine(1, line.top - 3, width() - 2, line.top - 3);
        }
    }

private:
    TppSkiffrow* m_toolbar;
};

}  // namespace

TppSkiffrow::TppSkiffrow(QMainWindow* owner, const QString& name) : QToolBar(owner), TppCustomToolWindowSkiffrow(this, owner) {
    setObjectName(name);
    setWindowTitle(name);
    setFloatable(false);
    m_client = new ToolbarClient(this);
    addWidget(m_client);
    connect(this, &QToolBar::orientationChanged, this, [this] { Rearrange(); });
    FinishCreation();
}

TppSkiffrow::~TppSkiffrow() = default;

TppSkiffrow* TppSkiffrow::ToolbarOf(const QWidget* control) {
    const QWidget* client = control ? control->parentWidget() : nullptr;
    return client ? qobject_cast<TppSkiffrow*>(client->parentWidget()) : nullptr;
}

void TppSkiffrow::SetCaption(const QString& caption) {
    setWindowTitle(caption);
    if (FloatParent()) FloatParent()->SetCaptionText(caption);
}

void TppSkiffrow::SetFloatRightX(int value) {
    m_floatRightX = std::max(0, value);
    Rearrange();
}

void TppSkiffrow::AddControl(QWidget* control) {
    control->setParent(m_client);
    if (!m_order.contains(control)) m_order.append(control);
    if (!control->isHidden() || !control->testAttribute(Qt::WA_WState_ExplicitShowHide)) control->show();
    Rearrange();
}

void TppSkiffrow::RemoveControl(QWidget* control) {
    m_order.removeAll(control);
    Rearrange();
}

void TppSkiffrow::MoveControlTo(QWidget* control, int index) {
    const int from = m_order.indexOf(control);
    if (from < 0) throw EInvalidOperation(QStringLiteral("Control is not a child of the toolbar"));
    index = std::clamp(index, 0, static_cast<int>(m_order.size()) - 1);
    if (index == from) return;
    m_order.move(from, index);
    Rearrange();
}

void TppSkiffrow::AddAlternateControls(QWidget* horizontalControl, QWidget* verticalControl) {
    if (!m_order.contains(horizontalControl)) {
        horizontalControl->setParent(m_client);
        m_order.append(horizontalControl);
    }
    if (!m_order.contains(verticalControl)) {
        verticalControl->setParent(m_client);
        m_order.append(verticalControl);
    }
    m_alternates.append(qMakePair(QPointer<QWidget>(horizontalControl), QPointer<QWidget>(verticalControl)));
    Rearrange();
}

int TppSkiffrow::orientationFor(TppDockSkiffrow* dock) const { return dock ? dock->Orientation() : 0; }
int TppSkiffrow::CurrentOrientation() const { return orientationFor(DockedTo()); }

bool TppSkiffrow::shownIn(QWidget* control, int orientation) const {
    for (const auto& [h, v] : m_alternates) {
        if (control == v) return orientation == 2;
        if (control == h) return orientation != 2;
    }
    return !control->isHidden();
}

QList<QWidget*> TppSkiffrow::controlsFor(int orientation, bool moving) const {
    QList<QWidget*> controls;
    for (const auto& c : m_order) {
        if (!c) continue;
        if (moving ? !c->isHidden() : shownIn(c, orientation)) controls.append(c);
    }
    return controls;
}

static skiffrow::ToolbarItem itemOf(QWidget* control) {
    skiffrow::ToolbarItem item;
    if (auto* sep = qobject_cast<TppToolbarSepSkiffrow*>(control)) {
        item.separator = true;
        item.sizeHorz = sep->SizeHorz();
        item.sizeVert = sep->SizeVert();
        item.blank = sep->Blank();
    } else {
        item.size = control->size();
    }
    return item;
}

int TppSkiffrow::GetBarSize(int orientation) {
    QList<skiffrow::ToolbarItem> items;
    for (QWidget* c : controlsFor(orientation, false)) items.append(itemOf(c));
    return skiffrow::ToolbarBarSize(items, orientation);
}

QSize TppSkiffrow::LayoutControls(bool canMoveControls, TppDockSkiffrow*, TppDockSkiffrow* dockingTo) {
    const int o = orientationFor(dockingTo);
    if (canMoveControls)
        for (const auto& [h, v] : m_alternates) {
            if (h) h->setVisible(o != 2);
            if (v) v->setVisible(o == 2);
        }
    const QList<QWidget*> controls = controlsFor(o, canMoveControls);
    QList<skiffrow::ToolbarItem> items;
    for (QWidget* c : controls) items.append(itemOf(c));
    const int thickness = skiffrow::ToolbarBarSize(items, o);
    const skiffrow::ToolbarLayoutResult result = skiffrow::LayoutToolbarItems(items, o, m_floatRightX, thickness);
    if (canMoveControls) {
        for (int i = 0; i < controls.size(); ++i) {
            if (auto* sep = qobject_cast<TppToolbarSepSkiffrow*>(controls[i])) sep->SetVerticalToolbar(o == 2);
            controls[i]->setGeometry(result.rects[i]);
        }
        m_wraps = o == 0 ? result.wraps : QList<skiffrow::WrapLine>{};
        m_client->update();
    }
    return result.clientSize;
}

void TppSkiffrow::ApplyClientSize(const QSize& clientSize) {
    m_client->setFixedSize(clientSize);
    updateGeometry();
    adjustSize();
}

void TppSkiffrow::SizeChanging(int newClientWidth, int) {
    if (DockedTo()) return;
    const int chrome = width() - m_client->width();
    m_floatRightX = std::max(1, newClientWidth - chrome);
    Rearrange();
}

void TppSkiffrow::ReadPositionData(const skiffrow::PositionReader& reader, const QString& section) {
    m_floatRightX = std::max(0, reader.ReadInteger(section, QStringLiteral("FloatRightX"), 0));
}

void TppSkiffrow::WritePositionData(const skiffrow::PositionWriter& writer, const QString& section) {
    writer.WriteInteger(section, QStringLiteral("FloatRightX"), m_floatRightX);
}

void TppSkiffrow::AttachToForm(TppDockSkiffrow* dock, bool newRow) {
    if (newRow) OwnerForm()->addToolBarBreak(dock->ToolBarArea());
    OwnerForm()->addToolBar(dock->ToolBarArea(), this);
    setMovable(dock->AllowDrag());
    setVisible(Visible());
}

void TppSkiffrow::DetachFromForm() {
    if (OwnerForm()->toolBarArea(this) == Qt::NoToolBarArea) return;
    OwnerForm()->removeToolBar(this);
}

void TppSkiffrow::EnterFloatParent(TFloatParent* parent) {
    setOrientation(Qt::Horizontal);
    parent->SetCaptionText(windowTitle());
    parent->Embed(this);
}

void TppSkiffrow::LeaveFloatParent() {
    if (FloatParent()) FloatParent()->Release(this);
    setParent(OwnerForm());
}

bool TppSkiffrow::event(QEvent* e) {
    if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick) {
        auto* me = static_cast<QMouseEvent*>(e);
        if (me->button() != Qt::LeftButton) return QToolBar::event(e);
        if (e->type() == QEvent::MouseButtonDblClick) DoubleClicked();
        else StartDrag(me->globalPosition().toPoint(), me->modifiers() & Qt::ControlModifier);
        return true;
    }
    if (e->type() == QEvent::MouseMove || e->type() == QEvent::MouseButtonRelease) return true;
    return QToolBar::event(e);
}
