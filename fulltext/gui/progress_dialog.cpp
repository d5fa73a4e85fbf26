#include "fulltext/gui/progress_dialog.h"

#include "fulltext/gui/internal/engine_probe.h"
#include "fulltext/gui/progress_dlg.h"
#include "fulltext/ts_engine.h"

TtsProgressDialog::TtsProgressDialog(QObject* owner) : QObject(owner) {}

TtsProgressDialog::~TtsProgressDialog() {
    if (m_engine) {
        m_engine->OnStateChange = nullptr;
        unhookLinks();
    }
    if (m_window) {
        m_window->OnClose = nullptr;
        delete m_window.data();
    }
}

void TtsProgressDialog::SetEngine(TtsEngine* engine) {
    if (engine == m_engine) return;
    if (m_engine) {
        m_engine->OnStateChange = nullptr;
        unhookLinks();
    }
    m_engine = engine;
    if (m_window) m_window->SetEngine(engine);
    if (!engine) return;
    // The handler stays in place for the engine's whole life with this component; where the
    // state changes go (window or component) is decided inside, so the handler is never
    // replaced while the engine is calling it.
    QPointer<TtsProgressDialog> self(this);
    engine->OnStateChange = [self](QObject* sender, TEngineStates newStates) {
        if (self) self->engineStateChanged(sender, newStates);
    };
}

void TtsProgressDialog::engineStateChanged(QObject* sender, TEngineStates newStates) {
    if (!m_window) {
        const TEngineStates old = m_engine ? m_engine->States() : TEngineStates();
        const auto running = [](TEngineStates s) {
            return s.Contains(TEngineState::esMake) || s.Contains(TEngineState::esUpdate);
        };
        // Only the start of a run opens a window; later changes of a run whose window was
        // closed by the user do not bring it back.
        if (running(old) || !running(newStates)) return;
        createWindow();
        if (!m_window) return;
    }
    m_window->StateChange(sender, newStates);
}

void TtsProgressDialog::createWindow() {
    auto* window = new TtsProgressDlg();
    m_window = window;
    window->SetAutoClose(m_autoClose);
    window->SetExpanded(m_expanded);
    window->SetRefreshInterval(m_refreshInterval);
    window->SetEngine(m_engine);
    window->OnClose = [this] { windowClosed(); };
    m_unhookPending = false;
    hookLinks();
    if (OnFormCreate) OnFormCreate(this);
}

void TtsProgressDialog::windowClosed() {
    TtsProgressDlg* window = m_window;
    m_window = nullptr;
    if (window) {
        window->OnClose = nullptr;
        window->deleteLater();
    }
    if (m_tickDepth > 0) {
        m_unhookPending = true;
    } else {
        unhookLinks();
    }
}

void TtsProgressDialog::hookLinks() {
    if (!m_engine) return;
    QPointer<TtsProgressDialog> self(this);
    fulltext::probe::SetAfterProcess(m_engine->TextLink(), [self] {
        if (self) self->tick(false);
    });
    fulltext::probe::SetAfterPost(m_engine->WordsLink(), [self] {
        if (self) self->tick(true);
    });
}

void TtsProgressDialog::unhookLinks() {
    m_unhookPending = false;
    if (!m_engine) return;
    fulltext::probe::SetAfterProcess(m_engine->TextLink(), nullptr);
    fulltext::probe::SetAfterPost(m_engine->WordsLink(), nullptr);
}

void TtsProgressDialog::tick(bool writing) {
    if (!m_window) return;
    QPointer<TtsProgressDialog> self(this);
    ++m_tickDepth;
    if (writing) {
        m_window->WritingTick();
    } else {
        m_window->ReadingTick();
    }
    if (!self) return;
    --m_tickDepth;
    // Clearing the link events replaces the very handler that called us: nothing of it is
    // used after this point.
    if (m_tickDepth == 0 && m_unhookPending) unhookLinks();
}
