#include "report/crosstab/gui/crosstab_control.h"

#include "report/crosstab/crosstab.h"
#include "report/crosstab/elements.h"

#include "report/page/report_font.h"
#include "report/page/resource_manager.h"

#include "platform/paint/color.h"
#include "platform/paint/font_resolver.h"

#include <QDateTime>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QLayout>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <set>

namespace {

constexpr int kH = 16;  // horizontal margin
constexpr int kV = 10;  // vertical margin
constexpr int kDoubleClickMs = 750;

QFont screenFont(const TppFont* aFont) {
    if (!aFont) return QFont();
    const paint::Font& f = aFont->Font();
    QFont q(paint::InstalledFamily(f.Name));
    q.setPointSize(std::max(1, std::abs(f.Size)));
    q.setBold(f.Style.Contains(paint::TFontStyle::fsBold));
    q.setItalic(f.Style.Contains(paint::TFontStyle::fsItalic));
    q.setUnderline(f.Style.Contains(paint::TFontStyle::fsUnderline));
    return q;
}

QStringList linesOf(TppElement* e) { return e->GetDesignName().split(QStringLiteral("<newline>")); }

bool isDefinition(const TppElement* e) {
    return qobject_cast<const TppColumnDef*>(e) || qobject_cast<const TppRowDef*>(e) || qobject_cast<const TppValueDef*>(e);
}

/// The total an element belongs to, null when none.
TppTotal* totalOf(TppElement* e) { return e ? qobject_cast<TppTotal*>(e->Parent()) : nullptr; }

}  // namespace

// TppCrossTabSelection ---------------------------------------------------------------------------

TppCrossTabSelection::TppCrossTabSelection(TppCrossTabControl* aControl) : m_control(aControl) {}

TppCrossTabSelection::~TppCrossTabSelection() {
    for (auto& e : m_items)
        if (e) unhook(e);
}

TppElement* TppCrossTabSelection::Items(int i) const {
    return i >= 0 && i < Count() ? m_items[size_t(i)].data() : nullptr;
}

int TppCrossTabSelection::IndexOf(TppElement* aElement) const {
    for (int i = 0; i < Count(); ++i)
        if (m_items[size_t(i)] == aElement) return i;
    return -1;
}

void TppCrossTabSelection::unhook(TppElement* aElement) {
    aElement->OnElementChange = nullptr;
    disconnect(aElement, nullptr, this, nullptr);
}

void TppCrossTabSelection::recompute() {
    m_hasDimensions = false;
    m_hasTotals = false;
    for (auto& e : m_items) {
        if (!e) continue;
        if (qobject_cast<TppDimension*>(e.data()) || qobject_cast<TppValueCaptionDef*>(e.data())) m_hasDimensions = true;
        if (totalOf(e.data())) m_hasTotals = true;
    }
}

void TppCrossTabSelection::Select(TppElement* aElement) {
    if (Count() > 0 && m_items.front() == aElement) return;
    Clear();
    Add(aElement);
}

void TppCrossTabSelection::Add(TppElement* aElement) {
    if (!aElement || (Count() > 0 && m_items.front() == aElement) || IndexOf(aElement) >= 0) return;
    m_items.emplace_back(aElement);
    if (m_control) m_control->DrawSelected(aElement, true);
    aElement->OnElementChange = [this](QObject*) {
        if (OnSelectedElementChange) OnSelectedElementChange(this);
    };
    connect(aElement, &QObject::destroyed, this, [this, aElement] {
        m_items.erase(std::remove_if(m_items.begin(), m_items.end(), [&](const QPointer<TppElement>& p) {
                          return p.isNull() || p.data() == aElement;
                      }),
                      m_items.end());
        recompute();
        if (OnChange) OnChange(this);
    });
    recompute();
    if (OnChange) OnChange(this);
}

void TppCrossTabSelection::Remove(TppElement* aElement) {
    const int i = IndexOf(aElement);
    if (i < 0) return;
    if (m_control) m_control->DrawSelected(aElement, false);
    unhook(aElement);
    m_items.erase(m_items.begin() + i);
    recompute();
    if (OnChange) OnChange(this);
}

void TppCrossTabSelection::Clear() {
    for (auto& e : m_items)
        if (e) {
            if (m_control) m_control->DrawSelected(e, false);
            unhook(e);
        }
    m_items.clear();
    recompute();
    if (OnChange) OnChange(this);
}

bool TppCrossTabSelection::HasProperty(const QString& aName) const {
    if (m_items.empty()) return false;
    for (const auto& p : m_items) {
        TppElement* e = p.data();
        if (!e) return false;
        bool has = false;
        if (aName == QLatin1String("Alignment") || aName == QLatin1String("Font") || aName == QLatin1String("Color") ||
            aName == QLatin1String("DataType"))
            has = true;
        else if (aName == QLatin1String("DisplayFormat"))
            has = e->HasDisplayFormat();
        else if (aName == QLatin1String("CalcType"))
            has = qobject_cast<TppValueCaptionDef*>(e) || qobject_cast<TppValueDef*>(e);
        else if (aName == QLatin1String("SortType") || aName == QLatin1String("NullOrder"))
            has = qobject_cast<TppDimension*>(e) && !qobject_cast<TppValueDef*>(e);
        else if (aName == QLatin1String("SkipNulls"))
            has = (qobject_cast<TppDimension*>(e) && !qobject_cast<TppValueDef*>(e)) || qobject_cast<TppValueCaptionDef*>(e);
        else if (aName == QLatin1String("Visible"))
            has = totalOf(e) != nullptr;
        if (!has) return false;
    }
    return true;
}

