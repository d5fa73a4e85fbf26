#pragma once

#include "fulltext/ts_engine.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class TtsProgressDlg;

/// Follows an engine through its state changes and shows the progress window while the
/// engine builds (or updates) an index.
///
/// Setting Engine points the engine's OnStateChange at this component. When a run starts
/// (the engine enters esMake or esUpdate) the component creates its window, copies
/// AutoClose, Expanded and RefreshInterval into it, routes the engine's state changes, the
/// text link's AfterProcess and the words link's AfterPost to it, fires OnFormCreate and
/// passes the state change on. When the window closes it is freed, the state changes come
/// back to the component and AfterProcess and AfterPost are cleared. The component owns at
/// most one window at a time and frees it when it goes itself.
class TtsProgressDialog : public QObject {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(QObject* sender)>;

    explicit TtsProgressDialog(QObject* owner = nullptr);
    ~TtsProgressDialog() override;

    bool AutoClose() const { return m_autoClose; }
    void SetAutoClose(bool on) { m_autoClose = on; }
    bool Expanded() const { return m_expanded; }
    void SetExpanded(bool on) { m_expanded = on; }
    /// Milliseconds between two refreshes of the window.
    int RefreshInterval() const { return m_refreshInterval; }
    void SetRefreshInterval(int ms) { m_refreshInterval = ms; }
    /// Always 2.07.
    double Version() const { return 2.07; }

    TtsEngine* Engine() const { return m_engine; }
    /// Unhooks the previous engine (its OnStateChange, its text link's AfterProcess and its
    /// words link's AfterPost are cleared) and hooks the new one's OnStateChange.
    void SetEngine(TtsEngine* engine);

    /// Fired once the window exists, before it sees its first state change.
    TNotifyEvent OnFormCreate;

    /// The window while one is open.
    TtsProgressDlg* Window() const { return m_window; }

private:
    void engineStateChanged(QObject* sender, TEngineStates newStates);
    void createWindow();
    void windowClosed();
    void hookLinks();
    void unhookLinks();
    void tick(bool writing);

    bool m_autoClose = true;
    bool m_expanded = false;
    int m_refreshInterval = 500;
    QPointer<TtsEngine> m_engine;
    QPointer<TtsProgressDlg> m_window;
    int m_tickDepth = 0;         ///< ticks running (a tick may close the window)
    bool m_unhookPending = false;  ///< clear the link events once no tick runs
};
