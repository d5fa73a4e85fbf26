#include "report/model/custom_engine.h"

#include "report/page/page.h"

TppCustomEngine::TppCustomEngine(TppCustomReport* aReport, TComponent* AOwner)
    : TppCacheable(AOwner), m_report(aReport), m_page(std::make_unique<TppPage>()) {
    Invalidate();
}

TppCustomEngine::~TppCustomEngine() = default;

void TppCustomEngine::ResetEngine() {
    m_absolutePageNo = 0;
    m_absolutePageCount = 0;
    m_donePrinting = false;
}

void TppCustomEngine::Invalidate() {
    ResetEngine();
    m_passState = 0;
    m_pageFlags = 0;
    m_cancelled = false;
}

void TppCustomEngine::SetPrintPosition(int aLeft, int aTop, int aRight, int aBottom) {
    m_printPosition = QRect(QPoint(aLeft, aTop), QPoint(aRight, aBottom));
}