bool TppCrossTabSelection::GetPropValue(const QString& aName, QVariant& aValue) const {
    TppElement* e = Items(0);
    if (!e) return false;
    if (aName == QLatin1String("Alignment"))
        aValue = int(e->Alignment());
    else if (aName == QLatin1String("Font"))
        aValue = QVariant::fromValue(static_cast<QObject*>(e->Font()));
    else if (aName == QLatin1String("Color"))
        aValue = qlonglong(e->Color());
    else if (aName == QLatin1String("DisplayFormat"))
        aValue = e->DisplayFormat();
    else if (aName == QLatin1String("DataType"))
        aValue = int(e->GetDataType());
    else if (aName == QLatin1String("CalcType")) {
        if (auto* v = qobject_cast<TppValueDef*>(e))
            aValue = int(v->CalcType());
        else if (auto* c = qobject_cast<TppValueCaptionDef*>(e))
            aValue = int(c->CalcType());
        else
            return false;
    } else if (aName == QLatin1String("SortType")) {
        auto* d = qobject_cast<TppDimension*>(e);
        if (!d) return false;
        aValue = int(d->SortType());
    } else if (aName == QLatin1String("SkipNulls")) {
        if (auto* c = qobject_cast<TppValueCaptionDef*>(e))
            aValue = c->SkipNulls();
        else if (auto* d = qobject_cast<TppDimension*>(e))
            aValue = d->SkipNulls();
        else
            return false;
    } else if (aName == QLatin1String("NullOrder")) {
        auto* d = qobject_cast<TppDimension*>(e);
        if (!d) return false;
        aValue = int(d->NullOrder());
    } else if (aName == QLatin1String("Visible")) {
        TppTotal* t = totalOf(e);
        if (!t) return false;
        aValue = t->GetVisible();
    } else {
        return false;
    }
    return true;
}

void TppCrossTabSelection::SetPropValue(const QString& aName, const QVariant& aValue) {
    if (m_control) m_control->BeginUpdate();
    if (aName == QLatin1String("Visible")) {
        if (m_control) m_control->ToggleTotals();
    } else {
        const auto items = m_items;
        for (const auto& p : items) {
            TppElement* e = p.data();
            if (!e) continue;
            if (aName == QLatin1String("Alignment"))
                e->SetAlignment(TAlignment(aValue.toInt()));
            else if (aName == QLatin1String("Font")) {
                if (auto* f = qobject_cast<TppFont*>(aValue.value<QObject*>())) e->SetFont(f);
            } else if (aName == QLatin1String("Color"))
                e->SetColor(paint::TColor(aValue.toLongLong()));
            else if (aName == QLatin1String("DisplayFormat"))
                e->SetDisplayFormat(aValue.toString());
            else if (aName == QLatin1String("CalcType")) {
                if (auto* v = qobject_cast<TppValueDef*>(e))
                    v->SetCalcType(TppDBCalcType(aValue.toInt()));
                else if (auto* c = qobject_cast<TppValueCaptionDef*>(e))
                    c->SetCalcType(TppDBCalcType(aValue.toInt()));
            } else if (aName == QLatin1String("SortType")) {
                if (auto* d = qobject_cast<TppDimension*>(e)) d->SetSortType(TppSortOrderType(aValue.toInt()));
            } else if (aName == QLatin1String("SkipNulls")) {
                if (auto* c = qobject_cast<TppValueCaptionDef*>(e))
                    c->SetSkipNulls(aValue.toBool());
                else if (auto* d = qobject_cast<TppDimension*>(e))
                    d->SetSkipNulls(aValue.toBool());
            } else if (aName == QLatin1String("NullOrder")) {
                if (auto* d = qobject_cast<TppDimension*>(e)) d->SetNullOrder(TppNullOrderType(aValue.toInt()));
            }
        }
    }
    if (m_control) m_control->EndUpdate();
}

// Paint box ----------------------------------------------------------------------------------

TppCrossTabPaintBox::TppCrossTabPaintBox(TppCrossTabControl* aControl, QWidget* aParent)
    : QWidget(aParent), m_control(aControl) {
    setObjectName(QStringLiteral("pbxDiagram"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setMouseTracking(true);
    setAcceptDrops(true);
}

void TppCrossTabPaintBox::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(event->rect(), Qt::white);
    p.drawImage(event->rect(), m_control->WorkingImage(), event->rect());
}

void TppCrossTabPaintBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) m_control->MousePress(event->position().toPoint(), event->modifiers() & Qt::ControlModifier);
}

void TppCrossTabPaintBox::mouseMoveEvent(QMouseEvent* event) {
    m_control->MouseMove(event->position().toPoint(), event->modifiers() & Qt::ControlModifier);
}

void TppCrossTabPaintBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_control->MouseRelease(event->position().toPoint(), mapToGlobal(event->position().toPoint()));
}

void TppCrossTabPaintBox::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(QString::fromLatin1(crosstab::kFieldMimeType))) event->acceptProposedAction();
}

void TppCrossTabPaintBox::dragMoveEvent(QDragMoveEvent* event) {
    const QString alias = QString::fromUtf8(event->mimeData()->data(QString::fromLatin1(crosstab::kFieldMimeType)));
    m_control->FieldDragOver(event->position().toPoint(), alias);
    event->acceptProposedAction();
}

void TppCrossTabPaintBox::dragLeaveEvent(QDragLeaveEvent*) { m_control->ClearDropMarker(); }

