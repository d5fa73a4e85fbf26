#pragma once

#include <QEvent>
#include <QList>
#include <QObject>
#include <QPointer>

class QMainWindow;
class TppCustomToolWindowSkiffrow;
class TppDockSkiffrow;

namespace skiffrow {

/// The bars and docks of one form in creation order (the order positions are saved and
/// restored in), and the form's activity tracking: it re-evaluates whether floating bars are
/// shown when the application's activity changes or the form is minimised, hidden or shown.
/// A child of the form, made on first use.
class FormBars : public QObject {
    Q_OBJECT
public:
    static FormBars* Of(QMainWindow* form);

    void AddBar(TppCustomToolWindowSkiffrow* bar);
    void RemoveBar(TppCustomToolWindowSkiffrow* bar);
    bool Contains(TppCustomToolWindowSkiffrow* bar) const { return m_bars.contains(bar); }
    const QList<TppCustomToolWindowSkiffrow*>& Bars() const { return m_bars; }
    void AddDock(TppDockSkiffrow* dock) { m_docks.append(dock); }
    QList<TppDockSkiffrow*> Docks() const;

    /// Sets every floating bar's inactive-hidden and inactive-caption flags.
    void UpdateFloatingVisibility();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void customEvent(QEvent* event) override;

private:
    explicit FormBars(QMainWindow* form);

    QMainWindow* m_form;
    QList<TppCustomToolWindowSkiffrow*> m_bars;
    QList<QPointer<TppDockSkiffrow>> m_docks;
    bool m_evaluationPosted = false;
};

}  // namespace skiffrow
