#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QWidget>

#include <functional>

/// The small arrow control that report dialogs attach inside the right edge of a numeric
/// edit box: an up and a down arrow of three black lines each. Clicking an arrow steps the
/// number in the edit box by one; the minimum is -100.
class TppUpDown : public QWidget {
    Q_OBJECT
public:
    /// Placed in the edit box's parent, inside the box's right edge: left = edit right - own
    /// width - 2, top = edit top + 2, height = edit height - 4.
    static TppUpDown* CreateForEdit(QLineEdit* aEdit);

    int Min() const { return m_min; }
    /// When set, a click on an arrow calls it with +1 (up) or -1 (down) in place of stepping
    /// the edit box's integer; for edit boxes whose steps are not whole numbers.
    std::function<void(int aDirection)> OnClick;
    QLineEdit* Associate() const { return m_edit; }

protected:
    explicit TppUpDown(QLineEdit* aEdit);
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QPointer<QLineEdit> m_edit;
    int m_min = -100;
};