void TppCrossTabPaintBox::dropEvent(QDropEvent* event) {
    const QString alias = QString::fromUtf8(event->mimeData()->data(QString::fromLatin1(crosstab::kFieldMimeType)));
    m_control->FieldDrop(event->position().toPoint(), alias);
    event->acceptProposedAction();
}

// TppCrossTabControl ------------------------------------------------------------------------------

TppCrossTabControl::TppCrossTabControl(TppCrossTab* aCrossTab, QWidget* aPanel)
    : m_crossTab(aCrossTab),
      m_newColumn(TppElement::CreateNamed<TppElement>(nullptr, report::MessageText(659))),
      m_newRow(TppElement::CreateNamed<TppElement>(nullptr, report::MessageText(660))),
      m_newValue(TppElement::CreateNamed<TppElement>(nullptr, report::MessageText(661))),
      m_selection(std::make_unique<TppCrossTabSelection>(this)) {
    for (auto* e : {m_newColumn.get(), m_newRow.get(), m_newValue.get()}) e->SetColor(paint::clBtnFace);
    Clock = [] { return QDateTime::currentMSecsSinceEpoch(); };
    if (m_crossTab) m_crossTab->OnDefinitionsChanged = [this](QObject*) { Refresh(); };
    m_selection->OnChange = [this](TppCrossTabSelection* s) {
        if (OnSelectionChange) OnSelectionChange(s);
    };
    m_selection->OnSelectedElementChange = [this](TppCrossTabSelection*) { Refresh(); };
    m_scrollBox = new QScrollArea(aPanel);
    m_scrollBox->setObjectName(QStringLiteral("sbxDiagram"));
    m_scrollBox->setBackgroundRole(QPalette::Base);
    m_scrollBox->setStyleSheet(QStringLiteral("QScrollArea { background: white; border: none; }"));
    m_paintBox = new TppCrossTabPaintBox(this, m_scrollBox);
    m_scrollBox->setWidget(m_paintBox);
    m_scrollBox->setWidgetResizable(false);
    if (aPanel && aPanel->layout()) aPanel->layout()->addWidget(m_scrollBox);
    m_scrollBox->hide();
}

TppCrossTabControl::~TppCrossTabControl() {
    if (m_crossTab) m_crossTab->OnDefinitionsChanged = nullptr;
    m_selection->OnChange = nullptr;
    m_selection.reset();
    delete m_scrollBox;
}

void TppCrossTabControl::EndUpdate() {
    m_updating = false;
    Refresh();
}

void TppCrossTabControl::Refresh() {
    if (!m_updating) {
        layout();
        paint();
    }
    if (m_scrollBox) m_scrollBox->show();
}

void TppCrossTabControl::SetVisible(bool aValue) {
    if (aValue) {
        layout();
        paint();
    }
    m_scrollBox->setVisible(aValue);
    m_paintBox->setVisible(aValue);
}

bool TppCrossTabControl::IsPlaceholder(const TppElement* aElement) const {
    return aElement && (aElement == m_newColumn.get() || aElement == m_newRow.get() || aElement == m_newValue.get());
}

TppElement* TppCrossTabControl::ElementAt(const QPoint& aPoint) const {
    for (TppElement* e : m_paintOrder) {
        const QRect r(e->Left, e->Top, e->Width + 1, e->Height + 1);
        if (r.contains(aPoint)) return e;
    }
    return nullptr;
}

TppElement* TppCrossTabControl::PlaceholderAt(const QPoint& aPoint) const {
    TppElement* e = ElementAt(aPoint);
    return IsPlaceholder(e) ? e : nullptr;
}

TppElement* TppCrossTabControl::Standin(TppElement* aElement) {
    if (auto* c = qobject_cast<TppValueCaptionDef*>(aElement))
        if (auto* v = qobject_cast<TppValueDef*>(c->Parent())) return v;
    return aElement;
}

// Layout --------------------------------------------------------------------------------------

void TppCrossTabControl::measure(TppElement* e) {
    if (!e) return;
    const QFontMetrics fm(screenFont(e->Font()));
    const QStringList lines = linesOf(e);
    e->TextHeight = int(lines.size()) * fm.height();
    int width = 0;
    for (const QString& l : lines) width = std::max(width, fm.horizontalAdvance(l));
    e->TextWidth = width;
    e->Height = kV + e->TextHeight;
    e->Width = kH + e->TextWidth;
}

