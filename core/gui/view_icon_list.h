#pragma once

#include <QDialog>

#include <map>
#include <vector>

class QImage;
class QListWidget;
class QPushButton;
class TViewControl;

namespace db {
class Table;
}

/// "Select Icon": the View icons of the icon library (IconLib.DB) as large icons sorted by
/// name. Each item stands for the GlyphIndex its library row gives; icons whose ID lies
/// beyond the View control's icon map (added since the library was last loaded) and IDs
/// without a row are not offered.
class TViewIconList : public QDialog {
    Q_OBJECT
public:
    TViewIconList(TViewControl& views, db::Table& iconLib, const std::vector<QImage>& images, int currentGlyphIndex,
                  QWidget* parent = nullptr);

    int Count() const;
    /// The GlyphIndex of the selected item, -1 when none.
    int SelectedGlyphIndex() const;
    /// The picture of the selected item (null when none).
    QImage SelectedPicture() const;

private:
    void SelectBtnClick();

    const std::vector<QImage>& m_images;

public:
    QListWidget* IconList;
    QPushButton* SelectBtn;
    QPushButton* CancelBtn;
    QPushButton* HelpBtn;
};

namespace core {

/// Shows the icon picker with the pictures of `images` (the large View images): the chosen
/// GlyphIndex with its picture copied into `picture`, or -1 when nothing was chosen. With
/// no icon in the library: "No View icons were found in the View Icon Library. ..." (help
/// 10123) and -1. The icon table is opened when closed and closed again afterwards.
int ShowViewIconPicker(TViewControl& views, db::Table& iconLib, int currentGlyphIndex, const std::vector<QImage>& images,
                       QImage& picture, QWidget* parent = nullptr);

}  // namespace core
