#include "report/data/gui/query_wizard_pictures.h"

#include <QPainter>
#include <QPolygon>

using namespace paint;

namespace {

void fill(report::MetaCanvas& c, int x1, int y1, int x2, int y2, TColor aColor) { ppMetaFillRect(c, x1, y1, x2, y2, aColor); }
void line(report::MetaCanvas& c, int x1, int y1, int x2, int y2, TColor aColor) { ppMetaLine(c, x1, y1, x2, y2, aColor); }
/// One point (a line whose ends coincide).
void pixel(report::MetaCanvas& c, int x, int y, TColor aColor) { ppMetaFillRect(c, x, y, x, y, aColor); }
void triangle(report::MetaCanvas& c, QPoint p1, QPoint p2, QPoint p3, TColor aColor) {
    report::data::DrawWizardTriangle(c, p1, p2, p3, aColor);
}

}  // namespace

void report::data::DrawWizardTriangle(report::MetaCanvas& aCanvas, QPoint p1, QPoint p2, QPoint p3, TColor aColor) {
    QPainter p(&aCanvas.Image());
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor colour = paint::ToQColor(aColor);
    p.setPen(QPen(colour, 0));
    p.setBrush(colour);
    p.drawPolygon(QPolygon({p1, p2, p3}));
}

// Tables ------------------------------------------------------------------------------------

TdaSelectTablesBitmap::TdaSelectTablesBitmap() {
    setSize(80, 145);
    setBackgroundColor(clSilver);
}

void TdaSelectTablesBitmap::Draw(report::MetaCanvas& c) {
    // The arrow's shaft with its teal edge, its shadow, then its head.
    fill(c, 42, 34, 72, 46, clAqua);
    fill(c, 42, 39, 43, 46, clTeal);
    line(c, 52, 34, 52, 39, clTeal);
    line(c, 42, 39, 52, 39, clTeal);
    fill(c, 44, 47, 72, 48, clGray);
    line(c, 82, 41, 73, 50, clGray);
    pixel(c, 73, 50, clGray);
    line(c, 82, 42, 74, 50, clGray);
    pixel(c, 74, 50, clGray);
    triangle(c, {73, 31}, {73, 49}, {82, 40}, clAqua);
    // Three tables and the links between them.
    TppMetaBitmap::DrawTableSymbol(c, 0, 20, true, true, false);
    TppMetaBitmap::DrawTableSymbol(c, 21, 14, false, true, true);
    TppMetaBitmap::DrawTableSymbol(c, 11, 33, false, true, false);
    fill(c, 42, 47, 43, 59, clGray);
    fill(c, 13, 58, 43, 59, clGray);
    line(c, 1, 45, 10, 45, clGray);
    line(c, 52, 16, 52, 35, clGray);
    TppMetaBitmap::DrawDataGrid(c, 86, 23, 4, 7, 0);
}

// Grouping ----------------------------------------------------------------------------------

TdaGroupFieldsBitmap::TdaGroupFieldsBitmap() {
    setSize(80, 160);
    setBackgroundColor(clSilver);
}

void TdaGroupFieldsBitmap::Draw(report::MetaCanvas& c) {
    TppMetaBitmap::DrawDataGrid(c, 0, 0, 3, 16, 0);
    TppMetaBitmap::DrawDataGrid(c, 99, 36, 3, 7, 0);
    // Five rows gathered into one arrow.
    for (int i = 0; i <= 4; ++i) {
        fill(c, 41, 12 + 4 * i, 74, 13 + 4 * i, clAqua);
        line(c, 44, 14 + 4 * i, 72, 14 + 4 * i, clGray);
    }
    fill(c, 74, 12, 83, 49, clAqua);
    fill(c, 84, 40, 88, 49, clAqua);
    triangle(c, {89, 36}, {98, 45}, {89, 54}, clAqua);
    triangle(c, {81, 12}, {83, 12}, {83, 14}, clSilver);
    triangle(c, {74, 47}, {76, 49}, {74, 49}, clSilver);
    fill(c, 84, 17, 85, 39, clGray);
    fill(c, 80, 50, 88, 51, clGray);
    pixel(c, 79, 50, clGray);
    pixel(c, 84, 16, clGray);
    line(c, 98, 46, 89, 55, clGray);
    line(c, 98, 47, 90, 55, clGray);
    pixel(c, 89, 55, clGray);
    pixel(c, 90, 55, clGray);
    // The gathered rows and the row they become are aqua.
    for (int x : {5, 17, 29})
        for (int i = 0; i <= 4; ++i) ppMetaFloodFill(c, x, 12 + 4 * i, clAqua);
    for (int x : {100, 104, 116, 128}) ppMetaFloodFill(c, x, 44, clAqua);
}

