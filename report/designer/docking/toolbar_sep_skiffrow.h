#pragma once

#include <QWidget>

/// The size of a separator along its toolbar: 1 up to the largest integer.
using TppToolbarSepSize = int;

/// Divides a toolbar into groups: an etched line across the toolbar (vertical in a
/// horizontal toolbar, horizontal in a vertical one) unless Blank. A floating toolbar wraps
/// at separators where it can. A press on a separator drags its toolbar.
class TppToolbarSepSkiffrow : public QWidget {
    Q_OBJECT
public:
    explicit TppToolbarSepSkiffrow(QWidget* parent = nullptr);

    bool Blank() const { return m_blank; }
    void SetBlank(bool value);
    /// Size along a horizontal (or floating) and a vertical toolbar; at least 1.
    TppToolbarSepSize SizeHorz() const { return m_sizeHorz; }
    void SetSizeHorz(TppToolbarSepSize value);
    TppToolbarSepSize SizeVert() const { return m_sizeVert; }
    void SetSizeVert(TppToolbarSepSize value);
    /// Whether the etched line is drawn vertically (set by the toolbar's layout).
    void SetVerticalToolbar(bool value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void rearrangeToolbar();

    bool m_blank = false;
    int m_sizeHorz = 6;
    int m_sizeVert = 6;
    bool m_verticalToolbar = false;
};
