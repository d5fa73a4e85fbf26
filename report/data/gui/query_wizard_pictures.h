#pragma once

// The pictures of the query wizard's steps, drawn in code with the picture primitives: a
// table window with its fields flowing into a grid (tables), highlighted columns taken into a
// grid (fields), rows gathered into fewer rows (calculations and grouping), a funnel over a
// grid (search) and an unsorted list becoming a sorted one (sort). Each is silver, 80 pixels
// high; the data grids' value bars have random lengths.

#include "report/output/meta_bitmap.h"

#include <QPoint>

namespace report::data {
/// A filled triangle through the three points, pen and brush in the colour.
void DrawWizardTriangle(report::MetaCanvas& aCanvas, QPoint p1, QPoint p2, QPoint p3, paint::TColor aColor);
}  // namespace report::data

/// The tables step: 145 x 80.
class TdaSelectTablesBitmap : public TppWizardBitmap {
public:
    TdaSelectTablesBitmap();
    void Draw(report::MetaCanvas& aCanvas) override;
};

/// The fields step: 145 x 80.
class TdaSelectFieldsBitmap : public TppWizardBitmap {
public:
    TdaSelectFieldsBitmap();
    void Draw(report::MetaCanvas& aCanvas) override;
};

/// The calculations and grouping steps: 160 x 80.
class TdaGroupFieldsBitmap : public TppWizardBitmap {
public:
    TdaGroupFieldsBitmap();
    void Draw(report::MetaCanvas& aCanvas) override;
};

/// The search step: 145 x 80.
class TdaSearchCriteriaBitmap : public TppWizardBitmap {
public:
    TdaSearchCriteriaBitmap();
    void Draw(report::MetaCanvas& aCanvas) override;
};

/// The sort step: 160 x 80.
class TdaSortFieldsBitmap : public TppWizardBitmap {
public:
    TdaSortFieldsBitmap();
    void Draw(report::MetaCanvas& aCanvas) override;
};