// Fields ------------------------------------------------------------------------------------

TdaSelectFieldsBitmap::TdaSelectFieldsBitmap() {
    setSize(80, 145);
    setBackgroundColor(clSilver);
}

void TdaSelectFieldsBitmap::Draw(report::MetaCanvas& c) {
    // Columns 1, 3 and 4 of five are highlighted (bits 0, 2 and 3).
    TppMetaBitmap::DrawDataGrid(c, 0, 0, 5, 7, 0b1101);
    TppMetaBitmap::DrawDataGrid(c, 96, 38, 3, 7, 0);
    fill(c, 6, 34, 14, 60, clAqua);
    line(c, 15, 38, 15, 49, clGray);
    fill(c, 30, 34, 38, 48, clAqua);
    line(c, 39, 38, 39, 49, clGray);
    fill(c, 42, 34, 50, 48, clAqua);
    line(c, 51, 38, 51, 49, clGray);
    fill(c, 15, 49, 78, 60, clAqua);
    pixel(c, 13, 61, clGray);
    fill(c, 14, 61, 78, 62, clGray);
    line(c, 88, 55, 79, 64, clGray);
    pixel(c, 79, 64, clGray);
    line(c, 88, 56, 80, 64, clGray);
    pixel(c, 80, 64, clGray);
    triangle(c, {79, 45}, {79, 63}, {88, 54}, clAqua);
    triangle(c, {6, 58}, {6, 60}, {8, 60}, clSilver);
}

// Search ------------------------------------------------------------------------------------

TdaSearchCriteriaBitmap::TdaSearchCriteriaBitmap() {
    setSize(80, 145);
    setBackgroundColor(clSilver);
}

void TdaSearchCriteriaBitmap::Draw(report::MetaCanvas& c) {
    TppMetaBitmap::DrawDataGrid(c, 0, 0, 3, 16, 0);
    TppMetaBitmap::DrawDataGrid(c, 88, 43, 3, 7, 0);
    TppMetaBitmap::DrawFunnel(c, 94, 24);
    fill(c, 44, 3, 114, 14, clAqua);
    fill(c, 102, 15, 114, 16, clAqua);
    triangle(c, {99, 17}, {117, 17}, {108, 26}, clAqua);
    fill(c, 42, 3, 43, 14, clTeal);
    fill(c, 44, 15, 101, 16, clGray);
    fill(c, 115, 10, 116, 16, clGray);
    pixel(c, 115, 9, clGray);
    line(c, 117, 18, 110, 25, clGray);
    line(c, 118, 19, 111, 25, clGray);
    pixel(c, 110, 25, clGray);
    pixel(c, 111, 25, clGray);
    triangle(c, {112, 3}, {114, 5}, {114, 3}, clSilver);
}

// Sort --------------------------------------------------------------------------------------

TdaSortFieldsBitmap::TdaSortFieldsBitmap() {
    setSize(80, 160);
    setBackgroundColor(clSilver);
}

void TdaSortFieldsBitmap::Draw(report::MetaCanvas& c) {
    TppMetaBitmap::DrawSortList(c, 0, 0, 3, false, true);
    TppMetaBitmap::DrawSortList(c, 94, 30, 3, true, false);
    fill(c, 68, 7, 77, 59, clAqua);
    fill(c, 66, 7, 67, 17, clAqua);
    fill(c, 66, 19, 67, 29, clAqua);
    fill(c, 66, 31, 67, 41, clAqua);
    fill(c, 77, 50, 83, 59, clAqua);
    triangle(c, {83, 46}, {92, 55}, {83, 64}, clAqua);
    triangle(c, {75, 7}, {77, 7}, {77, 9}, clSilver);
    triangle(c, {68, 57}, {70, 59}, {68, 60}, clSilver);
    fill(c, 78, 12, 79, 49, clGray);
    fill(c, 74, 60, 82, 61, clGray);
    pixel(c, 78, 11, clGray);
    pixel(c, 73, 60, clGray);
    line(c, 92, 56, 83, 65, clGray);
    line(c, 92, 57, 84, 65, clGray);
    pixel(c, 83, 65, clGray);
    pixel(c, 84, 65, clGray);
}
