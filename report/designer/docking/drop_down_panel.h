#pragma once

#include <QFrame>
#include <QPointer>
#include <QTimer>

class TppToolbarButton;
class TppToolWindowSkiffrow;
class TppDropDownPanel;

/// One of the two timers of the tear-off hint: the show timer (1000 ms) and the hide timer
/// (100 ms); the panel it serves now.
class TppHintTimer : public QTimer {
    Q_OBJECT
public:
    enum Role { Show, Hide };
    TppHintTimer(Role role, QObject* parent);
    Role TimerRole() const { return m_role; }
    QPointer<TppDropDownPanel> Panel;

private:
    Role m_role;
};

/// A pop-up panel of a toolbar button (a palette): a tool window of the form that never takes
/// the focus, placed beside its button by its toolbar's dock and kept on screen. States:
/// closed; open (its button latched); torn off (a floating, non-dockable, fixed-size copy,
/// the panel closed). With TearOff a strip at the top ((3, 3) to (width - 3, 8)) tears it
/// off when dragged; the hint text shows 1000 ms after the pointer came over the panel
/// while it is over the strip.
class TppDropDownPanel : public QFrame {
    Q_OBJECT
public:
    TppDropDownPanel(QWidget* form, const QString& name);
    ~TppDropDownPanel() override;

    static constexpr int kTearOffHeight = 10;

    bool TearOff() const { return m_tearOff; }
    /// Moves the controls 10 pixels down (on) or up (off) and grows or shrinks the panel.
    void SetTearOff(bool value);
    QRect StripRect() const { return QRect(3, 3, width() - 6, 5); }
    QString TearOffHint() const { return m_hint; }
    void SetTearOffHint(const QString& text) { m_hint = text; }

    TppToolbarButton* Button() const { return m_button; }
    void SetButton(TppToolbarButton* button) { m_button = button; }
    TppToolWindowSkiffrow* TornOffWindow() const { return m_tornOff; }

    virtual void TearOffNow();
    virtual TppToolWindowSkiffrow* CreateTornOffWindow();
    virtual void FreeTornOffWindow();
    /// Copies one control into the torn-off window; answers nullptr for a control it cannot
    /// copy (buttons and labels are copied; palettes add their own kinds).
    virtual QWidget* CopyControl(QWidget* control, QWidget* parent);

    static TppHintTimer* ShowTimer();
    static TppHintTimer* HideTimer();
    /// Whether the hint window shows this panel's hint now.
    bool HintShown() const { return m_hintShown; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void hintTick(TppHintTimer* timer);

    bool m_tearOff = false;
    bool m_stripHot = false;
    bool m_tearing = false;
    bool m_hintShown = false;
    QString m_hint;
    QPointer<TppToolbarButton> m_button;
    QPointer<TppToolWindowSkiffrow> m_tornOff;
};