void TppCrossTabControl::layout() {
    TppCrossTab* x = m_crossTab;
    m_emptyCells.clear();
    const int cdc = x ? x->ColumnDefCount() : 0;
    const int rdc = x ? x->RowDefCount() : 0;
    const int vdc = x ? x->ValueDefCount() : 0;
    auto col = [&](int i) { return x->ColumnDefs(i); };
    auto row = [&](int i) { return x->RowDefs(i); };
    auto val = [&](int i) { return x->ValueDefs(i); };
    // Measure.
    for (int i = 0; i < cdc; ++i) {
        measure(col(i));
        for (int k = 0; k < col(i)->SubTotalCount(); ++k) {
            measure(col(i)->SubTotals(k)->CaptionDef());
            measure(col(i)->SubTotals(k)->TotalDef());
        }
    }
    for (int i = 0; i < rdc; ++i) {
        measure(row(i));
        for (int k = 0; k < row(i)->SubTotalCount(); ++k) {
            measure(row(i)->SubTotals(k)->CaptionDef());
            measure(row(i)->SubTotals(k)->TotalDef());
        }
    }
    for (int i = 0; i < vdc; ++i) {
        measure(val(i));
        measure(val(i)->CaptionDef());
    }
    for (int i = 0; x && i < x->RowGrandTotalCount(); ++i) {
        measure(x->RowGrandTotals(i)->CaptionDef());
        measure(x->RowGrandTotals(i)->TotalDef());
    }
    for (int i = 0; x && i < x->ColumnGrandTotalCount(); ++i) {
        measure(x->ColumnGrandTotals(i)->CaptionDef());
        measure(x->ColumnGrandTotals(i)->TotalDef());
    }
    for (auto* e : {m_newColumn.get(), m_newRow.get(), m_newValue.get()}) measure(e);

    int C = 0, R = 0;
    // 1. Column definitions stacked.
    for (int i = 0; i < cdc; ++i) {
        col(i)->Top = C + kV;
        C += col(i)->Height;
    }
    // 2. Subtotal captions of the outer column definitions.
    if (cdc >= 2 && vdc > 0)
        for (int i = 0; i + 1 < cdc; ++i) {
            TppElement* cap = col(i)->SubTotals(0)->CaptionDef();
            cap->Top = col(i + 1)->Top;
            int h = 0;
            for (int k = i + 1; k < cdc; ++k) h += col(k)->Height;
            cap->Height = h;
        }
    // 3. The column grand total caption spans the column area.
    TppElement* grandCaption = (cdc > 0 && vdc > 0) ? x->ColumnGrandTotals(0)->CaptionDef() : nullptr;
    if (grandCaption) {
        grandCaption->Top = kV;
        if (grandCaption->Height > C) {
            const int diff = grandCaption->Height - C;
            const int share = diff / cdc + (diff % cdc ? 1 : 0);
            int top = kV;
            for (int i = 0; i < cdc; ++i) {
                col(i)->Height += share;
                col(i)->Top = top;
                top += col(i)->Height;
            }
            C = top - kV;
        }
        grandCaption->Height = C;
    }
    // 4. "new column".
    m_newColumn->Top = C + kV;
    C += m_newColumn->Height;
    // 5. Row definitions side by side.
    int tallest = 0;
    for (int i = 0; i < rdc; ++i) {
        row(i)->Left = R + kH;
        R += row(i)->Width;
        tallest = std::max(tallest, row(i)->Height);
    }
    // 6. Row subtotal captions start under the next definition.
    if (rdc >= 2 && vdc > 0)
        for (int i = 0; i + 1 < rdc; ++i) {
            int widest = row(i + 1)->Width;
            for (int k = 0; k < row(i)->SubTotalCount(); ++k) widest = std::max(widest, row(i)->SubTotals(k)->CaptionDef()->Width);
            const int right = R + kH - row(i + 1)->Left;
            if (widest > right) {
                const int count = rdc - i - 1;
                const int diff = widest - right;
                const int share = diff / count + (diff % count ? 1 : 0);
                int left = row(i + 1)->Left;
                for (int k = i + 1; k < rdc; ++k) {
                    row(k)->Width += share;
                    row(k)->Left = left;
                    left += row(k)->Width;
                }
                R = left - kH;
            }
        }
    // 7. Row grand total captions start at the left margin.
    if (rdc > 0)
        for (int i = 0; i < x->RowGrandTotalCount(); ++i) {
            TppElement* cap = x->RowGrandTotals(i)->CaptionDef();
            cap->Left = kH;
            if (cap->Width > R) {
                const int diff = cap->Width - R;
                const int share = diff / rdc + (diff % rdc ? 1 : 0);
                int left = kH;
                for (int k = 0; k < rdc; ++k) {
                    row(k)->Width += share;
                    row(k)->Left = left;
                    left += row(k)->Width;
                }
                R = left - kH;
            }
        }
    if (rdc >= 2 && vdc > 0)
        for (int i = 0; i + 1 < rdc; ++i)
            for (int k = 0; k < row(i)->SubTotalCount(); ++k) {
                TppElement* cap = row(i)->SubTotals(k)->CaptionDef();
                cap->Left = row(i + 1)->Left;
                cap->Width = R + kH - cap->Left;
            }
    const int rowArea = R;
    // 8. "new row".
    m_newRow->Left = R + kH;
    R += m_newRow->Width;
    // 9. Value rows: the block of value and caption, and the totals beside it.
    std::vector<int> blockHeight(size_t(vdc), 0);
    int W = std::max(m_newColumn->Width, m_newValue->Width);
    for (int i = 0; i < vdc; ++i) {
        TppValueDef* v = val(i);
        TppElement* cap = v->CaptionDef();
        int h = v->Height + cap->Height;
        std::vector<TppElement*> beside;
        if (cdc > 0) beside.push_back(x->ColumnGrandTotals(i)->TotalDef());
        for (int k = 0; k + 1 < cdc; ++k) beside.push_back(col(k)->SubTotals(i)->TotalDef());
        for (TppElement* b : beside) h = std::max(h, b->Height);
        for (TppElement* b : beside) b->Height = h;
        const int lower = h - (v->Height + cap->Height);
        if (lower > 0) {
            v->Height += lower / 2;
            cap->Height += lower - lower / 2;
        }
        blockHeight[size_t(i)] = h;
        if (i == 0) tallest = std::max(tallest, h);
        W = std::max({W, v->Width, cap->Width});
        for (int k = 0; k < rdc; ++k) W = std::max(W, row(k)->SubTotals(i)->TotalDef()->Width);
        if (rdc > 0) W = std::max(W, x->RowGrandTotals(i)->TotalDef()->Width);
    }
    // 10. "new value" without values is as tall as the row side.
    if (vdc == 0) {
        const int h = std::max(m_newValue->Height, tallest);
        m_newValue->Height = h;
        tallest = h;
    }
    // 11. Widths and tops.
    for (int i = 0; i < cdc; ++i) {
        col(i)->Width = W;
        col(i)->Left = R + kH;
    }
    m_newColumn->Width = W;
    m_newColumn->Left = R + kH;
    for (int i = 0; i < rdc; ++i) {
        row(i)->Top = C + kV;
        row(i)->Height = tallest;
    }
    m_newRow->Top = C + kV;
    m_newRow->Height = tallest;
    // 12. Values below the columns.
    int y = C + kV;
    std::vector<int> valueTop(size_t(vdc), 0);
    for (int i = 0; i < vdc; ++i) {
        TppValueDef* v = val(i);
        TppElement* cap = v->CaptionDef();
        for (TppElement* e : {static_cast<TppElement*>(v), cap}) {
            e->Left = R + kH;
            e->Width = W;
        }
        cap->Top = y;
        v->Top = y + cap->Height;
        valueTop[size_t(i)] = y;
        y += blockHeight[size_t(i)];
    }
    m_newValue->Left = R + kH;
    m_newValue->Width = W;
    m_newValue->Top = y;
    const int valueBottom = y + m_newValue->Height;
    int right = R + W + kH;
    // 13. Column subtotals, innermost first.
    if (cdc >= 2 && vdc > 0)
        for (int i = cdc - 2; i >= 0; --i) {
            int width = col(i)->SubTotals(0)->CaptionDef()->Width;
            for (int k = 0; k < vdc; ++k) width = std::max(width, col(i)->SubTotals(k)->TotalDef()->Width);
            TppElement* cap = col(i)->SubTotals(0)->CaptionDef();
            cap->Left = right;
            cap->Width = width;
            for (int k = 0; k < vdc; ++k) {
                TppElement* t = col(i)->SubTotals(k)->TotalDef();
                t->Left = right;
                t->Width = width;
                t->Top = valueTop[size_t(k)];
            }
            right += width;
            col(i)->Width = right - col(i)->Left;
        }
    // 14. The column grand total.
    if (grandCaption) {
        int width = grandCaption->Width;
        for (int k = 0; k < vdc; ++k) width = std::max(width, x->ColumnGrandTotals(k)->TotalDef()->Width);
        grandCaption->Left = right;
        grandCaption->Width = width;
        for (int k = 0; k < vdc; ++k) {
            TppElement* t = x->ColumnGrandTotals(k)->TotalDef();
            t->Left = right;
            t->Width = width;
            t->Top = valueTop[size_t(k)];
        }
        right += width;
    }
    // 15. Row subtotals below the values, innermost first.
    int bottom = valueBottom;
    if (rdc >= 2 && vdc > 0) {
        row(rdc - 1)->Height = valueBottom - row(rdc - 1)->Top;
        int added = 0;
        for (int i = rdc - 2; i >= 0; --i) {
            for (int k = 0; k < vdc; ++k) {
                TppElement* cap = row(i)->SubTotals(k)->CaptionDef();
                TppElement* t = row(i)->SubTotals(k)->TotalDef();
                const int h = std::max(cap->Height, t->Height);
                cap->Top = bottom;
                cap->Height = h;
                t->Top = bottom;
                t->Height = h;
                t->Left = R + kH;
                t->Width = W;
                bottom += h;
                added += h;
            }
            row(i)->Height = valueBottom - row(i)->Top + added;
        }
    }
    // 16. Row grand totals.
    if (rdc > 0)
        for (int k = 0; k < vdc; ++k) {
            TppElement* cap = x->RowGrandTotals(k)->CaptionDef();
            TppElement* t = x->RowGrandTotals(k)->TotalDef();
            const int h = std::max(cap->Height, t->Height);
            cap->Left = kH;
            cap->Width = rowArea;
            cap->Top = bottom;
            cap->Height = h;
            t->Left = R + kH;
            t->Width = W;
            t->Top = bottom;
            t->Height = h;
            bottom += h;
        }
    // 17. The image.
    const QSize size(right + kH, bottom + kV);
    // Empty grid cells: above the row definitions and "new row", beside the value blocks.
    for (int i = 0; i < rdc; ++i) m_emptyCells.push_back(QRect(row(i)->Left, kV, row(i)->Width, C));
    m_emptyCells.push_back(QRect(m_newRow->Left, kV, m_newRow->Width, C));
    const QSize old = m_image.size();
    m_image = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    (void)old;
}

