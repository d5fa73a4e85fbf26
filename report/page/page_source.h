#pragma once

// The seam between the producer of the output side, which runs print jobs, and the report
// of the model, which generates pages. The report implements PageSource and the producer
// asks it for pages; the publisher implements PageReceiver and takes each finished page.

#include <QList>
#include <QString>

class TppAutoSearchField;
class TppPage;
class TraParamList;
class TppPageRequest;

namespace report {

/// Takes the pages a report finishes, one by one, in generation order.
class PageReceiver {
public:
    virtual ~PageReceiver() = default;
    virtual void ReceivePage(TppPage& aPage) = 0;
};

/// A report as its producer sees it.
class PageSource {
public:
    virtual ~PageSource() = default;
    /// Generates pages until the request is met, handing each finished page to aReceiver.
    /// A request that arrives while the source is already generating is ignored. Failures
    /// are raised as EPrintError.
    virtual void GeneratePages(TppPageRequest& aRequest, PageReceiver& aReceiver) = 0;
    /// Stops a running generation at the next page boundary.
    virtual void CancelGeneration() = 0;
    /// Starts the next generation from the first page again (the report's reset).
    virtual void ResetGeneration() = 0;
    /// The end-user search criteria the report asks for before it generates (not owned).
    virtual QList<TppAutoSearchField*> AutoSearchFields() const { return {}; }
    /// Hands the criteria's current values to the pipelines they filter.
    virtual void ApplyAutoSearchValues() {}
    /// The name of the document the pages belong to (the printer setup's), which each page
    /// carries and the devices show in their status texts.
    virtual void SetDocumentName(const QString& aName) { (void)aName; }
    /// A numbered event of the producer's job (a print job starting or ending, a dialog made
    /// or closed, a text saved, the search values entered): the report passes it on to its
    /// own subscribers, who subscribe to the report rather than to its producer.
    virtual void JobEvent(int aEventId, TraParamList* aParams) {
        (void)aEventId;
        (void)aParams;
    }
};

}  // namespace report
