#include "report/output/wizard.h"

#include "report/model/custom_report.h"
#include "report/model/template.h"
#include "report/output/meta_bitmap.h"
#include "report/page/resource_manager.h"

#include <QHash>
#include <QPainter>

#include <algorithm>

namespace {

void declareWizardTexts() {
    static const bool declared = [] {
        report::DeclareTexts({
            {579, "Report"},
            {620, "Report Wizard"},
        });
        return true;
    }();
    Q_UNUSED(declared);
}

// The pictures are 32 x 32 on white, which the list views treat as transparent.
QImage blankPicture() {
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// A page with a folded corner and text lines.
void drawPage(QPainter& p, const QColor& lines) {
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({QPoint(6, 2), QPoint(20, 2), QPoint(26, 8), QPoint(26, 29), QPoint(6, 29)}));
    p.drawPolyline(QPolygon({QPoint(20, 2), QPoint(20, 8), QPoint(26, 8)}));
    p.setPen(lines);
    for (int y = 12; y <= 26; y += 3) p.drawLine(9, y, y % 2 ? 21 : 23, y);
}

QImage reportWizardPicture() {
    QImage image = blankPicture();
    QPainter p(&image);
    drawPage(p, QColor(0, 0, 128));
    // The wand: a stick with a star at its tip.
    p.setPen(QPen(QColor(128, 0, 0), 2));
    p.drawLine(14, 28, 27, 15);
    p.setPen(QColor(255, 200, 0));
    p.drawLine(27, 11, 27, 19);
    p.drawLine(23, 15, 31, 15);
    p.drawLine(25, 13, 29, 17);
    p.drawLine(29, 13, 25, 17);
    return image;
}

QImage blankReportPicture() {
    QImage image = blankPicture();
    QPainter p(&image);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({QPoint(6, 2), QPoint(20, 2), QPoint(26, 8), QPoint(26, 29), QPoint(6, 29)}));
    p.drawPolyline(QPolygon({QPoint(20, 2), QPoint(20, 8), QPoint(26, 8)}));
    return image;
}

QImage crossTabPicture() {
    QImage image = blankPicture();
    QPainter p(&image);
    p.setPen(Qt::black);
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(3, 5, 25, 5);
    p.drawRect(3, 10, 6, 18);
    p.setBrush(Qt::white);
    p.drawRect(9, 10, 19, 18);
    for (int x = 15; x < 28; x += 6) p.drawLine(x, 5, x, 28);
    for (int y = 16; y < 28; y += 6) p.drawLine(3, y, 28, y);
    return image;
}

QImage noWizardPicture() {
    QImage image = blankPicture();
    QPainter p(&image);
    p.setPen(QColor(128, 128, 128));
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(5, 5, 21, 21);
    p.setPen(QPen(QColor(128, 0, 0), 3));
    p.drawLine(10, 10, 21, 21);
    p.drawLine(21, 10, 10, 21);
    return image;
}

struct Registry {
    QList<const TppWizardClass*> list;
    const TppWizardClass* blank = nullptr;
    const TppWizardClass* defaultWizard = nullptr;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

}  // namespace