// Painting ------------------------------------------------------------------------------------

void TppCrossTabControl::paintEmpty(QPainter& p, const QRect& aRect) {
    p.setBrush(Qt::white);
    p.drawRect(aRect);
}

void TppCrossTabControl::paintElement(QPainter& p, TppElement* e, bool aPlaceholder) {
    if (!e) return;
    TppTotal* total = totalOf(e);
    const bool visible = !total || total->GetVisible();
    const QColor brush = visible ? paint::ToQColor(e->Color()) : QColor(Qt::white);
    QFont font = screenFont(e->Font());
    QColor textColor = e->Font() ? paint::ToQColor(e->Font()->Font().Color) : QColor(Qt::black);
    if (!visible) textColor = paint::ToQColor(paint::clBtnFace);
    const QRect box(e->Left, e->Top, e->Width, e->Height);
    p.setBrush(brush);
    p.drawRect(box);
    if (qobject_cast<TppValueDef*>(e)) {
        p.save();
        p.setPen(brush);
        p.drawLine(box.left() + 1, box.top(), box.right(), box.top());
        p.restore();
    } else if (qobject_cast<TppValueCaptionDef*>(e)) {
        p.save();
        p.setPen(brush);
        p.drawLine(box.left() + 1, box.bottom() + 1, box.right(), box.bottom() + 1);
        p.restore();
    }
    if (aPlaceholder) {
        p.save();
        QPen frame(paint::ToQColor(paint::clBtnShadow));
        frame.setWidth(3);
        p.setPen(frame);
        p.setBrush(Qt::NoBrush);
        p.drawRect(box.adjusted(4, 4, -3, -3));
        p.restore();
    }
    p.save();
    p.setFont(font);
    p.setPen(textColor);
    const QFontMetrics fm(font);
    const QStringList lines = linesOf(e);
    int y = e->Top + (e->Height - e->TextHeight) / 2;
    for (const QString& line : lines) {
        const int w = fm.horizontalAdvance(line);
        int x = e->Left + (e->Width - w) / 2;
        if (e->Alignment() == TAlignment::taLeftJustify) x = e->Left + 8;
        if (e->Alignment() == TAlignment::taRightJustify) x = e->Left + e->Width - 8 - w;
        p.drawText(x, y + fm.ascent(), line);
        y += fm.height();
    }
    p.restore();
    m_paintOrder.push_back(e);
}

