#include "report/designer/docking/tool_window_skiffrow.h"

#include "report/designer/docking/dock_skiffrow.h"
#include "report/designer/docking/float_parent.h"

#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

#include <algorithm>

namespace {

/// The grip of a docked tool window: two raised bars along its top; presses drag the
/// window, a double-click floats it.
class ToolWindowGrip : public QWidget {
public:
    ToolWindowGrip(TppToolWindowSkiffrow* bar) : QWidget(bar), m_bar(bar) {
        setObjectName(QStringLiteral("Grip"));
        setFixedHeight(9);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        for (int y : {2, 5}) qDrawShadePanel(&p, QRect(2, y, width() - 4, 3), palette(), false, 1);
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton)
            m_bar->StartDrag(e->globalPosition().toPoint(), e->modifiers() & Qt::ControlModifier);
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) m_bar->DoubleClicked();
    }

private:
    TppToolWindowSkiffrow* m_bar;
};

}  // namespace

TppToolWindowSkiffrow::TppToolWindowSkiffrow(QMainWindow* owner, const QString& name)
    : QDockWidget(owner), TppCustomToolWindowSkiffrow(this, owner) {
    setObjectName(name);
    setWindowTitle(name);
    setFeatures(QDockWidget::NoDockWidgetFeatures);
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("Client"));
    setWidget(m_client);
    m_grip = new ToolWindowGrip(this);
    m_noTitle = new QWidget(this);
    m_noTitle->setFixedHeight(1);
    setTitleBarWidget(m_noTitle);
    FinishCreation();
}

TppToolWindowSkiffrow::~TppToolWindowSkiffrow() = default;

void TppToolWindowSkiffrow::SetCaption(const QString& caption) {
    setWindowTitle(caption);
    if (FloatParent()) FloatParent()->SetCaptionText(caption);
}

void TppToolWindowSkiffrow::SetMinClientWidth(int value) {
    m_minClientWidth = std::max(0, value);
    Rearrange();
}

void TppToolWindowSkiffrow::SetMinClientHeight(int value) {
    m_minClientHeight = std::max(0, value);
    Rearrange();
}

void TppToolWindowSkiffrow::SetResizable(bool value) {
    m_resizable = value;
    Rearrange();
}

void TppToolWindowSkiffrow::SetClientSize(const QSize& size) {
    m_clientSize = size.expandedTo(QSize(m_minClientWidth, m_minClientHeight));
    if (DockedTo()) {
        const int o = DockedTo()->Orientation();
        OwnerForm()->resizeDocks({this}, {o == 2 ? m_clientSize.width() : m_clientSize.height()},
                                 o == 2 ? Qt::Horizontal : Qt::Vertical);
    }
    Rearrange();
}

int TppToolWindowSkiffrow::GetBarSize(int orientation) {
    return orientation == 2 ? m_clientSize.width() : m_clientSize.height();
}

QSize TppToolWindowSkiffrow::LayoutControls(bool, TppDockSkiffrow*, TppDockSkiffrow*) {
    return m_clientSize.expandedTo(QSize(m_minClientWidth, m_minClientHeight));
}

void TppToolWindowSkiffrow::ApplyClientSize(const QSize& clientSize) {
    BeginInternalMove();
    if (DockedTo()) {
        m_client->setMinimumSize(m_minClientWidth, m_minClientHeight);
        m_client->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        m_client->setFixedSize(clientSize);
        adjustSize();
    }
    EndInternalMove();
}

void TppToolWindowSkiffrow::SizeChanging(int newClientWidth, int newClientHeight) {
    const QSize chrome = size() - m_client->size();
    m_clientSize = QSize(newClientWidth - chrome.width(), newClientHeight - chrome.height())
                       .expandedTo(QSize(m_minClientWidth, m_minClientHeight));
    Rearrange();
}

void TppToolWindowSkiffrow::resizeEvent(QResizeEvent* event) {
    QDockWidget::resizeEvent(event);
    // A docked window sized by its splitter keeps the new size when it floats.
    // Only the size across the dock is the user's; along the dock the form decides.
    if (!DockedTo() || IsInternalMove() || m_client->width() <= 0 || m_client->height() <= 0) return;
    if (DockedTo()->Orientation() == 2) m_clientSize.setWidth(std::max(m_minClientWidth, m_client->width()));
    else m_clientSize.setHeight(std::max(m_minClientHeight, m_client->height()));
}

void TppToolWindowSkiffrow::ReadPositionData(const skiffrow::PositionReader& reader, const QString& section) {
    if (!m_resizable) return;
    m_clientSize = QSize(reader.ReadInteger(section, QStringLiteral("ClientWidth"), m_clientSize.width()),
                         reader.ReadInteger(section, QStringLiteral("ClientHeight"), m_clientSize.height()))
                       .expandedTo(QSize(m_minClientWidth, m_minClientHeight));
}

void TppToolWindowSkiffrow::WritePositionData(const skiffrow::PositionWriter& writer, const QString& section) {
    writer.WriteInteger(section, QStringLiteral("ClientWidth"), m_clientSize.width());
    writer.WriteInteger(section, QStringLiteral("ClientHeight"), m_clientSize.height());
}

void TppToolWindowSkiffrow::AttachToForm(TppDockSkiffrow* dock, bool newRow) {
    const Qt::Orientation along = dock->Orientation() == 2 ? Qt::Vertical : Qt::Horizontal;
    const Qt::Orientation across = along == Qt::Vertical ? Qt::Horizontal : Qt::Vertical;
    setTitleBarWidget(dock->AllowDrag() ? m_grip : m_noTitle);
    m_grip->setVisible(dock->AllowDrag());
    QDockWidget* previousRowFirst = nullptr;
    if (newRow)
        for (TppCustomToolWindowSkiffrow* bar : dock->DockList())
            if (bar->DockRow() == DockRow() - 1)
                if (auto* w = dynamic_cast<TppToolWindowSkiffrow*>(bar)) {
                    previousRowFirst = w;
                    break;
                }
    BeginInternalMove();
    if (previousRowFirst) OwnerForm()->splitDockWidget(previousRowFirst, this, across);
    else OwnerForm()->addDockWidget(dock->DockWidgetArea(), this, along);
    setVisible(Visible());
    OwnerForm()->resizeDocks({this}, {dock->Orientation() == 2 ? m_clientSize.width() : m_clientSize.height()}, across);
    EndInternalMove();
}

void TppToolWindowSkiffrow::DetachFromForm() {
    if (OwnerForm()->dockWidgetArea(this) == Qt::NoDockWidgetArea) return;
    OwnerForm()->removeDockWidget(this);
}

void TppToolWindowSkiffrow::EnterFloatParent(TFloatParent* parent) {
    setTitleBarWidget(m_noTitle);
    m_grip->hide();
    parent->SetCaptionText(windowTitle());
    // Outside a form the dock widget's own layout asks for a negative minimum height.
    setMinimumSize(1, 1);
    parent->Embed(this);
}

void TppToolWindowSkiffrow::LeaveFloatParent() {
    if (FloatParent()) FloatParent()->Release(this);
    setMinimumSize(0, 0);
    setParent(OwnerForm());
}