namespace {

// The named pictures of the data workspace, the cross-tab and the designer: small drawings on
// white (the transparent colour), made with the picture primitives.
QImage drawnPicture(int aWidth, int aHeight, const std::function<void(report::MetaCanvas&)>& aDraw) {
    QImage image(aWidth, aHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    report::MetaCanvas canvas(image);
    aDraw(canvas);
    return image;
}

/// A 16 x 16 arrow: right, left, up or down; doubled for "all".
QImage arrowPicture(Qt::ArrowType aDirection, bool aDouble) {
    return drawnPicture(16, 16, [=](report::MetaCanvas& c) {
        const int heads = aDouble ? 2 : 1;
        for (int h = 0; h < heads; ++h) {
            const int offset = aDouble ? (h == 0 ? -3 : 3) : 0;
            for (int i = 0; i < 5; ++i) {
                switch (aDirection) {
                case Qt::RightArrow: ppMetaLine(c, 6 + offset + i, 3 + i, 6 + offset + i, 11 - i, paint::clBlack); break;
                case Qt::LeftArrow: ppMetaLine(c, 10 + offset - i, 3 + i, 10 + offset - i, 11 - i, paint::clBlack); break;
                // The widest line is the arrow's base: at the bottom for up, at the top for down.
                case Qt::UpArrow: ppMetaLine(c, 3 + i, 9 + offset - i, 11 - i, 9 + offset - i, paint::clNavy); break;
                default: ppMetaLine(c, 3 + i, 5 + offset + i, 11 - i, 5 + offset + i, paint::clNavy); break;
                }
            }
        }
    });
}

/// Lines of growing (ascending) or shrinking length beside an arrow.
QImage sortPicture(bool aAscending) {
    return drawnPicture(16, 16, [=](report::MetaCanvas& c) {
        for (int i = 0; i < 4; ++i) {
            const int length = aAscending ? 2 + 2 * i : 8 - 2 * i;
            ppMetaFillRect(c, 1, 2 + 3 * i, 1 + length, 3 + 3 * i, paint::clNavy);
        }
        ppMetaLine(c, 12, 2, 12, 13, paint::clBlack);
        const int tip = aAscending ? 13 : 2;
        const int step = aAscending ? -1 : 1;
        for (int i = 1; i <= 3; ++i) ppMetaLine(c, 12 - i, tip + step * i, 12 + i, tip + step * i, paint::clBlack);
    });
}

QImage namedPicture(const QString& aName) {
    using namespace paint;
    static const QHash<QString, std::function<QImage()>> pictures = {
        {"TPPREPORTWIZARD", reportWizardPicture},
        {"PPREPORTWIZARD", reportWizardPicture},
        {"TPPBLANKREPORTWIZARD", blankReportPicture},
        {"TPPCROSSTABWIZARD", crossTabPicture},
        {"TPPCROSSTAB", crossTabPicture},
        {"PPNOWIZARDBITMAP", noWizardPicture},
        {"DATABLES", [] { return drawnPicture(32, 32, [](report::MetaCanvas& c) { TppMetaBitmap::DrawTableSymbol(c, 0, 3, false, false, false); }); }},
        {"DAFIELDS", [] { return drawnPicture(32, 32, [](report::MetaCanvas& c) { TppMetaBitmap::DrawTableSymbol(c, 0, 3, true, false, true); }); }},
        {"DASEARCH", [] { return drawnPicture(32, 32, [](report::MetaCanvas& c) { TppMetaBitmap::DrawFunnel(c, 0, 0); }); }},
        {"DAQUERYDESIGNER", [] {
             return drawnPicture(32, 32, [](report::MetaCanvas& c) {
                 TppMetaBitmap::DrawTableSymbol(c, 0, 0, false, true, false);
                 for (int i = 0; i < 3; ++i) ppMetaLine(c, 14 + i, 31, 31, 14 + i, clMaroon);
             });
         }},
        {"DAQUERYWIZARD", [] {
             return drawnPicture(32, 32, [](report::MetaCanvas& c) {
                 TppMetaBitmap::DrawTableSymbol(c, 0, 0, true, true, false);
                 ppMetaLine(c, 14, 31, 28, 17, clMaroon);
                 ppMetaLine(c, 28, 13, 28, 21, clYellow);
                 ppMetaLine(c, 24, 17, 31, 17, clYellow);
             });
         }},
        {"DACALCS", [] {
             return drawnPicture(32, 32, [](report::MetaCanvas& c) {
                 ppMetaLine(c, 8, 5, 24, 5, clBlack);
                 ppMetaLine(c, 8, 5, 17, 16, clBlack);
                 ppMetaLine(c, 17, 16, 8, 27, clBlack);
                 ppMetaLine(c, 8, 27, 24, 27, clBlack);
             });
         }},
        {"DAGROUP", [] {
             return drawnPicture(32, 32, [](report::MetaCanvas& c) {
                 for (int i = 0; i < 3; ++i) {
                     ppMetaLine(c, 3 + 6 * i, 3 + 8 * i, 29, 3 + 8 * i, clNavy);
                     ppMetaLine(c, 3 + 6 * i, 3 + 8 * i, 3 + 6 * i, 29, clNavy);
                 }
             });
         }},
        {"DASORT", [] { return sortPicture(true); }},
        {"DASORTASC", [] { return sortPicture(true); }},
        {"DASORTDESC", [] { return sortPicture(false); }},
        {"PPSORTASC", [] { return sortPicture(true); }},
        {"PPSORTDESC", [] { return sortPicture(false); }},
        {"DATEXTONLY", [] {
             return drawnPicture(32, 32, [](report::MetaCanvas& c) {
                 ppMetaFillRect(c, 8, 6, 24, 8, clBlack);
                 ppMetaFillRect(c, 15, 6, 17, 26, clBlack);
             });
         }},
        {"DADIALOG", [] {
             return drawnPicture(32, 32, [](report::MetaCanvas& c) {
                 ppMetaFillRect(c, 2, 4, 29, 27, clSilver);
                 ppMetaFrameRect(c, 2, 4, 29, 27, clBlack);
                 ppMetaFillRect(c, 2, 4, 29, 7, clNavy);
                 ppMetaFrameRect(c, 17, 21, 26, 25, clBlack);
                 ppMetaLine(c, 6, 12, 24, 12, clGray);
                 ppMetaLine(c, 6, 16, 20, 16, clGray);
             });
         }},
        {"DAMOVEUP", [] { return arrowPicture(Qt::UpArrow, false); }},
        {"DAMOVEDOWN", [] { return arrowPicture(Qt::DownArrow, false); }},
        {"DASELECTONE", [] { return arrowPicture(Qt::RightArrow, false); }},
        {"DADESELECTONE", [] { return arrowPicture(Qt::LeftArrow, false); }},
        {"DASELECTALL", [] { return arrowPicture(Qt::RightArrow, true); }},
        {"DADESELECTALL", [] { return arrowPicture(Qt::LeftArrow, true); }},
        {"DAFINISH", [] {
             return drawnPicture(32, 32, [](report::MetaCanvas& c) {
                 ppMetaLine(c, 5, 3, 5, 29, clBlack);
                 for (int row = 0; row < 4; ++row)
                     for (int col = 0; col < 5; ++col)
                         ppMetaFillRect(c, 6 + 4 * col, 3 + 4 * row, 9 + 4 * col, 6 + 4 * row,
                                        (row + col) % 2 ? clWhite : clBlack);
                 ppMetaFrameRect(c, 5, 3, 26, 19, clBlack);
             });
         }},
        {"PPCROSSTABTIPS", [] {
             QImage image = crossTabPicture();
             report::MetaCanvas c(image);
             ppMetaEllipse(c, 19, 1, 30, 12, clYellow);
             ppMetaFillRect(c, 23, 13, 26, 15, clGray);
             return image;
         }},
        {"PPDISPLAYFORMAT", [] {
             return drawnPicture(32, 32, [](report::MetaCanvas& c) {
                 ppMetaFrameRect(c, 2, 9, 29, 22, clBlack);
                 for (int i = 0; i < 4; ++i) ppMetaFillRect(c, 5 + 6 * i, 13, 8 + 6 * i, 18, i == 1 ? clMaroon : clNavy);
                 ppMetaFillRect(c, 16, 17, 16, 18, clBlack);
             });
         }},
        {"TPPWIZARDFIELDSBITMAP", [] { return ppCreateMetaBitmap([] { return std::make_unique<TppWizardFieldsBitmap>(); }); }},
        {"TPPPORTRAITBITMAP", [] { return ppCreateMetaBitmap([] { return std::make_unique<TppPortraitBitmap>(); }); }},
        {"TPPLANDSCAPEBITMAP", [] { return ppCreateMetaBitmap([] { return std::make_unique<TppLandscapeBitmap>(); }); }},
    };
    const auto found = pictures.constFind(aName.toUpper());
    return found == pictures.constEnd() ? QImage() : (*found)();
}

}  // namespace

QImage ppLoadBitmap(const QString& aName) { return namedPicture(aName); }

TppWizard::TppWizard(TComponent* aOwner) : TppCommunicator(aOwner) {}

QString TppWizard::ClassCaption(TClass aClass) {
    return aClass ? QString::fromLatin1(aClass->className()) : QString();
}

QImage TppWizard::ClassBitmap(TClass) { return ppLoadBitmap(QStringLiteral("PPNOWIZARDBITMAP")); }

TppCustomWizard::TppCustomWizard(TComponent* aOwner) : TppWizard(aOwner) {}

void TppCustomWizard::DoGetDataNames(QStringList& aDataNameList) {
    if (OnGetDataNames) OnGetDataNames(this, aDataNameList);
}

void TppCustomWizard::DoGetFields(const QString& aDataName, TppFieldList& aFieldList) {
    if (OnGetFields) OnGetFields(this, aDataName, aFieldList);
}

bool TppCustomWizard::DoValidateName(const QString& aName) {
    bool valid = true;
    if (OnValidateName) OnValidateName(this, aName, valid);
    return valid;
}

TppCustomReportWizard::TppCustomReportWizard(TComponent* aOwner) : TppCustomWizard(aOwner) {}

TppCustomReport* TppCustomReportWizard::DoCreateReport(const QString& aDataName) {
    QObject* created = nullptr;
    if (OnCreateReport) OnCreateReport(this, aDataName, created);
    return qobject_cast<TppCustomReport*>(created);
}

TppBlankReportWizard::TppBlankReportWizard(TComponent* aOwner) : TppCustomReportWizard(aOwner) {
    declareWizardTexts();
}

QString TppBlankReportWizard::ClassCaption(TClass) {
    declareWizardTexts();
    return ppGetMessageText(579);
}

QImage TppBlankReportWizard::ClassBitmap(TClass) { return ppLoadBitmap(QStringLiteral("PPBLANKREPORTWIZARD")); }

bool TppBlankReportWizard::Execute() {
    m_report = DoCreateReport(QString());
    return m_report != nullptr;
}

TppCustomReport* TppBlankReportWizard::GetReport() const { return m_report; }

QString TppBlankReportWizard::GetReportName() const {
    if (!m_report) return {};
    const auto* reportTemplate = m_report->findChild<TppTemplate*>(QString(), Qt::FindDirectChildrenOnly);
    return reportTemplate ? reportTemplate->GetDescription() : QString();
}

void ppRegisterWizard(const TppWizardClass* aClass) {
    if (!aClass) return;
    Registry& r = registry();
    const bool listed =
        std::any_of(r.list.begin(), r.list.end(), [&](const TppWizardClass* c) { return c->Class == aClass->Class; });
    if (listed) return;
    report::RegisterClass(aClass->Class);
    r.list.append(aClass);
}

void ppUnregisterWizard(const TppWizardClass* aClass) {
    if (!aClass) return;
    report::UnRegisterClass(aClass->Class);
    Registry& r = registry();
    const auto found =
        std::find_if(r.list.begin(), r.list.end(), [&](const TppWizardClass* c) { return c->Class == aClass->Class; });
    if (found == r.list.end()) return;
    r.list.erase(found);
    if (r.blank && r.blank->Class == aClass->Class) r.blank = nullptr;
    if (r.defaultWizard && r.defaultWizard->Class == aClass->Class) r.defaultWizard = nullptr;
}

void ppRegisterBlankReportWizard(const TppWizardClass* aClass) {
    Registry& r = registry();
    if (r.blank) ppUnregisterWizard(r.blank);
    r.blank = aClass;
    ppRegisterWizard(aClass);
}

void ppRegisterDefaultReportWizard(const TppWizardClass* aClass) {
    Registry& r = registry();
    if (r.defaultWizard) ppUnregisterWizard(r.defaultWizard);
    r.defaultWizard = aClass;
    if (!aClass) return;
    ppRegisterWizard(aClass);
    const auto found =
        std::find_if(r.list.begin(), r.list.end(), [&](const TppWizardClass* c) { return c->Class == aClass->Class; });
    if (found != r.list.end()) r.list.move(int(found - r.list.begin()), 0);
}

const TppWizardClass* ppGetBlankReportWizard() { return registry().blank; }

const TppWizardClass* ppGetDefaultReportWizard() { return registry().defaultWizard; }

void ppGetWizardClasses(TppWizardClassList& List, TClass aBaseClass) {
    for (const TppWizardClass* c : registry().list)
        if (report::InheritsFrom(c->Class, aBaseClass)) List.append({c->Caption(), c});
}

void ppGetReportWizardClasses(TppWizardClassList& List) {
    ppGetWizardClasses(List, &TppCustomReportWizard::staticMetaObject);
}