void TppCrossTabControl::paint() {
    m_paintOrder.clear();
    m_image.fill(Qt::white);
    QPainter p(&m_image);
    const QColor grid = m_crossTab && m_crossTab->GridLines() ? QColor(Qt::black) : paint::ToQColor(paint::clBtnFace);
    p.setPen(grid);
    for (const QRect& r : m_emptyCells) paintEmpty(p, r);
    TppCrossTab* x = m_crossTab;
    const int cdc = x ? x->ColumnDefCount() : 0;
    const int rdc = x ? x->RowDefCount() : 0;
    const int vdc = x ? x->ValueDefCount() : 0;
    for (int i = 0; i < cdc; ++i) paintElement(p, x->ColumnDefs(i));
    paintElement(p, m_newColumn.get(), true);
    if (cdc >= 2 && vdc > 0)
        for (int i = cdc - 2; i >= 0; --i) {
            paintElement(p, x->ColumnDefs(i)->SubTotals(0)->CaptionDef());
            for (int k = 0; k < vdc; ++k) paintElement(p, x->ColumnDefs(i)->SubTotals(k)->TotalDef());
        }
    if (cdc > 0 && vdc > 0) {
        paintElement(p, x->ColumnGrandTotals(0)->CaptionDef());
        for (int k = 0; k < vdc; ++k) paintElement(p, x->ColumnGrandTotals(k)->TotalDef());
    }
    for (int i = 0; i < rdc; ++i) paintElement(p, x->RowDefs(i));
    paintElement(p, m_newRow.get(), true);
    if (rdc >= 2 && vdc > 0)
        for (int i = rdc - 2; i >= 0; --i)
            for (int k = 0; k < vdc; ++k) {
                paintElement(p, x->RowDefs(i)->SubTotals(k)->CaptionDef());
                paintElement(p, x->RowDefs(i)->SubTotals(k)->TotalDef());
            }
    if (rdc > 0)
        for (int k = 0; k < vdc; ++k) {
            paintElement(p, x->RowGrandTotals(k)->CaptionDef());
            paintElement(p, x->RowGrandTotals(k)->TotalDef());
        }
    for (int k = 0; k < vdc; ++k) {
        paintElement(p, x->ValueDefs(k)->CaptionDef());
        paintElement(p, x->ValueDefs(k));
    }
    paintElement(p, m_newValue.get(), true);
    p.end();
    updateWorking();
    m_paintBox->resize(m_image.size());
    if (!m_scrolledOnce) {
        m_scrollBox->horizontalScrollBar()->setValue(0);
        m_scrollBox->verticalScrollBar()->setValue(0);
        m_scrolledOnce = true;
    }
    m_paintBox->update();
}

void TppCrossTabControl::updateWorking() {
    m_working = m_image.copy();
    for (int i = 0; i < m_selection->Count(); ++i) DrawSelected(m_selection->Items(i), true);
    if (m_marker.left() >= 0) {
        QPainter p(&m_working);
        p.setPen(Qt::black);
        p.setBrush(Qt::black);
        const QRect& r = m_marker;
        if (m_markerHorizontal) {
            p.drawPolygon(QPolygon({QPoint(r.left() - 6, r.top() - 3), QPoint(r.left() - 6, r.top() + 3), QPoint(r.left() - 3, r.top())}));
            p.drawPolygon(QPolygon({QPoint(r.right() + 6, r.top() - 3), QPoint(r.right() + 6, r.top() + 3), QPoint(r.right() + 3, r.top())}));
        } else {
            p.drawPolygon(QPolygon({QPoint(r.left() - 3, r.top() - 6), QPoint(r.left() + 3, r.top() - 6), QPoint(r.left(), r.top() - 3)}));
            p.drawPolygon(QPolygon({QPoint(r.left() - 3, r.bottom() + 6), QPoint(r.left() + 3, r.bottom() + 6), QPoint(r.left(), r.bottom() + 3)}));
        }
    }
    if (m_paintBox) m_paintBox->update();
}

void TppCrossTabControl::DrawSelected(TppElement* aElement, bool aSelected) {
    if (!aElement || m_working.isNull()) return;
    const QRect inner(aElement->Left + 2, aElement->Top + 2, aElement->Width - 3, aElement->Height - 3);
    if (!inner.isValid()) return;
    const QRect clipped = inner.intersected(m_working.rect());
    if (aSelected) {
        for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(m_working.scanLine(y));
            for (int x = clipped.left(); x <= clipped.right(); ++x) line[x] = (~line[x] & 0x00FFFFFF) | 0xFF000000;
        }
    } else {
        QPainter p(&m_working);
        p.drawImage(clipped.topLeft(), m_image, clipped);
    }
    if (m_paintBox) m_paintBox->update(clipped);
}

// Drops ---------------------------------------------------------------------------------------

QRect TppCrossTabControl::referenceRect(TppElement* e) const {
    QRect r(e->Left, e->Top, e->Width, e->Height);
    if (auto* v = qobject_cast<TppValueDef*>(e)) r.setTop(v->CaptionDef()->Top);
    return r;
}

void TppCrossTabControl::ClearDropMarker() {
    if (m_marker.left() < 0) return;
    m_marker = QRect(-1, -1, 0, 0);
    m_markerKind = -1;
    updateWorking();
}

bool TppCrossTabControl::ShowDropMarker(TppElement* aTarget, TppElement* aSource) {
    ClearDropMarker();
    TppElement* target = Standin(aTarget);
    TppElement* source = Standin(aSource);
    if (target) setHint(target->GetName());
    if (!target || source == target) return false;
    if (qobject_cast<TppValueDef*>(source) && !qobject_cast<TppValueDef*>(target) && target != m_newValue.get()) return false;
    if (m_crossTab) {
        if (target == m_newRow.get() && m_crossTab->RowDefCount() > 0 &&
            source == m_crossTab->RowDefs(m_crossTab->RowDefCount() - 1))
            return false;
        if (target == m_newColumn.get() && m_crossTab->ColumnDefCount() > 0 &&
            source == m_crossTab->ColumnDefs(m_crossTab->ColumnDefCount() - 1))
            return false;
    }
    if (!isDefinition(target) && !IsPlaceholder(target)) return false;
    int kind;
    if (qobject_cast<TppValueDef*>(target) || target == m_newValue.get())
        kind = 2;
    else if (qobject_cast<TppRowDef*>(target) || target == m_newRow.get())
        kind = 1;
    else
        kind = 0;
    const QRect r = referenceRect(target);
    bool before = true;
    if (source && source->metaObject() == target->metaObject() && m_crossTab)
        before = m_crossTab->IndexOfChild(target) < m_crossTab->IndexOfChild(source);
    if (kind == 1) {
        m_markerHorizontal = false;
        const int x = before ? r.left() : r.left() + r.width();
        m_marker = QRect(x, r.top(), 1, r.height());
    } else {
        m_markerHorizontal = true;
        const int y = before ? r.top() : r.top() + r.height();
        m_marker = QRect(r.left(), y, r.width(), 1);
    }
    m_markerKind = kind;
    updateWorking();
    return true;
}

void TppCrossTabControl::DropElement(TppElement* aTarget, TppElement* aSource, int aFieldIndex) {
    if (!m_crossTab) return;
    TppElement* target = Standin(aTarget);
    TppElement* source = Standin(aSource);
    if (!ShowDropMarker(target, source)) return;
    BeginUpdate();
    TppCrossTab* x = m_crossTab;
    const int b = IsPlaceholder(target) ? -1 : x->IndexOfChild(target);
    if (source && source->metaObject() == target->metaObject()) {
        x->MoveDefinition(source, b);
    } else {
        struct Formatting {
            TAlignment alignment;
            paint::TColor color;
            QString displayFormat;
            std::unique_ptr<TppFont> font;
            bool visible;
        };
        std::unique_ptr<Formatting> copy;
        if (source) {
            copy = std::make_unique<Formatting>();
            copy->alignment = source->Alignment();
            copy->color = source->Color();
            copy->displayFormat = source->DisplayFormat();
            copy->font = std::make_unique<TppFont>();
            copy->font->Assign(source->Font());
            copy->visible = source->Visible();
            int returned = -1;
            const int index = x->IndexOfChild(source);
            if (qobject_cast<TppColumnDef*>(source))
                returned = x->RemoveColumnDef(index);
            else if (qobject_cast<TppRowDef*>(source))
                returned = x->RemoveRowDef(index);
            else if (qobject_cast<TppValueDef*>(source))
                returned = x->RemoveValueDef(index);
            aFieldIndex = returned;
            if (m_selection) m_selection->Clear();
        }
        TppElement* made = nullptr;
        if (aFieldIndex >= 0 && aFieldIndex < x->AvailableFields().size()) {
            if (qobject_cast<TppColumnDef*>(target) || target == m_newColumn.get())
                made = x->AddColumnDef(aFieldIndex);
            else if (qobject_cast<TppRowDef*>(target) || target == m_newRow.get())
                made = x->AddRowDef(aFieldIndex);
            else
                made = x->AddValueDef(aFieldIndex);
        }
        if (made && b >= 0) x->MoveDefinition(made, b);
        if (made && copy && qobject_cast<TppDimension*>(made) && !qobject_cast<TppValueDef*>(made)) {
            made->SetAlignment(copy->alignment);
            made->SetColor(copy->color);
            made->SetDisplayFormat(copy->displayFormat);
            made->SetFont(copy->font.get());
            made->SetVisible(copy->visible);
        }
    }
    m_marker = QRect(-1, -1, 0, 0);
    EndUpdate();
}

void TppCrossTabControl::ToggleTotal(TppElement* aElement) {
    TppTotal* total = totalOf(aElement);
    if (!total || !m_crossTab) return;
    const bool show = !total->GetVisible();
    if (auto* sub = qobject_cast<TppSubTotal*>(total)) {
        if (auto* c = qobject_cast<TppColumnDef*>(sub->Parent()))
            c->ShowSubTotals(show);
        else
            sub->ShowTotal(show);
    } else if (auto* g = qobject_cast<TppGrandTotal*>(total)) {
        if (m_crossTab->IndexOfColumnGrandTotal(g) >= 0)
            m_crossTab->ShowGrandTotals(TppTotalType::ctttColumn, show);
        else
            g->ShowTotal(show);
    }
}

void TppCrossTabControl::ToggleTotals() {
    std::vector<TppElement*> distinct;
    std::set<TppTotal*> seen;
    for (int i = 0; i < m_selection->Count(); ++i) {
        TppElement* e = m_selection->Items(i);
        TppTotal* t = totalOf(e);
        if (!t) continue;
        if (auto* c = qobject_cast<TppColumnDef*>(t->Parent())) t = c->SubTotals(0);
        if (auto* g = qobject_cast<TppGrandTotal*>(t); g && m_crossTab && m_crossTab->IndexOfColumnGrandTotal(g) >= 0)
            t = m_crossTab->ColumnGrandTotals(0);
        if (seen.insert(t).second) distinct.push_back(t->CaptionDef());
    }
    for (TppElement* e : distinct) ToggleTotal(e);
}

// Mouse -------------------------------------------------------------------------------------------

void TppCrossTabControl::setHint(const QString& aText) {
    m_hintText = aText;
    if (OnHint) OnHint(aText);
}

bool TppCrossTabControl::doubleClickTest() {
    const qint64 now = Clock();
    if (m_presses == 1) {
        if (now - m_firstTime >= kDoubleClickMs) m_presses = 0;
        return false;
    }
    if (m_presses == 2) {
        const bool near = std::abs(m_secondPos.x() - m_firstPos.x()) <= 1 && std::abs(m_secondPos.y() - m_firstPos.y()) <= 1;
        if (near && m_secondTime - m_firstTime < kDoubleClickMs) {
            m_presses = 0;
            return true;
        }
        m_firstTime = m_secondTime;
        m_firstPos = m_secondPos;
        m_presses = now - m_firstTime < kDoubleClickMs ? 1 : 0;
    }
    return false;
}

void TppCrossTabControl::MousePress(const QPoint& aPoint, bool aCtrl) {
    const qint64 now = Clock();
    if (m_presses == 0) {
        m_firstTime = now;
        m_firstPos = aPoint;
        m_presses = 1;
    } else {
        m_secondTime = now;
        m_secondPos = aPoint;
        m_presses = 2;
    }
    m_pressed = true;
    m_pressPoint = aPoint;
    m_ctrl = aCtrl;
    m_selectedByPress = false;
    TppElement* e = ElementAt(aPoint);
    m_pressElement = e;
    if (e && !IsPlaceholder(e) && m_selection->IndexOf(e) < 0) {
        if (aCtrl)
            m_selection->Add(e);
        else
            m_selection->Select(e);
        m_selectedByPress = true;
    }
    TppElement* standin = Standin(e);
    m_draggingOwn = e && !IsPlaceholder(e) && m_selection->Count() == 1 &&
                    qobject_cast<TppDimension*>(standin) != nullptr;
}

void TppCrossTabControl::MouseMove(const QPoint& aPoint, bool aCtrl) {
    m_ctrl = aCtrl;
    TppElement* e = ElementAt(aPoint);
    if (m_pressed && m_draggingOwn && aPoint != m_pressPoint) {
        ShowDropMarker(e, m_pressElement);
        return;
    }
    setHint(e ? e->GetName() : QString());
}

void TppCrossTabControl::MouseRelease(const QPoint& aPoint, const QPoint& aGlobal) {
    if (!m_pressed) return;
    m_pressed = false;
    ClearDropMarker();
    TppElement* under = ElementAt(aPoint);
    if (doubleClickTest() && under && totalOf(under)) {
        BeginUpdate();
        ToggleTotal(under);
        EndUpdate();
    }
    // A box released over the field list leaves the cross-tab.
    if (FieldListView && m_draggingOwn && aPoint != m_pressPoint) {
        const QPoint local = FieldListView->mapFromGlobal(aGlobal);
        if (FieldListView->isVisible() && FieldListView->rect().contains(local)) {
            m_draggingOwn = false;
            if (OnDropOnFieldList) OnDropOnFieldList();
            return;
        }
    }
    if (aPoint == m_pressPoint) {
        if (!under)
            m_selection->Clear();
        else if (!m_selectedByPress && m_selection->IndexOf(under) >= 0)
            m_selection->Remove(under);
    } else if (m_draggingOwn && under) {
        DropElement(under, m_pressElement, -1);
    }
    m_draggingOwn = false;
}

bool TppCrossTabControl::FieldDragOver(const QPoint& aPoint, const QString& aAlias) {
    if (!m_crossTab || m_crossTab->IndexOfAvailableField(aAlias) < 0) return false;
    return ShowDropMarker(ElementAt(aPoint), nullptr);
}

void TppCrossTabControl::FieldDrop(const QPoint& aPoint, const QString& aAlias) {
    ClearDropMarker();
    if (!m_crossTab) return;
    const QString alias = aAlias.isEmpty() && OnGetDragField ? OnGetDragField() : aAlias;
    const int index = m_crossTab->IndexOfAvailableField(alias);
    if (index < 0) return;
    TppElement* target = ElementAt(aPoint);
    if (target) DropElement(target, nullptr, index);
}
